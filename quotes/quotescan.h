// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/fortunefile.h"
#include "quotes/linelist.h"
#include "quotes/quoteindex.h"
#include "quotes/quotesplitter.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>
#include <vector>

namespace oq {

// A quote file kept as its bytes, with where each quote's lines lie, found by
// the rules of QuoteIndex (QuoteSplitter) without decoding the text: for the
// terminal mode, which reads a large file to print a few of its quotes. Only
// the lines that are printed are decoded. What it cannot answer exactly as
// QuoteIndex does (a file that reaches the quote limit, a delimiter outside
// ASCII, a search text outside ASCII) it declines, and the caller uses
// QuoteIndex.
class QuoteScan
{
public:
    enum class Result { Read, Unreadable, Declined };

    // Reads a file as QuoteIndex::load does, its strfile index included.
    Result load(const QString &fileName);
    // Scans text as QuoteIndex::loadBytes does, or with an index's header as
    // QuoteIndex::load does for a fortune file (its text already turned back
    // when it is rotated).
    Result scanBytes(QByteArray bytes, const std::optional<StrfileHeader> &header = std::nullopt);

    QuoteFileFormat format() const { return m_format; }
    qint32 quoteCount() const { return qint32(m_quoteStart.empty() ? 0 : m_quoteStart.size() - 1); }
    // As QuoteIndex::quoteLines: the lines a display shows, decoded.
    QStringList quoteLines(qint32 index) const;
    // The same lines in UTF-8, each followed by a line feed, added to `out`;
    // a byte-order mark at the start of a line is left out.
    void appendQuoteUtf8(qint32 index, QByteArray &out) const;
    // As findQuotes; nothing when the text is not plain ASCII.
    std::optional<QList<qint32>> find(QStringView text) const;

private:
    QByteArrayView lineBytes(size_t line) const;
    QString decode(QByteArrayView line) const;
    bool split(std::vector<qint32> &start, std::vector<qint32> &length, QuoteSplitter &splitter);

    QByteArray m_bytes;
    QuoteFileFormat m_format = QuoteFileFormat::Quotes;
    // The lines the quotes are made of, and the first of each quote, then
    // the line count.
    std::vector<qint32> m_start;
    std::vector<qint32> m_length;
    std::vector<qint32> m_quoteStart;
};

} // namespace oq
