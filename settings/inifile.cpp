// SPDX-License-Identifier: MIT
#include "settings/inifile.h"

#include "core/filewrite.h"
#include "core/textdecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace oq {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool hasUtf8Bom(const QByteArray &data)
{
    return data.startsWith("\xEF\xBB\xBF");
}

QByteArray trimmedBlanks(const QByteArray &bytes)
{
    qsizetype start = 0;
    qsizetype end = bytes.size();
    while (start < end && isBlank(bytes.at(start)))
        ++start;
    while (end > start && isBlank(bytes.at(end - 1)))
        --end;
    return bytes.mid(start, end - start);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only A to Z fold: the profile's names compare like the rest of the program's text.
bool sameName(const char *a, qsizetype length, const QByteArray &b)
{
    if (length != b.size())
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        if (asciiLower(a[i]) != asciiLower(b.at(i)))
            return false;
    }
    return true;
}

// One line of the file: its text runs from start to contentEnd, its line end (CR LF, LF or CR, or none on the
// last line) from contentEnd to end.
struct Line
{
    qsizetype start = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;

    bool hasLineEnd() const { return end > contentEnd; }
};

enum class LineKind { Blank, Comment, Section, Key, Other };

// What the store understands of a line. For a section the name lies in [nameStart, nameEnd); for a key the name
// too, and the value, blanks trimmed, in [valueStart, valueEnd).
struct LineInfo
{
    LineKind kind = LineKind::Other;
    qsizetype nameStart = 0;
    qsizetype nameEnd = 0;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

class LineReader
{
public:
    // A UTF-8 byte-order mark belongs to no line, so a file saved by an editor that writes one keeps its first
    // section.
    explicit LineReader(const QByteArray &data) : m_data(data), m_pos(hasUtf8Bom(data) ? 3 : 0) { }

    bool next(Line &line)
    {
        const qsizetype size = m_data.size();
        if (m_pos >= size)
            return false;
        const char *p = m_data.constData();
        qsizetype i = m_pos;
        while (i < size && p[i] != '\n' && p[i] != '\r')
            ++i;
        line.start = m_pos;
        line.contentEnd = i;
        if (i < size)
            i += (p[i] == '\r' && i + 1 < size && p[i + 1] == '\n') ? 2 : 1;
        line.end = i;
        m_pos = i;
        return true;
    }

private:
    const QByteArray &m_data;
    qsizetype m_pos;
};

void trimRange(const char *p, qsizetype &start, qsizetype &end)
{
    while (start < end && isBlank(p[start]))
        ++start;
    while (end > start && isBlank(p[end - 1]))
        --end;
}

LineInfo classify(const QByteArray &data, const Line &line)
{
    const char *p = data.constData();
    LineInfo info;
    qsizetype i = line.start;
    while (i < line.contentEnd && isBlank(p[i]))
        ++i;
    if (i == line.contentEnd) {
        info.kind = LineKind::Blank;
        return info;
    }
    // ";" makes a comment only at the start of a line; elsewhere it is part of the value.
    if (p[i] == ';') {
        info.kind = LineKind::Comment;
        return info;
    }
    if (p[i] == '[') {
        const void *close = std::memchr(p + i + 1, ']', size_t(line.contentEnd - i - 1));
        if (!close)
            return info; // a "[" without "]" is no header; the line is kept as it is
        info.kind = LineKind::Section;
        info.nameStart = i + 1;
        info.nameEnd = static_cast<const char *>(close) - p;
        trimRange(p, info.nameStart, info.nameEnd);
        return info;
    }
    const void *eq = std::memchr(p + i, '=', size_t(line.contentEnd - i));
    if (!eq)
        return info;
    const qsizetype eqPos = static_cast<const char *>(eq) - p;
    info.nameStart = i;
    info.nameEnd = eqPos;
    trimRange(p, info.nameStart, info.nameEnd);
    if (info.nameStart == info.nameEnd)
        return info; // "=value" names nothing
    info.kind = LineKind::Key;
    info.valueStart = eqPos + 1;
    info.valueEnd = line.contentEnd;
    trimRange(p, info.valueStart, info.valueEnd);
    return info;
}

// What a walk over one section found. The file-level fields are complete only when the section is missing, as
// the walk then reads the whole file.
struct SectionScan
{
    bool found = false;
    Line header;
    bool hasKeyLine = false;
    Line lastKeyLine;
    bool hasLine = false;
    Line lastLine;
    bool lastLineBlank = false;
};

// Calls visit(line, info) for each key line of the first section named section, in file order, until visit
// returns false. Later sections of the same name are not searched: the first one is the section.
template<typename Visit>
SectionScan scanSection(const QByteArray &data, const QByteArray &section, Visit visit)
{
    SectionScan scan;
    LineReader reader(data);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        const LineInfo info = classify(data, line);
        scan.hasLine = true;
        scan.lastLine = line;
        scan.lastLineBlank = info.kind == LineKind::Blank;
        if (info.kind == LineKind::Section) {
            if (inSection)
                break;
            if (sameName(data.constData() + info.nameStart, info.nameEnd - info.nameStart, section)) {
                inSection = true;
                scan.found = true;
                scan.header = line;
            }
            continue;
        }
        if (inSection && info.kind == LineKind::Key) {
            scan.hasKeyLine = true;
            scan.lastKeyLine = line;
            if (!visit(line, info))
                break;
        }
    }
    return scan;
}

