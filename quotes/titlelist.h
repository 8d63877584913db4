// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/linelist.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace oq {

// A title holds at most this many characters of its line: the drop-down lays
// an entry out whole, and a line of megabytes would hold the window for
// seconds. (The pane cuts such a line too.)
inline constexpr qsizetype MaxTitleTextChars = 1000;

// A title read a character at a time: a text, and for a quote's title
// (number 0 or more) the text's square brackets made round and " [number]"
// after it. The one place that says what a title's characters are.
struct TitleParts
{
    QStringView text;
    qint32 number = -1; // none: the text alone
    int digits = 0;

    // Quote `number`'s title (number >= 0), whose text is `text`.
    static TitleParts ofQuote(QStringView text, qint32 number)
    {
        if (text.size() > MaxTitleTextChars) // cut between characters, never inside a surrogate pair
            text = text.first(MaxTitleTextChars - (text[MaxTitleTextChars - 1].isHighSurrogate() ? 1 : 0));
        int digits = 1;
        for (qint32 v = number; v >= 10; v /= 10)
            ++digits;
        return TitleParts { text, number, digits };
    }

    qsizetype size() const { return number < 0 ? text.size() : text.size() + 3 + digits; }
    char16_t at(qsizetype k) const
    {
        if (k < text.size()) {
            const char16_t c = text[k].unicode();
            if (number < 0)
                return c;
            return c == u'[' ? u'(' : c == u']' ? u')' : c;
        }
        k -= text.size();
        if (k == 0)
            return u' ';
        if (k == 1)
            return u'[';
        if (k == 2 + digits)
            return u']';
        qint32 v = number;
        for (qsizetype place = digits - 1 - (k - 2); place > 0; --place)
            v /= 10;
        return char16_t(u'0' + v % 10);
    }
    // Writes the whole title into `out`, reusing its room.
    void writeTo(QString &out) const
    {
        const qsizetype n = size();
        out.resize(n);
        char16_t *chars = reinterpret_cast<char16_t *>(out.data());
        for (qsizetype k = 0; k < n; ++k)
            chars[k] = at(k);
    }
    QString toString() const
    {
        QString title;
        writeTo(title);
        return title;
    }
};

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
    // Title q as the lists show it: the terminal codes of old fortune entries
    // (overstrikes, colours) worked out to the letters they make, as the pane
    // shows them; the same as at(q) for a title without control characters.
    QString shown(qint32 q) const;
    // Title q, to be read a character at a time.
    TitleParts parts(qint32 q) const { return TitleParts::ofQuote(text(q), q); }
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
