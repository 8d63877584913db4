// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <cstdio>
#include <optional>

// The terminal mode, for shell start-up files and scripts: one random quote,
// the quotes that hold a text, or the number of quotes, printed to standard
// output. It needs no display: nothing here touches the window system, and
// the settings are read, never written.
namespace oq {

struct TerminalRequest
{
    enum class Command { Print, Search, Count };
    Command command = Command::Print;
    QString text; // what --search looks for
    QString file; // empty: the quote file named in the settings
};

// Exit statuses: found or done; nothing found or the file unreadable.
inline constexpr int TerminalSuccess = 0;
inline constexpr int TerminalFailure = 1;

// Runs a request: the output goes to `out` as UTF-8 with LF line ends,
// messages to `err`. Returns the exit status. A reader that goes away (a
// closed pipe) ends the output quietly.
int runTerminalRequest(const TerminalRequest &request, std::FILE *out, std::FILE *err);

// For main(), before any application object exists: ignores SIGPIPE, makes
// the QtCore application object (no window system) and runs the request.
int runTerminalMode(const TerminalRequest &request, char *argv0);

} // namespace oq