bool isKey(const QByteArray &data, const LineInfo &info, const QByteArray &key)
{
    return sameName(data.constData() + info.nameStart, info.nameEnd - info.nameStart, key);
}

// A value that would lose bytes when read back (blanks at either end, or a pair of outer quotes of its own) is
// written inside double quotes, which the reader removes again.
QByteArray encodedValue(const QByteArray &value)
{
    if (value.isEmpty())
        return value;
    const char first = value.front();
    const char last = value.back();
    const bool quoted = value.size() >= 2 && first == last && (first == '"' || first == '\'');
    if (isBlank(first) || isBlank(last) || quoted)
        return '"' + value + '"';
    return value;
}


} // namespace

QString profileFolder()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/ombryquote");
}

QString profileFilePath(const QString &fileName)
{
#ifdef Q_OS_WIN
    const bool hasFolder = fileName.contains(u'/') || fileName.contains(u'\\') || fileName.contains(u':');
#else
    const bool hasFolder = fileName.contains(u'/');
#endif
    if (hasFolder)
        return fileName;
    QString lower = fileName;
    for (QChar &c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    }
    return profileFolder() + u'/' + lower;
}

namespace ini {

std::optional<QByteArray> value(const QByteArray &data, const QByteArray &section, const QByteArray &key)
{
    const QByteArray wantedSection = trimmedBlanks(section);
    const QByteArray wantedKey = trimmedBlanks(key);
    std::optional<QByteArray> result;
    scanSection(data, wantedSection, [&](const Line &, const LineInfo &info) {
        if (!isKey(data, info, wantedKey))
            return true;
        qsizetype start = info.valueStart;
        qsizetype end = info.valueEnd;
        const char *p = data.constData();
        if (end - start >= 2 && p[start] == p[end - 1] && (p[start] == '"' || p[start] == '\'')) {
            ++start;
            --end;
        }
        result = data.mid(start, end - start);
        return false;
    });
    return result;
}

QList<QByteArray> keys(const QByteArray &data, const QByteArray &section, qsizetype maxBytes)
{
    QList<QByteArray> names;
    qsizetype used = 0;
    scanSection(data, trimmedBlanks(section), [&](const Line &, const LineInfo &info) {
        const qsizetype length = info.nameEnd - info.nameStart;
        if (maxBytes >= 0 && used + length + 1 > maxBytes)
            return false;
        used += length + 1;
        names.append(data.mid(info.nameStart, length));
        return true;
    });
    return names;
}

QByteArray Edit::appliedTo(const QByteArray &data) const
{
    QByteArray result;
    result.reserve(data.size() - length + insert.size());
    result.append(data.constData(), position);
    result.append(insert);
    result.append(data.constData() + position + length, data.size() - position - length);
    return result;
}

bool isStorableSection(const QByteArray &section)
{
    const QByteArray name = trimmedBlanks(section);
    return !name.contains('\r') && !name.contains('\n') && !name.contains(']');
}

bool isStorableKey(const QByteArray &key)
{
    const QByteArray name = trimmedBlanks(key);
    return !name.isEmpty() && !name.contains('\r') && !name.contains('\n') && !name.contains('=')
        && name.front() != ';' && name.front() != '[';
}

bool isStorableValue(const QByteArray &value)
{
    return !value.contains('\r') && !value.contains('\n');
}

std::optional<Edit> writeEdit(const QByteArray &data, const QByteArray &section, const QByteArray &key,
                              const QByteArray &value)
{
    if (!isStorableSection(section) || !isStorableKey(key) || !isStorableValue(value))
        return std::nullopt;
    const QByteArray wantedSection = trimmedBlanks(section);
    const QByteArray wantedKey = trimmedBlanks(key);
    const QByteArray stored = encodedValue(value);

    std::optional<Edit> edit;
    const SectionScan scan = scanSection(data, wantedSection, [&](const Line &line, const LineInfo &info) {
        if (!isKey(data, info, wantedKey))
            return true;
        // Only the value changes: the key's spelling, the blanks around "=" and the line end stay.
        edit = Edit{info.valueStart, line.contentEnd - info.valueStart, stored};
        return false;
    });
    if (edit)
        return edit;

    const QByteArray keyLine = wantedKey + '=' + stored + '\n';
    if (scan.found) {
        const Line &after = scan.hasKeyLine ? scan.lastKeyLine : scan.header;
        return Edit{after.end, 0, (after.hasLineEnd() ? QByteArray() : QByteArray("\n")) + keyLine};
    }

    QByteArray insert;
    if (scan.hasLine) {
        if (!scan.lastLine.hasLineEnd())
            insert += '\n';
        if (!scan.lastLineBlank)
            insert += '\n'; // an empty line between sections, as people write them
    }
    insert += '[' + wantedSection + "]\n" + keyLine;
    return Edit{data.size(), 0, insert};
}

QList<Edit> removeEdits(const QByteArray &data, const QByteArray &section, const QByteArray &key)
{
    const QByteArray wantedKey = trimmedBlanks(key);
    QList<Edit> edits;
    // Every line of the key goes, so the key reads as missing afterwards even in a hand-edited file that lists
    // it twice.
    scanSection(data, trimmedBlanks(section), [&](const Line &line, const LineInfo &info) {
        if (isKey(data, info, wantedKey))
            edits.append(Edit{line.start, line.end - line.start, {}});
        return true;
    });
    return edits;
}

QByteArray withoutKey(const QByteArray &data, const QByteArray &section, const QByteArray &key)
{
    QByteArray result = data;
    const QList<Edit> edits = removeEdits(data, section, key);
    for (auto it = edits.crbegin(); it != edits.crend(); ++it)
        result.remove(it->position, it->length);
    return result;
}

std::optional<qint32> toNumber(const QString &text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < size && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    bool hex = false;
    if (i < size && (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < size && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == size)
        return std::nullopt;

    // Hexadecimal takes any 32 bits; decimal must fit a signed 32-bit number.
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 magnitude = 0;
    for (; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * (hex ? 16 : 10) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const quint32 bits = negative ? quint32(0u - quint32(magnitude)) : quint32(magnitude);
    return qint32(bits);
}

QString decode(const QByteArray &bytes)
{
    return decodeText(bytes);
}

} // namespace ini

namespace {

enum class ReadStatus { Read, Missing, Failed };

ReadStatus readProfile(const QString &path, QByteArray &data)
{
    data.clear();
    // A pipe or a device in the profile's place would hold the program up or never end: it is no profile, and is
    // never written over.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return ReadStatus::Failed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? ReadStatus::Failed : ReadStatus::Missing;
    data = file.readAll();
    return file.error() == QFileDevice::NoError ? ReadStatus::Read : ReadStatus::Failed;
}

// Cuts text to at most max characters, never inside a surrogate pair.
QString limitedChars(QString text, qsizetype max)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++count) {
        if (count == max) {
            text.truncate(i);
            break;
        }
        i += (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
    }
    return text;
}

// Re-reads the file under the folder's lock, lets change compute the edits and replaces the file in one step.
// Returns false when anything fails; the file then stays as it was. An existing file that cannot be read is never
// replaced, since that would lose its keys.
template<typename Change>
bool modifyProfile(const QString &path, Change change)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    FolderLock lock(info.absolutePath());
    if (!lock.lock(FolderLockTimeoutMs))
        return false;
    QByteArray data;
    if (readProfile(path, data) == ReadStatus::Failed)
        return false;
    const std::optional<QByteArray> changed = change(data);
    if (!changed)
        return false;
    return replaceFileContents(path, *changed);
}

} // namespace

} // namespace oq

