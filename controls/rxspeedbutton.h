// SPDX-License-Identifier: MIT
#pragma once

#include "controls/rxaccessible.h"
#include "core/repeattimer.h"
#include "controls/rxbuttonglyph.h"

#include <QImage>
#include <QWidget>

class PixelCanvas;

// A flat tool button drawn by itself: no frame at rest, a raised frame under
// the pointer, sunken with the glyph one pixel right and down while held. A
// press and a release of the left button, both over it, emit clicked().
// It never takes the keyboard focus.
class TRxSpeedButton : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TRxSpeedButton)
    Q_PROPERTY(QString hint READ hint WRITE setHint)
    Q_PROPERTY(bool showHint READ showHint WRITE setShowHint)
public:
    explicit TRxSpeedButton(QWidget *parent = nullptr);
    ~TRxSpeedButton() override;

    // A strip of numGlyphs() images of equal width side by side; a 32 × 16
    // strip holds two images, the second being the disabled look.
    void setGlyph(const QImage &glyph);
    const QImage &glyph() const { return m_glyph.glyph(); }
    int numGlyphs() const { return m_glyph.numGlyphs(); }
    void setNumGlyphs(int value);
    bool flat() const { return m_flat; }
    void setFlat(bool flat);
    bool grayedInactive() const { return m_grayedInactive; }
    void setGrayedInactive(bool grayed);

    // The tool tip; also the accessible name unless one was given.
    QString hint() const { return toolTip(); }
    void setHint(const QString &hint);
    // The button's own show-hint flag: when off it shows no tool tip.
    bool showHint() const { return m_hint.shown(); }
    void setShowHint(bool show);

    // Group members stay down; only their drawn look is supported.
    bool down() const { return m_down; }
    void setDown(bool down);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);

    // Repeated clicks while held (off by default).
    bool allowTimer() const { return m_allowTimer; }
    void setAllowTimer(bool allow);
    int initPause() const { return m_initPause; }
    void setInitPause(int msec) { m_initPause = msec; }
    int repeatInterval() const { return m_repeatInterval; }
    void setRepeatInterval(int msec) { m_repeatInterval = msec; }
    void setRepeatTimerFactory(RepeatTimerFactory factory);

    TFlatButtonState buttonState() const { return m_buttonState; }
    bool isHot() const { return m_hot; }
    bool isPressing() const { return m_pressing; }
    TRxButtonGlyph &glyphHolder() { return m_glyph; }

    // Call once all properties are set: makes the image the button rests in
    // ahead of the first paint.
    void loaded();
    // Emits clicked().
    void click();
    // Composes the button as a paint does, at the given device pixel ratio.
    QImage renderImage(qreal dpr = 1.0);

    QSize sizeHint() const override { return QSize(25, 25); }

Q_SIGNALS:
    void clicked();
    void mouseEntered();
    void mouseLeft();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool isInside(QPoint point) const;
    bool isAppActive() const;
    void updateHot();
    void syncStateForPaint();
    QImage composeImage(qreal dpr);
    int drawFrame(PixelCanvas &canvas, const QRect &rect, bool sunken, const TButtonColors &colors) const;
    void prepareRestImage();
    void finishRelease();
    void repeatTick();
    void lookChanged();

    TRxButtonGlyph m_glyph;
    QImage m_offscreenImage;
    TFlatButtonState m_buttonState = fbsUp;
    bool m_hot = false;
    bool m_pressing = false;
    bool m_capture = false;
    bool m_flat = false;
    bool m_grayedInactive = true;
    TControlHint m_hint{this};
    bool m_down = false;
    int m_groupIndex = 0;
    bool m_allowTimer = false;
    int m_initPause = 500;
    int m_repeatInterval = 100;
    RepeatTimerFactory m_timerFactory;
    RepeatTimer *m_repeatTimer = nullptr;
};
