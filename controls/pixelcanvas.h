// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPainter>

// Draws on the logical pixel grid of an off-screen image made at a device pixel
// ratio: every logical pixel becomes a solid dpr × dpr block, so faces stay
// crisp on HiDPI screens while all drawing rules stay in logical pixels.
class PixelCanvas
{
public:
    // An image of the given logical size at the given device pixel ratio.
    static QImage makeImage(QSize logicalSize, qreal dpr);

    explicit PixelCanvas(QImage *image);

    void fill(const QRect &rect, const QColor &color);
    void setPixel(int x, int y, const QColor &color);
    // A line with a one-pixel pen; like the system's line drawing, the end
    // point itself is not drawn.
    void line(QPoint from, QPoint to, const QColor &color);
    // A line through the given points, each segment ending before its end point.
    void polyline(std::initializer_list<QPoint> points, const QColor &color);
    // The outermost ring of pixels of rect.
    void outline(const QRect &rect, const QColor &color);
    // Copies an image with its top-left corner at a logical point, each of its
    // pixels scaled to a logical pixel (no smoothing); alpha is blended.
    void drawImage(QPoint topLeft, const QImage &image);
    // Copies an image made for a pixel ratio (its own ratio set) with its
    // top-left corner at a logical point, at its logical size (no smoothing).
    void drawScaledImage(QPoint topLeft, const QImage &image);

private:
    QPainter m_painter;
};
