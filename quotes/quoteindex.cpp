// SPDX-License-Identifier: MIT
#include "quoteindex.h"

#include "core/textdecoding.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace oq {

namespace {

bool isAsciiLetterOrDigit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

} // namespace

QuoteIndex::QuoteIndex()
    : QuoteTitles(&QuoteLines)
{
    QuoteStarts.fill(0);
}

void QuoteIndex::reset()
{
    QuoteTitles.clear();
    QuoteStarts.fill(0);
    QuoteCount = 0;
    LastLineBlank = false;
    m_atQuoteStart = true;
    m_truncated = false;
    m_delimiterLines = 0;
    m_separatorRuns = 0;
    m_emptyRun = 0;
    m_entryStart = 0;
    m_entryHasText = false;
    m_lastTextLine = 0;
    m_dropped.clear();
}

// Two consecutive empty lines end a quote; once a quote has ended, further
// empty lines change nothing until the next text line starts a new quote.
bool QuoteIndex::line(int index, QStringView text)
{
    if (m_format == QuoteFileFormat::Fortune)
        return fortuneLine(index, text);
    if (text.isEmpty()) {
        if (LastLineBlank) {
            LastLineBlank = false;
            m_atQuoteStart = true;
        } else {
            LastLineBlank = true;
        }
        if (++m_emptyRun == 2)
            ++m_separatorRuns;
        return true;
    }
    LastLineBlank = false;
    m_emptyRun = 0;
    if (text.size() == 1 && text.front() == QLatin1Char(FortuneDelimiter))
        ++m_delimiterLines;
    if (m_atQuoteStart) {
        if (QuoteCount == MaxQuotes) {
            // The table is full: the rest of the file is not kept.
            m_truncated = true;
            return false;
        }
        QuoteStarts[size_t(QuoteCount)] = index;
        ++QuoteCount;
        m_atQuoteStart = false;
    }
    return true;
}

void QuoteIndex::finish()
{
    QuoteStarts[size_t(QuoteCount)] = QuoteLines.size();
    QuoteLines.squeeze();
    QuoteTitles.build(QuoteStarts.data(), QuoteCount);
}

void QuoteIndex::loadFallback()
{
    m_format = QuoteFileFormat::Quotes;
    const ReadError error = m_readError;
    reset();
    m_readError = error;
    QuoteLines.clear();
    QuoteLines.append(FallbackLine);
    line(0, FallbackLine);
    finish();
}

bool QuoteIndex::load(const QString &fileName)
{
    m_readError = ReadError::None;
    if (const auto strfile = findStrfileIndex(fileName)) {
        if (!loadFortuneFile(fileName, *strfile)) {
            if (m_readError == ReadError::None)
                m_readError = ReadError::Unreadable;
            loadFallback();
            return false;
        }
        return true;
    }
    m_format = QuoteFileFormat::Quotes;
    m_readError = readTextFile(fileName, QuoteLines, this);
    if (m_readError != ReadError::None) {
        loadFallback();
        return false;
    }
    finishDetected();
    return true;
}

void QuoteIndex::loadBytes(QByteArrayView bytes)
{
    m_readError = ReadError::None;
    m_format = QuoteFileFormat::Quotes;
    splitText(bytes, QuoteLines, this);
    finishDetected();
}

void QuoteIndex::loadFortuneBytes(QByteArrayView bytes, char delimiter)
{
    m_readError = ReadError::None;
    startFortune(delimiter);
    splitText(bytes, QuoteLines, this);
    finishFortune();
}

// --- fortune files ----------------------------------------------------------

void QuoteIndex::startFortune(char delimiter)
{
    m_format = QuoteFileFormat::Fortune;
    m_delimiter = delimiterCharacter(delimiter);
}

bool QuoteIndex::loadFortuneFile(const QString &fileName, const StrfileIndex &index)
{
    startFortune(index.header.delimiter);
    if (!index.header.rotated()) {
        m_readError = readTextFile(fileName, QuoteLines, this);
        if (m_readError != ReadError::None)
            return false;
        finishFortune();
        return true;
    }
    // Rotated text is turned back before it is decoded: ROT13 touches only
    // ASCII letters, which stand for themselves in every encoding read here.
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > MaxTextFileBytes)
        return false;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    // UTF-16 becomes UTF-8 first: ROT13 turns ASCII letters, which are bytes of their own only in UTF-8.
    if (auto utf8 = utf8FromMarkedUtf16(bytes))
        bytes = std::move(*utf8);
    rot13(bytes);
    splitText(bytes, QuoteLines, this);
    finishFortune();
    return true;
}

