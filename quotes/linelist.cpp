// SPDX-License-Identifier: MIT
#include "linelist.h"

#include "core/memory.h"
#include "core/textdecoding.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <new>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace oq {

void LineList::clear()
{
    m_text.clear();
    m_start.clear();
}

void LineList::append(QStringView line)
{
    if (!m_start.empty())
        m_text.append(QLatin1Char('\n'));
    m_start.push_back(qint32(m_text.size()));
    m_text.append(line);
}

void LineList::squeeze()
{
    // The text gives its spare room back in place. The line starts keep
    // theirs: never written, it takes no memory, and fitting them would
    // copy every start into new memory.
    m_text.squeeze();
}

void LineList::dropLines(const std::vector<qint32> &ascending)
{
    if (ascending.empty())
        return;
    char16_t *text = reinterpret_cast<char16_t *>(m_text.data());
    // Each dropped line is blanked, and the lines up to the next dropped one
    // move down in one piece.
    size_t kept = size_t(ascending.front());
    for (size_t k = 0; k < ascending.size(); ++k) {
        const size_t dropped = size_t(ascending[k]);
        // Starts from the dropped line on have not moved yet.
        std::fill(text + m_start[dropped], text + lineEnd(int(dropped)), u'\n');
        const size_t next = k + 1 < ascending.size() ? size_t(ascending[k + 1]) : m_start.size();
        std::copy(m_start.begin() + dropped + 1, m_start.begin() + next, m_start.begin() + kept);
        kept += next - dropped - 1;
    }
    m_start.resize(kept);
}

void LineList::truncate(int count)
{
    if (count >= size())
        return;
    count = std::max(count, 0);
    m_text.truncate(count == 0 ? 0 : lineEnd(count - 1));
    m_start.resize(size_t(count));
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
// the quote limit without reading or decoding the rest of a huge file. A
// slice ends after a whole line end, never inside a line.
constexpr qsizetype SliceBytes = 256 * 1024;

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

} // namespace

// The bytes of a text, from memory or read from a file a block at a time, so
// that a split stopped at the quote limit reads no further. Bytes already
// split are given up, so a file's bytes are never all held with its text.
class ByteSource
{
public:
    explicit ByteSource(QByteArrayView bytes)
        : m_view(bytes)
        , m_complete(true)
        , m_expected(bytes.size())
    {
        if (auto utf8 = utf8FromMarkedUtf16(bytes)) {
            m_buffer = std::move(*utf8);
            m_view = m_buffer;
            m_expected = m_buffer.size();
        }
        cutAtNul(0);
    }
    explicit ByteSource(QFile *file)
        : m_file(file)
        , m_expected(qsizetype(std::min<qint64>(file->size(), MaxTextFileBytes)))
    {
        // Room for the bytes not yet split and one block more.
        m_buffer.reserve(std::min(m_expected, BlockBytes) + BlockBytes);
    }

    // The bytes not yet split.
    QByteArrayView view() const { return m_view; }
    // The first `count` bytes of the view have been split.
    void consume(qsizetype count)
    {
        m_view = m_view.sliced(count);
        m_consumed += count;
    }
    bool complete() const { return m_complete; }
    ReadError error() const { return m_error; }
    // The size the text is expected to have, for reserving room up front.
    qsizetype expectedSize() const { return m_expected; }

    void fetch()
    {
        if (m_complete)
            return;
        if (m_read >= MaxTextFileBytes) {
            finish(ReadError::TooLarge);
            return;
        }
        // Bytes already split are dropped before more are read.
        // Moved to the front by hand: removed from the front, they would
        // leave the room there and the buffer would be made anew, with new
        // pages, at every block.
        if (m_consumed > 0) {
            const qsizetype kept = m_buffer.size() - m_consumed;
            std::memmove(m_buffer.data(), m_buffer.constData() + m_consumed, size_t(kept));
            m_buffer.truncate(kept);
            m_consumed = 0;
            m_view = m_buffer;
        }
        const qsizetype before = m_buffer.size();
        m_buffer.resize(before + BlockBytes);
        // Mapped in one go, as far as the file is expected to fill it.
        prefaultForWriting(m_buffer.data() + before, size_t(std::clamp<qint64>(m_expected - m_read, 0, BlockBytes)));
        const qint64 got = m_file->read(m_buffer.data() + before, BlockBytes);
        if (got < 0) {
            finish(ReadError::Unreadable);
            return;
        }
        m_buffer.resize(before + qsizetype(got));
        if (m_read == 0)
            m_utf16 = Utf16ToUtf8::forText(QByteArrayView(m_buffer).sliced(before));
        m_read += got;
        if (m_utf16) {
            // Read as the same text in UTF-8.
            const QByteArray utf8
                = got > 0 ? m_utf16->convert(QByteArrayView(m_buffer).sliced(before)) : m_utf16->finish();
            m_buffer.truncate(before);
            m_buffer += utf8;
        }
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
    qsizetype m_expected = 0;
    // Bytes read from the file, and bytes at the front of the buffer split.
    qint64 m_read = 0;
    qsizetype m_consumed = 0;
    ReadError m_error = ReadError::None;
    std::optional<Utf16ToUtf8> m_utf16;
};

// Splits and decodes; friend of LineList so it can fill the buffer in place.
// The buffer holds every decoded line followed by its line end as it was.
class LineReader
{
public:
    LineReader(LineList &lines, LineSink *sink, ByteSource &source)
        : m_lines(lines)
        , m_sink(sink)
        , m_source(source)
    { }

