// SPDX-License-Identifier: MIT
#pragma once

#include "core/repeattimer.h"

#include <QPointer>

// A clock the test moves by hand, with the semantics of a system timer.
class ManualTimer : public RepeatTimer
{
public:
    using RepeatTimer::RepeatTimer;
    int interval() const override { return m_interval; }
    void setInterval(int msec) override
    {
        m_interval = msec;
        m_remaining = msec;
    }
    void start() override
    {
        m_active = true;
        m_remaining = m_interval;
        ++m_starts;
    }
    // How often the countdown was started: each is something the user of the clock saw.
    int starts() const { return m_starts; }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    void advance(int msec)
    {
        while (m_active && msec >= m_remaining) {
            msec -= m_remaining;
            m_remaining = m_interval;
            Q_EMIT timeout();
        }
        if (m_active)
            m_remaining -= msec;
    }

private:
    int m_interval = 0;
    int m_remaining = 0;
    bool m_active = false;
    int m_starts = 0;
};

// A factory handing out a ManualTimer, kept in `clock` for the test to move.
inline RepeatTimerFactory manualClock(QPointer<ManualTimer> &clock)
{
    return [&clock](QObject *parent) {
        clock = new ManualTimer(parent);
        return clock.data();
    };
}
