// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPalette>


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
