// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace oq {

// The outer rectangle `outer` moved, and shrunk where it is larger, so that
// it lies within `area`; never smaller than `minimum` (the frame included),
// in which case its top-left corner, with the caption, stays on the area.
QRect fitRectInto(const QRect &outer, const QRect &area, const QSize &minimum = QSize());

// Fits a window that is about to open to the available area of the screen
// it opens on (the one under its centre, else that of `reference`, else the
// primary one): shrinks it where it is larger and moves it onto the area.
// A window that has not been framed yet is taken to get a frame like
// `reference`'s (the main window's).
void fitWindowToScreen(QWidget *window, const QWidget *reference = nullptr);

// The designed size of a window is its outer size: once the window manager
// has framed it, the inner size gives way to the frame. Only in the first
// moments after the first show, never against the user's own resizing.
class DesignedOuterSize
{
public:
    explicit DesignedOuterSize(QSize designed) : m_designed(designed) {}
    // At the first show.
    void start(QWidget *window);
    // At each resize and move of the window.
    void fit(QWidget *window);

private:
    QSize m_designed;
    QElapsedTimer m_until;
};

} // namespace oq
