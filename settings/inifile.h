// SPDX-License-Identifier: MIT
#pragma once

#include "core/exception.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace oq {

// Where a profile file lives: a name with a folder is used as given; a bare name lies in the profile folder
// ($XDG_CONFIG_HOME/ombryquote/, by default ~/.config/ombryquote/), lower-cased (ASCII letters only), so
// "ombryquote.ini" and "OMBRYQuote.ini" are one file.
QString profileFolder();
QString profileFilePath(const QString &fileName);

// The profile text itself: bytes in, values or edits out. Nothing here touches a disk, so every rule of the
// format can be tested and fuzzed on its own. Names are matched with ASCII-only case folding, blanks (space and
// tab) around names and values are ignored, and an edit touches only the lines it must.
namespace ini {

// The longest text ReadText hands back, and the room ListKeys has for names (each with one terminating byte).
constexpr qsizetype MaxValueChars = 2047;
constexpr qsizetype MaxKeyListBytes = 16384;

// The stored value of key in the first section named section, outer quotes removed; nullopt when the section or
// key is missing. A key line with nothing after "=" gives an empty value, not nullopt.
std::optional<QByteArray> value(const QByteArray &data, const QByteArray &section, const QByteArray &key);

// Key names of the first section named section, in file order, duplicates included, as long as they fit in
// maxBytes (each name counted with one terminating byte; a name that does not fit ends the list).
QList<QByteArray> keys(const QByteArray &data, const QByteArray &section, qsizetype maxBytes = -1);

// One splice of the file: remove `length` bytes at `position` and put `insert` there. Every other byte stays.
struct Edit
{
    qsizetype position = 0;
    qsizetype length = 0;
    QByteArray insert;

    QByteArray appliedTo(const QByteArray &data) const;
};

// Names and values that can be stored so that they read back as written: no line break, and for a key no "=",
// no leading ";" or "[", and not empty (after trimming blanks); for a section no "]".
bool isStorableSection(const QByteArray &section);
bool isStorableKey(const QByteArray &key);
bool isStorableValue(const QByteArray &value);

// The edit that sets key to value: the first matching key line of the first matching section gets the new value
// (its spelling, indentation and line end kept); a new key goes right after the last key line of its section; a
// new section goes to the end of the file. nullopt when a name or the value is not storable.
std::optional<Edit> writeEdit(const QByteArray &data, const QByteArray &section, const QByteArray &key,
                              const QByteArray &value);

// The edits that remove every line of key in the first section named section, in ascending position order (apply
// them from the last to the first). Empty when there is nothing to remove.
QList<Edit> removeEdits(const QByteArray &data, const QByteArray &section, const QByteArray &key);
QByteArray withoutKey(const QByteArray &data, const QByteArray &section, const QByteArray &key);

// A value as ReadNumber reads it: leading blanks, an optional sign, then decimal digits, or hexadecimal digits
// after "$", "x", "X", "0x" or "0X". Empty or other text, or more than 32 bits, gives nullopt. Hexadecimal
// values from 0x80000000 up read as the negative numbers with those 32 bits.
std::optional<qint32> toNumber(const QString &text);

// Stored bytes as text, each line on its own: UTF-8 when it is valid UTF-8,
// otherwise Windows-1252.
QString decode(const QByteArray &bytes);

} // namespace ini
} // namespace oq

// A failed profile write; the text names the file exactly as the caller passed it.
class EIniFileException : public oq::Exception
{
public:
    explicit EIniFileException(const QString &fileName);
};

// A profile (INI) file, reached by name only. Nothing is cached: every read goes to the file and every write
// re-reads it under an advisory lock and replaces it atomically, so a write through one object is seen at once
// by every other object and by another running copy of the program, and releasing the object leaves nothing
// pending.
class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);

    const QString &FileName() const { return m_fileName; }

    // The stored value (at most 2,047 characters), or defaultValue when the file, section or key is missing.
    QString ReadText(const QString &section, const QString &key, const QString &defaultValue) const;
    // The stored value as a number, or defaultValue when it is missing, empty, not a number or beyond 32 bits.
    qint32 ReadNumber(const QString &section, const QString &key, qint32 defaultValue) const;

    // Create file, section and key as needed and set the value. Throw EIniFileException when the file cannot be
    // written (the file is then left as it was).
    void WriteText(const QString &section, const QString &key, const QString &value);
    void WriteNumber(const QString &section, const QString &key, qint32 value);
    void WriteFlag(const QString &section, const QString &key, bool value);

    // Empty keys, then add the section's key names in file order (none for a missing section).
    void ListKeys(const QString &section, QStringList &keys) const;
    // Delete the key; a failure is ignored.
    void RemoveKey(const QString &section, const QString &key);

private:
    QString m_fileName;
};
