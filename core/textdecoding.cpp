// SPDX-License-Identifier: MIT
#include "textdecoding.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace oq {

namespace {

using Byte = unsigned char;

constexpr quint64 HighBits = 0x8080808080808080ull;

quint64 load8(const Byte *p)
{
    quint64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

#if !defined(__SSE2__)
constexpr quint64 Ones = 0x0101010101010101ull;

// Whether any of the eight bytes of `v` equals `byte`; the SSE2 paths compare sixteen at a time instead.
bool hasByte(quint64 v, Byte byte)
{
    const quint64 x = v ^ (Ones * byte);
    return ((x - Ones) & ~x & HighBits) != 0;
}
#endif

bool isLineEndByte(Byte b)
{
    return b == '\n' || b == '\r';
}

// Copies ASCII bytes as characters until the first byte at or above 0x80
// or, when `StopAtLineEnd`, the first CR or LF. Sixteen or eight bytes are
// taken at a time while they can: such a step may write characters past the
// stop, which is harmless since `out` always has room for one character per
// byte and the caller writes over them.
template <bool StopAtLineEnd> const Byte *widenAscii(const Byte *s, const Byte *end, char16_t *&out)
{
    char16_t *d = out;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - s >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + 8), _mm_unpackhi_epi8(v, zero));
        unsigned stops = unsigned(_mm_movemask_epi8(v));
        if constexpr (StopAtLineEnd)
            stops |= unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
        if (stops) {
            const int n = __builtin_ctz(stops);
            out = d + n;
            return s + n;
        }
        s += 16;
        d += 16;
    }
#else
    while (end - s >= 8) {
        const quint64 v = load8(s);
        if ((v & HighBits) || (StopAtLineEnd && (hasByte(v, '\n') || hasByte(v, '\r'))))
            break;
        for (int i = 0; i < 8; ++i)
            d[i] = s[i];
        s += 8;
        d += 8;
    }
#endif
    while (s < end && *s < 0x80 && !(StopAtLineEnd && isLineEndByte(*s)))
        *d++ = *s++;
    out = d;
    return s;
}

bool isContinuation(Byte b)
{
    return (b & 0xC0) == 0x80;
}

