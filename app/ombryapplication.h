// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

namespace oq {

// The application object: the program's name, version, desktop file and help
// file, and one place where every failure that reaches the message loop is
// shown, after which the loop goes on. The run ends when the main window
// closes, not with its last window.
class OmbryApplication : public QApplication
{
public:
    // Qt gets the program name alone, so it reads no argument as an option
    // of its own: the command line has been taken before.
    explicit OmbryApplication(char *argv[]);

    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace oq
