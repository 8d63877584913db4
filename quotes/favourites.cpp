// SPDX-License-Identifier: MIT
#include "favourites.h"

#include "core/exception.h"
#include "quotes/linelist.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace oq {

namespace {

const QString FavouritesFileName = QStringLiteral("FavQuote.txt");

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
    // The text box holds line feeds; every line of the file ends in CR LF.
    QString entry = text;
    entry.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    entry.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    entry.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    out += entry.toUtf8();
    out += "\r\n";
    out += "\r\n";

    const QFileInfo info(path);
    if (!info.exists() && path == favouritesPath(QString()))
        QDir().mkpath(info.absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        throw Exception(QStringLiteral("Cannot create file %1").arg(path));
}

bool isSameFavouritesPath(const QString &quoteFileName, const QString &favouritesPath)
{
    return asciiLower(quoteFileName) == asciiLower(favouritesPath);
}

} // namespace oq
