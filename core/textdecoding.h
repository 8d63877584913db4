// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace oq {

// Windows-1252 code points for bytes 0x80 to 0x9F; the five unassigned bytes
// map to the C1 control of the same value, as Windows itself converts them.
inline constexpr char16_t Windows1252High[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

inline char16_t fromWindows1252(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? Windows1252High[byte - 0x80] : char16_t(byte);
}

// Text files are bytes, decoded one line at a time: a line whose bytes are
// valid UTF-8 is UTF-8, any other line Windows-1252. A file joined from an old
// Windows collection and a new UTF-8 one thus shows every line right. Line
// ends (CR, LF) are ASCII bytes and never part of a UTF-8 sequence, so a
// line can be judged without looking at its neighbours.
//
// A byte-order mark (EF BB BF) at the start of a line is the character
// U+FEFF whatever the rest of the line is; the rest is judged on its own.
//
// UTF-16 (what Notepad saves as "Unicode") is known by its byte-order mark,
// FF FE or FE FF, at the very start of a file; it is read as the same text
// saved in UTF-8 with a mark: the mark is the character U+FEFF, and a NUL
// character ends the text. Any other file is bytes, as above.
//
// Files of lines (quote files, the favourites) are read through
// readTextFile and splitText in quotes/linelist.h, which stop at a NUL byte
// and decode with decodeNextLine; decodeText suits a text held in memory,
// decodeLine a single line.

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF, no sequence cut short.
bool isUtf8(QByteArrayView bytes);

// Decodes one line, given without its line end, into `out`, which must have
// room for line.size() characters (no line decodes to more). Returns the
// number of characters written.
qsizetype decodeLine(QByteArrayView line, char16_t *out);
QString decodeLine(QByteArrayView line);

// Decodes the line that starts at `from` and ends at the next CR or LF, or
// at the end of the bytes, into `out`, which must have room for as many
// characters as there are bytes from `from` to the end (some of that room
// may be written beyond the line). This is the fast way through a text of
// many lines: the line end is found while the line is copied.
struct DecodedLine
{
    qsizetype end; // position of the line end in the bytes, or their size
    qsizetype length; // characters written
};
DecodedLine decodeNextLine(QByteArrayView bytes, qsizetype from, char16_t *out);

// Position of the first CR or LF at or after `from`, or bytes.size().
qsizetype findLineEnd(QByteArrayView bytes, qsizetype from = 0);

// Decodes a text of any number of lines, each line on its own. Line ends are
// kept as they are, so the text has exactly as many lines as the bytes.
// Every byte is decoded, NUL included: readers that stop at a NUL cut first.
QString decodeText(QByteArrayView bytes);

// Turns UTF-16 that starts with a byte-order mark into UTF-8, a block at a
// time: a character cut between two blocks comes out whole with the second.
// Its mark becomes EF BB BF; an unpaired surrogate becomes U+FFFD.
class Utf16ToUtf8
{
public:
    // Nothing when the text does not start with a UTF-16 byte-order mark.
    static std::optional<Utf16ToUtf8> forText(QByteArrayView start);
    QByteArray convert(QByteArrayView block);
    // What the last block left unfinished, after the text's last block.
    QByteArray finish();

private:
    explicit Utf16ToUtf8(QStringConverter::Encoding encoding);
    QStringDecoder m_decoder;
    QString m_pending; // a high surrogate that may pair with the next block
};

// The text in UTF-8 when it is UTF-16 with a byte-order mark; else nothing.
std::optional<QByteArray> utf8FromMarkedUtf16(QByteArrayView bytes);

} // namespace oq
