// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

namespace oq {

// Ends the run the way the close box does when the program is told to stop from outside: by SIGTERM, SIGINT or
// SIGHUP, or by the desktop session asking its programs to save before the user logs out. Pop-up menus and modal
// dialogs are cancelled first, as Escape cancels them, so a favourite still being edited is not added; then the
// main window is closed through its close handler, which writes the settings and the window placement. A second
// signal while the program is closing ends it at once.
//
// The signal handlers only write the signal's number into a pipe; the pipe is read on the event loop. One instance
// per process, made after the main window.
class SessionEnd : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionEnd)

public:
    explicit SessionEnd(QWidget *mainWindow, QObject *parent = nullptr);
    // Puts back the handlers found when it was made.
    ~SessionEnd() override;

    // Whether the handlers are in place (the pipe could be made).
    bool isActive() const { return m_notifier != nullptr; }

public Q_SLOTS:
    // Cancels what is open and closes the main window. Failures are written to standard error, not shown. If the
    // close is refused (the settings could not be written), the run ends all the same, since the program was told
    // to stop; after any failure the exit status is 1.
    void endSession();

Q_SIGNALS:
    // A signal arrived and the main window is about to be closed.
    void signalReceived(int signalNumber);

private:
    void readSignals();
    void closeMainWindow();

    QPointer<QWidget> m_mainWindow;
    QSocketNotifier *m_notifier = nullptr;
    bool m_ending = false;
};

} // namespace oq
