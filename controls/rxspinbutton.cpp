// SPDX-License-Identifier: MIT
#include "controls/rxspinbutton.h"

#include "controls/pixelcanvas.h"
#include "controls/rxaccessible.h"
#include "controls/rxbuttonglyph.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr int FirstRepeatMs = 400;
constexpr int RepeatMs = 100;

// The nearest integer; a value exactly halfway goes to the even one.
int roundHalfEven(double v)
{
    const double below = std::floor(v);
    const double rest = v - below;
    if (rest < 0.5)
        return int(below);
    if (rest > 0.5)
        return int(below) + 1;
    return (std::fmod(below, 2.0) == 0.0) ? int(below) : int(below) + 1;
}

QImage arrow(const int (&rows)[6][2])
{
    // One bit per pixel: bit 0 black, bit 1 white; the black pixels are the arrow.
    QImage image(6, 6, QImage::Format_Mono);
    image.setColor(0, qRgb(0, 0, 0));
    image.setColor(1, qRgb(255, 255, 255));
    image.fill(1);
    for (int y = 0; y < 6; ++y) {
        for (int x = rows[y][0]; x <= rows[y][1]; ++x)
            image.setPixel(x, y, 0);
    }
    return image;
}

// The glyph as drawn at a pixel ratio: its transparent colour replaced by the
// face. A one-bit glyph is a drawing in the text colour: its black pixels take
// the button text colour, so the arrows stay dark on a light face and turn
// light on a dark one.
QImage faceGlyph(const QImage &glyph, QRgb transparent, const QPalette &palette, qreal dpr)
{
    const QRgb face = palette.color(QPalette::Active, QPalette::Button).rgb();
    const QRgb ink = palette.color(QPalette::Active, QPalette::ButtonText).rgb();
    const bool drawing = glyph.depth() == 1;
    QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = qAlpha(line[x]) == 0 ? 0 : line[x];
            if (p == transparent)
                line[x] = face;
            else if (drawing && p == qRgb(0, 0, 0))
                line[x] = ink;
        }
    }
    return TRxButtonGlyph::imageForRatio(image, dpr);
}

QPoint eventPoint(const QMouseEvent *event)
{
    const QPointF p = event->position();
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

} // namespace

TRxSpinButton::TRxSpinButton(QWidget *parent)
    : QWidget(parent)
{
    resize(20, 20);
    setFocusPolicy(Qt::NoFocus);
    installToolBarAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setUpGlyph(QImage());
    setDownGlyph(QImage());
}

TRxSpinButton::~TRxSpinButton() = default;

QImage TRxSpinButton::defaultUpGlyph()
{
    static const int rows[6][2] = { { 2, 3 }, { 1, 4 }, { 0, 5 }, { 2, 3 }, { 2, 3 }, { 2, 3 } };
    return arrow(rows);
}

QImage TRxSpinButton::defaultDownGlyph()
{
    static const int rows[6][2] = { { 2, 3 }, { 2, 3 }, { 2, 3 }, { 0, 5 }, { 1, 4 }, { 2, 3 } };
    return arrow(rows);
}

void TRxSpinButton::setUpGlyph(const QImage &glyph)
{
    m_upGlyph = glyph.isNull() ? defaultUpGlyph() : glyph;
    m_upTransparent = TRxButtonGlyph::transparentColor(m_upGlyph);
    glyphChanged();
}

void TRxSpinButton::setDownGlyph(const QImage &glyph)
{
    m_downGlyph = glyph.isNull() ? defaultDownGlyph() : glyph;
    m_downTransparent = TRxButtonGlyph::transparentColor(m_downGlyph);
    glyphChanged();
}

void TRxSpinButton::glyphChanged()
{
    m_facesStale = true;
    update();
}

void TRxSpinButton::setHint(const QString &hint)
{
    m_hint.setHint(hint);
}

void TRxSpinButton::setShowHint(bool show)
{
    m_hint.setShown(show);
}

TSpinHalf TRxSpinButton::halfAt(int x, int y) const
{
    const double w = width();
    const double h = height();
    // A control without width has no diagonal; all of it counts as the top.
    if (w <= 0)
        return shTop;
    return double(y) > h - (h / w) * double(x) ? shBottom : shTop;
}

