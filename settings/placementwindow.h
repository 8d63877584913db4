// SPDX-License-Identifier: MIT
#pragma once

#include "settings/formplacement.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <optional>

class QWidget;

// Moves a top-level widget's placement to and from the record the placement stores keep, and runs the attached
// stores' handlers at the widget's show and close, and when this object goes (the window's destruction). The
// normal rectangle is the outer (frame) rectangle in pixels of the primary screen's work area.
class TWidgetPlacementWindow : public QObject, public TPlacementWindow, public QAbstractNativeEventFilter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TWidgetPlacementWindow)

public:
    using ErrorDisplay = std::function<void(const QString &message)>;

    TWidgetPlacementWindow(QWidget *window, ErrorDisplay showError);
    // Runs the stores' destroy handlers; destroy it while the window still stands.
    ~TWidgetPlacementWindow() override;

    TWindowPlacement placement() const override;
    void setPlacement(const TWindowPlacement &placement) override;
    bool isVisible() const override;
    bool isSizeable() const override;
    bool isMinimizedMainWindow() const override;
    void setWindowState(TWindowState state) override;
    void postMinimize() override;
    QSize frameThickness() const override;
    QSize screenSize() const override;
    qint32 pixelsPerInch() const override;
    QList<QRect> workAreas() const override;
    QSize minimumOuterSize() const override;
    bool reportsPosition() const override;
    bool canMinimize() const override;
    void showError(const QString &message) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    QPoint workAreaOrigin() const;
    // The window manager's frame around the window, when it is known for sure; none without a window manager.
    std::optional<QMargins> knownFrame() const;
    QRect normalFrameGeometry() const;
    bool selfMaximized() const;
    void placeFrame(const QRect &outer, const QMargins &frame);
    void trackFrame();

    QPointer<QWidget> m_window;
    ErrorDisplay m_showError;
    // The frame the window had when last in normal state (a maximised window's frame may differ), and its outer
    // bounds then.
    QMargins m_normalMargins;
    bool m_normalKnown = false;
    QRect m_lastNormalFrame;
    // A window that maximised itself for want of a window manager: its normal bounds, and the work area it
    // fills as long as nothing moves it.
    QRect m_selfMaximizedFrom;
    QRect m_selfMaximizedTo;
    // The outer rectangle applied at show time. Until the window stands in it inside a known frame, it counts as
    // standing there; the window is fitted to it once the frame is known in normal state.
    QRect m_fitOuter;
    QSize m_fitInner; // the inside's size asked for then
    bool m_fitPending = false;
    bool m_fitDone = false; // it stood there inside a known frame
    bool m_fitAsked = false;
    int m_fitRequests = 0;
    QRect m_fitAskedFrom;
    QElapsedTimer m_fitUntil;
    quint32 m_frameExtentsAtom = 0;
};
