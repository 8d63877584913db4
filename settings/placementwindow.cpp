// SPDX-License-Identifier: MIT
#include "settings/placementwindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

#if defined(OQ_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#define OQ_ASK_X11 1
#endif

namespace {

// After the frame is known, the window manager has this long to put the window where it was asked to be; later
// changes are the user's own.
constexpr int FitPeriodMs = 5000;
// Asked again when the window manager put the window elsewhere, at most this often.
constexpr int FitRequests = 3;

constexpr Qt::WindowStates MaximizedStates = Qt::WindowMaximized | Qt::WindowFullScreen;

// On Wayland a client cannot place its window, nor learn where it stands: only size and state apply there.
bool placesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

#ifdef OQ_ASK_X11
template<typename T>
using XReply = std::unique_ptr<T, decltype(&free)>;

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t x11Atom(xcb_connection_t *connection, const char *name)
{
    const XReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, uint16_t(strlen(name)), name), nullptr),
        &free);
    return atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The first `count` 32-bit values of a window's property, or nothing when it isn't set.
std::optional<std::vector<quint32>> x11Property(
    xcb_connection_t *connection, xcb_window_t window, const char *name, xcb_atom_t type, quint32 count)
{
    const xcb_atom_t atom = x11Atom(connection, name);
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    const XReply<xcb_get_property_reply_t> property(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, atom, type, 0, count), nullptr),
        &free);
    if (!property || property->format != 32 || xcb_get_property_value_length(property.get()) < int(count * 4))
        return std::nullopt;
    const auto *values = static_cast<const quint32 *>(xcb_get_property_value(property.get()));
    return std::vector<quint32>(values, values + count);
}
#endif

// Whether a window manager runs that maximises and minimises windows. Without one (a bare X server, or one
// that knows nothing of the desktop's window states) nobody else changes a window's state.
bool windowManagerRuns()
{
#ifdef OQ_ASK_X11
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return true;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return false;
    const auto check = x11Property(connection, screen->root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, 1);
    return check && check->front() != XCB_WINDOW_NONE;
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
#ifdef OQ_ASK_X11
    if (xcb_connection_t *connection = x11Connection()) {
        m_frameExtentsAtom = x11Atom(connection, "_NET_FRAME_EXTENTS");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
#endif
}

TWidgetPlacementWindow::~TWidgetPlacementWindow()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
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

std::optional<QMargins> TWidgetPlacementWindow::knownFrame() const
{
    const QWindow *handle = m_window->windowHandle();
    if (!handle)
        return std::nullopt;
#ifdef OQ_ASK_X11
    if (xcb_connection_t *connection = x11Connection()) {
        // The window manager tells its frame in _NET_FRAME_EXTENTS (left, right, top, bottom). What Qt reckons
        // from the window tree is wrong while a new frame is still 1 x 1 pixels: never used then.
        if (const auto e = x11Property(connection, xcb_window_t(handle->winId()), "_NET_FRAME_EXTENTS",
                XCB_ATOM_CARDINAL, 4)) {
            const QMargins margins { int(e->at(0)), int(e->at(2)), int(e->at(1)), int(e->at(3)) };
            if (margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0)
                return margins;
            return std::nullopt;
        }
        if (!windowManagerRuns())
            return QMargins();
    }
#endif
    // Elsewhere, or with a window manager that doesn't tell: the frame as Qt finds it, once the window is on
    // screen, and when it makes sense.
    if (!handle->isExposed())
        return std::nullopt;
    const QMargins margins = handle->frameMargins();
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
        return std::nullopt;
    return margins;
}

QRect TWidgetPlacementWindow::normalFrameGeometry() const
{
    if (selfMaximized())
        return m_selfMaximizedFrom;
    // Until the window has stood in normal state inside a known frame, it stands where it was placed.
    if (m_fitPending)
        return m_fitOuter;
    const Qt::WindowStates state = m_window->windowState();
    if (!(state & (MaximizedStates | Qt::WindowMinimized))) {
        if (const auto frame = knownFrame())
            return m_window->geometry().marginsAdded(*frame);
        // Not framed yet: the window's place and size are meant for the frame to come.
        return m_lastNormalFrame.isValid() ? m_lastNormalFrame : QRect(m_window->pos(), m_window->size());
    }
    // Maximised or minimised: the bounds it had, and will have again, in normal state. Qt keeps them for a
    // window maximised from normal state; one maximised while minimised, or a minimised one, has the last
    // bounds seen.
    const QRect kept = m_window->normalGeometry();
    if ((state & MaximizedStates) && !(state & Qt::WindowMinimized) && !kept.isEmpty() && m_normalKnown)
        return kept.marginsAdded(m_normalMargins);
    if (m_lastNormalFrame.isValid())
        return m_lastNormalFrame;
    return kept.isEmpty() ? m_window->geometry() : kept.marginsAdded(m_normalMargins);
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
    // Before the window manager has framed the window its frame is unknown: the inside goes there for now.
    m_fitInner = m_window->size();
    if (n != placement().normal) {
        const QMargins frame = knownFrame().value_or(QMargins());
        placeFrame(outer, frame);
        m_fitInner = outer.size().shrunkBy(frame).expandedTo(QSize(1, 1));
    }
    // Also when nothing moved: the frame may still come and has to fit in these bounds.
    m_fitOuter = outer;
    m_fitPending = true;
    m_fitDone = false;
    m_fitAsked = false;
    m_fitRequests = 0;
    m_fitUntil.invalidate();
}

void TWidgetPlacementWindow::placeFrame(const QRect &outer, const QMargins &frame)
{
    const QSize inner = outer.size().shrunkBy(frame).expandedTo(QSize(1, 1));
#ifdef OQ_ASK_X11
    // On X11 the inside's place and size are asked for in one request, never the frame's place as Qt reckons it
    // from a frame still being built.
    QWindow *handle = m_window->windowHandle();
    if (x11Connection() && handle) {
        handle->setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), inner));
        return;
    }
