// SPDX-License-Identifier: MIT
// Runs a piece of work once a window's first frame is on screen: work the
// user need not wait for (the window icon, say) then never holds up the
// first sight of the window.
#pragma once

#include "core/repeattimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <utility>

namespace oq {

class FirstFrame : public QObject
{
public:
    // Call before the window shows. `action` runs once, from the event loop,
    // after the window's first exposure has been painted; not at all if the
    // window goes first. With `latestMs`, it runs that long after the window
    // is shown even if nothing of it is on screen by then (shown minimised,
    // or on another workspace), as timed by the clock `makeClock` makes. The
    // watcher lives as a child of the window.
    static void then(QWidget *window, std::function<void()> action, int latestMs = -1,
        const RepeatTimerFactory &makeClock = makeDefaultRepeatTimer)
    {
        new FirstFrame(window, std::move(action), latestMs, makeClock);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_window)
            return false;
        if (event->type() == QEvent::Expose && !m_queued && watched == m_window->windowHandle()) {
            // Queued behind the exposure, so the frame has been painted
            // and handed to the window system by the time it runs.
            m_queued = true;
            QTimer::singleShot(0, this, [this] { fire(false); });
        } else if (event->type() == QEvent::Show && watched == m_window && m_latest && !m_latest->isActive()) {
            m_latest->start();
        }
        return false;
    }

private:
    FirstFrame(QWidget *window, std::function<void()> action, int latestMs, const RepeatTimerFactory &makeClock)
        : QObject(window), m_window(window), m_action(std::move(action))
    {
        if (latestMs >= 0) {
            m_latest = makeClock(this);
            m_latest->setInterval(latestMs);
            connect(m_latest, &RepeatTimer::timeout, this, [this] { fire(true); });
        }
        QCoreApplication::instance()->installEventFilter(this);
    }

    void fire(bool late)
    {
        if (!m_action)
            return;
        if (!late) {
            m_queued = false;
            if (!m_window || !m_window->windowHandle() || !m_window->windowHandle()->isExposed())
                return; // not on screen after all: the next exposure counts
        }
        QCoreApplication::instance()->removeEventFilter(this);
        if (m_latest)
            m_latest->stop();
        const auto action = std::move(m_action);
        m_action = nullptr;
        deleteLater();
        action();
    }

    QPointer<QWidget> m_window;
    std::function<void()> m_action;
    RepeatTimer *m_latest = nullptr;
    bool m_queued = false;
};

} // namespace oq
