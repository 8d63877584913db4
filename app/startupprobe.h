// SPDX-License-Identifier: MIT
// Start-up timing for the start-up benchmark, shared by the program and the
// bare window it is measured against. Only when OQ_STARTUP_TIMING is set it
// prints, on standard output:
//   oq-startup shown-us N      wall-clock microseconds when the window was first on screen
//   oq-startup ready-us N      ... when the work left after showing was done too
//   oq-startup peak-rss-kib N  the process's peak resident memory at that moment
// With OQ_STARTUP_TIMING=exit the program then quits.
#pragma once

#include "app/firstframe.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <memory>

namespace oq {

class StartupProbe : public QObject
{
public:
    // Null unless the environment asks for timing.
    static std::unique_ptr<StartupProbe> fromEnvironment()
    {
        if (!qEnvironmentVariableIsSet("OQ_STARTUP_TIMING"))
            return nullptr;
        return std::unique_ptr<StartupProbe>(
            new StartupProbe(qEnvironmentVariable("OQ_STARTUP_TIMING") == QLatin1String("exit")));
    }

    // Watches for the window's first frame; call before showing it.
    void watch(QWidget *window)
    {
        FirstFrame::then(window, [this] {
            m_shown = true;
            print("shown-us", nowMicroseconds());
            finishIfDone();
        });
    }
    // Work that goes on after the window shows; ready waits for each hold.
    void hold() { ++m_holds; }
    void release()
    {
        --m_holds;
        finishIfDone();
    }

private:
    explicit StartupProbe(bool exitWhenReady)
        : m_exit(exitWhenReady)
    { }

    static long long nowMicroseconds()
    {
        timespec ts {};
        clock_gettime(CLOCK_REALTIME, &ts);
        return (long long)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
    }

    static long long peakResidentKib()
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        return -1;
    }

    static void print(const char *what, long long value)
    {
        std::printf("oq-startup %s %lld\n", what, value);
        std::fflush(stdout);
    }

    void finishIfDone()
    {
        if (!m_shown || m_holds > 0 || m_done)
            return;
        m_done = true;
        print("ready-us", nowMicroseconds());
        print("peak-rss-kib", peakResidentKib());
        if (m_exit)
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    }

    const bool m_exit;
    int m_holds = 0;
    bool m_shown = false;
    bool m_done = false;
};

} // namespace oq