// --- events ----------------------------------------------------------------

bool TRxSpinButton::event(QEvent *event)
{
    // Another window becoming active takes the mouse away (children hear of
    // it as a deactivation of their window).
    if (event->type() == QEvent::WindowDeactivate)
        loseCapture();
    if (m_hint.swallowToolTip(event))
        return true;
    return QWidget::event(event);
}

bool TRxSpinButton::eventFilter(QObject *watched, QEvent *event)
{
    // A modal window opened during a hold takes the mouse from the control.
    if (watched == m_watchedWindow && event->type() == QEvent::WindowBlocked)
        loseCapture();
    return QWidget::eventFilter(watched, event);
}

void TRxSpinButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    m_leftButtonDown = true;
    m_capture = true;
    if (m_watchedWindow != window()) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        if (m_watchedWindow != this)
            m_watchedWindow->installEventFilter(this);
    }

    if (m_focusControl && (m_focusControl->focusPolicy() & Qt::TabFocus) && m_focusControl->isEnabled()
        && m_focusControl->isVisible() && !m_focusControl->hasFocus())
        m_focusControl->setFocus(Qt::MouseFocusReason);

    if (m_pressedHalf == shNone) {
        m_startHalf = shNone;
        const QPoint p = eventPoint(event);
        m_pressedHalf = halfAt(p.x(), p.y());
        // The event fires before the pressed face is shown. A failing handler
        // leaves the control idle, so the next press fires again.
        try {
            fireHalf(m_pressedHalf);
        } catch (...) {
            m_pressedHalf = shNone;
            m_startHalf = shNone;
            repaint();
            throw;
        }
        if (m_pressedHalf != m_startHalf) {
            m_startHalf = m_pressedHalf;
            repaint();
        }
        if (!m_autoRepeat) {
            m_autoRepeat = m_timerFactory ? m_timerFactory(this) : makeDefaultRepeatTimer(this);
            connect(m_autoRepeat, &RepeatTimer::timeout, this, &TRxSpinButton::repeatTick);
        }
        // The first repeat comes 400 ms after this press, whatever the timer did before.
        m_autoRepeat->setInterval(FirstRepeatMs);
        m_autoRepeat->start();
    }
    m_holding = true;
}

void TRxSpinButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void TRxSpinButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_holding)
        return;
    const QPoint p = eventPoint(event);
    if (p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height()) {
        const TSpinHalf h = halfAt(p.x(), p.y());
        if (h == m_pressedHalf)
            return;
        const TSpinHalf before = m_pressedHalf;
        m_pressedHalf = (h == m_startHalf) ? h : shNone;
        if (m_pressedHalf != before)
            repaint();
    } else if (m_pressedHalf != shNone) {
        m_pressedHalf = shNone;
        repaint();
    }
}

void TRxSpinButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) {
        m_leftButtonDown = false;
        m_capture = false;
    }
    if (!m_holding)
        return;
    m_holding = false;
    // Repeats end with the hold.
    if (m_autoRepeat)
        m_autoRepeat->stop();
    const QPoint p = eventPoint(event);
    if (p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height()) {
        m_pressedHalf = shNone;
        m_startHalf = shNone;
        repaint();
    }
}

void TRxSpinButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // A disabled control fires nothing, not even a repeat of a hold in progress.
        if (!isEnabled())
            loseCapture();
        m_facesStale = true;
        update();
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::ApplicationPaletteChange:
        // The faces hold the old colours; a theme change must show at once.
        m_facesStale = true;
        update();
        break;
    default:
        break;
    }
}

void TRxSpinButton::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    loseCapture();
}

void TRxSpinButton::paintEvent(QPaintEvent *)
{
    const QImage face = renderImage(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), face);
}

// --- logic -----------------------------------------------------------------

void TRxSpinButton::loseCapture()
{
    m_capture = false;
    m_leftButtonDown = false;
    if (m_autoRepeat)
        m_autoRepeat->stop();
}

