// SPDX-License-Identifier: MIT
#include "settings/placementwindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#if defined(OQ_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#define OQ_ASK_X11 1
#endif

namespace {

// The window manager frames the window a moment after it is shown; later changes are the user's own.
constexpr int FitPeriodMs = 3000;

constexpr Qt::WindowStates MaximizedStates = Qt::WindowMaximized | Qt::WindowFullScreen;

// On Wayland a client cannot place its window: only size and state apply there.
bool placesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Whether a window manager runs that maximises and minimises windows. Without one (a bare X server, or one
// that knows nothing of the desktop's window states) nobody else changes a window's state.
bool windowManagerRuns()
{
#ifdef OQ_ASK_X11
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return true;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    static const char name[] = "_NET_SUPPORTING_WM_CHECK";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr), &free);
    if (!screen || !atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> property(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr),
        &free);
    return property && xcb_get_property_value_length(property.get()) >= 4
        && *static_cast<const xcb_window_t *>(xcb_get_property_value(property.get())) != XCB_WINDOW_NONE;
#else
    return true;
#endif
}

QScreen *primaryScreen()
{
    return QGuiApplication::primaryScreen();
}

} // namespace

TWidgetPlacementWindow::TWidgetPlacementWindow(QWidget *window, ErrorDisplay showError)
    : m_window(window)
    , m_showError(std::move(showError))
{
    m_window->installEventFilter(this);
}

TWidgetPlacementWindow::~TWidgetPlacementWindow()
{
    if (!m_window)
        return;
    FormDestroy();
    m_window->removeEventFilter(this);
}

QPoint TWidgetPlacementWindow::workAreaOrigin() const
{
    const QScreen *screen = primaryScreen();
    return screen ? screen->availableGeometry().topLeft() : QPoint();
}

