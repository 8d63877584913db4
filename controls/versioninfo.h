// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>

class QIODevice;

// The file version held by a fixed file-information record: two 32-bit words,
// most significant first (major.minor in ms, release.build in ls).
struct TFixedFileVersion
{
    quint32 ms = 0;
    quint32 ls = 0;
};

namespace oq::versionblock {

// The program's version block travels in this ELF section of the program file.
inline constexpr char SectionName[] = ".ombry_version";

// A version block's root length is a 16-bit field, so no block is larger.
inline constexpr quint32 MaxBlockSize = 0xFFFF;

// Size query: the size of the version block held by the device, 0 when it
// holds none. The device is either an ELF file with the block in its
// SectionName section or a bare block. *handle receives the block's offset,
// which readBlock() takes back.
quint32 blockSize(QIODevice &device, quint32 *handle);

// Read: the size bytes at handle, accepted only if they start with a whole
// version block root. False, and *block empty, otherwise.
bool readBlock(QIODevice &device, quint32 handle, quint32 size, QByteArray *block);

// Path query: walks the block along a path of keys separated by "\" ("\" alone
// is the root, whose value is the fixed file-information record) and returns
// the value of the node found. Keys compare without regard to ASCII case.
// *isText says whether the node declares a text value (UTF-16, wValueLength
// counted in characters). False when the path leads nowhere or the block is
// malformed on the way.
bool queryValue(QByteArrayView block, QStringView path, QByteArrayView *value, bool *isText = nullptr);

// A text value as stored: UTF-16LE up to its first NUL or its end.
QString textValue(QByteArrayView value);

// The file version of the block's fixed file-information record; false when
// the root holds no such record (too short or without its signature).
bool fixedFileVersion(QByteArrayView block, TFixedFileVersion *version);

} // namespace oq::versionblock

// Reads the version block of a file (name, version, copyright, ...) and answers
// the questions the About box asks of it. Reading never fails loudly: a file
// without a block, or with a damaged one, gives the empty answers.
class TVersionInfo
{
public:
    explicit TVersionInfo(const QString &fileName);
    // Reads the block from an open device (a buffer, say); FileDate is then
    // the null date.
    explicit TVersionInfo(QIODevice &device);

    const QString &fileName() const { return m_fileName; }
    quint32 blockSize() const { return m_blockSize; }
    const QByteArray &block() const { return m_block; }

    bool Valid() const { return m_valid; }
    // The first translation as 8 upper-case hex digits (language, then code page).
    QString Translation() const;
    // The text stored under key for the first translation, or empty.
    QString StringValue(const QString &key) const;
    // The fixed record's file version; both words 0 when the block has no record.
    TFixedFileVersion FixedFileVersion() const;
    // The "FileVersion" text, else the fixed record's four numbers "a.b.c.d".
    QString FileVersion() const;
    // When the file was last written, local time in 2-second steps, or NullDate().
    QDateTime FileDate() const;

    // Day 0 of the date-time count: 30 December 1899, 00:00.
    static QDateTime NullDate();

private:
    void readFrom(QIODevice &device);

    QString m_fileName;
    bool m_valid = false;
    quint32 m_blockSize = 0;
    quint32 m_handle = 0;
    QByteArray m_block;
};
