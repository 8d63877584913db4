// SPDX-License-Identifier: MIT
// Program entry: the order of start-up. The command line is answered first,
// without a display where it needs none; then the quote file is read ahead
// while the application and the windows are built, and the program runs
// until the main window closes.
#include "app/commandline.h"
#include "app/ombryapplication.h"
#include "app/programwindows.h"
#include "app/sessionend.h"
#include "app/terminalmode.h"
#include "core/memory.h"
#include "forms/ombryquotefm.h"
#include "settings/programsettings.h"

#include <memory>

int main(int argc, char *argv[])
{
    // Help, the version, a mistyped option and the terminal mode are
    // answered before the application object exists: they need no display.
    oq::keepStandardStreamsOpen();
    const oq::CommandLine commandLine = oq::parseCommandLine(oq::decodeArguments(argc, argv));
    if (commandLine.action == oq::CommandLine::Action::Terminal)
        return oq::runTerminalMode(commandLine.terminal, argv[0]);
    if (commandLine.action != oq::CommandLine::Action::OpenWindow)
        return oq::answerWithoutWindow(commandLine, oq::runningProgramFile(argv[0]));
    if (!oq::canOpenWindow())
        return oq::NoDisplayExitStatus;
    oq::startupQuoteFile() = commandLine.quoteFile;

    oq::tuneHeapForLargeBlocks();
    oq::readQuoteFileAhead(commandLine.quoteFile);

    // A display that cannot be reached ends the run with a clear message.
    auto reachingDisplay = std::make_unique<oq::DisplayConnectionGuard>();
    oq::OmbryApplication app(argv);
    reachingDisplay.reset();

    auto windows = std::make_unique<oq::ProgramWindows>();
    const auto probe = oq::attachStartupProbe(*windows);
    // A signal or logging out closes the main window as its close box does.
    oq::SessionEnd sessionEnd(windows->main());
    windows->main()->show();
    const int result = QApplication::exec();
    // The windows go while a signal still closes rather than kills.
    windows.reset();
    return result;
}
