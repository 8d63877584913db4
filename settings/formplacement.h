// SPDX-License-Identifier: MIT
#pragma once

#include <QFlags>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>

class TIniFile;
class TFormPlacement;

// What a placement store keeps: the window state, its place and size, the focused control (not kept here).
enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPlacementOptions)

enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// A rectangle as the profile stores it: right and bottom lie just outside it (right = left + width).
struct TPlacementRect
{
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;

    friend bool operator==(const TPlacementRect &a, const TPlacementRect &b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const TPlacementRect &a, const TPlacementRect &b) { return !(a == b); }
};

// A top-level window's placement record, in pixels of the primary screen's work area.
struct TWindowPlacement
{
    qint32 flags = 0; // RestoreToMaximized when a minimised window comes back maximised
    qint32 showCmd = SwShowNormal;
    QPoint minPosition { -1, -1 };
    QPoint maxPosition;
    TPlacementRect normal; // the outer bounds while neither minimised nor maximised

    static constexpr qint32 RestoreToMaximized = 2;
    static constexpr qint32 SwHide = 0;
    static constexpr qint32 SwShowNormal = 1;
    static constexpr qint32 SwShowMinimized = 2;
    static constexpr qint32 SwShowMaximized = 3;
};

// What a placement store needs of its window. The window side maps this onto the window system and runs the
// attached stores' handlers at the window's show, close and destruction (FormShow, FormCloseQuery, FormDestroy).
class TPlacementWindow
{
public:
    TPlacementWindow() = default;
    // Deletes the stores that are still attached. A derived class runs FormDestroy in its own destructor, while it
    // can still answer for the window.
    virtual ~TPlacementWindow();
    Q_DISABLE_COPY_MOVE(TPlacementWindow)

    virtual TWindowPlacement placement() const = 0;
    // Applies flags, positions and the normal rectangle; it never shows, hides or changes the state.
    virtual void setPlacement(const TWindowPlacement &placement) = 0;
    virtual bool isVisible() const = 0;
    virtual bool isSizeable() const = 0;
    // True for the application's main window while the whole application is minimised.
    virtual bool isMinimizedMainWindow() const = 0;
    virtual void setWindowState(TWindowState state) = 0;
    // Minimises the application once the window has been shown.
    virtual void postMinimize() = 0;
    // Thickness of the window's border (left, bottom); 0 without one.
    virtual QSize frameThickness() const = 0;
    // The primary screen's size and logical pixels per inch (vertical).
    virtual QSize screenSize() const = 0;
    virtual qint32 pixelsPerInch() const = 0;
    // Every screen's work area in work-area pixels of the primary screen, the primary screen's first.
    virtual QList<QRect> workAreas() const = 0;
    // The smallest outer size the window takes.
    virtual QSize minimumOuterSize() const = 0;
    // Whether the window system tells where the window is (Wayland doesn't): without that, the position saved
    // last is kept.
    virtual bool reportsPosition() const { return true; }
    // Whether the window can be minimised on request and be seen to be so; without that, a stored minimised
    // state is kept as it was.
    virtual bool canMinimize() const { return true; }
    // Shows a failure the way the application shows every failure; the caller goes on.
    virtual void showError(const QString &message) = 0;

    // The attached stores' handlers, in the order the attachment gives: each store keeps the handler it found and
    // calls it, so the store attached last is asked first. Show: each store loads, then the one before it. Close:
    // the one before it first, then the store itself. Destroy: like show.
    void FormShow();
    void FormCloseQuery(bool &canClose);
    void FormDestroy();

    const QList<TFormPlacement *> &stores() const { return m_stores; }

private:
    friend class TFormPlacement;
    QList<TFormPlacement *> m_stores;
};

// Keeps a window's place, size and state in a section of a profile file: saved when the window is asked whether
// it may close, applied when it is next shown. Attached to a window (its owner), which then owns it.
class TFormPlacement
{
public:
    explicit TFormPlacement(TPlacementWindow *owner = nullptr);
    virtual ~TFormPlacement();
    Q_DISABLE_COPY_MOVE(TFormPlacement)

