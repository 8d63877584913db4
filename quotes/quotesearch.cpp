// SPDX-License-Identifier: MIT
#include "quotesearch.h"

#include <algorithm>

namespace oq {

namespace {

// Position of the first ASCII-case-insensitive occurrence of `needle`
// (already folded) in [from, end), or end.
const char16_t *findFolded(const char16_t *from, const char16_t *end, const char16_t *needle, qsizetype n)
{
    if (end - from < n)
        return end;
    const char16_t first = needle[0];
    const bool letter = first >= u'a' && first <= u'z';
    const char16_t *last = end - n;
    for (const char16_t *p = from; p <= last; ++p) {
        // For a letter, c | 0x20 equals it exactly for its two ASCII cases.
        if (letter ? char16_t(*p | 0x20) != first : *p != first)
            continue;
        qsizetype k = 1;
        while (k < n && asciiLower(p[k]) == needle[k])
            ++k;
        if (k == n)
            return p;
    }
    return end;
}

} // namespace

QList<qint32> findQuotes(const QuoteIndex &index, QStringView text)
{
    QList<qint32> found;
    // Lines hold no line ends, so a text with one matches no line.
    if (text.isEmpty() || index.QuoteCount == 0 || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return found;
    const QString needle = asciiLower(text);
    const LineList &lines = index.QuoteLines;
    const char16_t *base = reinterpret_cast<const char16_t *>(lines.buffer().constData());
    const char16_t *n = reinterpret_cast<const char16_t *>(needle.constData());

    // The lines of quote q lie in one stretch of the buffer, separated only by
    // line ends, which the needle cannot match; so one scan over the stretch
    // finds the quote if any of its lines holds the text.
    auto stretchEnd = [&](qint32 q) -> qsizetype {
        const qint32 next = index.QuoteStarts[size_t(q) + 1];
        if (next >= lines.size())
            return lines.buffer().size();
        return lines.lineStart(next);
    };
    qsizetype pos = lines.lineStart(index.QuoteStarts[0]);
    const qsizetype end = stretchEnd(index.QuoteCount - 1);
    while (pos < end) {
        const char16_t *hit = findFolded(base + pos, base + end, n, needle.size());
        if (hit == base + end)
            break;
        const int line = lines.lineAt(hit - base);
        // The quote whose range holds that line.
        const auto starts = index.QuoteStarts.begin();
        const qint32 q = qint32(std::upper_bound(starts, starts + index.QuoteCount, line) - starts) - 1;
        found.append(q);
        pos = stretchEnd(q);
    }
    return found;
}

QStringList findQuoteTitles(const QuoteIndex &index, QStringView text)
{
    QStringList titles;
    const QList<qint32> found = findQuotes(index, text);
    titles.reserve(found.size());
    for (qint32 q : found)
        titles.append(index.QuoteTitles.shown(q));
    sortTitles(titles);
    return titles;
}

} // namespace oq
