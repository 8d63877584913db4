// SPDX-License-Identifier: MIT
#include "fortunefile.h"

#include "core/textdecoding.h"
#include "quotes/linelist.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace oq {

namespace {

quint32 bigEndianAt(QByteArrayView bytes, qsizetype position)
{
    return qFromBigEndian<quint32>(bytes.data() + position);
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// Whether `bytes` ends with a line that holds the delimiter alone, its line
// end included; gives the length without that line.
std::optional<qsizetype> withoutDelimiterLine(QByteArrayView bytes, char delimiter)
{
    qsizetype end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\n')
        --end;
    if (end > 0 && bytes[end - 1] == '\r')
        --end;
    if (end == bytes.size() || end == 0 || bytes[end - 1] != delimiter)
        return std::nullopt;
    const qsizetype start = end - 1;
    if (start > 0 && !isLineEnd(bytes[start - 1]))
        return std::nullopt;
    return start;
}

} // namespace

std::optional<StrfileHeader> parseStrfileHeader(QByteArrayView header, qint64 indexSize)
{
    if (header.size() < StrfileHeaderBytes || indexSize < StrfileHeaderBytes)
        return std::nullopt;
    StrfileHeader h;
    h.version = bigEndianAt(header, 0);
    h.count = bigEndianAt(header, 4);
    h.longest = bigEndianAt(header, 8);
    h.shortest = bigEndianAt(header, 12);
    h.flags = bigEndianAt(header, 16);
    h.delimiter = header[20];
    if (h.version != 1 && h.version != 2)
        return std::nullopt;
    if (h.delimiter == '\0' || isLineEnd(h.delimiter))
        return std::nullopt;
    if ((indexSize - StrfileHeaderBytes) / 4 < qint64(h.count) + 1)
        return std::nullopt;
    return h;
}

std::optional<StrfileIndex> findStrfileIndex(const QString &textPath)
{
    auto tryIndex = [](const QString &path) -> std::optional<StrfileIndex> {
        const QFileInfo info(path);
        if (!info.isFile())
            return std::nullopt;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return std::nullopt;
        const auto header = parseStrfileHeader(file.read(StrfileHeaderBytes), file.size());
        if (!header)
            return std::nullopt;
        return StrfileIndex { path, *header };
    };
    const QString suffix = QStringLiteral(".dat");
    if (auto index = tryIndex(textPath + suffix))
        return index;
    const QFileInfo text(textPath);
    if (text.isSymLink()) {
        const QString target = text.canonicalFilePath();
        if (!target.isEmpty())
            return tryIndex(target + suffix);
    }
    return std::nullopt;
}

std::optional<QByteArray> readStrfileEntry(const StrfileIndex &index, const QString &textPath, quint32 number)
{
    if (number >= index.header.count)
        return std::nullopt;
    QFile dat(index.path);
    // Unbuffered: only the bytes asked for are read.
    if (!dat.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !dat.seek(StrfileHeaderBytes + qint64(number) * 4))
        return std::nullopt;
    const QByteArray offsets = dat.read(8);
    if (offsets.size() != 8)
        return std::nullopt;
    const qint64 start = bigEndianAt(offsets, 0);
    const qint64 end = bigEndianAt(offsets, 4);

    QFile text(textPath);
    if (!QFileInfo(textPath).isFile() || !text.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    if (start > end || end > text.size() || end - start > MaxTextFileBytes)
        return std::nullopt;
    // The bytes just before the entry show whether a delimiter line ends there.
    const qint64 lead = std::min<qint64>(start, 3);
    if (!text.seek(start - lead))
        return std::nullopt;
    const QByteArray bytes = text.read(end - start + lead);
    if (bytes.size() != end - start + lead)
        return std::nullopt;
    if (lead > 0 && !withoutDelimiterLine(QByteArrayView(bytes).first(lead), index.header.delimiter))
        return std::nullopt;
    QByteArray entry = bytes.sliced(lead);
    if (const auto length = withoutDelimiterLine(entry, index.header.delimiter))
        entry.truncate(*length);
    else if (end != text.size())
        return std::nullopt; // only the last entry may end without a delimiter line
    return entry;
}

void rot13(QByteArray &bytes)
{
    for (char &c : bytes) {
        const char16_t r = rot13(char16_t(static_cast<unsigned char>(c)));
        c = char(r);
    }
}

char16_t delimiterCharacter(char delimiter)
{
    return fromWindows1252(static_cast<unsigned char>(delimiter));
}

} // namespace oq
