// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/fortunefile.h"
#include "quotes/linelist.h"
#include "quotes/quotesplitter.h"
#include "quotes/titlelist.h"

#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace oq {

// Shown as the only quote when the quote file cannot be read.
inline const QString FallbackLine = QStringLiteral("Please Select New Quote File");

// The quote index of the open file: every line, where each quote starts, and
// one title per quote in file order. Rebuilt from scratch by every load; the
// file's format (see QuoteFileFormat) decides how its lines become quotes.
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

    // Reads and indexes a quote file. A file that cannot be read becomes one
    // quote holding the fallback line. Returns whether the file was read.
    bool load(const QString &fileName);
    // Indexes text already in memory, as a file without an index beside it.
    void loadBytes(QByteArrayView bytes);
    // Indexes text as a fortune file with the given delimiter.
    void loadFortuneBytes(QByteArrayView bytes, char delimiter = FortuneDelimiter);
    QuoteFileFormat format() const { return m_splitter.format(); }

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
    // Takes lines out of the index once the text is read.
    void dropLines(int from, int end);
    void finishFortune();
    // Reads the lines of a file without an index as the format rule says.
    void finishDetected();

    QuoteSplitter m_splitter;
    bool m_truncated = false;
    ReadError m_readError = ReadError::None;
    // Fortune files: the lines that are not kept.
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
