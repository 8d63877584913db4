// SPDX-License-Identifier: MIT
// Any bytes as text: decoding each line on its own never changes the lines.
// UTF-16 with its mark is read as UTF-8; the window's view of a line holds no control codes.
#include "core/controlcodes.h"
#include "core/textdecoding.h"
#include "quotes/linelist.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace oq;

namespace {

// The lines as the bytes themselves give them: CR LF, CR or LF ends a line,
// and a line end at the very end adds no empty line.
std::vector<QByteArrayView> byteLines(QByteArrayView text)
{
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.sliced(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.sliced(start));
    return lines;
}

qsizetype lineEndBytes(QByteArrayView text)
{
    return text.count('\r') + text.count('\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView raw(reinterpret_cast<const char *>(data), qsizetype(size));
    // UTF-16 with its mark reads as the same text in UTF-8, which is always valid.
    const std::optional<QByteArray> converted = utf8FromMarkedUtf16(raw);
    if (converted && !isUtf8(*converted))
        std::abort();
    const QByteArrayView bytes = converted ? QByteArrayView(*converted) : raw;
    // A NUL ends the text.
    const void *nul = std::memchr(bytes.data(), 0, size_t(bytes.size()));
    const QByteArrayView text = nul ? bytes.first(static_cast<const char *>(nul) - bytes.data()) : bytes;
    const std::vector<QByteArrayView> expected = byteLines(text);

    LineList lines;
    splitText(raw, lines);
    if (lines.size() != qsizetype(expected.size()))
        std::abort();

    // The whole-text decoder keeps every line end as it was.
    const QString decoded = decodeText(text);
    if (decoded.count(QLatin1Char('\r')) + decoded.count(QLatin1Char('\n')) != lineEndBytes(text))
        std::abort();

    for (size_t i = 0; i < expected.size(); ++i) {
        const QByteArrayView line = expected[i];
        const QString one = decodeLine(line);
        if (lines.at(int(i)) != one)
            std::abort();
        // What the window shows of it holds no control character but tab.
        const QString shown = withoutControlCodes(one);
        if (std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; }))
            std::abort();
        // Qt's own decoder is the reference for what is valid UTF-8.
        QStringDecoder utf8(
            QStringDecoder::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const QString reference = utf8.decode(line);
        if (isUtf8(line) == utf8.hasError())
            std::abort();
        if (!utf8.hasError()) {
            // Written back as UTF-8, the line is the same bytes.
            if (one != reference || one.toUtf8() != line)
                std::abort();
        } else {
            // Windows-1252: one character a byte, a byte-order mark one for three.
            const bool bom = line.startsWith("\xEF\xBB\xBF");
            if (one.size() != line.size() - (bom ? 2 : 0))
                std::abort();
        }
    }
    return 0;
}
