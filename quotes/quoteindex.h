// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/fortunefile.h"
#include "quotes/linelist.h"
#include "quotes/titlelist.h"

#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace oq {

// At most this many quotes are indexed; the start table has one more slot
// for the end sentinel.
inline constexpr int MaxQuotes = 33000;
inline constexpr int QuoteSlots = MaxQuotes + 1;

// Shown as the only quote when the quote file cannot be read.
inline const QString FallbackLine = QStringLiteral("Please Select New Quote File");

// How the last load read its file.
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
    // Indexes text already in memory, as a file without an index beside it.
    void loadBytes(QByteArrayView bytes);
    // Indexes text as a fortune file with the given delimiter.
    void loadFortuneBytes(QByteArrayView bytes, char delimiter = FortuneDelimiter);
    QuoteFileFormat format() const { return m_format; }

    // Whether the last load stopped at the quote limit.
    bool truncated() const { return m_truncated; }
    // How the file of the last load failed to read; None when it was read.
    ReadError readError() const { return m_readError; }
    // The lines a display of quote `index` shows: its non-empty lines; in a
    // fortune file, all its lines.
    QStringList quoteLines(qint32 index) const;
    // The titles sorted for the drop-down: case ignored, locale aware.
    QStringList sortedTitles() const;

private:
    void reset() override;
    bool line(int index, QStringView text) override;
    void finish();
    void loadFallback();
    bool loadFortuneFile(const QString &fileName, const StrfileIndex &index);
    void startFortune(char delimiter);
    bool fortuneLine(int index, QStringView text);
    void dropLines(int from, int end);
    void finishFortune();
    // Reads the lines of a file without an index as the format rule says.
    void finishDetected();

    QuoteFileFormat m_format = QuoteFileFormat::Quotes;
    bool m_atQuoteStart = true;
    bool m_truncated = false;
    ReadError m_readError = ReadError::None;
    // What a file without an index has shown so far: its lines holding "%"
    // alone, its runs of two or more empty lines, and the current run.
    qint64 m_delimiterLines = 0;
    qint64 m_separatorRuns = 0;
    qint32 m_emptyRun = 0;
    // Fortune files: the delimiter, where the current entry began, whether it
    // has visible text yet, its last line with visible text, and the lines
    // that are not kept.
    char16_t m_delimiter = u'%';
    qint32 m_entryStart = 0;
    bool m_entryHasText = false;
    qint32 m_lastTextLine = 0;
    std::vector<qint32> m_dropped;
};

// A quote's title: its cleaned first line, " [", its 0-based index, "]".
// Leading characters that are not ASCII letters or digits are dropped while
// more than 2 characters remain (characters are code points: a surrogate pair
// is one, never cut in half); square brackets become round ones, so the only
// brackets of a title are those around its number.
QString quoteTitle(QStringView firstLine, qint32 index);
// Where the text of a title made from `firstLine` starts in it.
qsizetype titleTextStart(QStringView firstLine);
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
