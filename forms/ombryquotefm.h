// SPDX-License-Identifier: MIT
#pragma once

#include "controls/toolbarbuttons.h"
#include "forms/quotelist.h"
#include "forms/quotepane.h"
#include "forms/screenfit.h"
#include "quotes/quotehistory.h"
#include "quotes/quoteindex.h"
#include "settings/programsettings.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QTimer;
class TIniFile;
class TFormPlacement;
class TFormStorage;
class TWidgetPlacementWindow;
class TAboutBox;
class TSearchQuotes;
class TAddQuoteFm;
class TFileDrop;
class TShortcutRouter;
namespace oq {
class QuoteFileWatcher;
}

// The main window: the quote pane, the tool bar, the title list, the menus,
// and the quote index and history that every other window works on.
class TQuoteForm : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TQuoteForm)

public:
    explicit TQuoteForm(QWidget *parent = nullptr);
    ~TQuoteForm() override;

    // The other windows, created after this one; set once by start-up.
    void setWindows(TAboutBox *aboutBox, TSearchQuotes *searchQuotes, TAddQuoteFm *addQuoteFm);
    TSearchQuotes *searchWindow() const { return m_searchQuotes; }

    // Quote index of the open file.
    oq::QuoteIndex Index;
    oq::LineList &QuoteLines;
    std::array<qint32, oq::QuoteSlots> &QuoteStarts;
    oq::TitleList &QuoteTitles;
    qint32 &QuoteCount;
    // Quote on display and the history of shown quotes.
    qint32 CurrentIndex = 0;
    oq::QuoteHistory Shown;
    std::array<qint32, oq::QuoteSlots> &History;
    qint32 &HistoryTop;
    oq::RandomSource Random;
    // Settings.
    QString QuoteFileName;
    QString InstallDir;
    qint32 FontSize = 8;
    qint32 CountdownValue = 0;
    std::unique_ptr<TIniFile> SettingsFile;
    // Place, size and state between runs: "Position" in the settings file, "FormStorage" in a file of its own.
    // PlacementWindow owns both stores and runs them at show, close and destruction.
    std::unique_ptr<TWidgetPlacementWindow> PlacementWindow;
    TFormPlacement *FormPlacement1 = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    // Controls.
    QWidget *Panel1 = nullptr;
    QWidget *Panel2 = nullptr;
    TQuotePane *Display = nullptr;
    TQuoteList *QuoteList = nullptr;
    QLabel *CurrentQuote = nullptr;
    QLabel *Countdown = nullptr;
    QLabel *TotalQuotes = nullptr;
    ToolBarButtons Buttons;
    QTimer *Timer = nullptr;
    QMenu *PopupMenu = nullptr;
    QMenu *View1 = nullptr;

    // The pane's text as a text box holds it: each line followed by "\n".
    QString paneText() const;

    void LoadFile();
    // Opens a file as the Open command does once a file is chosen (a file
    // dropped on the window).
    void OpenFile(const QString &fileName);
    // Reads the open file again after it changed on disk: the quote on
    // display stays where its number still exists, else a random one shows.
    void ReloadFile();
    oq::QuoteFileWatcher *fileWatcher() const { return m_fileWatcher; }
    void NewQuoteProc();
    void RandomQuote();
    void CancelCount();
    // Starts the exit countdown of the given number of seconds (none when 0 or less).
    void startCountdown(qint32 seconds);

    // Runs the shortcut of a key pressed in `target`, in the order the window
    // gives keys: the pop-up menu where the focus has it, then the main menu.
    // Returns whether the key was taken.
    bool routeShortcut(QWidget *target, QKeyEvent *event);

public Q_SLOTS:
    void NewFileClick(QObject *Sender = nullptr);
    void NewQuoteClick(QObject *Sender = nullptr);
    void BackClick(QObject *Sender = nullptr);
    void PrevQuoteClick(QObject *Sender = nullptr);
    void NextQuoteClick(QObject *Sender = nullptr);
    void CopyToClipboardClick(QObject *Sender = nullptr);
    void FindQuoteClick(QObject *Sender = nullptr);
    void SetMarqueeClick(QObject *Sender = nullptr);
    void AddQuoteClick(QObject *Sender = nullptr);
    void SpinFontSizeTopClick(QObject *Sender = nullptr);
    void SpinFontSizeBottomClick(QObject *Sender = nullptr);
    void AboutClick(QObject *Sender = nullptr);
    void QuitClick(QObject *Sender = nullptr);
    void Help2Click(QObject *Sender = nullptr);
    void CountdownClick(QObject *Sender = nullptr);
    void QuoteListChange(QObject *Sender = nullptr);
    void TimerTimer(QObject *Sender = nullptr);
    void FormResize(QObject *Sender = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    // Returns false when the settings could not be written.
    bool FormClose();
    void createControls();
    void createMenus();
    void layoutPanel1();
    void showPopupMenu(QWidget *from, const QPoint &pos);

    TShortcutRouter *m_shortcuts = nullptr;
    oq::CloseFailureCounter m_closeFailures;
    // The settings as this run read or last wrote them: the close writes only what changed.
    oq::ProgramSettings m_storedSettings;
    // The file named on the command line until it has been read; not stored at close.
    QString m_unreadStartupFile;
    qint32 m_pendingCountdown = 0;
    bool m_firstShow = true;
    oq::DesignedOuterSize m_outerSize;
    QStringList m_shownLines;
    // The quote number's own font; larger numbers are drawn smaller.
    QFont m_numberFont;
    TAboutBox *m_aboutBox = nullptr;
    TSearchQuotes *m_searchQuotes = nullptr;
    TAddQuoteFm *m_addQuoteFm = nullptr;
    oq::QuoteFileWatcher *m_fileWatcher = nullptr;
    TFileDrop *m_fileDrop = nullptr;
    std::optional<qint32> m_keepOnLoad;
};

// The one main window of the run, or null before it exists.
TQuoteForm *QuoteForm();
