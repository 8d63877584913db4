// SPDX-License-Identifier: MIT
#include "titlelist.h"

#include "core/controlcodes.h"
#include "core/memory.h"
#include "quotes/quoteindex.h"

namespace oq {

void TitleList::build(const qint32 *firstLines, qint32 count)
{
    m_spans = std::vector<Span>();
    m_spans.reserve(size_t(count));
    prefaultForWriting(m_spans.data(), size_t(count) * sizeof(Span));
    for (qint32 q = 0; q < count; ++q) {
        const int line = firstLines[q];
        const QStringView first = m_lines->at(line);
        const qsizetype skip = titleTextStart(first);
        m_spans.push_back(Span { qint32(m_lines->lineStart(line) + skip), qint32(first.size() - skip) });
    }
}

QString TitleList::at(qint32 q) const
{
    return parts(q).toString();
}

QString TitleList::shown(qint32 q) const
{
    const QString letters = withoutControlCodes(text(q));
    return TitleParts::ofQuote(letters, q).toString();
}

QStringList TitleList::toStringList() const
{
    QStringList titles;
    titles.reserve(size());
    for (qint32 q = 0; q < size(); ++q)
        titles.append(at(q));
    return titles;
}

} // namespace oq