EIniFileException::EIniFileException(const QString &fileName)
    : oq::Exception(QStringLiteral("Unable to write to ") + fileName)
{
}

TIniFile::TIniFile(const QString &fileName) : m_fileName(fileName) { }

QString TIniFile::ReadText(const QString &section, const QString &key, const QString &defaultValue) const
{
    QByteArray data;
    if (oq::readProfile(oq::profileFilePath(m_fileName), data) != oq::ReadStatus::Read)
        return defaultValue;
    const std::optional<QByteArray> stored = oq::ini::value(data, section.toUtf8(), key.toUtf8());
    if (!stored)
        return defaultValue;
    return oq::limitedChars(oq::ini::decode(*stored), oq::ini::MaxValueChars);
}

qint32 TIniFile::ReadNumber(const QString &section, const QString &key, qint32 defaultValue) const
{
    return oq::ini::toNumber(ReadText(section, key, QString())).value_or(defaultValue);
}

void TIniFile::WriteText(const QString &section, const QString &key, const QString &value)
{
    const QByteArray sectionBytes = section.toUtf8();
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray valueBytes = value.toUtf8();
    const bool written = oq::modifyProfile(oq::profileFilePath(m_fileName), [&](const QByteArray &data) {
        std::optional<QByteArray> result;
        if (const auto edit = oq::ini::writeEdit(data, sectionBytes, keyBytes, valueBytes))
            result = edit->appliedTo(data);
        return result;
    });
    if (!written)
        throw EIniFileException(m_fileName);
}

