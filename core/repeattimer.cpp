// SPDX-License-Identifier: MIT
#include "core/repeattimer.h"

#include <QTimer>

QtRepeatTimer::QtRepeatTimer(QObject *parent)
    : RepeatTimer(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &RepeatTimer::timeout);
}

int QtRepeatTimer::interval() const
{
    return m_timer->interval();
}

void QtRepeatTimer::setInterval(int msec)
{
    // QTimer restarts a running timer on a new interval, as the repeat rules expect.
    m_timer->setInterval(msec);
}

void QtRepeatTimer::start()
{
    m_timer->start();
}

void QtRepeatTimer::stop()
{
    m_timer->stop();
}

bool QtRepeatTimer::isActive() const
{
    return m_timer->isActive();
}

RepeatTimer *makeDefaultRepeatTimer(QObject *parent)
{
    return new QtRepeatTimer(parent);
}
