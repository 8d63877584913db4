// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

namespace oq {

// The requests the program sends to its help viewer.
enum class HelpCommand { Quit = 2, Contents = 3 };

// The application's help file: "OMBRYQuote.hlp" until start-up finds it
// beside the program and puts the full path here.
QString &applicationHelpFile();

// Shows the help file's contents in the program's help window, opening or
// raising it; a bare name is looked up beside the program, then in the
// installed data folder.
void helpContents(const QString &helpFile, QWidget *owner);
// Closes the help window, if it is open.
void helpQuit();
// The file the help window shows for a help file name, or empty when none exists.
QString resolveHelpFile(const QString &helpFile);
// The help window, if it has been opened (for tests).
QWidget *helpWindow();

} // namespace oq
