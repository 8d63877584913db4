// SPDX-License-Identifier: MIT
// Test helper: a main window on a quote file of the test's own, with the
// settings file and the data folder in a private temporary folder.
#pragma once

#include "forms/errordisplay.h"
#include "forms/ombryquotefm.h"
#include "settings/inifile.h"

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

// The set-up the main window's tests share: a private folder holding the
// quote file, settings naming it, and error boxes collected instead of shown.
class MainFormFixture
{
protected:
    // From initTestCase.
    bool setUpFolder(const QList<QStringList> &quotes)
    {
        useFolders(m_root);
        oq::setErrorSink([this](const QString &text) { m_errors << text; });
        m_quoteFile = m_root.filePath(QStringLiteral("quotes.txt"));
        return m_root.isValid() && writeFile(m_quoteFile, quoteFileBytes(quotes));
    }
    // From init: fresh settings that name the quote file, and no error seen yet.
    bool resetSettings(const QString &installDir = QString())
    {
        m_errors.clear();
        QDir(oq::profileFolder()).removeRecursively();
        return writeSettings(m_root, m_quoteFile, installDir);
    }

    QTemporaryDir m_root;
    QString m_quoteFile;
    QStringList m_errors;
    std::unique_ptr<TQuoteForm> m_form;
};

} // namespace mainformfixture
