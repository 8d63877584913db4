// SPDX-License-Identifier: MIT
#include "forms/toolbarlabels.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

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

ToolBarLabelWidgets createToolBarLabels(QWidget *bar)
{
    ToolBarLabelWidgets labels;
    labels.number = new QLabel(QStringLiteral("0000"), bar);
    labels.number->setObjectName(QStringLiteral("CurrentQuote"));
    labels.number->setGeometry(102, 8, 25, 13);
    labels.number->setAlignment(Qt::AlignCenter);
    // The label is 13 pixels high: its font is sized to fit it.
    labels.numberFont = labels.number->font();
    labels.numberFont.setPixelSize(11);
    labels.number->setFont(labels.numberFont);
    labels.number->setToolTip(QStringLiteral("Quote Number"));
    labels.number->setAccessibleName(QStringLiteral("Quote Number"));

    labels.countdown = new QLabel(bar);
    labels.countdown->setObjectName(QStringLiteral("Countdown"));
    QFont countdownFont = labels.countdown->font();
    countdownFont.setPointSize(12);
    countdownFont.setBold(true);
    labels.countdown->setFont(countdownFont);
    // The bar has the button background, which would make a label paint
    // with the button text colour: the number is drawn in its own red.
    QPalette red = labels.countdown->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    labels.countdown->setPalette(red);
    labels.countdown->setForegroundRole(QPalette::WindowText);
    labels.countdown->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    labels.countdown->setToolTip(QStringLiteral("Exit Countdown \nClick to Cancel"));
    labels.countdown->setAccessibleName(QStringLiteral("Exit Countdown"));
    labels.countdown->setCursor(Qt::PointingHandCursor);

    labels.total = new QLabel(QStringLiteral("Total Quotes"), bar);
    labels.total->setObjectName(QStringLiteral("TotalQuotes"));
    labels.total->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    // Neither label ever covers a button: both lie under the buttons, and
    // the total, which answers nothing, lets every click through.
    labels.total->setAttribute(Qt::WA_TransparentForMouseEvents);
    labels.total->lower();
    labels.countdown->lower();
    return labels;
}

void placeToolBarLabels(QWidget *bar, QLabel *total, QLabel *countdown, int controlsEnd)
{
    // The labels lie under the buttons (see createToolBarLabels), so a button
    // keeps its clicks even where a label reaches under it.
    const bool counting = !countdown->isHidden() && !countdown->text().isEmpty();
    const int countdownWidth = counting ? countdown->sizeHint().width() : 0;
    const ToolBarLabels labels = layOutToolBarLabels(bar->font(), total->text(), countdownWidth, bar->width(),
        bar->height(), controlsEnd);
    if (total->font() != labels.totalFont)
        total->setFont(labels.totalFont);
    total->setGeometry(labels.total);
    total->setVisible(labels.totalShown);
    countdown->setGeometry(labels.countdown);
    // The window cannot be made so narrow that the countdown hides under the
    // buttons; once it is cancelled, the window may narrow again.
    bar->setMinimumWidth(labels.minBarWidth);
}

} // namespace oq
