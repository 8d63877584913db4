// SPDX-License-Identifier: MIT
#pragma once

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

} // namespace oq
