// SPDX-License-Identifier: MIT
#include "app/sessionend.h"

#include "forms/errordisplay.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace oq {

namespace {

constexpr int EndSignals[] = { SIGTERM, SIGINT, SIGHUP };

// Shared with the handler, so plain data only: the pipe and how many signals have arrived.
int s_pipe[2] = { -1, -1 };
volatile std::sig_atomic_t s_received = 0;
struct sigaction s_previous[std::size(EndSignals)];

extern "C" void onEndSignal(int signalNumber)
{
    // Only async-signal-safe calls here: write, sigaction, raise.
    const int savedErrno = errno;
    if (s_received > 0) {
        // Already closing: the default action ends the program once this handler returns.
        struct sigaction fallback = {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(signalNumber, &fallback, nullptr);
        raise(signalNumber);
    } else {
        s_received = 1;
        const char byte = char(signalNumber);
        [[maybe_unused]] const ssize_t written = write(s_pipe[1], &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

SessionEnd::SessionEnd(QWidget *mainWindow, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
{
    if (pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        s_pipe[0] = s_pipe[1] = -1;
    } else {
        s_received = 0;
        m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SessionEnd::readSignals);
        struct sigaction action = {};
        action.sa_handler = onEndSignal;
        // The handler never runs inside itself for another of the three.
        sigemptyset(&action.sa_mask);
        for (int signalNumber : EndSignals)
            sigaddset(&action.sa_mask, signalNumber);
        action.sa_flags = SA_RESTART;
        for (size_t i = 0; i < std::size(EndSignals); ++i)
            sigaction(EndSignals[i], &action, &s_previous[i]);
    }
#ifndef QT_NO_SESSIONMANAGER
    // Logging out: the desktop asks every program to save its data; this one saves by closing.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { endSession(); });
#endif
}

SessionEnd::~SessionEnd()
{
    if (m_ending)
        setUnattended(false);
    if (!m_notifier)
        return;
    for (size_t i = 0; i < std::size(EndSignals); ++i)
        sigaction(EndSignals[i], &s_previous[i], nullptr);
    delete m_notifier;
    close(s_pipe[0]);
    close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
}

void SessionEnd::readSignals()
{
    char bytes[16];
    int last = 0;
    ssize_t got;
    while ((got = read(s_pipe[0], bytes, sizeof bytes)) > 0)
        last = bytes[got - 1];
    if (last == 0)
        return;
    Q_EMIT signalReceived(last);
    endSession();
}

void SessionEnd::endSession()
{
    if (m_ending)
        return;
    m_ending = true;
    // Failures of the close go to standard error: no box would be answered.
    setUnattended(true);
    // As Escape does: a pop-up menu closes, a modal dialog is cancelled and does nothing. The loop is bounded in
    // case a window refuses to go.
    for (int tries = 0; tries < 32; ++tries) {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->close();
            continue;
        }
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_mainWindow)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
    // The dialogs' own event loops end first; then the main window closes from the main loop.
    QMetaObject::invokeMethod(this, &SessionEnd::closeMainWindow, Qt::QueuedConnection);
}

void SessionEnd::closeMainWindow()
{
    // Closed or not, the run ends; the status tells whether everything was saved.
    const bool closed = m_mainWindow && m_mainWindow->close();
    if (!closed || unattendedErrorCount() > 0)
        QCoreApplication::exit(1);
}

} // namespace oq
