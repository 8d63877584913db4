// SPDX-License-Identifier: MIT
// Test helper: a main window on a quote file of the test's own, with the
// settings file and the data folder in a private temporary folder.
#pragma once

#include "forms/ombryquotefm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace mainformfixture {

// Quotes as lines; written with CR LF, quotes separated by two empty lines.
inline QByteArray quoteFileBytes(const QList<QStringList> &quotes)
{
    QByteArray bytes;
    for (int q = 0; q < quotes.size(); ++q) {
        if (q > 0)
            bytes += "\r\n\r\n";
        for (const QString &line : quotes.at(q))
            bytes += line.toUtf8() + "\r\n";
    }
    return bytes;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points the profile and data folders into `root`; call before any window exists.
inline void useFolders(const QTemporaryDir &root)
{
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
}

// Names the quote file (and the favourites folder) in the settings file the
// main window reads when it is made.
inline bool writeSettings(const QTemporaryDir &root, const QString &quoteFile, const QString &installDir = QString())
{
    const QString folder = root.filePath(QStringLiteral("config/ombryquote"));
    if (!QDir().mkpath(folder))
        return false;
    QByteArray ini = "[quotefile]\nfilename=" + quoteFile.toUtf8() + "\n";
    if (!installDir.isEmpty())
        ini += "InstallDir=" + installDir.toUtf8() + "\n";
    return writeFile(folder + QStringLiteral("/ombryquote.ini"), ini);
}

// The quote on display as the pane holds it, for comparisons.
inline QString paneTextOf(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

// Shows `index` in the main window as the navigation commands do.
inline void showQuote(TQuoteForm &form, qint32 index)
{
    form.CurrentIndex = index;
    form.NewQuoteProc();
}

} // namespace mainformfixture
