// SPDX-License-Identifier: MIT
#pragma once

#include "controls/rxaccessible.h"
#include "core/repeattimer.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>

// The halves of a spin button, split by its rising diagonal.
enum TSpinHalf { shNone = 0, shTop = 1, shBottom = 2 };

// A small two-half button split by the diagonal from the bottom-left to the
// top-right corner. Pressing a half with the left button emits that half's
// signal at once, again after 400 ms and then every 100 ms while the button
// stays down on that half. It never takes the keyboard focus itself.
class TRxSpinButton : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TRxSpinButton)
    Q_PROPERTY(QString hint READ hint WRITE setHint)
    Q_PROPERTY(bool showHint READ showHint WRITE setShowHint)
public:
    explicit TRxSpinButton(QWidget *parent = nullptr);
    ~TRxSpinButton() override;

    // Copied into the control; a null image restores the built-in arrow.
    void setUpGlyph(const QImage &glyph);
    const QImage &upGlyph() const { return m_upGlyph; }
    void setDownGlyph(const QImage &glyph);
    const QImage &downGlyph() const { return m_downGlyph; }

    // Given the keyboard focus when a half is pressed.
    QWidget *focusControl() const { return m_focusControl; }
    void setFocusControl(QWidget *control) { m_focusControl = control; }

    // The tool tip; also the accessible name unless one was given.
    QString hint() const { return toolTip(); }
    void setHint(const QString &hint);
    // The control's own show-hint flag: when off it shows no tool tip.
    bool showHint() const { return m_hint.shown(); }
    void setShowHint(bool show);

    void setRepeatTimerFactory(RepeatTimerFactory factory) { m_timerFactory = std::move(factory); }
    // The repeat timer, made at the first press (null before).
    RepeatTimer *autoRepeat() const { return m_autoRepeat; }

    // Which half a point in control coordinates belongs to; the same rule
    // serves presses, moves and the picture.
    TSpinHalf halfAt(int x, int y) const;
    TSpinHalf pressedHalf() const { return m_pressedHalf; }
    TSpinHalf startHalf() const { return m_startHalf; }
    bool isHolding() const { return m_holding; }
    // The left button went down on the control and the hold has not been
    // released or taken away (by another window or a modal dialog).
    bool holdsCapture() const { return m_capture; }

    // One face of the control, as drawn for a pressed half, at a pixel ratio.
    QImage renderFace(TSpinHalf pressed, qreal dpr = 1.0) const;
    // What a paint shows now, at a pixel ratio.
    QImage renderImage(qreal dpr = 1.0);

    // The built-in 6 × 6 one-bit arrows.
    static QImage defaultUpGlyph();
    static QImage defaultDownGlyph();

    QSize sizeHint() const override { return QSize(20, 20); }

Q_SIGNALS:
    void topClick();
    void bottomClick();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void fireHalf(TSpinHalf half);
    void repeatTick();
    void loseCapture();
    void prepareFaces(qreal dpr);
    void glyphChanged();

    QImage m_upGlyph;
    QImage m_downGlyph;
    QRgb m_upTransparent = 0;
    QRgb m_downTransparent = 0;
    QPointer<QWidget> m_focusControl;
    QPointer<QWidget> m_watchedWindow;
    TControlHint m_hint{this};

    TSpinHalf m_pressedHalf = shNone;
    TSpinHalf m_startHalf = shNone;
    bool m_holding = false;
    bool m_capture = false;
    bool m_leftButtonDown = false;
    std::array<QImage, 3> m_faces; // indexed by TSpinHalf
    bool m_facesStale = true;
    RepeatTimerFactory m_timerFactory;
    RepeatTimer *m_autoRepeat = nullptr;
};