    QString IniFileName;
    QString IniSection;
    bool Active = true;
    TPlacementOptions Options; // fpState and fpPosition for a store owned by a window, none otherwise
    qint32 Version = 0;

    bool RestoreDone() const { return m_restoreDone; }
    bool SaveDone() const { return m_saveDone; }
    bool SavingOnDestroy() const { return m_savingOnDestroy; }

    // Write the placement; a failed write throws EIniFileException. A store that never restored writes nothing.
    void StorePlacement();
    // Read and apply the placement; missing or bad keys give their defaults.
    void LoadPlacement();

    // The handlers a window runs; each shows its own failure and lets the window go on.
    void FormShow();
    void FormCloseQuery(bool canClose);
    void FormDestroy();

protected:
    // A store that keeps more than the placement saves and reads it here.
    virtual void saveStoredData(TIniFile &) { }
    virtual void loadStoredData(const TIniFile &) { }

private:
    friend class TPlacementWindow;
    void WritePlacementKeys(TIniFile &ini);
    void ReadPlacementKeys(const TIniFile &ini);
    void storeShowingErrors();

    TPlacementWindow *m_owner = nullptr;
    // Where the window stood at the restore, or was stored to stand: kept when the window system doesn't tell.
    QPoint m_keptPosition;
    // A stored minimised state the window system could not apply: the state it opened in instead, and the
    // flags stored with it. Saved back as long as the window stays in that state.
    bool m_keepMinimized = false;
    TWindowState m_openedState = wsNormal;
    qint32 m_keptFlags = 0;
    bool m_restoreDone = false;
    bool m_saveDone = false;
    bool m_savingOnDestroy = false;
};

// A placement store that can also keep properties and named values of the window; the program lists none, so it
// keeps the same data as TFormPlacement, in its own file and section.
class TFormStorage : public TFormPlacement
{
public:
    using TFormPlacement::TFormPlacement;
};

namespace oq::placement {

// Key names of a store's section, in the order they are written.
inline constexpr char FormVersionKey[] = "FormVersion";
inline constexpr char FlagsKey[] = "Flags";
inline constexpr char ShowCmdKey[] = "ShowCmd";
inline constexpr char PixelsPerInchKey[] = "PixelsPerInch";
inline constexpr char MinMaxPosKey[] = "MinMaxPos";
inline constexpr char NormPosKey[] = "NormPos";
inline constexpr char VisibleKey[] = "Visible";

// "(1024x768)": appended to MinMaxPos and NormPos, so each screen size keeps its own position.
QString screenSuffix(QSize screen);
// "a,b,c,d"
QString formatFour(qint32 a, qint32 b, qint32 c, qint32 d);
// The words of a value: split at blanks and commas, a run of them one separator, leading ones skipped.
QStringList valueWords(const QString &text);
// Words 1 to 4 as numbers; a missing word, or one that isn't a number, takes its default.
std::array<qint32, 4> readFour(const QString &text, const std::array<qint32, 4> &defaults);
// The state a stored show command asks for: 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised; others `otherwise`.
TWindowState stateFromShowCmd(qint32 showCmd, TWindowState otherwise);

// A stored normal rectangle made fit to be shown: its size clamped between the window's minimum and the extent of
// all work areas; when it lies wholly off every work area (a screen that is gone), moved onto the primary one
// (areas.first()), keeping its size where it fits; when it lies partly off, moved just enough that its top edge
// is inside the work area that shows most of it and at least 100 pixels of its width (all of a narrower one) are
// on that area, so its title bar can be reached. Without work areas only the minimum applies.
TPlacementRect fitOntoWorkAreas(const TPlacementRect &rect, QSize minimum, const QList<QRect> &areas);

} // namespace oq::placement
