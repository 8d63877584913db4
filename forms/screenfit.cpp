// SPDX-License-Identifier: MIT
#include "forms/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace oq {

namespace {

// The window frame's widths on each side: its own once the window manager
// has framed it, else the reference's.
QMargins frameMargins(const QWidget *window, const QWidget *reference)
{
    for (const QWidget *w : { window, reference }) {
        if (!w || !w->isVisible())
            continue;
        const QRect outer = w->frameGeometry();
        const QRect inner = w->geometry();
        const QMargins m(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom());
        if (!m.isNull())
            return m;
    }
    return QMargins();
}

} // namespace

QRect fitRectInto(const QRect &outer, const QRect &area, const QSize &minimum)
{
    if (!area.isValid())
        return outer;
    QRect fitted(outer.topLeft(), outer.size().boundedTo(area.size()).expandedTo(minimum));
    // Right and bottom first, so that a rectangle larger than the area keeps
    // its top-left corner on it.
    fitted.moveLeft(std::max(area.left(), std::min(fitted.left(), area.right() + 1 - fitted.width())));
    fitted.moveTop(std::max(area.top(), std::min(fitted.top(), area.bottom() + 1 - fitted.height())));
    return fitted;
}

void fitWindowToScreen(QWidget *window, const QWidget *reference)
{
    const QMargins frame = frameMargins(window, reference);
    // A window's position is that of its frame.
    const QRect outer(window->pos(), window->size().grownBy(frame));
    QScreen *screen = QGuiApplication::screenAt(outer.center());
    if (!screen && reference)
        screen = reference->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect fitted = fitRectInto(outer, screen->availableGeometry(), window->minimumSize().grownBy(frame));
    if (fitted.size() != outer.size())
        window->resize(fitted.size().shrunkBy(frame));
    if (fitted.topLeft() != outer.topLeft())
        window->move(fitted.topLeft());
}

void DesignedOuterSize::start(QWidget *window)
{
    m_until.start();
    fit(window);
}

void DesignedOuterSize::fit(QWidget *window)
{
    constexpr int FitPeriodMs = 3000;
    if (!m_until.isValid())
        return;
    if (m_until.elapsed() > FitPeriodMs || window->size() != m_designed || window->isMaximized()
        || window->isMinimized()) {
        m_until.invalidate();
        return;
    }
    const QSize frame = window->frameGeometry().size() - window->size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return;
    m_until.invalidate();
    window->resize(m_designed - frame);
}

} // namespace oq
