// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

class QTimer;

// The clock behind work that waits for time to pass: a control's auto-repeat,
// the quiet time after a file changes, the latest moment for work put off until
// a window shows. Users talk to this interface so that tests can move time with
// a simulated clock instead of sleeping.
// Semantics follow a system timer: it repeats until stopped, start() restarts
// the countdown, and a new interval given while running restarts the countdown
// with that interval.
class RepeatTimer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual int interval() const = 0;
    virtual void setInterval(int msec) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void timeout();
};

// The real clock, a QTimer.
class QtRepeatTimer final : public RepeatTimer
{
    Q_OBJECT
public:
    explicit QtRepeatTimer(QObject *parent = nullptr);

    int interval() const override;
    void setInterval(int msec) override;
    void start() override;
    void stop() override;
    bool isActive() const override;

private:
    QTimer *m_timer;
};

// Makes the timer of its user, parented to it. Users make their timer on first
// need; a test hands in a factory that returns a simulated clock.
using RepeatTimerFactory = std::function<RepeatTimer *(QObject *parent)>;
RepeatTimer *makeDefaultRepeatTimer(QObject *parent);
