// SPDX-License-Identifier: MIT
#include "quotescan.h"

#include "core/textdecoding.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace oq {

namespace {

// Splits text into lines as the program does: CR LF, a lone LF and a lone
// CR each end a line; a terminator at the very end adds no empty line.
void splitLines(QByteArrayView text, std::vector<qint32> &start, std::vector<qint32> &length)
{
    const char *begin = text.data();
    const char *end = begin + text.size();
    const char *p = begin;
    const char *lf = nullptr; // the next LF at or after p, or end
    start.reserve(size_t(text.size() / 24));
    length.reserve(size_t(text.size() / 24));
    while (p < end) {
        if (!lf || lf < p) {
            lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            if (!lf)
                lf = end;
        }
        const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(lf - p)));
        const char *lineEnd = cr ? cr : lf;
        start.push_back(qint32(p - begin));
        length.push_back(qint32(lineEnd - p));
        p = lineEnd + 1;
        if (cr && p < end && *p == '\n')
            ++p;
    }
}

} // namespace

QuoteScan::Result QuoteScan::load(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        return Result::Unreadable;
    if (info.size() > MaxTextFileBytes)
        return Result::Declined;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Result::Unreadable;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::Unreadable;
    // UTF-16 becomes UTF-8 first: ROT13 turns ASCII letters, which are bytes of their own only in UTF-8.
    if (auto utf8 = utf8FromMarkedUtf16(bytes))
        bytes = std::move(*utf8);
    const auto strfile = findStrfileIndex(fileName);
    if (strfile && strfile->header.rotated())
        rot13(bytes);
    return scanBytes(std::move(bytes), strfile ? std::optional<StrfileHeader>(strfile->header) : std::nullopt);
}

QuoteScan::Result QuoteScan::scanBytes(QByteArray bytes, const std::optional<StrfileHeader> &header)
{
    m_start.clear();
    m_length.clear();
    m_quoteStart.clear();
    if (auto utf8 = utf8FromMarkedUtf16(bytes))
        bytes = std::move(*utf8);
    // A NUL byte ends the text.
    if (const void *nul = std::memchr(bytes.constData(), 0, size_t(bytes.size())))
        bytes.truncate(static_cast<const char *>(nul) - bytes.constData());
    m_bytes = std::move(bytes);

    std::vector<qint32> start;
    std::vector<qint32> length;
    splitLines(m_bytes, start, length);
    QuoteSplitter splitter;
    if (header) {
        if (static_cast<unsigned char>(header->delimiter) >= 0x80)
            return Result::Declined;
        splitter.start(QuoteFileFormat::Fortune, delimiterCharacter(header->delimiter));
    } else {
        splitter.start(QuoteFileFormat::Quotes);
    }
    bool ok = split(start, length, splitter);
    if (ok && !header && splitter.looksLikeFortune()) {
        splitter.start(QuoteFileFormat::Fortune, delimiterCharacter(FortuneDelimiter));
        ok = split(start, length, splitter);
    }
    if (!ok) {
        m_quoteStart.clear();
        return Result::Declined;
    }
    m_format = splitter.format();
    m_start = std::move(start);
    m_length = std::move(length);
    m_quoteStart.push_back(qint32(m_start.size()));
    return Result::Read;
}

// The kept lines move down in place: there are never more than were read.
bool QuoteScan::split(std::vector<qint32> &start, std::vector<qint32> &length, QuoteSplitter &splitter)
{
    m_quoteStart.clear();
    const char *bytes = m_bytes.constData();
    for (size_t i = 0; i < start.size(); ++i) {
        switch (splitter.line(splitter.kind(QByteArrayView(bytes + start[i], length[i])))) {
        case QuoteSplitter::Verdict::Keep:
            break;
        case QuoteSplitter::Verdict::StartQuote:
            m_quoteStart.push_back(splitter.keptLines() - 1);
            break;
        case QuoteSplitter::Verdict::Drop:
            continue;
        case QuoteSplitter::Verdict::Full:
            return false;
        }
        const size_t kept = size_t(splitter.keptLines()) - 1;
        start[kept] = start[i];
        length[kept] = length[i];
    }
    splitter.finish();
    start.resize(size_t(splitter.keptLines()));
    length.resize(size_t(splitter.keptLines()));
    return true;
}

QByteArrayView QuoteScan::lineBytes(size_t line) const
{
    return QByteArrayView(m_bytes.constData() + m_start[line], m_length[line]);
}

// Each line is decoded on its own, as QuoteIndex reads it.
QString QuoteScan::decode(QByteArrayView line) const
{
    return decodeLine(line);
}

QStringList QuoteScan::quoteLines(qint32 index) const
{
    QStringList out;
    if (index < 0 || index >= quoteCount())
        return out;
    const bool showEmpty = m_format == QuoteFileFormat::Fortune;
    for (qint32 l = m_quoteStart[size_t(index)]; l < m_quoteStart[size_t(index) + 1]; ++l) {
        if (showEmpty || m_length[size_t(l)] > 0)
            out.append(decode(lineBytes(size_t(l))));
    }
    return out;
}

void QuoteScan::appendQuoteUtf8(qint32 index, QByteArray &out) const
{
    if (index < 0 || index >= quoteCount())
        return;
    const bool showEmpty = m_format == QuoteFileFormat::Fortune;
    for (qint32 l = m_quoteStart[size_t(index)]; l < m_quoteStart[size_t(index) + 1]; ++l) {
        if (!showEmpty && m_length[size_t(l)] == 0)
            continue;
        QByteArrayView line = lineBytes(size_t(l));
        // A byte-order mark is no character to print.
        if (line.startsWith("\xEF\xBB\xBF"))
            line = line.sliced(3);
        // A UTF-8 line is the output as it stands.
        if (isUtf8(line))
            out += line;
        else
            out += decode(line).toUtf8();
        out += '\n';
    }
}

std::optional<QList<qint32>> QuoteScan::find(QStringView text) const
{
    QByteArray needle;
    needle.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return std::nullopt;
        needle += char(asciiLower(c.unicode()));
    }
    QList<qint32> found;
    if (needle.isEmpty() || needle.contains('\n') || needle.contains('\r'))
        return found;
    const char first = needle.front();
    const bool letter = first >= 'a' && first <= 'z';
    const qsizetype n = needle.size();
    // A quote's lines lie in one stretch of the bytes with only line ends
    // between them, which the text cannot match.
    for (qint32 q = 0; q < quoteCount(); ++q) {
        const size_t firstLine = size_t(m_quoteStart[size_t(q)]);
        const size_t lastLine = size_t(m_quoteStart[size_t(q) + 1]) - 1;
        const char *from = m_bytes.constData() + m_start[firstLine];
        const char *end = m_bytes.constData() + m_start[lastLine] + m_length[lastLine];
        for (const char *p = from; p + n <= end; ++p) {
            if (letter ? char(*p | 0x20) != first : *p != first)
                continue;
            qsizetype k = 1;
            while (k < n && char(asciiLower(char16_t(static_cast<unsigned char>(p[k])))) == needle[k])
                ++k;
            if (k == n) {
                found.append(q);
                break;
            }
        }
    }
    return found;
}

} // namespace oq