// A line that holds the delimiter alone ends an entry; the first line of an
// entry with visible text starts its quote, and its last one ends it.
bool QuoteIndex::fortuneLine(int index, QStringView text)
{
    if (text.size() == 1 && text.front().unicode() == m_delimiter) {
        dropLines(m_entryHasText ? m_lastTextLine + 1 : m_entryStart, index + 1);
        m_entryStart = index + 1;
        m_entryHasText = false;
        return true;
    }
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }))
        return true;
    if (m_entryHasText) {
        m_lastTextLine = index;
        return true;
    }
    if (QuoteCount == MaxQuotes) {
        // The table is full: the rest of the file is not kept.
        m_truncated = true;
        return false;
    }
    dropLines(m_entryStart, index);
    QuoteStarts[size_t(QuoteCount)] = index - qint32(m_dropped.size());
    ++QuoteCount;
    m_entryHasText = true;
    m_lastTextLine = index;
    return true;
}

void QuoteIndex::dropLines(int from, int end)
{
    for (qint32 l = from; l < end; ++l)
        m_dropped.push_back(l);
}

void QuoteIndex::finishFortune()
{
    dropLines(m_entryHasText ? m_lastTextLine + 1 : m_entryStart, QuoteLines.size());
    QuoteLines.dropLines(m_dropped);
    m_dropped.clear();
    m_dropped.shrink_to_fit();
    finish();
}

void QuoteIndex::finishDetected()
{
    if (m_delimiterLines <= m_separatorRuns) {
        finish();
        return;
    }
    // Every line read is in memory. Reading stops early only at the quote
    // limit; the lines up to there are what the file gives then.
    const bool stoppedEarly = m_truncated;
    reset();
    startFortune(FortuneDelimiter);
    for (int i = 0; i < QuoteLines.size(); ++i) {
        if (!fortuneLine(i, QuoteLines.at(i))) {
            QuoteLines.truncate(i);
            break;
        }
    }
    m_truncated = m_truncated || stoppedEarly;
    finishFortune();
}

QStringList QuoteIndex::quoteLines(qint32 index) const
{
    QStringList out;
    if (index < 0 || index >= MaxQuotes)
        return out;
    const qint32 first = QuoteStarts[size_t(index)];
    const qint32 last = std::min(QuoteStarts[size_t(index) + 1], qint32(QuoteLines.size()));
    const bool showEmpty = m_format == QuoteFileFormat::Fortune;
    for (qint32 l = first; l < last; ++l) {
        if (showEmpty || !QuoteLines.lineIsEmpty(l))
            out.append(QuoteLines.at(l).toString());
    }
    return out;
}

QStringList QuoteIndex::sortedTitles() const
{
    QStringList titles = QuoteTitles.toStringList();
    sortTitles(titles);
    return titles;
}

namespace {

// Characters are counted and dropped whole: a surrogate pair is one.
qsizetype charLength(QStringView text, qsizetype at)
{
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

qsizetype titleTextStart(QStringView firstLine)
{
    // Most lines start with a letter or digit: nothing to count then.
    if (firstLine.isEmpty() || isAsciiLetterOrDigit(firstLine.front().unicode()))
        return 0;
    qsizetype chars = 0;
    for (qsizetype at = 0; at < firstLine.size(); at += charLength(firstLine, at))
        ++chars;
    qsizetype skip = 0;
    while (chars > 2 && !isAsciiLetterOrDigit(firstLine[skip].unicode())) {
        skip += charLength(firstLine, skip);
        --chars;
    }
    return skip;
}

QString quoteTitle(QStringView firstLine, qint32 index)
{
    Q_ASSERT(index >= 0);
    return TitleParts::ofQuote(firstLine.sliced(titleTextStart(firstLine)), index).toString();
}

std::optional<qint32> titleToIndex(QStringView title)
{
    const qsizetype open = title.indexOf(QLatin1Char('['));
    const qsizetype close = title.indexOf(QLatin1Char(']'));
    if (open < 0 || close < 0 || close <= open)
        return std::nullopt;
    const QStringView number = title.sliced(open + 1, close - open - 1);
    // A signed decimal integer: an optional sign and digits, nothing else.
    bool ok = false;
    const qint32 value = number.toInt(&ok, 10);
    if (!ok || number.isEmpty() || number.front().isSpace() || number.back().isSpace())
        return std::nullopt;
    return value;
}

QString Name_From_Filename(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (slash >= 0)
        return path.mid(slash + 1);
    const qsizetype colon = path.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0)
        return path.mid(colon + 1);
    return path;
}

QString captionText(const QString &quoteFileName)
{
    return QStringLiteral("OMBRYQuote : ") + Name_From_Filename(quoteFileName);
}

QString totalQuotesText(qint32 quoteCount)
{
    return QStringLiteral("   Total Quotes ") + QString::number(quoteCount) + QStringLiteral("  ");
}

} // namespace oq
