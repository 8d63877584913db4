// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

class TIniFile;

namespace oq {

// The text the screen saver scrolls: one blank before each display line.
QString screenSaverText(const QStringList &displayLines);

// Hands the displayed quote to the screen saver ("control.ini", section
// "Screen Saver.Marquee", key "Text") and keeps a copy, one key per display
// line without its leading blanks, in section "lastquote" of the program's
// own profile. A failed write throws EIniFileException and stops there.
void exportScreenSaverText(const QStringList &displayLines, TIniFile &settingsFile);

} // namespace oq
