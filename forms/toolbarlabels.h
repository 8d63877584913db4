// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace oq {

// Where the main window's total and countdown labels go in its tool bar.
struct ToolBarLabels
{
    QFont totalFont;
    QRect total;
    // False when even the smallest font leaves no room for the total's text.
    bool totalShown = true;
    QRect countdown;
    // The narrowest bar that still holds the countdown whole right of the
    // controls; 0 when no countdown shows.
    int minBarWidth = 0;
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
// for both, the total takes a smaller font, down to MinTotalPixelSize, and
// the countdown may move right over the total's leading blanks, never over
// its letters. A total that still does not fit is hidden, so that no scrap
// of it shows between the controls; the countdown then docks at the right
// edge. A countdown (width 0: none) always stands whole right of the
// controls: the bar must be at least minBarWidth wide.
ToolBarLabels layOutToolBarLabels(const QFont &desktopFont, const QString &totalText, int countdownWidth, int barWidth,
    int barHeight, int controlsEnd);

// The tool bar's labels: the quote number, the exit countdown and the total.
struct ToolBarLabelWidgets
{
    QLabel *number = nullptr;
    // The number's own font; larger numbers are drawn smaller.
    QFont numberFont;
    QLabel *countdown = nullptr;
    QLabel *total = nullptr;
};

// The smallest pixel size the quote number shrinks to.
inline constexpr int MinNumberPixelSize = 7;

// Makes the labels as children of the tool bar, under its controls.
ToolBarLabelWidgets createToolBarLabels(QWidget *bar);

// Places the total and the countdown (when it shows) in the tool bar as
// layOutToolBarLabels says, right of the controls that end before controlsEnd.
void placeToolBarLabels(QWidget *bar, QLabel *total, QLabel *countdown, int controlsEnd);

} // namespace oq