// Checks and, when `Write`, decodes UTF-8 from `s` to `end`. Returns false
// at the first byte that is not well-formed; what was written is then to be
// discarded.
template <bool Write> bool utf8(const Byte *s, const Byte *end, char16_t *&out)
{
    char16_t scratch[8];
    char16_t *d = Write ? out : scratch;
    while (s < end) {
        const Byte b = *s;
        if (b < 0x80) {
            if constexpr (Write) {
                s = widenAscii<false>(s, end, d);
            } else {
                while (end - s >= 8 && !(load8(s) & HighBits))
                    s += 8;
                while (s < end && *s < 0x80)
                    ++s;
            }
            continue;
        }
        if (b < 0xC2) // a continuation byte, or the start of an overlong form
            return false;
        if (b < 0xE0) {
            if (end - s < 2 || !isContinuation(s[1]))
                return false;
            if constexpr (Write)
                *d++ = char16_t(((b & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
            continue;
        }
        if (b < 0xF0) {
            if (end - s < 3)
                return false;
            // E0 would be overlong below A0; ED above 9F would be a surrogate.
            const Byte low = b == 0xE0 ? 0xA0 : 0x80;
            const Byte high = b == 0xED ? 0x9F : 0xBF;
            if (s[1] < low || s[1] > high || !isContinuation(s[2]))
                return false;
            if constexpr (Write)
                *d++ = char16_t(((b & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            s += 3;
            continue;
        }
        if (b < 0xF5) {
            if (end - s < 4)
                return false;
            // F0 would be overlong below 90; F4 above 8F is past U+10FFFF.
            const Byte low = b == 0xF0 ? 0x90 : 0x80;
            const Byte high = b == 0xF4 ? 0x8F : 0xBF;
            if (s[1] < low || s[1] > high || !isContinuation(s[2]) || !isContinuation(s[3]))
                return false;
            if constexpr (Write) {
                const char32_t c = ((char32_t(b) & 0x07) << 18) | ((char32_t(s[1]) & 0x3F) << 12)
                    | ((char32_t(s[2]) & 0x3F) << 6) | (char32_t(s[3]) & 0x3F);
                *d++ = char16_t(0xD800 + ((c - 0x10000) >> 10));
                *d++ = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
            s += 4;
            continue;
        }
        return false;
    }
    if constexpr (Write)
        out = d;
    return true;
}

bool startsWithBom(const Byte *s, const Byte *end)
{
    return end - s >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF;
}

} // namespace

bool isUtf8(QByteArrayView bytes)
{
    const auto *s = reinterpret_cast<const Byte *>(bytes.data());
    char16_t *unused = nullptr;
    return utf8<false>(s, s + bytes.size(), unused);
}

namespace {

// Decodes the rest of a line from its first byte at or above 0x80: as UTF-8
// when the rest is valid UTF-8, else as Windows-1252. The ASCII before it
// reads the same either way.
char16_t *decodeNonAscii(const Byte *s, const Byte *end, char16_t *d)
{
    char16_t *const rest = d;
    if (utf8<true>(s, end, d))
        return d;
    d = rest;
    for (; s < end; ++s)
        *d++ = fromWindows1252(*s);
    return d;
}

const Byte *findLineEnd(const Byte *s, const Byte *end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - s >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        const unsigned ends = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
        if (ends)
            return s + __builtin_ctz(ends);
        s += 16;
    }
#else
    while (end - s >= 8) {
        const quint64 v = load8(s);
        if (hasByte(v, '\n') || hasByte(v, '\r'))
            break;
        s += 8;
    }
#endif
    while (s < end && !isLineEndByte(*s))
        ++s;
    return s;
}

} // namespace

qsizetype decodeLine(QByteArrayView line, char16_t *out)
{
    const auto *s = reinterpret_cast<const Byte *>(line.data());
    const Byte *const end = s + line.size();
    char16_t *d = out;
    if (startsWithBom(s, end)) {
        *d++ = 0xFEFF;
        s += 3;
    }
    // Most lines are ASCII, which reads the same in both encodings.
    s = widenAscii<false>(s, end, d);
    if (s < end)
        d = decodeNonAscii(s, end, d);
    return d - out;
}

DecodedLine decodeNextLine(QByteArrayView bytes, qsizetype from, char16_t *out)
{
    const auto *begin = reinterpret_cast<const Byte *>(bytes.data());
    const Byte *s = begin + from;
    const Byte *const end = begin + bytes.size();
    char16_t *d = out;
    if (startsWithBom(s, end)) {
        *d++ = 0xFEFF;
        s += 3;
    }
    // Finding the line end and copying ASCII are one pass.
    s = widenAscii<true>(s, end, d);
    if (s < end && !isLineEndByte(*s)) {
        const Byte *const lineEnd = findLineEnd(s, end);
        d = decodeNonAscii(s, lineEnd, d);
        s = lineEnd;
    }
    return { s - begin, d - out };
}

QString decodeLine(QByteArrayView line)
{
    QString text(line.size(), Qt::Uninitialized);
    text.resize(decodeLine(line, reinterpret_cast<char16_t *>(text.data())));
    return text;
}

qsizetype findLineEnd(QByteArrayView bytes, qsizetype from)
{
    const auto *begin = reinterpret_cast<const Byte *>(bytes.data());
    return findLineEnd(begin + from, begin + bytes.size()) - begin;
}

QString decodeText(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *const out = reinterpret_cast<char16_t *>(text.data());
    qsizetype written = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const DecodedLine line = decodeNextLine(bytes, start, out + written);
        written += line.length;
        if (line.end < bytes.size())
            out[written++] = char16_t(bytes[line.end]); // the line end, one byte at a time
        start = line.end + 1;
    }
    text.resize(written);
    return text;
}

Utf16ToUtf8::Utf16ToUtf8(QStringConverter::Encoding encoding)
    : m_decoder(encoding, QStringConverter::Flag::ConvertInitialBom)
{ }

std::optional<Utf16ToUtf8> Utf16ToUtf8::forText(QByteArrayView start)
{
    if (start.size() < 2)
        return std::nullopt;
    const auto first = static_cast<unsigned char>(start[0]);
    const auto second = static_cast<unsigned char>(start[1]);
    if (first == 0xFF && second == 0xFE)
        return Utf16ToUtf8(QStringConverter::Utf16LE);
    if (first == 0xFE && second == 0xFF)
        return Utf16ToUtf8(QStringConverter::Utf16BE);
    return std::nullopt;
}

QByteArray Utf16ToUtf8::convert(QByteArrayView block)
{
    QString text = m_pending + m_decoder.decode(block);
    m_pending.clear();
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        m_pending = text.back();
        text.chop(1);
    }
    // The decoder passes unpaired surrogates through; UTF-8 cannot hold them.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text.toUtf8();
}

QByteArray Utf16ToUtf8::finish()
{
    if (m_pending.isEmpty())
        return QByteArray();
    m_pending.clear();
    return QString(QChar::ReplacementCharacter).toUtf8();
}

std::optional<QByteArray> utf8FromMarkedUtf16(QByteArrayView bytes)
{
    auto converter = Utf16ToUtf8::forText(bytes);
    if (!converter)
        return std::nullopt;
    return converter->convert(bytes) + converter->finish();
}

} // namespace oq
