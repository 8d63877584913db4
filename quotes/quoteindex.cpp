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
    m_truncated = false;
    m_dropped.clear();
    m_splitter.restart();
}

bool QuoteIndex::line(int index, QStringView text)
{
    const qint32 keptBefore = m_splitter.keptLines();
    switch (m_splitter.line(m_splitter.kind(text))) {
    case QuoteSplitter::Verdict::Keep:
        break;
    case QuoteSplitter::Verdict::StartQuote:
        QuoteStarts[size_t(QuoteCount)] = m_splitter.keptLines() - 1;
        ++QuoteCount;
        break;
    case QuoteSplitter::Verdict::Drop:
        // The lines taken back stand right before this one.
        dropLines(index - (keptBefore - m_splitter.keptLines()), index + 1);
        break;
    case QuoteSplitter::Verdict::Full:
        // The table is full: the rest of the file is not kept.
        m_truncated = true;
        return false;
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
    m_splitter.start(QuoteFileFormat::Quotes);
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
    m_splitter.start(QuoteFileFormat::Quotes);
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
    m_splitter.start(QuoteFileFormat::Quotes);
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
    m_splitter.start(QuoteFileFormat::Fortune, delimiterCharacter(delimiter));
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

void QuoteIndex::dropLines(int from, int end)
{
    for (qint32 l = from; l < end; ++l)
        m_dropped.push_back(l);
}

void QuoteIndex::finishFortune()
{
    const qint32 keptBefore = m_splitter.keptLines();
    m_splitter.finish();
    dropLines(QuoteLines.size() - (keptBefore - m_splitter.keptLines()), QuoteLines.size());
    QuoteLines.dropLines(m_dropped);
    m_dropped.clear();
    m_dropped.shrink_to_fit();
    finish();
}

void QuoteIndex::finishDetected()
{
    if (!m_splitter.looksLikeFortune()) {
        finish();
        return;
    }
    // Every line read is in memory. Reading stops early only at the quote
    // limit; the lines up to there are what the file gives then.
    const bool stoppedEarly = m_truncated;
    startFortune(FortuneDelimiter);
    reset();
    for (int i = 0; i < QuoteLines.size(); ++i) {
        if (!line(i, QuoteLines.at(i))) {
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
    const bool showEmpty = format() == QuoteFileFormat::Fortune;
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