QMargins TWidgetPlacementWindow::frameMargins() const
{
    const QWindow *handle = m_window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QRect TWidgetPlacementWindow::normalFrameGeometry() const
{
    if (selfMaximized())
        return m_selfMaximizedFrom;
    if (!(m_window->windowState() & (MaximizedStates | Qt::WindowMinimized)))
        return m_window->frameGeometry();
    // Maximised or minimised: the bounds it had, and will have again, in normal state. Qt keeps them for a
    // maximised window; a minimised one may report where its frame stood, so the last bounds seen are taken.
    if (!(m_window->windowState() & MaximizedStates) && m_lastNormalFrame.isValid())
        return m_lastNormalFrame;
    return m_window->normalGeometry().marginsAdded(m_normalMargins);
}

TWindowPlacement TWidgetPlacementWindow::placement() const
{
    TWindowPlacement record;
    const Qt::WindowStates state = m_window->windowState();
    const bool minimized = state & Qt::WindowMinimized;
    const bool maximized = (state & MaximizedStates) || selfMaximized();
    record.showCmd = minimized ? TWindowPlacement::SwShowMinimized
        : maximized            ? TWindowPlacement::SwShowMaximized
                               : TWindowPlacement::SwShowNormal;
    record.flags = minimized && maximized ? TWindowPlacement::RestoreToMaximized : 0;
    record.minPosition = QPoint(-1, -1);
    const QSize frame = frameThickness();
    record.maxPosition = QPoint(-frame.width(), -frame.height());
    const QRect outer = normalFrameGeometry().translated(-workAreaOrigin());
    record.normal = { outer.x(), outer.y(), outer.x() + outer.width(), outer.y() + outer.height() };
    return record;
}

void TWidgetPlacementWindow::setPlacement(const TWindowPlacement &record)
{
    // The window system places a maximised or minimised window itself; only the normal bounds are applied.
    const TPlacementRect &n = record.normal;
    const auto extent
        = [](qint32 from, qint32 to) { return int(std::clamp<qint64>(qint64(to) - from, 1, QWIDGETSIZE_MAX)); };
    const QRect outer(
        QPoint(n.left, n.top) + workAreaOrigin(), QSize(extent(n.left, n.right), extent(n.top, n.bottom)));
    if (n != placement().normal) {
        m_window->resize(outer.size().shrunkBy(frameMargins()).expandedTo(QSize(1, 1)));
        if (placesWindows()) {
            m_window->move(outer.topLeft());
            // Before the window manager has framed the window its frame is unknown: asked this way, the window
            // manager puts the frame's corner, not the inside's, at that place.
            if (QWindow *handle = m_window->windowHandle())
                handle->setFramePosition(outer.topLeft());
        }
    }
    // Also when nothing moved: the frame may still come and has to fit in these bounds.
    m_fitOuter = outer;
    m_fitInner = m_window->size();
    m_fitPending = true;
    m_fitUntil.start();
}

void TWidgetPlacementWindow::trackFrame()
{
    const Qt::WindowStates state = m_window->windowState();
    if (!(state & (MaximizedStates | Qt::WindowMinimized))) {
        m_normalMargins = frameMargins();
        m_lastNormalFrame = m_window->frameGeometry();
    }
    if (!m_fitPending)
        return;
    if (state & (MaximizedStates | Qt::WindowMinimized)) {
        // Shown maximised or minimised: the frame is fitted when the window first comes back to normal.
        m_fitUntil.invalidate();
        return;
    }
    // The frame comes a moment after the window is shown, or brought back to normal; after that, sizes are the
    // user's own.
    if (!m_fitUntil.isValid())
        m_fitUntil.start();
    if (m_fitUntil.elapsed() > FitPeriodMs) {
        m_fitPending = false;
        return;
    }
    const QMargins margins = frameMargins();
    if (margins.isNull() || m_window->size() != m_fitInner)
        return;
    m_fitPending = false;
    m_window->resize(m_fitOuter.size().shrunkBy(margins).expandedTo(QSize(1, 1)));
    if (placesWindows() && m_window->frameGeometry().topLeft() != m_fitOuter.topLeft())
        m_window->move(m_fitOuter.topLeft());
}

bool TWidgetPlacementWindow::isVisible() const
{
    return m_window->isVisible();
}

bool TWidgetPlacementWindow::isSizeable() const
{
    return !(m_window->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
        && m_window->minimumSize() != m_window->maximumSize();
}

bool TWidgetPlacementWindow::isMinimizedMainWindow() const
{
    // The main window carries the whole application: minimised, the application is.
    return m_window->isMinimized();
}

bool TWidgetPlacementWindow::selfMaximized() const
{
    return m_selfMaximizedFrom.isValid() && m_window->frameGeometry() == m_selfMaximizedTo;
}

void TWidgetPlacementWindow::setWindowState(TWindowState state)
{
    const QRect normal = normalFrameGeometry();
    if (selfMaximized() && state != wsMaximized)
        m_window->setGeometry(normal.marginsRemoved(frameMargins()));
    m_selfMaximizedFrom = QRect();
    Qt::WindowStates states = m_window->windowState() & ~(MaximizedStates | Qt::WindowMinimized);
    const QScreen *screen = primaryScreen();
    if (state == wsMaximized && screen && !windowManagerRuns()) {
        // With nobody to maximise it the window fills the work area itself, and keeps its normal bounds.
        m_window->setWindowState(states);
        m_selfMaximizedTo = screen->availableGeometry();
        m_window->setGeometry(m_selfMaximizedTo);
        m_selfMaximizedFrom = normal;
        return;
    }
    if (state == wsMaximized)
        states |= Qt::WindowMaximized;
    else if (state == wsMinimized)
        states |= Qt::WindowMinimized;
    m_window->setWindowState(states);
}

void TWidgetPlacementWindow::postMinimize()
{
    // With nobody to bring it back, a minimised window would be lost: it stays as it is.
    if (!windowManagerRuns())
        return;
    // Queued, so it happens once the window has been shown.
    QTimer::singleShot(0, m_window, [window = m_window] {
        if (window && window->isVisible())
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
    });
}

QSize TWidgetPlacementWindow::frameThickness() const
{
    // The border of the normal window: a maximised one may have none.
    const QMargins margins
        = (m_window->windowState() & (MaximizedStates | Qt::WindowMinimized)) ? m_normalMargins : frameMargins();
    return QSize(margins.left(), margins.bottom());
}

QSize TWidgetPlacementWindow::screenSize() const
{
    const QScreen *screen = primaryScreen();
    return screen ? screen->size() : QSize();
}

qint32 TWidgetPlacementWindow::pixelsPerInch() const
{
    const QScreen *screen = primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

QList<QRect> TWidgetPlacementWindow::workAreas() const
{
    QList<QRect> areas;
    const QScreen *primary = primaryScreen();
    if (!primary)
        return areas;
    const QPoint origin = workAreaOrigin();
    areas.append(primary->availableGeometry().translated(-origin));
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen != primary)
            areas.append(screen->availableGeometry().translated(-origin));
    }
    return areas;
}

QSize TWidgetPlacementWindow::minimumOuterSize() const
{
    return m_window->minimumSizeHint().expandedTo(m_window->minimumSize()).grownBy(frameMargins());
}

void TWidgetPlacementWindow::showError(const QString &message)
{
    if (m_showError)
        m_showError(message);
}

bool TWidgetPlacementWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Show:
        // Shown by the program, not brought back from the task bar: the stores apply what they hold, before the
        // window reaches the screen.
        if (!event->spontaneous())
            FormShow();
        break;
    case QEvent::Close: {
        // The stores save before the window's own close handler runs.
        bool canClose = event->isAccepted();
        FormCloseQuery(canClose);
        break;
    }
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        trackFrame();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
