// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace oq {

// The lines of a text file, held as one decoded buffer plus the position of
// every line. A quote file of 33,000 quotes has a few hundred thousand lines;
// one buffer keeps that to about twice the file's size instead of one heap
// string per line. A line holds no line end, so it ends where the line ends
// before the next line's start (or the buffer's end) begin: its length need
// not be kept.
class LineList
{
public:
    int size() const { return int(m_start.size()); }
    int count() const { return size(); }
    bool isEmpty() const { return m_start.empty(); }

    QStringView at(int i) const
    {
        const qsizetype start = m_start[size_t(i)];
        return QStringView(m_text).mid(start, lineEnd(i) - start);
    }
    QStringView operator[](int i) const { return at(i); }
    bool lineIsEmpty(int i) const { return lineEnd(i) == m_start[size_t(i)]; }

    void clear();
    // Adds a line of its own, which holds no line end; the buffer keeps a
    // line feed between lines.
    void append(QStringView line);
    QStringList toStringList() const;
    // Gives back the room reserved while the list grew.
    void squeeze();
    // Takes the given lines (ascending line numbers) out of the list; their
    // characters become line feeds in the buffer, so that still only line
    // ends stand between consecutive lines.
    void dropLines(const std::vector<qint32> &ascending);
    // Keeps the first `count` lines and the text up to their end.
    void truncate(int count);

    // The decoded text the lines point into, and where a line starts in it.
    // Line ends and nothing else stand between consecutive lines.
    const QString &buffer() const { return m_text; }
    qsizetype lineStart(int i) const { return m_start[size_t(i)]; }
    // The first line whose start is above the buffer position, minus one.
    int lineAt(qsizetype position) const;

private:
    friend class LineReader;
    // Where line i ends: before the line ends that stand between it and the
    // next line, or the end of the buffer.
    qsizetype lineEnd(int i) const
    {
        const qsizetype start = m_start[size_t(i)];
        qsizetype end = size_t(i) + 1 < m_start.size() ? m_start[size_t(i) + 1] : m_text.size();
        const QChar *text = m_text.constData();
        while (end > start && (text[end - 1] == QLatin1Char('\n') || text[end - 1] == QLatin1Char('\r')))
            --end;
        return end;
    }

    QString m_text;
    std::vector<qint32> m_start;
};

// Receives the lines of a text while it is being split; lets the quote index
// stop the reading at its limit without splitting or decoding the rest.
class LineSink
{
public:
    virtual ~LineSink() = default;
    // Called before the first line.
    virtual void reset() = 0;
    // Returns false to stop: this line and the rest of the text are dropped.
    virtual bool line(int index, QStringView text) = 0;
};

// How a split ended.
struct DecodedLines
{
    bool stopped = false; // the sink stopped the split before the end
};

// Splits bytes into lines and decodes each line on its own (see
// core/textdecoding.h: valid UTF-8 as UTF-8, any other line as Windows-1252,
// a byte-order mark as the character U+FEFF; a text that starts with a UTF-16
// byte-order mark as UTF-16). A NUL byte or character ends the text.
// CR LF, a lone LF and a lone CR each end a line; LF followed by CR is two
// line ends; a terminator at the very end adds no empty line. Replaces the
// contents of `lines`.
DecodedLines splitText(QByteArrayView bytes, LineList &lines, LineSink *sink = nullptr);

// UnrepresentableName: the file is there, but its name holds bytes that are
// not valid in the encoding of file names (UTF-8), so the name read as text
// (with U+FFFD in their place) no longer reaches it.
enum class ReadError { None, Missing, NotAFile, Unreadable, TooLarge, UnrepresentableName };

// Reads a whole text file and splits it as splitText does. Returns the reason
// when the file cannot be read; `lines` is then empty.
ReadError readTextFile(const QString &path, LineList &lines, LineSink *sink = nullptr);

// Whether `path` names no file only because a name in it was not valid in the
// file-name encoding: its folder lists an entry of that name as decoded.
bool isUnrepresentableFileName(const QString &path);
// Says so, naming the file, for a message box.
QString unrepresentableFileNameMessage(const QString &path);

// For tests: called while a text file is read, once it has passed the check that it is a file of a readable size
// (Checked) and once it is open (Opened), so a test can change the file in between.
enum class ReadStage { Checked, Opened };
using ReadTextFileHook = void (*)(ReadStage stage, const QString &path);
void setReadTextFileHook(ReadTextFileHook hook);

// Files above this size are refused as too large rather than exhausting memory.
inline constexpr qint64 MaxTextFileBytes = qint64(1) << 30;

// ASCII-only lower-casing: A to Z become a to z, every other character stays.
QString asciiLower(QStringView text);
inline char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

} // namespace oq
