// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/linelist.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace oq {

// The quote titles, in file order, held as where each title's text lies in
// the quote text: no title is stored. Title q is the text of quote q's first
// line from its first ASCII letter or digit (see quoteTitle), its square
// brackets made round, then " [q]".
class TitleList
{
public:
    // Titles of lines in `lines`, which outlives the list.
    explicit TitleList(const LineList *lines)
        : m_lines(lines)
    { }
    // The titles stay with their own lines: a list moved into another takes
    // the other's lines along with the titles (as a quote index moved into
    // another does, lines and titles together).
    TitleList(const TitleList &) = delete;
    TitleList &operator=(const TitleList &) = delete;
    TitleList &operator=(TitleList &&other) noexcept
    {
        m_spans = std::move(other.m_spans);
        other.m_spans.clear();
        return *this;
    }

    // One title per first line: title q from line firstLines[q].
    void build(const qint32 *firstLines, qint32 count);
    void clear() { m_spans = std::vector<Span>(); }

    qint32 size() const { return qint32(m_spans.size()); }
    bool isEmpty() const { return m_spans.empty(); }
    // The whole title q, made now.
    QString at(qint32 q) const;
    // Title q's text before its number, as it stands in the quote's line
    // (square brackets not yet made round).
    QStringView text(qint32 q) const
    {
        const Span &s = m_spans[size_t(q)];
        return QStringView(m_lines->buffer()).mid(s.start, s.length);
    }
    QStringList toStringList() const;

private:
    struct Span
    {
        qint32 start;
        qint32 length;
    };
    const LineList *m_lines;
    std::vector<Span> m_spans;
};

} // namespace oq