#endif
    m_window->resize(inner);
    if (!placesWindows())
        return;
    m_window->move(outer.topLeft());
    if (QWindow *window = m_window->windowHandle())
        window->setFramePosition(outer.topLeft());
}

void TWidgetPlacementWindow::trackFrame()
{
    const Qt::WindowStates state = m_window->windowState();
    if ((state & (MaximizedStates | Qt::WindowMinimized)) || selfMaximized()) {
        // A maximised or minimised window's frame may differ; it is fitted once back to normal, whatever size
        // the way back gives it first.
        m_fitInner = QSize();
        return;
    }
    const std::optional<QMargins> frame = knownFrame();
    if (!frame)
        return; // the window manager has not framed it yet
    m_normalMargins = *frame;
    m_normalKnown = true;
    const QRect now = m_window->geometry();
    m_lastNormalFrame = now.marginsAdded(*frame);
    if (!m_fitPending)
        return;
    // The frame is known: the window is fitted into the bounds it was given. A frame that changes a moment later
    // (a window coming back from maximised has the maximised one's first) fits it again, a few times at most.
    QRect target(m_fitOuter.topLeft() + QPoint(frame->left(), frame->top()),
        m_fitOuter.size().shrunkBy(*frame).expandedTo(QSize(1, 1)));
    if (!placesWindows())
        target.moveTopLeft(now.topLeft());
    if (!m_fitUntil.isValid())
        m_fitUntil.start();
    // Asked once; whatever the window manager answers is the answer (a user's move too).
    const bool answered = m_fitAsked && now != m_fitAskedFrom;
    m_fitDone = now == target;
    if (m_fitDone || answered || m_fitRequests >= FitRequests || m_fitUntil.elapsed() > FitPeriodMs) {
        m_fitPending = false;
        m_fitAsked = false;
        return;
    }
    if (m_fitAsked)
        return; // not answered yet
    if (m_fitRequests == 0 && m_fitInner.isValid() && now.size() != m_fitInner) {
        m_fitPending = false; // resized by someone else before the frame came
        return;
    }
    ++m_fitRequests;
    m_fitAsked = true;
    m_fitAskedFrom = now;
    placeFrame(m_fitOuter, *frame);
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
        m_window->setGeometry(normal.marginsRemoved(knownFrame().value_or(QMargins())));
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

bool TWidgetPlacementWindow::reportsPosition() const
{
    return placesWindows();
}

bool TWidgetPlacementWindow::canMinimize() const
{
    // Without a window manager nobody could bring the window back; Wayland never says it is minimised.
    return placesWindows() && windowManagerRuns();
}

void TWidgetPlacementWindow::postMinimize()
{
    // Queued, so it happens once the window has been shown.
    QTimer::singleShot(0, m_window, [window = m_window] {
        if (window && window->isVisible())
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
    });
}

QSize TWidgetPlacementWindow::frameThickness() const
{
    // The border of the normal window: a maximised one may have none.
    const QMargins margins = m_normalKnown ? m_normalMargins : knownFrame().value_or(QMargins());
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
    return m_window->minimumSizeHint()
        .expandedTo(m_window->minimumSize())
        .grownBy(knownFrame().value_or(m_normalMargins));
}

void TWidgetPlacementWindow::showError(const QString &message)
{
    if (m_showError)
        m_showError(message);
}

bool TWidgetPlacementWindow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef OQ_ASK_X11
    // The frame is known when the window manager says so, which may come after the window's last move.
    // Also after the fit: the normal bounds kept for saving are reckoned with the new frame.
    if (m_window && eventType == "xcb_generic_event_t") {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            const QWindow *handle = m_window->windowHandle();
            if (notify->atom == m_frameExtentsAtom && handle && notify->window == xcb_window_t(handle->winId()))
                QTimer::singleShot(0, this, [this] {
                    if (!m_window)
                        return;
                    // A window fitted with the frame it had a moment ago (a maximised one's, say) is fitted again.
                    // Not a maximised one, nor one that stood where it was asked to be: coming back from
                    // maximised its normal state reaches us before its new frame and size do, and the window
                    // manager brings it back where it stood anyway.
                    if (!(m_window->windowState() & MaximizedStates) && !m_fitDone && m_fitRequests < FitRequests
                        && m_fitUntil.isValid()
                        && m_fitUntil.elapsed() <= FitPeriodMs)
                        m_fitPending = true;
                    trackFrame();
                });
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

bool TWidgetPlacementWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window) {
        // Exposed, the window's frame is known.
        if (m_window && watched == m_window->windowHandle() && event->type() == QEvent::Expose)
            QTimer::singleShot(0, this, [this] {
                if (m_window)
                    trackFrame();
            });
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Show:
        if (QWindow *handle = m_window->windowHandle())
            handle->installEventFilter(this);
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
