// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Fortune files: entries separated by lines that hold the delimiter ("%")
// alone, usually with a strfile index NAME.dat beside the text. The index is
// only ever read.
namespace oq {

// Flags of a strfile index.
inline constexpr quint32 StrfileRandom = 0x1;
inline constexpr quint32 StrfileOrdered = 0x2;
inline constexpr quint32 StrfileRotated = 0x4; // text stored ROT13 on ASCII letters

// The index starts with five big-endian 32-bit numbers (version, number of
// entries, longest and shortest length, flags), the delimiter byte and three
// padding bytes; then number + 1 big-endian 32-bit offsets into the text,
// entry i running from offset i to offset i + 1, its delimiter line included.
inline constexpr qsizetype StrfileHeaderBytes = 24;
inline constexpr char FortuneDelimiter = '%';

struct StrfileHeader
{
    quint32 version = 0;
    quint32 count = 0;
    quint32 longest = 0;
    quint32 shortest = 0;
    quint32 flags = 0;
    char delimiter = FortuneDelimiter;

    bool rotated() const { return (flags & StrfileRotated) != 0; }
};

// The header, when `header` (the first bytes of an index file of
// `indexSize` bytes) is a usable index: version 1 or 2, a delimiter that can
// stand alone on a line (not NUL, CR or LF) and room for every offset.
std::optional<StrfileHeader> parseStrfileHeader(QByteArrayView header, qint64 indexSize);

// A fortune file's index: where it is and what its header says.
struct StrfileIndex
{
    QString path;
    StrfileHeader header;
};

// The index of the text file `textPath`: NAME.dat beside it, or, for a
// symbolic link without one (Debian's NAME.u8), beside the file it names.
std::optional<StrfileIndex> findStrfileIndex(const QString &textPath);

// The text of entry `number` as the index places it, delimiter line
// removed, read without reading the rest of the file. Nothing when the index
// no longer fits the text: offsets out of order or past the end, or an entry
// that does not start and end at delimiter lines.
std::optional<QByteArray> readStrfileEntry(const StrfileIndex &index, const QString &textPath, quint32 number);

// ROT13 on the ASCII letters; every other byte stays.
void rot13(QByteArray &bytes);
inline char16_t rot13(char16_t c)
{
    if ((c >= u'a' && c <= u'm') || (c >= u'A' && c <= u'M'))
        return char16_t(c + 13);
    if ((c >= u'n' && c <= u'z') || (c >= u'N' && c <= u'Z'))
        return char16_t(c - 13);
    return c;
}

// The delimiter byte as a decoded line holds it: ASCII as itself, any other
// byte, alone on its line, is not UTF-8 and reads as Windows-1252.
char16_t delimiterCharacter(char delimiter);

} // namespace oq
