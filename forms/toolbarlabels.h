// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

namespace oq {

// Where the main window's total and countdown labels go in its tool bar.
struct ToolBarLabels
{
    QFont totalFont;
    QRect total;
    QRect countdown;
};

// The smallest pixel size the total shrinks to.
inline constexpr int MinTotalPixelSize = 7;

// `base` at the largest pixel size from its own down to `minPixelSize` at
// which `text` fits `width`, as a label measures it; the smallest when none
// fits.
QFont fittingFont(const QFont &base, const QString &text, int width, int minPixelSize);

// The total docks at the tool bar's right edge and the countdown to its
// left, both the bar's full height and as wide as their text. When the room
// right of the last control (which ends before `controlsEnd`) is too narrow
// for both, the total takes a smaller font, down to MinTotalPixelSize; and
// the countdown may move right over the total's leading blanks, never over
// its letters, so that its number does not start under a control.
ToolBarLabels layOutToolBarLabels(const QFont &desktopFont, const QString &totalText, int countdownWidth, int barWidth,
    int barHeight, int controlsEnd);

} // namespace oq
