// SPDX-License-Identifier: MIT
#pragma once

#include "controls/repeattimer.h"

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
    }
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
};
