// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace oq {

// Windows-1252 code points for bytes 0x80 to 0x9F; the five unassigned bytes
// map to the C1 control of the same value, as Windows itself converts them.
inline constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline char16_t fromWindows1252(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? Windows1252High[byte - 0x80] : char16_t(byte);
}

// Text files are bytes: valid UTF-8 is read as UTF-8, anything else as
// Windows-1252. A byte-order mark stays the character U+FEFF.
inline QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless
                                                  | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text = QString(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const char c : bytes)
        *out++ = fromWindows1252(static_cast<unsigned char>(c));
    return text;
}

} // namespace oq
