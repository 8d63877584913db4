// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

// Colours no two roles share, so a wrong role shows as a wrong pixel.
inline const QRgb Face = qRgb(0xd4, 0xd0, 0xc8);
inline const QRgb Light = qRgb(0xfe, 0xfd, 0xfc);
inline const QRgb Dark = qRgb(0x80, 0x7f, 0x7e);
inline const QRgb Frame = qRgb(0x10, 0x11, 0x12);

inline QPalette testPalette()
{
    QPalette p;
    p.setColor(QPalette::Button, QColor(Face));
    p.setColor(QPalette::Light, QColor(Light));
    p.setColor(QPalette::Dark, QColor(Dark));
    p.setColor(QPalette::Shadow, QColor(Frame));
    return p;
}

// A dark desktop: dark faces, light text, a light blue for links.
inline QPalette darkPalette()
{
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::Link, QColor(0x2a, 0x82, 0xda));
    return p;
}

// How far two colours stand apart on a screen, 1 (not at all) to 21.
inline double contrastRatio(QRgb a, QRgb b)
{
    const auto lum = [](QRgb c) {
        const auto ch = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(qRed(c)) + 0.7152 * ch(qGreen(c)) + 0.0722 * ch(qBlue(c));
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}
