// SPDX-License-Identifier: MIT
// The writes of the crash test: which file, through which of the program's functions, and the exact bytes the file
// must hold after each complete write. Shared by the writer process and the test that checks it.
#pragma once

#include "quotes/favourites.h"
#include "settings/inifile.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>

#include <cstring>

namespace crashwrites {

enum class Kind { Settings, Placement, ScreenSaver, Favourites };

inline Kind kindFromName(const char *name)
{
    if (std::strcmp(name, "settings") == 0)
        return Kind::Settings;
    if (std::strcmp(name, "placement") == 0)
        return Kind::Placement;
    if (std::strcmp(name, "screensaver") == 0)
        return Kind::ScreenSaver;
    return Kind::Favourites;
}

// Values of changing length, so that a cut or a mix of two writes cannot pass for a whole one.
inline QString value(qint64 n)
{
    return QStringLiteral("v%1-").arg(n) + QString(int((n * 37) % 301), QChar(u'a' + int(n % 26)));
}

inline QString favourite(qint64 n)
{
    return QStringLiteral("Favourite number %1\n").arg(n) + QString(int((n * 53) % 700), QChar(u'A' + int(n % 26)))
        + QStringLiteral("\n  -- Somebody\n");
}

// The profile files as a user's machine holds them; "@" marks the value the writer replaces.
inline QByteArray profileTemplate(Kind kind)
{
    switch (kind) {
    case Kind::Settings:
        return "[Position]\r\nFormVersion=0\r\nFlags=0\r\nShowCmd=1\r\nPixelsPerInch=96\r\n"
               "NormPos(1920x1080)=462,235,939,495\r\nNormPos=462,235,939,495\r\nVisible=0\r\n\r\n"
               "[quotefile]\r\nfilename=@\r\nFontSize=12\r\nInstallDir=/home/user/quotes\r\n\r\n"
               "[lastquote]\r\n0=Be yourself; everyone else is already taken.\r\n1=Oscar Wilde\r\n";
    case Kind::Placement:
        return "; window placement\n[FormStorage]\nFormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=96\n"
               "MinMaxPos=-1,-1,-1,-1\nNormPos=@\nVisible=0\n";
    case Kind::ScreenSaver:
        return "[Screen Saver.Marquee]\nFont=Arial\nText=\"@\"\nSpeed=2\n\n[Other Saver]\nKey=value\n";
    case Kind::Favourites:
        break;
    }
    return {};
}

inline QString fileName(Kind kind)
{
    switch (kind) {
    case Kind::Settings:
        return QStringLiteral("ombryquote.ini");
    case Kind::Placement:
        return QStringLiteral("OmbryQuote");
    case Kind::ScreenSaver:
        return QStringLiteral("control.ini");
    case Kind::Favourites:
        break;
    }
    return oq::favouritesPath(QString());
}

inline QString filePath(Kind kind)
{
    return kind == Kind::Favourites ? fileName(kind) : oq::profileFilePath(fileName(kind));
}

// Write n of the writer, through the program's own code.
inline void write(Kind kind, qint64 n)
{
    switch (kind) {
    case Kind::Settings:
        TIniFile(fileName(kind)).WriteText(QStringLiteral("quotefile"), QStringLiteral("filename"), value(n));
        break;
    case Kind::Placement:
        TIniFile(fileName(kind)).WriteText(QStringLiteral("FormStorage"), QStringLiteral("NormPos"), value(n));
        break;
    case Kind::ScreenSaver:
        // The screen-saver text begins with a blank, so it is stored in quotes.
        TIniFile(fileName(kind))
            .WriteText(QStringLiteral("Screen Saver.Marquee"), QStringLiteral("Text"), u' ' + value(n));
        break;
    case Kind::Favourites:
        oq::appendFavourite(fileName(kind), favourite(n));
        break;
    }
}

// The file's bytes after write n (0: as the test left it before the first writer).
inline QByteArray expected(Kind kind, qint64 n, qint64 favouritesBase = 0)
{
    if (kind == Kind::Favourites) {
        QByteArray bytes = "An old favourite\r\n\r\n\r\n";
        for (qint64 i = favouritesBase + 1; i <= n; ++i)
            bytes += favourite(i).toUtf8().replace("\n", "\r\n") + "\r\n\r\n";
        return bytes;
    }
    QByteArray text = profileTemplate(kind);
    const QByteArray stored = (kind == Kind::ScreenSaver ? QByteArray(" ") : QByteArray()) + value(n).toUtf8();
    return text.replace("@", stored);
}

} // namespace crashwrites
