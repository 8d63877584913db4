// SPDX-License-Identifier: MIT
#include "linelist.h"

#include "core/textdecoding.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <new>

namespace oq {

void LineList::clear()
{
    m_text.clear();
    m_start.clear();
    m_length.clear();
}

void LineList::append(QStringView line)
{
    if (!m_start.empty())
        m_text.append(QLatin1Char('\n'));
    m_start.push_back(qint32(m_text.size()));
    m_length.push_back(qint32(line.size()));
    m_text.append(line);
}

char16_t *LineList::appendUninitialized(qsizetype length)
{
    if (!m_start.empty())
        m_text.append(QLatin1Char('\n'));
    const qsizetype start = m_text.size();
    m_start.push_back(qint32(start));
    m_length.push_back(qint32(length));
    m_text.resize(start + length);
    return reinterpret_cast<char16_t *>(m_text.data()) + start;
}

void LineList::squeeze()
{
    m_text.squeeze();
    m_start.shrink_to_fit();
    m_length.shrink_to_fit();
}

QStringList LineList::toStringList() const
{
    QStringList out;
    out.reserve(size());
    for (int i = 0; i < size(); ++i)
        out.append(at(i).toString());
    return out;
}

int LineList::lineAt(qsizetype position) const
{
    auto it = std::upper_bound(m_start.begin(), m_start.end(), position);
    return int(it - m_start.begin()) - 1;
}

QString asciiLower(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (QChar c : text)
        *d++ = asciiLower(c.unicode());
    return out;
}

namespace {


// Bytes are decoded and split a slice at a time so that the split can stop at
// the quote limit without decoding the rest of a huge file. A slice ends just
// after a line-end byte, which is never inside a UTF-8 sequence.
constexpr qsizetype SliceBytes = 256 * 1024;

} // namespace

// The bytes of a text, from memory or read from a file a block at a time, so
// that a split stopped at the quote limit reads no further. Everything read
// is kept, since decoding may have to start over in the other encoding.
class ByteSource
{
public:
    explicit ByteSource(QByteArrayView bytes) : m_view(bytes), m_complete(true) { cutAtNul(0); }
    explicit ByteSource(QFile *file) : m_file(file)
    {
        m_buffer.reserve(qsizetype(std::min<qint64>(file->size(), MaxTextFileBytes)));
    }

    QByteArrayView view() const { return m_view; }
    bool complete() const { return m_complete; }
    ReadError error() const { return m_error; }

    void fetch()
    {
        if (m_complete)
            return;
        const qsizetype before = m_buffer.size();
        if (before >= MaxTextFileBytes) {
            finish(ReadError::TooLarge);
            return;
        }
        m_buffer.resize(before + BlockBytes);
        const qint64 got = m_file->read(m_buffer.data() + before, BlockBytes);
        if (got < 0) {
            finish(ReadError::Unreadable);
            return;
        }
        m_buffer.resize(before + qsizetype(got));
        m_view = m_buffer;
        if (got == 0)
            m_complete = true;
        cutAtNul(before);
    }

private:
    static constexpr qsizetype BlockBytes = 1024 * 1024;

    void finish(ReadError error)
    {
        m_error = error;
        m_complete = true;
    }
    // A NUL byte ends the text.
    void cutAtNul(qsizetype from)
    {
        if (from >= m_view.size())
            return;
        if (const void *nul = std::memchr(m_view.data() + from, 0, size_t(m_view.size() - from))) {
            m_view = m_view.first(static_cast<const char *>(nul) - m_view.data());
            m_complete = true;
        }
    }

    QFile *m_file = nullptr;
    QByteArray m_buffer;
    QByteArrayView m_view;
    bool m_complete = false;
    ReadError m_error = ReadError::None;
};

// Decodes and splits; friend of LineList so it can fill the buffer in place.
class LineReader
{
public:
    LineReader(LineList &lines, LineSink *sink, ByteSource &source) : m_lines(lines), m_sink(sink), m_source(source) { }