void TRxSpinButton::fireHalf(TSpinHalf half)
{
    // Only a connected half fires and changes the state.
    const bool connected = half == shBottom ? isSignalConnected(QMetaMethod::fromSignal(&TRxSpinButton::bottomClick))
                                            : isSignalConnected(QMetaMethod::fromSignal(&TRxSpinButton::topClick));
    if (!connected)
        return;
    if (half == shBottom)
        Q_EMIT bottomClick();
    else
        Q_EMIT topClick();
    // The release may have been handled while the handler ran (or a modal
    // window took it): then the control is no longer pressed.
    if (!m_leftButtonDown)
        m_pressedHalf = shNone;
}

void TRxSpinButton::repeatTick()
{
    m_autoRepeat->setInterval(RepeatMs);
    if (m_pressedHalf != shNone && m_capture) {
        try {
            fireHalf(m_pressedHalf == shBottom ? shBottom : shTop);
        } catch (...) {
            m_autoRepeat->stop();
            throw;
        }
    }
}

void TRxSpinButton::prepareFaces(qreal dpr)
{
    const bool sizeChanged = m_faces[shNone].isNull()
        || m_faces[shNone].size() != (PixelCanvas::makeImage(size(), dpr).size())
        || !qFuzzyCompare(m_faces[shNone].devicePixelRatio(), dpr);
    if (!sizeChanged && !m_facesStale)
        return;
    m_faces[shTop] = renderFace(shTop, dpr);
    m_faces[shBottom] = renderFace(shBottom, dpr);
    m_faces[shNone] = renderFace(shNone, dpr);
}

QImage TRxSpinButton::renderImage(qreal dpr)
{
    if (!isEnabled())
        m_holding = false;
    prepareFaces(dpr);
    m_facesStale = false;
    return m_faces[m_pressedHalf];
}

QImage TRxSpinButton::renderFace(TSpinHalf s, qreal dpr) const
{
    const TButtonColors c = TButtonColors::fromPalette(palette());
    const int W = width();
    const int H = height();
    QImage image = PixelCanvas::makeImage(size(), dpr);
    PixelCanvas canvas(&image);

    canvas.fill(QRect(0, 0, W, H), c.face);
    canvas.outline(QRect(0, 0, W, H), c.windowFrame);
    canvas.line(QPoint(-1, H), QPoint(W, -1), c.windowFrame);

    // Top half: its lit (or, pressed, shaded) left and top edges, and the shade
    // along the diagonal when it is not pressed.
    canvas.polyline({ QPoint(1, H - 4), QPoint(1, 1), QPoint(W - 3, 1) }, s == shTop ? c.shadow : c.highlight);
    if (s != shTop)
        canvas.line(QPoint(1, H - 3), QPoint(W - 2, 0), c.shadow);

    // Bottom half: its bottom and right edges, and its edge along the diagonal.
    canvas.polyline(
        { QPoint(2, H - 2), QPoint(W - 2, H - 2), QPoint(W - 2, 1) }, s == shBottom ? c.highlight : c.shadow);
    canvas.line(QPoint(2, H - 2), QPoint(W - 1, 1), s == shBottom ? c.shadow : c.highlight);

    // Only the top glyph moves when its half is pressed.
    const int gw = m_upGlyph.width();
    const int gh = m_upGlyph.height();
    const int d = s == shTop ? 2 : 1;
    canvas.drawScaledImage(QPoint(roundHalfEven(W / 4.0 - gw / 2.0) + d, roundHalfEven(H / 4.0 - gh / 2.0) + d),
        faceGlyph(m_upGlyph, m_upTransparent, palette(), dpr));
    const int dw = m_downGlyph.width();
    const int dh = m_downGlyph.height();
    canvas.drawScaledImage(
        QPoint(roundHalfEven(3.0 * W / 4.0 - dw / 2.0) - 1, roundHalfEven(3.0 * H / 4.0 - dh / 2.0) - 1),
        faceGlyph(m_downGlyph, m_downTransparent, palette(), dpr));

    if (s == shBottom)
        canvas.line(QPoint(3, H - 2), QPoint(W - 1, 2), c.shadow);
    return image;
}