void TIniFile::WriteNumber(const QString &section, const QString &key, qint32 value)
{
    WriteText(section, key, QString::number(value));
}

void TIniFile::WriteFlag(const QString &section, const QString &key, bool value)
{
    WriteText(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::ListKeys(const QString &section, QStringList &keys) const
{
    keys.clear();
    QByteArray data;
    if (oq::readProfile(oq::profileFilePath(m_fileName), data) != oq::ReadStatus::Read)
        return;
    const QList<QByteArray> names = oq::ini::keys(data, section.toUtf8(), oq::ini::MaxKeyListBytes);
    keys.reserve(names.size());
    for (const QByteArray &name : names)
        keys.append(oq::ini::decode(name));
}

void TIniFile::RemoveKey(const QString &section, const QString &key)
{
    const QString path = oq::profileFilePath(m_fileName);
    const QByteArray sectionBytes = section.toUtf8();
    const QByteArray keyBytes = key.toUtf8();
    // Look first without the lock: removing a missing key must not create the folder or touch the file.
    QByteArray data;
    if (oq::readProfile(path, data) != oq::ReadStatus::Read
        || oq::ini::removeEdits(data, sectionBytes, keyBytes).isEmpty())
        return;
    oq::modifyProfile(path, [&](const QByteArray &current) {
        return std::optional<QByteArray>(oq::ini::withoutKey(current, sectionBytes, keyBytes));
    });
}
