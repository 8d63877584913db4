// SPDX-License-Identifier: MIT
#include "favourites.h"

#include "core/exception.h"
#include "core/filewrite.h"
#include "quotes/linelist.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace oq {

namespace {

const QString FavouritesFileName = QStringLiteral("FavQuote.txt");

// The absolute path of a name, with the links of its deepest existing folder
// resolved; the part below that folder, which does not exist yet, is cleaned.
QString resolvedPath(const QFileInfo &info)
{
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString path = info.absoluteFilePath();
    for (qsizetype cut = path.lastIndexOf(QLatin1Char('/')); cut > 0;
         cut = path.lastIndexOf(QLatin1Char('/'), cut - 1)) {
        const QString folder = QFileInfo(path.left(cut)).canonicalFilePath();
        if (!folder.isEmpty())
            return QDir::cleanPath(folder + path.mid(cut));
    }
    return QDir::cleanPath(path);
}

} // namespace

QString favouritesPath(const QString &installDir)
{
    if (installDir.isEmpty()) {
        // The root folder is not writable for an ordinary user.
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ombryquote/")
            + FavouritesFileName;
    }
    return installDir + QDir::separator() + FavouritesFileName;
}

void appendFavourite(const QString &path, const QString &text)
{
    const QFileInfo info(path);
    if (!info.exists() && path == favouritesPath(QString()))
        QDir().mkpath(info.absolutePath());
    // Two copies of the program adding at the same moment take turns, so neither addition is lost.
    FolderLock lock(info.absolutePath());
    if (!lock.lock(FolderLockTimeoutMs))
        throw Exception(QStringLiteral("Cannot create file %1").arg(path));
    LineList lines;
    const ReadError error = readTextFile(path, lines);
    if (error != ReadError::None && error != ReadError::Missing)
        throw Exception(QStringLiteral("Cannot open file %1").arg(path));

    QByteArray out;
    out.reserve(lines.buffer().size() + text.size() + 8);
    for (int i = 0; i < lines.size(); ++i) {
        out += lines.at(i).toUtf8();
        out += "\r\n";
    }
    // A file edited by hand may not end in the two empty lines that end a
    // quote; the new quote would then run on as part of the last one.
    if (lines.size() > 0) {
        int trailingEmpty = 0;
        while (trailingEmpty < 2 && trailingEmpty < lines.size()
               && lines.at(lines.size() - 1 - trailingEmpty).isEmpty())
            ++trailingEmpty;
        for (; trailingEmpty < 2; ++trailingEmpty)
            out += "\r\n";
    }
    // The text box holds line feeds; every line of the file ends in CR LF.
    QString entry = text;
    entry.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    entry.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    entry.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    out += entry.toUtf8();
    out += "\r\n";
    out += "\r\n";

    if (!replaceFileContents(path, out))
        throw Exception(QStringLiteral("Cannot create file %1").arg(path));
}

bool isSameFile(const QString &name, const QString &otherName)
{
    if (name.isEmpty() || otherName.isEmpty())
        return false;
    const QFileInfo one(name);
    const QFileInfo other(otherName);
    if (one.exists() && other.exists()) {
#ifdef Q_OS_UNIX
        struct stat a;
        struct stat b;
        if (::stat(QFile::encodeName(name).constData(), &a) == 0
            && ::stat(QFile::encodeName(otherName).constData(), &b) == 0)
            return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
#endif
        return one.canonicalFilePath() == other.canonicalFilePath();
    }
    return resolvedPath(one) == resolvedPath(other);
}

} // namespace oq
