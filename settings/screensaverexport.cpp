// SPDX-License-Identifier: MIT
#include "screensaverexport.h"

#include "settings/inifile.h"

namespace oq {

namespace {
const QString LastQuoteSection = QStringLiteral("lastquote");
} // namespace

QString screenSaverText(const QStringList &displayLines)
{
    QString text;
    for (const QString &line : displayLines)
        text += QLatin1Char(' ') + line;
    return text;
}

void exportScreenSaverText(const QStringList &displayLines, TIniFile &settingsFile)
{
    TIniFile screenSaver(QStringLiteral("control.ini"));
    screenSaver.WriteText(QStringLiteral("Screen Saver.Marquee"), QStringLiteral("Text"), screenSaverText(displayLines));

    // The previous copy goes by number: "0" up to the count of keys less one,
    // whatever the listed names are.
    QStringList keys;
    settingsFile.ListKeys(LastQuoteSection, keys);
    for (int k = 0; k < keys.size(); ++k)
        settingsFile.RemoveKey(LastQuoteSection, QString::number(k));

    for (int i = 0; i < displayLines.size(); ++i) {
        const QString &line = displayLines.at(i);
        if (line.isEmpty())
            continue;
        qsizetype blanks = 0;
        while (blanks < line.size() && line.at(blanks) == QLatin1Char(' '))
            ++blanks;
        settingsFile.WriteText(LastQuoteSection, QString::number(i), line.mid(blanks));
    }
}

} // namespace oq
