// SPDX-License-Identifier: MIT
#include "controls/rxspeedbutton.h"

#include "controls/pixelcanvas.h"
#include "controls/rxaccessible.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

QPoint eventPoint(const QMouseEvent *event)
{
    // A pointer between pixels belongs to the pixel it is in.
    const QPointF p = event->position();
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

} // namespace

TRxSpeedButton::TRxSpeedButton(QWidget *parent)
    : QWidget(parent)
{
    resize(25, 25);
    setFocusPolicy(Qt::NoFocus);
    installToolBarAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TRxSpeedButton::~TRxSpeedButton() = default;

void TRxSpeedButton::setGlyph(const QImage &glyph)
{
    m_glyph.setGlyph(glyph);
    update();
}

void TRxSpeedButton::setNumGlyphs(int value)
{
    if (m_glyph.setNumGlyphs(value))
        update();
}

void TRxSpeedButton::setFlat(bool flat)
{
    if (m_flat == flat)
        return;
    m_flat = flat;
    update();
}

void TRxSpeedButton::setGrayedInactive(bool grayed)
{
    if (m_grayedInactive == grayed)
        return;
    m_grayedInactive = grayed;
    update();
}

void TRxSpeedButton::setHint(const QString &hint)
{
    m_hint.setHint(hint);
}

void TRxSpeedButton::setShowHint(bool show)
{
    m_hint.setShown(show);
}

void TRxSpeedButton::setDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    if (isEnabled())
        m_buttonState = (m_down && m_groupIndex != 0) ? fbsExclusive : fbsUp;
    update();
}

void TRxSpeedButton::setGroupIndex(int index)
{
    if (m_groupIndex == index)
        return;
    m_groupIndex = index;
    if (isEnabled())
        m_buttonState = (m_down && m_groupIndex != 0) ? fbsExclusive : fbsUp;
    update();
}

void TRxSpeedButton::setAllowTimer(bool allow)
{
    m_allowTimer = allow;
    if (!allow && m_repeatTimer)
        m_repeatTimer->stop();
}

void TRxSpeedButton::setRepeatTimerFactory(RepeatTimerFactory factory)
{
    m_timerFactory = std::move(factory);
}

void TRxSpeedButton::loaded()
{
    prepareRestImage();
}

void TRxSpeedButton::click()
{
    Q_EMIT clicked();
}

QImage TRxSpeedButton::renderImage(qreal dpr)
{
    syncStateForPaint();
    return composeImage(dpr);
}

// --- events ----------------------------------------------------------------

bool TRxSpeedButton::event(QEvent *event)
{
    // Another window becoming active takes the mouse away (children hear of
    // it as a deactivation of their window).
    if (event->type() == QEvent::WindowDeactivate)
        m_capture = false;
    if (m_hint.swallowToolTip(event))
        return true;
    return QWidget::event(event);
}

void TRxSpeedButton::paintEvent(QPaintEvent *)
{
    syncStateForPaint();
    m_offscreenImage = composeImage(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_offscreenImage);
}

void TRxSpeedButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_hot && isEnabled()) {
        m_hot = true;
        repaint();
    }
    if (event->button() == Qt::LeftButton && isEnabled()) {
        if (!m_down) {
            m_buttonState = fbsDown;
            repaint();
        }
        m_pressing = true;
        m_capture = true;
        // The second press of a double click arrives as a press of its own, so
        // nothing waiting in the queue needs to be taken out here.
        if (m_allowTimer) {
            if (!m_repeatTimer) {
                m_repeatTimer = m_timerFactory ? m_timerFactory(this) : makeDefaultRepeatTimer(this);
                connect(m_repeatTimer, &RepeatTimer::timeout, this, &TRxSpeedButton::repeatTick);
            }
            m_repeatTimer->setInterval(m_initPause);
            m_repeatTimer->start();
        }
    } else if (event->button() == Qt::RightButton) {
        updateHot();
    }
}

void TRxSpeedButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is two clicks: its second press counts as a press.
    mousePressEvent(event);
}

void TRxSpeedButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_pressing)
        return;
    TFlatButtonState state;
    if (m_down)
        state = fbsExclusive;
    else
        state = isInside(eventPoint(event)) ? fbsDown : fbsUp;
    if (state != m_buttonState) {
        m_buttonState = state;
        repaint();
    }
}

void TRxSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const bool inside = isInside(eventPoint(event));
    if (m_pressing && event->button() == Qt::LeftButton) {
        m_pressing = false;
        m_capture = false;
        if (m_groupIndex == 0) {
            m_buttonState = fbsUp;
            m_hot = false;
            if (inside)
                repaint();
            else
                update();
        }
        if (inside) {
            // The click runs while the button is drawn released; the pointer
            // check afterwards brings the raised frame back. A failing handler
            // must not leave the button without its frame or the timer running.
            try {
                click();
            } catch (...) {
                finishRelease();
                throw;
            }
        }
    }
    finishRelease();
}

void TRxSpeedButton::finishRelease()
{
    updateHot();
    if (m_repeatTimer)
        m_repeatTimer->stop();
}

void TRxSpeedButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (!m_hot && isEnabled() && isAppActive()) {
        m_hot = true;
        if (m_flat)
            repaint();
        Q_EMIT mouseEntered();
    }
}

void TRxSpeedButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    // While the left button holds the button down, leaving keeps it hot.
    if (m_hot && isEnabled() && !m_pressing) {
        m_hot = false;
        if (m_flat)
            update();
        Q_EMIT mouseLeft();
    }
}

void TRxSpeedButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_capture = false;
            if (m_repeatTimer)
                m_repeatTimer->stop();
        }
        prepareRestImage();
        updateHot();
        repaint();
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::ApplicationPaletteChange:
        // The state images hold the old colours.
        m_glyph.dropImages();
        update();
        break;
    case QEvent::FontChange:
        update();
        break;
    default:
        break;
    }
}

void TRxSpeedButton::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateHot();
}

void TRxSpeedButton::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_capture = false;
}

// --- logic -----------------------------------------------------------------

bool TRxSpeedButton::isInside(QPoint point) const
{
    return point.x() >= 0 && point.x() < width() && point.y() >= 0 && point.y() < height();
}

bool TRxSpeedButton::isAppActive() const
{
    return QApplication::activeWindow() != nullptr;
}

void TRxSpeedButton::updateHot()
{
    const bool hot = isEnabled() && isVisible() && QApplication::widgetAt(QCursor::pos()) == this && isAppActive();
    if (hot == m_hot)
        return;
    m_hot = hot;
    if (hot) {
        if (m_flat)
            repaint();
        Q_EMIT mouseEntered();
    } else {
        if (m_flat)
            update();
        Q_EMIT mouseLeft();
    }
}

void TRxSpeedButton::repeatTick()
{
    m_repeatTimer->setInterval(m_repeatInterval);
    if (m_buttonState == fbsDown && m_capture) {
        try {
            click();
        } catch (...) {
            m_repeatTimer->stop();
            throw;
        }
    }
}

void TRxSpeedButton::syncStateForPaint()
{
    if (!isEnabled()) {
        m_buttonState = fbsDisabled;
        m_pressing = false;
    } else if (m_buttonState == fbsDisabled) {
        m_buttonState = (m_down && m_groupIndex != 0) ? fbsExclusive : fbsUp;
    }
}

void TRxSpeedButton::prepareRestImage()
{
    // The image a paint at rest will draw: disabled, else the flat button's
    // inactive look (in gray only with GrayedInactive), else the up image.
    const TButtonColors colors = TButtonColors::fromPalette(palette());
    TFlatButtonState state;
    if (!isEnabled())
        state = fbsDisabled;
    else if (m_flat && m_grayedInactive)
        state = fbsInactive;
    else
        state = (m_down && m_groupIndex != 0) ? fbsExclusive : fbsUp;
    m_glyph.stateImage(state, colors);
}

int TRxSpeedButton::drawFrame(PixelCanvas &canvas, const QRect &rect, bool sunken, const TButtonColors &colors) const
{
    // One ring: top row and left column in the first colour, right column and
    // bottom row (with the top-right and bottom-left corners) in the second.
    const auto ring = [&canvas](const QRect &r, const QColor &first, const QColor &second) {
        if (r.width() <= 0 || r.height() <= 0)
            return;
        canvas.fill(QRect(r.left(), r.top(), r.width() - 1, 1), first);
        canvas.fill(QRect(r.left(), r.top(), 1, r.height() - 1), first);
        canvas.fill(QRect(r.right(), r.top(), 1, r.height()), second);
        canvas.fill(QRect(r.left(), r.bottom(), r.width(), 1), second);
    };
    if (m_flat) {
        if (sunken)
            ring(rect, colors.windowFrame, colors.highlight);
        else
            ring(rect, colors.highlight, colors.shadow);
        return 1;
    }
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (sunken) {
        ring(rect, colors.windowFrame, colors.highlight);
        ring(inner, colors.shadow, colors.face);
    } else {
        ring(rect, colors.highlight, colors.windowFrame);
        ring(inner, colors.face, colors.shadow);
    }
    return 2;
}

QImage TRxSpeedButton::composeImage(qreal dpr)
{
    const TButtonColors colors = TButtonColors::fromPalette(palette());
    TFlatButtonState paintState = m_buttonState;
    if (m_flat && !m_hot)
        paintState = fbsInactive;

    QRect r(0, 0, width(), height());
    QImage image = PixelCanvas::makeImage(size(), dpr);
    PixelCanvas canvas(&image);
    canvas.fill(r, colors.face);

    const bool sunken = m_buttonState == fbsDown || m_buttonState == fbsExclusive;
    if (paintState != fbsInactive || m_buttonState == fbsExclusive) {
        const int rings = drawFrame(canvas, r, sunken, colors);
        r.adjust(rings + 1, rings + 1, -(rings + 1), -(rings + 1));
    } else if (m_flat) {
        // The glyph keeps its place whether the frame is there or not.
        r.adjust(2, 2, -2, -2);
    }

    if (m_buttonState == fbsExclusive && (!m_flat || paintState == fbsInactive)) {
        const QRect pattern = r.adjusted(-1, -1, 1, 1);
        for (int y = pattern.top(); y <= pattern.bottom(); ++y) {
            for (int x = pattern.left(); x <= pattern.right(); ++x)
                canvas.setPixel(x, y, ((x + y) % 2 == 0) ? colors.highlight : colors.face);
        }
    }

    if (sunken)
        r.translate(1, 1);

    const TFlatButtonState glyphState
        = (m_buttonState == fbsDisabled || !m_grayedInactive) ? m_buttonState : paintState;
    const QImage glyph = m_glyph.stateImageAt(glyphState, colors, dpr);
    if (!glyph.isNull()) {
        const QSize size = m_glyph.imageSize();
        const QPoint at(r.left() + r.width() / 2 - size.width() / 2, r.top() + r.height() / 2 - size.height() / 2);
        canvas.drawScaledImage(at, glyph);
    }
    return image;
}
