// SPDX-License-Identifier: MIT
#pragma once

#include "app/terminalmode.h"

#include <QString>
#include <QStringList>

namespace oq {

// What the program does with its arguments. It is decided before any window
// or display exists, so asking for help or the version, or a mistyped option,
// works on a machine without a display.
struct CommandLine
{
    enum class Action {
        OpenWindow, // start the desktop program, on quoteFile when one is named
        ShowHelp, // print the usage on standard output, exit 0
        ShowVersion, // print the program's name and version on standard output, exit 0
        Refuse, // print error and the usage on standard error, exit 2
        Terminal, // the terminal mode: --print, --search or --count, no window
    };

    Action action = Action::OpenWindow;
    // The FILE argument made absolute against the current folder; empty when none was given.
    QString quoteFile;
    // Why the arguments were refused, one line without the program name.
    QString error;
    // What the terminal mode is to do.
    TerminalRequest terminal;
};

// The exit status of a refused command line.
inline constexpr int UsageExitStatus = 2;

// The program's arguments as strings, decoded as file names are.
QStringList decodeArguments(int argc, char *argv[]);

// Parses the program's arguments; arguments[0] is the program as it was started.
CommandLine parseCommandLine(const QStringList &arguments);

// The usage and the list of options, as --help prints it.
QString usageText();

// "<product name> <file version>" from the version block of the program file;
// the version built into the program when the file holds no readable block.
QString versionText(const QString &programFile);

// The running program's file, found without an application object.
QString runningProgramFile(const char *argv0);

// Why the window cannot be opened here, or empty when it can: without a
// display server and without a Qt platform chosen by hand, Qt would abort.
QString missingDisplayReason();

// The exit status when the window cannot be opened.
inline constexpr int NoDisplayExitStatus = 1;

// Whether the window can be opened here; when not, says why on standard error.
bool canOpenWindow();

// Held while the application object is made. A display that is named but
// cannot be reached (no server on it, access refused, no compositor) then
// ends the program with one line on standard error and NoDisplayExitStatus,
// where Qt would abort; Qt's own messages of that moment are passed on once
// a platform has started. Costs nothing when the display answers.
class DisplayConnectionGuard
{
public:
    DisplayConnectionGuard();
    ~DisplayConnectionGuard();
    Q_DISABLE_COPY_MOVE(DisplayConnectionGuard)
};

// A standard stream that was closed when the program started is opened on
// /dev/null for reading: writing to it fails as before, and no file the
// program opens takes its number.
void keepStandardStreamsOpen();

// Prints what a command line that needs no window asks for (help, version, or
// why it was refused with the usage) and returns the exit status.
int answerWithoutWindow(const CommandLine &commandLine, const QString &programFile);

} // namespace oq