    DecodedLines run()
    {
        DecodedLines result;
        m_lines.clear();
        // Room for the line starts of a text of lines of 16 bytes on
        // average (most are longer), up to a million, taken once rather than
        // grown by copies; the room no line uses is never written and takes
        // no memory.
        m_lines.m_start.reserve(size_t(std::min<qsizetype>(m_source.expectedSize() / 16, 1 << 20)) + 16);
        if (m_sink)
            m_sink->reset();
        QByteArrayView slice;
        while (nextSlice(slice)) {
            const bool more = decodeSlice(slice);
            m_source.consume(slice.size());
            if (!more) {
                result.stopped = true;
                // A split stopped early may leave the buffer much larger than its text.
                m_lines.m_text.squeeze();
                break;
            }
        }
        return result;
    }

private:
    // The next slice of the bytes not yet split: about SliceBytes, ending
    // after a whole line end (CR LF is never cut in two), or at the end of
    // the text.
    bool nextSlice(QByteArrayView &slice)
    {
        for (;;) {
            const QByteArrayView all = m_source.view();
            if (all.size() < SliceBytes && !m_source.complete()) {
                m_source.fetch();
                continue;
            }
            qsizetype end = std::min(all.size(), SliceBytes);
            while (end < all.size() && !isLineEnd(all[end - 1]))
                ++end;
            if (end < all.size() && all[end - 1] == '\r' && all[end] == '\n')
                ++end;
            if (end == all.size() && !m_source.complete()) {
                m_source.fetch();
                continue;
            }
            if (end == 0)
                return false;
            slice = all.first(end);
            return true;
        }
    }

    // Decodes the lines of one slice into the buffer and hands them to the
    // sink. Returns false when the sink stops the split.
    bool decodeSlice(QByteArrayView slice)
    {
        QString &text = m_lines.m_text;
        const qsizetype before = text.size();
        if (text.capacity() < before + slice.size())
            text.reserve(std::max(before + slice.size(), m_source.expectedSize()));
        // No line decodes to more characters than it has bytes.
        prefaultForWriting(text.data() + before, size_t(slice.size()) * sizeof(QChar));
        text.resize(before + slice.size());
        char16_t *const out = reinterpret_cast<char16_t *>(text.data());
        qsizetype written = before;
        qsizetype start = 0;
        while (start < slice.size()) {
            const qsizetype lineStart = written;
            const DecodedLine line = decodeNextLine(slice, start, out + written);
            written += line.length;
            if (!emit(lineStart, line.length))
                return false;
            start = line.end;
            if (start < slice.size()) {
                out[written++] = char16_t(slice[start]);
                if (slice[start] == '\r' && start + 1 < slice.size() && slice[start + 1] == '\n') {
                    out[written++] = u'\n';
                    ++start;
                }
                ++start;
            }
        }
        text.resize(written);
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
        return true;
    }

    LineList &m_lines;
    LineSink *m_sink;
    ByteSource &m_source;
};

DecodedLines splitText(QByteArrayView bytes, LineList &lines, LineSink *sink)
{
    ByteSource source(bytes);
    return LineReader(lines, sink, source).run();
}

namespace {
ReadTextFileHook readHook = nullptr;
} // namespace

void setReadTextFileHook(ReadTextFileHook hook)
{
    readHook = hook;
}

namespace {

// Whether the folder holds an entry whose name is not valid in the file-name
// encoding and reads as `name`. Qt's own listing leaves such entries out.
bool holdsUndecodableName(const QString &folder, const QString &name)
{
    bool found = false;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        const QString decoded = QFile::decodeName(raw);
        if (decoded == name && QFile::encodeName(decoded) != raw) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
#else
    Q_UNUSED(folder);
    Q_UNUSED(name);
#endif
    return found;
}

} // namespace

bool isUnrepresentableFileName(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return false;
    // The first part of the path that is not there decides.
    const QStringList parts = QFileInfo(path).absoluteFilePath().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString folder = QStringLiteral("/");
    for (const QString &part : parts) {
        const QFileInfo next(folder + part);
        if (!next.exists() && !next.isSymLink())
            return part.contains(QChar::ReplacementCharacter) && holdsUndecodableName(folder, part);
        folder = next.filePath() + QLatin1Char('/');
    }
    return false;
}

QString unrepresentableFileNameMessage(const QString &path)
{
    return QStringLiteral("Cannot open \"%1\": its name holds bytes that are not valid UTF-8, the encoding of file "
                          "names here, so it cannot be represented. Rename the file and open it again.")
        .arg(path);
}

ReadError readTextFile(const QString &path, LineList &lines, LineSink *sink)
{
    lines.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return isUnrepresentableFileName(path) ? ReadError::UnrepresentableName : ReadError::Missing;
    // Directories, devices and pipes are not text files (a pipe could block).
    if (!info.isFile())
        return ReadError::NotAFile;
    // Refused before a byte is read: a file of a sparse gigabyte would otherwise pass for its first few bytes.
    if (info.size() > MaxTextFileBytes)
        return ReadError::TooLarge;
    if (readHook)
        readHook(ReadStage::Checked, path);
    QFile file(path);
#ifdef Q_OS_UNIX
    // The name may point at something else by now: opened without waiting, so a pipe with no writer cannot hold the
    // open, then checked again by what is open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ELOOP ? ReadError::Missing : ReadError::Unreadable;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > MaxTextFileBytes) {
        const bool tooLarge = S_ISREG(status.st_mode) && status.st_size > MaxTextFileBytes;
        ::close(fd);
        return tooLarge ? ReadError::TooLarge : ReadError::NotAFile;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadError::Unreadable;
    }
#else
    if (!file.open(QIODevice::ReadOnly))
        return ReadError::Unreadable;
#endif
    if (readHook)
        readHook(ReadStage::Opened, path);
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
