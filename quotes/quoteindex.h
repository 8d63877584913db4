// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/linelist.h"

#include <QStringList>

#include <array>
#include <optional>

namespace oq {

// At most this many quotes are indexed; the start table has one more slot
// for the end sentinel.
inline constexpr int MaxQuotes = 33000;
inline constexpr int QuoteSlots = MaxQuotes + 1;

// Shown as the only quote when the quote file cannot be read.
inline const QString FallbackLine = QStringLiteral("Please Select New Quote File");

// The quote index of the open file: every line, where each quote starts, and
// one title per quote in file order. Rebuilt from scratch by every load.
class QuoteIndex : private LineSink
{
public:
    QuoteIndex();

    LineList QuoteLines;
    // Slot k < QuoteCount: first line of quote k; slot QuoteCount: the line
    // count (sentinel); every other slot 0, which makes any range past the
    // sentinel empty.
    std::array<qint32, QuoteSlots> QuoteStarts;
    TitleList QuoteTitles;
    qint32 QuoteCount = 0;
    bool LastLineBlank = false;

    // Reads and indexes a quote file. A file that cannot be read becomes one
    // quote holding the fallback line. Returns whether the file was read.
    bool load(const QString &fileName);
    // Indexes text already in memory (also what load does after reading).
    void loadBytes(QByteArrayView bytes);

    // Whether the last load stopped at the quote limit.
    bool truncated() const { return m_truncated; }
    // The lines a display of quote `index` shows: its non-empty lines.
    QStringList quoteLines(qint32 index) const;
    // The titles sorted for the drop-down: case ignored, locale aware.
    QStringList sortedTitles() const;

private:
    void reset() override;
    bool line(int index, QStringView text) override;
    void finish();
    void loadFallback();

    bool m_atQuoteStart = true;
    bool m_truncated = false;
};

// A quote's title: its cleaned first line, " [", its 0-based index, "]".
// Leading characters that are not ASCII letters or digits are dropped while
// more than 2 characters remain (characters are code points: a surrogate pair
// is one, never cut in half); square brackets become round ones, so the only
// brackets of a title are those around its number.
QString quoteTitle(QStringView firstLine, qint32 index);
void appendQuoteTitle(TitleList &titles, QStringView firstLine, qint32 index);
// The index between a title's first "[" and first "]", if it is a number.
std::optional<qint32> titleToIndex(QStringView title);

// The file-name part of a path, for the caption: the text after the last "\"
// or "/", else after the last ":", else the whole path.
QString Name_From_Filename(const QString &path);
QString captionText(const QString &quoteFileName);
QString totalQuotesText(qint32 quoteCount);

// Sorts titles as the drop-down and the search results show them.
void sortTitles(QStringList &titles);

} // namespace oq
