// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace oq {

// At most this many quotes are indexed; the start table has one more slot
// for the end sentinel.
inline constexpr int MaxQuotes = 33000;
inline constexpr int QuoteSlots = MaxQuotes + 1;

// How a quote file is read.
//
// Quotes: the program's own format, quotes separated by two or more empty
// lines.
//
// Fortune: entries separated by lines that hold the delimiter alone. Each
// entry with visible text (a character other than white space) is one quote,
// from its first line with visible text to its last; the empty lines between
// them are kept and shown (they part the stanzas of a poem or a picture), the
// delimiter lines and the blank lines before and after an entry's text are
// not kept, and blank entries give no quote.
//
// A file is a fortune file when a valid strfile index NAME.dat lies beside
// it; its delimiter and its rotated flag hold. Without an index, the
// separator that dominates decides: a file whose lines holding "%" alone
// outnumber its runs of two or more empty lines is a fortune file with the
// delimiter "%". The favourites dialog writes two empty lines after every
// quote, so a file of the program's own format holds about one run per quote
// and reads as before with a stray "%" line; fortune files that keep two
// empty lines inside some entries (ASCII art) hold many more "%" lines.
enum class QuoteFileFormat { Quotes, Fortune };

// The rules above, in one place: fed a file's lines one at a time, it says
// which lines the quotes keep and where each quote starts. Lines are counted
// as kept: a quote starts at a kept line, and the lines dropped (delimiters,
// blank lines around an entry's text) are not counted. Used by the quote
// index on decoded lines and by the terminal mode's scan on raw bytes.
class QuoteSplitter
{
public:
    // What a line is to the rules.
    enum class Line : unsigned char { Empty, Delimiter, Blank, Text };
    // What becomes of a line. Keep and StartQuote: it is kept line
    // keptLines() - 1, StartQuote also starts a quote there. Drop: it is not
    // kept, and keptLines() may have gone back (the blank lines after an
    // entry's text, which stand right before it, are not kept either).
    // Full: the line starts a quote beyond the limit; reading stops before it.
    enum class Verdict : unsigned char { Keep, StartQuote, Drop, Full };

    // Starts a text. The delimiter matters to fortune files only; the own
    // format counts lines holding "%" alone to tell a fortune file.
    void start(QuoteFileFormat format, char16_t delimiter = u'%');
    // Starts the same text again with the same format and delimiter.
    void restart() { start(m_format, m_delimiter); }
    QuoteFileFormat format() const { return m_format; }
    char16_t delimiter() const { return m_delimiter; }

    Line kind(QStringView text) const;
    // The same for a line of raw bytes, as it reads once decoded. Only for an
    // ASCII delimiter.
    Line kind(QByteArrayView bytes) const;

    Verdict line(Line kind);
    // The end of the text: the blank lines after the last text are not kept.
    void finish();

    qint32 keptLines() const { return m_kept; }
    qint32 quoteCount() const { return m_quoteCount; }
    // Own format: whether the separator that dominates makes the text a
    // fortune file instead (its "%" lines outnumber its separator runs).
    bool looksLikeFortune() const { return m_delimiterLines > m_separatorRuns; }

private:
    static bool hasVisibleText(QStringView text);
    static bool hasVisibleText(QByteArrayView bytes);
    static bool decodedHasVisibleText(QByteArrayView bytes);

    QuoteFileFormat m_format = QuoteFileFormat::Quotes;
    char16_t m_delimiter = u'%';
    qint32 m_kept = 0;
    qint32 m_quoteCount = 0;
    // Own format: whether the next text line starts a quote, the empty lines
    // just read, and what tells a fortune file.
    bool m_atQuoteStart = true;
    qint32 m_emptyRun = 0;
    qint64 m_delimiterLines = 0;
    qint64 m_separatorRuns = 0;
    // Fortune files: whether the entry has shown visible text, and the lines
    // kept up to its last line with visible text.
    bool m_entryHasText = false;
    qint32 m_keptToText = 0;
};

inline QuoteSplitter::Line QuoteSplitter::kind(QStringView text) const
{
    if (text.size() == 1 && text.front().unicode() == m_delimiter)
        return Line::Delimiter;
    if (m_format == QuoteFileFormat::Quotes)
        return text.isEmpty() ? Line::Empty : Line::Text;
    return hasVisibleText(text) ? Line::Text : Line::Blank;
}

inline QuoteSplitter::Line QuoteSplitter::kind(QByteArrayView bytes) const
{
    if (bytes.size() == 1 && static_cast<unsigned char>(bytes.front()) == m_delimiter)
        return Line::Delimiter;
    if (m_format == QuoteFileFormat::Quotes)
        return bytes.isEmpty() ? Line::Empty : Line::Text;
    return hasVisibleText(bytes) ? Line::Text : Line::Blank;
}

inline bool QuoteSplitter::hasVisibleText(QByteArrayView bytes)
{
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
        // The ASCII characters QChar::isSpace counts: tab to carriage return, space.
        else if (c != ' ' && (c < '\t' || c > '\r'))
            return true;
    }
    return !ascii && decodedHasVisibleText(bytes);
}

inline QuoteSplitter::Verdict QuoteSplitter::line(Line kind)
{
    if (m_format == QuoteFileFormat::Quotes) {
        // Two consecutive empty lines end a quote; further empty lines
        // change nothing until the next text line starts a new quote.
        if (kind == Line::Empty) {
            if (++m_emptyRun == 2) {
                ++m_separatorRuns;
                m_atQuoteStart = true;
            }
            ++m_kept;
            return Verdict::Keep;
        }
        m_emptyRun = 0;
        if (kind == Line::Delimiter)
            ++m_delimiterLines;
        if (!m_atQuoteStart) {
            ++m_kept;
            return Verdict::Keep;
        }
        if (m_quoteCount == MaxQuotes)
            return Verdict::Full;
        ++m_quoteCount;
        m_atQuoteStart = false;
        ++m_kept;
        return Verdict::StartQuote;
    }
    // A line that holds the delimiter alone ends an entry; the first line of
    // an entry with visible text starts its quote, and its last one ends it.
    switch (kind) {
    case Line::Delimiter:
        m_kept = m_keptToText;
        m_entryHasText = false;
        return Verdict::Drop;
    case Line::Empty:
    case Line::Blank:
        if (!m_entryHasText)
            return Verdict::Drop;
        ++m_kept;
        return Verdict::Keep;
    case Line::Text:
        break;
    }
    if (m_entryHasText) {
        m_keptToText = ++m_kept;
        return Verdict::Keep;
    }
    if (m_quoteCount == MaxQuotes)
        return Verdict::Full;
    ++m_quoteCount;
    m_entryHasText = true;
    m_keptToText = ++m_kept;
    return Verdict::StartQuote;
}

inline void QuoteSplitter::finish()
{
    if (m_format == QuoteFileFormat::Fortune)
        m_kept = m_keptToText;
}

} // namespace oq
