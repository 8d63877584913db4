// SPDX-License-Identifier: MIT
#include "controls/pixelcanvas.h"

#include <cmath>
#include <cstdlib>

QImage PixelCanvas::makeImage(QSize logicalSize, qreal dpr)
{
    if (!(dpr > 0))
        dpr = 1;
    const QSize device(qMax(0, qCeil(logicalSize.width() * dpr)), qMax(0, qCeil(logicalSize.height() * dpr)));
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

PixelCanvas::PixelCanvas(QImage *image)
    : m_painter(image)
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.setPen(Qt::NoPen);
}

void PixelCanvas::fill(const QRect &rect, const QColor &color)
{
    if (rect.isValid())
        m_painter.fillRect(rect, color);
}

void PixelCanvas::setPixel(int x, int y, const QColor &color)
{
    m_painter.fillRect(QRect(x, y, 1, 1), color);
}

void PixelCanvas::line(QPoint from, QPoint to, const QColor &color)
{
    // Straight runs are one rectangle; anything else is stepped pixel by pixel
    // (Bresenham), so a line looks the same at every pixel ratio.
    if (from.y() == to.y()) {
        if (from.x() < to.x())
            fill(QRect(QPoint(from.x(), from.y()), QPoint(to.x() - 1, to.y())), color);
        else if (from.x() > to.x())
            fill(QRect(QPoint(to.x() + 1, to.y()), QPoint(from.x(), from.y())), color);
        return;
    }
    if (from.x() == to.x()) {
        if (from.y() < to.y())
            fill(QRect(QPoint(from.x(), from.y()), QPoint(to.x(), to.y() - 1)), color);
        else
            fill(QRect(QPoint(to.x(), to.y() + 1), QPoint(from.x(), from.y())), color);
        return;
    }
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        setPixel(x, y, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void PixelCanvas::polyline(std::initializer_list<QPoint> points, const QColor &color)
{
    const QPoint *previous = nullptr;
    for (const QPoint &p : points) {
        if (previous)
            line(*previous, p, color);
        previous = &p;
    }
}

void PixelCanvas::outline(const QRect &rect, const QColor &color)
{
    if (rect.isEmpty())
        return;
    fill(QRect(rect.left(), rect.top(), rect.width(), 1), color);
    fill(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
    fill(QRect(rect.left(), rect.top(), 1, rect.height()), color);
    fill(QRect(rect.right(), rect.top(), 1, rect.height()), color);
}

void PixelCanvas::drawImage(QPoint topLeft, const QImage &image)
{
    if (image.isNull())
        return;
    // The image's own pixel ratio is ignored: its pixels are logical pixels.
    m_painter.drawImage(
        QRect(topLeft, QSize(image.width(), image.height())), image, QRect(0, 0, image.width(), image.height()));
}

void PixelCanvas::drawScaledImage(QPoint topLeft, const QImage &image)
{
    if (image.isNull())
        return;
    m_painter.drawImage(QRectF(topLeft, image.deviceIndependentSize()), image, QRectF(image.rect()));
}