    DecodedLines run()
    {
        DecodedLines result;
        if (!pass(Encoding::Utf8, result)) {
            result = DecodedLines();
            result.encoding = Encoding::Windows1252;
            pass(Encoding::Windows1252, result);
        }
        // A split stopped early may leave the buffer much larger than its text.
        if (result.stopped)
            m_lines.m_text.squeeze();
        return result;
    }

private:
    // The next slice from `offset`: about SliceBytes, ending just after a
    // line-end byte, which is never inside a UTF-8 sequence, or at the end.
    bool nextSlice(qsizetype offset, QByteArrayView &slice)
    {
        for (;;) {
            const QByteArrayView all = m_source.view();
            qsizetype end = std::min(all.size(), offset + SliceBytes);
            if (end < offset + SliceBytes && !m_source.complete()) {
                m_source.fetch();
                continue;
            }
            while (end < all.size() && all[end - 1] != '\n' && all[end - 1] != '\r')
                ++end;
            if (end == all.size() && !m_source.complete()) {
                m_source.fetch();
                continue;
            }
            if (end <= offset)
                return false;
            slice = all.sliced(offset, end - offset);
            return true;
        }
    }

    // Returns false when the bytes turn out not to be valid UTF-8.
    bool pass(Encoding encoding, DecodedLines &result)
    {
        m_lines.clear();
        if (m_sink)
            m_sink->reset();
        QString &text = m_lines.m_text;
        m_lineStart = 0;
        m_scan = 0;
        m_pendingCr = false;

        qsizetype offset = 0;
        QByteArrayView slice;
        while (nextSlice(offset, slice)) {
            offset += slice.size();
            if (text.capacity() < text.size() + slice.size())
                text.reserve(std::max(text.size() + slice.size(), m_source.view().size()));
            const qsizetype before = text.size();
            text.resize(before + slice.size());
            char16_t *out = reinterpret_cast<char16_t *>(text.data()) + before;
            if (encoding == Encoding::Utf8) {
                QStringDecoder decoder(QStringDecoder::Utf8,
                                       QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
                QChar *last = decoder.appendToBuffer(reinterpret_cast<QChar *>(out), slice);
                if (decoder.hasError())
                    return false;
                text.resize(before + (reinterpret_cast<char16_t *>(last) - out));
            } else {
                for (char byte : slice) {
                    const auto b = static_cast<unsigned char>(byte);
                    *out++ = fromWindows1252(b);
                }
            }
            if (!split(false)) {
                result.stopped = true;
                return true;
            }
        }
        if (!split(true))
            result.stopped = true;
        return true;
    }

    // Emits every complete line of the decoded text; at the end, the rest.
    bool split(bool atEnd)
    {
        QString &text = m_lines.m_text;
        const char16_t *data = reinterpret_cast<const char16_t *>(text.constData());
        const qsizetype size = text.size();
        qsizetype i = m_scan;
        if (m_pendingCr && i < size) {
            // CR LF across two slices is still one line end.
            m_pendingCr = false;
            if (data[i] == u'\n')
                m_lineStart = ++i;
        }
        for (; i < size; ++i) {
            const char16_t c = data[i];
            if (c != u'\r' && c != u'\n')
                continue;
            if (!emit(m_lineStart, i - m_lineStart))
                return false;
            if (c == u'\r') {
                if (i + 1 < size) {
                    if (data[i + 1] == u'\n')
                        ++i;
                } else {
                    m_pendingCr = true;
                }
            }
            m_lineStart = i + 1;
        }
        m_scan = size;
        if (atEnd && m_lineStart < size) {
            if (!emit(m_lineStart, size - m_lineStart))
                return false;
            m_lineStart = size;
        }
        return true;
    }

    bool emit(qsizetype start, qsizetype length)
    {
        const int index = m_lines.size();
        if (m_sink && !m_sink->line(index, QStringView(m_lines.m_text).mid(start, length))) {
            m_lines.m_text.truncate(start);
            return false;
        }
        m_lines.m_start.push_back(qint32(start));
        m_lines.m_length.push_back(qint32(length));
        return true;
    }

    LineList &m_lines;
    LineSink *m_sink;
    ByteSource &m_source;
    qsizetype m_lineStart = 0;
    qsizetype m_scan = 0;
    bool m_pendingCr = false;
};

DecodedLines splitText(QByteArrayView bytes, LineList &lines, LineSink *sink)
{
    ByteSource source(bytes);
    return LineReader(lines, sink, source).run();
}

ReadError readTextFile(const QString &path, LineList &lines, LineSink *sink)
{
    lines.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return ReadError::Missing;
    // Directories, devices and pipes are not text files (a pipe could block).
    if (!info.isFile())
        return ReadError::NotAFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadError::Unreadable;
    try {
        ByteSource source(&file);
        LineReader(lines, sink, source).run();
        if (source.error() != ReadError::None) {
            lines.clear();
            return source.error();
        }
    } catch (const std::bad_alloc &) {
        lines.clear();
        return ReadError::TooLarge;
    }
    return ReadError::None;
}

} // namespace oq
