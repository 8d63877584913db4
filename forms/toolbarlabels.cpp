// SPDX-License-Identifier: MIT
#include "forms/toolbarlabels.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace oq {

ToolBarLabels layOutToolBarLabels(const QFont &desktopFont, const QString &totalText, int countdownWidth, int barWidth,
    int barHeight, int controlsEnd)
{
    ToolBarLabels labels;
    labels.totalFont = desktopFont;
    const int room = barWidth - controlsEnd - countdownWidth;
    // Measured as a label measures its text.
    int width = QFontMetrics(desktopFont).size(0, totalText).width();
    for (int pixels = QFontInfo(desktopFont).pixelSize() - 1; width > room && pixels >= MinTotalPixelSize; --pixels) {
        labels.totalFont.setPixelSize(pixels);
        width = QFontMetrics(labels.totalFont).size(0, totalText).width();
    }
    labels.total = QRect(barWidth - width, 0, width, barHeight);

    qsizetype leading = 0;
    while (leading < totalText.size() && totalText.at(leading) == QLatin1Char(' '))
        ++leading;
    const int blanks = QFontMetrics(labels.totalFont).horizontalAdvance(totalText.left(leading));
    const int docked = labels.total.x() - countdownWidth;
    const int x = std::max(docked, std::min(controlsEnd, docked + blanks));
    labels.countdown = QRect(x, 0, countdownWidth, barHeight);
    return labels;
}

} // namespace oq
