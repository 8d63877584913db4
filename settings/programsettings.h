// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class TIniFile;

namespace oq {

// The program's own profile file, and the section that holds its settings.
inline constexpr char SettingsFileName[] = "ombryquote.ini";
inline constexpr char QuoteFileSection[] = "quotefile";

enum class QuoteFileKey { FileName, InstallDir, FontSize, ExitCountdown };

// One key of section "quotefile": its name, its default and whether the program writes it back at close.
struct SettingKey
{
    QuoteFileKey id;
    const char *name;
    const char *textDefault;
    qint32 numberDefault;
    bool writtenAtClose;
};

// Every key of section "quotefile" with its default; nothing else in the program spells these names.
inline constexpr SettingKey QuoteFileKeys[] = {
    {QuoteFileKey::FileName, "filename", "Quote.txt", 0, true},
    {QuoteFileKey::InstallDir, "InstallDir", "", 0, false},
    {QuoteFileKey::FontSize, "FontSize", nullptr, 8, true},
    // Seconds until the program closes by itself; missing, malformed or not above 0 means never.
    {QuoteFileKey::ExitCountdown, "ExitCountdown", nullptr, 0, false},
};

constexpr const SettingKey &settingKey(QuoteFileKey id)
{
    return QuoteFileKeys[static_cast<int>(id)];
}

// What the main window keeps of the profile between its creation and its close.
struct ProgramSettings
{
    QString QuoteFileName;
    QString InstallDir;
    qint32 FontSize = 8;
    qint32 ExitCountdown = 0; // 0: no countdown
};

// Reads the settings once, at the main window's creation; missing or malformed keys give their defaults.
ProgramSettings readProgramSettings(const TIniFile &settingsFile);

// The quote file named on the program's command line, as an absolute path, or empty. Start-up sets it before the
// main window is made; for this run it takes the place of "filename", as if chosen with Open, so it is stored at close
// once it has been read.
QString &startupQuoteFile();

// Writes "filename", then "FontSize", at close. A failed write throws EIniFileException and nothing after it is
// tried, so when "filename" fails "FontSize" is left as it was.
void writeProgramSettings(TIniFile &settingsFile, const QString &quoteFileName, qint32 fontSize);

// Whether a quote file name can be stored as "filename" so that it reads back as it is. A name holding a line
// break cannot: wherever a name enters (the open dialog, the command line) such a name is refused with
// unstorableFileNameMessage, and the file that is open stays open.
bool isStorableQuoteFileName(const QString &fileName);
QString unstorableFileNameMessage(const QString &fileName);

// The same at the main window's close, for a run that read `stored` at its start: writes only what differs from
// `stored`, and what the file does not hold as a usable value (so a first run stores both). A key this run left
// alone keeps what another copy of the program stored in the meantime: two copies closing together, each having
// changed a different setting, lose neither change. `stored` takes each value written.
void writeProgramSettings(
    TIniFile &settingsFile, ProgramSettings &stored, const QString &quoteFileName, qint32 fontSize);

// Decides what a failed settings write at close does: the first failure abandons the close so the user can act
// on the message; a second consecutive failure lets the program close all the same, so nobody is trapped.
class CloseFailureCounter
{
public:
    // Call after a failed write at close; true when the program may close anyway.
    bool mayCloseAfterFailure();
    // Call after a successful write at close.
    void reset() { m_failures = 0; }
    int consecutiveFailures() const { return m_failures; }

private:
    int m_failures = 0;
};

} // namespace oq
