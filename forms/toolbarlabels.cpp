// SPDX-License-Identifier: MIT
#include "forms/toolbarlabels.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace oq {

QFont fittingFont(const QFont &base, const QString &text, int width, int minPixelSize)
{
    QFont font = base;
    for (int pixels = QFontInfo(base).pixelSize() - 1;
         QFontMetrics(font).size(0, text).width() > width && pixels >= minPixelSize; --pixels)
        font.setPixelSize(pixels);
    return font;
}

ToolBarLabels layOutToolBarLabels(const QFont &desktopFont, const QString &totalText, int countdownWidth, int barWidth,
    int barHeight, int controlsEnd)
{
    ToolBarLabels labels;
    const int room = barWidth - controlsEnd - countdownWidth;
    labels.totalFont = fittingFont(desktopFont, totalText, room, MinTotalPixelSize);
    // Measured as a label measures its text.
    const int width = QFontMetrics(labels.totalFont).size(0, totalText).width();
    labels.total = QRect(barWidth - width, 0, width, barHeight);

    qsizetype leading = 0;
    while (leading < totalText.size() && totalText.at(leading) == QLatin1Char(' '))
        ++leading;
    const int blanks = QFontMetrics(labels.totalFont).horizontalAdvance(totalText.left(leading));
    // The letters start right of the controls and of the countdown, which may
    // cover the leading blanks.
    labels.totalShown = width - blanks <= room;
    const int docked = labels.totalShown ? labels.total.x() - countdownWidth : barWidth - countdownWidth;
    const int x = labels.totalShown ? std::max(docked, std::min(controlsEnd, docked + blanks)) : docked;
    labels.countdown = QRect(x, 0, countdownWidth, barHeight);
    labels.minBarWidth = countdownWidth > 0 ? controlsEnd + countdownWidth : 0;
    return labels;
}

} // namespace oq
