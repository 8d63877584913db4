// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>

// The desktop's own style with the program's few departures:
// - the title list drops down below its box with its row limit, in styles
//   (Fusion among them) that would open it over the whole screen height;
// - the menu bar's overflow button takes its icon from the icon theme only
//   when it is first drawn: looking it up reads the theme's index, among
//   the dearest steps of a start, for a button rarely seen.
class TProgramStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Puts the program's style over the application's current one, once.
    static void install();

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
        QStyleHintReturn *returnData = nullptr) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
        const QWidget *widget = nullptr) const override;

private:
    explicit TProgramStyle(QStyle *base);
};
