// SPDX-License-Identifier: MIT
#include "settings/programsettings.h"

#include "settings/inifile.h"

namespace oq {

static_assert(settingKey(QuoteFileKey::FileName).id == QuoteFileKey::FileName
                  && settingKey(QuoteFileKey::InstallDir).id == QuoteFileKey::InstallDir
                  && settingKey(QuoteFileKey::FontSize).id == QuoteFileKey::FontSize
                  && settingKey(QuoteFileKey::ExitCountdown).id == QuoteFileKey::ExitCountdown,
              "QuoteFileKeys must list the keys in the order of QuoteFileKey");

namespace {

QString readText(const TIniFile &file, QuoteFileKey id)
{
    const SettingKey &key = settingKey(id);
    return file.ReadText(QLatin1String(QuoteFileSection), QLatin1String(key.name), QLatin1String(key.textDefault));
}

qint32 readNumber(const TIniFile &file, QuoteFileKey id)
{
    const SettingKey &key = settingKey(id);
    return file.ReadNumber(QLatin1String(QuoteFileSection), QLatin1String(key.name), key.numberDefault);
}

} // namespace

ProgramSettings readProgramSettings(const TIniFile &settingsFile)
{
    ProgramSettings settings;
    settings.QuoteFileName = readText(settingsFile, QuoteFileKey::FileName);
    settings.InstallDir = readText(settingsFile, QuoteFileKey::InstallDir);
    settings.FontSize = readNumber(settingsFile, QuoteFileKey::FontSize);
    settings.ExitCountdown = qMax(0, readNumber(settingsFile, QuoteFileKey::ExitCountdown));
    return settings;
}

QString &startupQuoteFile()
{
    static QString file;
    return file;
}

void writeProgramSettings(TIniFile &settingsFile, const QString &quoteFileName, qint32 fontSize)
{
    const QLatin1String section(QuoteFileSection);
    settingsFile.WriteText(section, QLatin1String(settingKey(QuoteFileKey::FileName).name), quoteFileName);
    settingsFile.WriteNumber(section, QLatin1String(settingKey(QuoteFileKey::FontSize).name), fontSize);
}

bool isStorableQuoteFileName(const QString &fileName)
{
    return ini::isStorableValue(fileName.toUtf8());
}

QString unstorableFileNameMessage(const QString &fileName)
{
    // The line breaks are shown as a symbol, so the message names the file on one line.
    QString shown = fileName;
    shown.replace(QLatin1String("\r\n"), QStringLiteral(u"\u21B5")).replace(QLatin1Char('\r'), QChar(0x21B5));
    shown.replace(QLatin1Char('\n'), QChar(0x21B5));
    return QStringLiteral("Cannot open \"%1\": its name holds a line break, which the settings cannot keep. "
                          "Rename the file and open it again.")
        .arg(shown);
}

void writeProgramSettings(
    TIniFile &settingsFile, ProgramSettings &stored, const QString &quoteFileName, qint32 fontSize)
{
    const QLatin1String section(QuoteFileSection);
    const QLatin1String fileNameKey(settingKey(QuoteFileKey::FileName).name);
    const QLatin1String fontSizeKey(settingKey(QuoteFileKey::FontSize).name);
    QStringList present;
    settingsFile.ListKeys(section, present);
    if (quoteFileName != stored.QuoteFileName || !present.contains(fileNameKey, Qt::CaseInsensitive)) {
        settingsFile.WriteText(section, fileNameKey, quoteFileName);
        stored.QuoteFileName = quoteFileName;
    }
    const bool hasFontSize = ini::toNumber(settingsFile.ReadText(section, fontSizeKey, QString())).has_value();
    if (fontSize != stored.FontSize || !hasFontSize) {
        settingsFile.WriteNumber(section, fontSizeKey, fontSize);
        stored.FontSize = fontSize;
    }
}

bool CloseFailureCounter::mayCloseAfterFailure()
{
    ++m_failures;
    return m_failures >= 2;
}

} // namespace oq
