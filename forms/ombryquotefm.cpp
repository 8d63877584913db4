// SPDX-License-Identifier: MIT
#include "ombryquotefm.h"

#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"
#include "core/exception.h"
#include "forms/addquote.h"
#include "forms/errordisplay.h"
#include "forms/filedrop.h"
#include "forms/helpviewer.h"
#include "forms/programstyle.h"
#include "forms/quote21.h"
#include "forms/quotesr.h"
#include "forms/screenfit.h"
#include "forms/shortcutrouter.h"
#include "forms/toolbarlabels.h"
#include "quotes/panetext.h"
#include "quotes/quotefilewatcher.h"
#include "quotes/quoteprefetch.h"
#include "settings/inifile.h"
#include "settings/placementwindow.h"
#include "settings/screensaverexport.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The window's designed outer size and place.
constexpr QSize DesignedSize(477, 260);
constexpr QPoint DesignedPosition(462, 235);

QPointer<TQuoteForm> &theQuoteForm()
{
    static QPointer<TQuoteForm> form;
    return form;
}

// Shows the busy cursor for as long as it lives.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(BusyCursor)
};

QKeyCombination ctrl(Qt::Key key)
{
    return QKeyCombination(Qt::ControlModifier, key);
}

} // namespace

TQuoteForm *QuoteForm()
{
    return theQuoteForm();
}

// --- TQuoteForm -------------------------------------------------------------

TQuoteForm::TQuoteForm(QWidget *parent)
    : QMainWindow(parent), QuoteLines(Index.QuoteLines), QuoteStarts(Index.QuoteStarts),
      QuoteTitles(Index.QuoteTitles), QuoteCount(Index.QuoteCount), History(Shown.History),
      HistoryTop(Shown.HistoryTop), m_outerSize(DesignedSize)
{
    TProgramStyle::install();
    theQuoteForm() = this;
    setObjectName(QStringLiteral("QuoteForm"));
    setWindowTitle(QStringLiteral("Ombry Quote"));
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    m_shortcuts = new TShortcutRouter(this);
    createMenus();
    resize(DesignedSize);
    move(DesignedPosition);
    // The placement stores attach before the window fills itself, in this order.
    PlacementWindow
        = std::make_unique<TWidgetPlacementWindow>(this, [this](const QString &m) { oq::showError(m, this); });
    FormPlacement1 = new TFormPlacement(PlacementWindow.get());
    FormPlacement1->IniFileName = QStringLiteral("OMBRYQuote.ini");
    FormPlacement1->IniSection = QStringLiteral("Position");
    FormStorage1 = new TFormStorage(PlacementWindow.get());
    FormStorage1->IniFileName = QStringLiteral("OmbryQuote");
    FormStorage1->IniSection = QStringLiteral("FormStorage");
    m_fileWatcher = new oq::QuoteFileWatcher(this);
    connect(m_fileWatcher, &oq::QuoteFileWatcher::changed, this, &TQuoteForm::ReloadFile);
    m_fileDrop = new TFileDrop(this, [this](const QString &file) { OpenFile(file); });
    FormCreate();
}

TQuoteForm::~TQuoteForm()
{
    // The title list reads the index, which goes before the list does.
    QuoteList->titles()->clear();
    if (theQuoteForm() == this)
        theQuoteForm() = nullptr;
}

void TQuoteForm::setWindows(TAboutBox *aboutBox, TSearchQuotes *searchQuotes, TAddQuoteFm *addQuoteFm)
{
    m_aboutBox = aboutBox;
    m_searchQuotes = searchQuotes;
    m_addQuoteFm = addQuoteFm;
    // The search window, like the pane and the title list, takes the pop-up
    // menu's keys; it and the About box pass the others on to the main menu.
    m_shortcuts->addPopupFocus(searchQuotes);
    m_shortcuts->addKeyPassingWindow(aboutBox);
    m_shortcuts->addKeyPassingWindow(searchQuotes);
}

void TQuoteForm::createControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    central->setBackgroundRole(QPalette::Button);
    central->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(29);
    Panel1->installEventFilter(this);
    Buttons = createToolBarButtons(Panel1);

    const oq::ToolBarLabelWidgets labels = oq::createToolBarLabels(Panel1);
    CurrentQuote = labels.number;
    m_numberFont = labels.numberFont;
    Countdown = labels.countdown;
    Countdown->installEventFilter(this);
    TotalQuotes = labels.total;

    Display = new TQuotePane(central);
    Display->setObjectName(QStringLiteral("Display"));
    Display->setPlainText(QStringLiteral("Display"));
    Display->setAccessibleName(QStringLiteral("Quote"));
    Display->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Display, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showPopupMenu(Display, pos); });

    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(30);
    QuoteList = new TQuoteList(Panel2);
    QuoteList->setObjectName(QStringLiteral("QuoteList"));
    QuoteList->setAccessibleName(QStringLiteral("Quote Titles"));
    QuoteList->setGeometry(2, 7, DesignedSize.width() - 11, 21);
    QuoteList->setContextMenuPolicy(Qt::CustomContextMenu);
    if (auto *view = qobject_cast<QListView *>(QuoteList->view()))
        view->setUniformItemSizes(true);
    connect(QuoteList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showPopupMenu(QuoteList, pos); });
    connect(QuoteList, &TQuoteList::droppedDown, this, [this] { CountdownClick(); });
    connect(QuoteList, &QComboBox::activated, this, [this] {
        CountdownClick();
        QuoteListChange();
    });

    layout->addWidget(Panel1);
    layout->addWidget(Display, 1);
    layout->addWidget(Panel2);
    setCentralWidget(central);

    // Only the title list and the pane take the keyboard focus.
    setTabOrder(QuoteList, Display);
    QuoteList->setFocus();

    const std::pair<TRxSpeedButton *, void (TQuoteForm::*)(QObject *)> clicks[] = {
        {Buttons.NewFile, &TQuoteForm::NewFileClick}, {Buttons.NewQuote, &TQuoteForm::NewQuoteClick},
        {Buttons.Back, &TQuoteForm::BackClick}, {Buttons.PrevQuote, &TQuoteForm::PrevQuoteClick},
        {Buttons.NextQuote, &TQuoteForm::NextQuoteClick}, {Buttons.CopyToClipboard, &TQuoteForm::CopyToClipboardClick},
        {Buttons.FindQuote, &TQuoteForm::FindQuoteClick}, {Buttons.SetMarquee, &TQuoteForm::SetMarqueeClick},
        {Buttons.AddQuote, &TQuoteForm::AddQuoteClick}, {Buttons.QuitButton, &TQuoteForm::QuitClick},
        {Buttons.About, &TQuoteForm::AboutClick}};
    for (const auto &[button, handler] : clicks)
        connect(button, &TRxSpeedButton::clicked, this, [this, b = button, h = handler] { (this->*h)(b); });
    connect(Buttons.SpinFontSize, &TRxSpinButton::topClick, this,
            [this] { SpinFontSizeTopClick(Buttons.SpinFontSize); });
    connect(Buttons.SpinFontSize, &TRxSpinButton::bottomClick, this,
            [this] { SpinFontSizeBottomClick(Buttons.SpinFontSize); });

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(Timer); });
}

void TQuoteForm::createMenus()
{
    // A menu entry shows its key; the keys themselves are routed by
    // m_shortcuts, so that each key has one owner at a time.
    auto entry = [this](QMenu *menu, const char *name, const char *caption, QKeyCombination key,
                        void (TQuoteForm::*handler)(QObject *)) {
        QAction *action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        if (key.toCombined())
            action->setShortcut(QKeySequence(key));
        // Active only while its own menu has the focus, so it never competes
        // with the routed keys.
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, handler, action] { (this->*handler)(action); });
        return action;
    };

    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    entry(file, "Open1", "Open", ctrl(Qt::Key_O), &TQuoteForm::NewFileClick);
    // Ctrl+Q quits as in every desktop program; Ctrl+X, the pop-up menu's key, too.
    entry(file, "Exit1", "E&xit", ctrl(Qt::Key_Q), &TQuoteForm::QuitClick);

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    entry(edit, "Copy1", "Copy ", ctrl(Qt::Key_C), &TQuoteForm::CopyToClipboardClick);
    entry(edit, "SetMarqueText1", "Set Marque Text", ctrl(Qt::Key_M), &TQuoteForm::SetMarqueeClick);
    entry(edit, "Addcurrenttofavourites1", "Add current to favourites", ctrl(Qt::Key_A), &TQuoteForm::AddQuoteClick);

    QAction *search = bar->addAction(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("Search1"));
    connect(search, &QAction::triggered, this, [this, search] { FindQuoteClick(search); });

    View1 = bar->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    QAction *back = entry(View1, "Back1", "Back", ctrl(Qt::Key_L), &TQuoteForm::BackClick);
    entry(View1, "Previous1", "Previous", ctrl(Qt::Key_P), &TQuoteForm::PrevQuoteClick);
    entry(View1, "Next1", "Next", ctrl(Qt::Key_N), &TQuoteForm::NextQuoteClick);
    entry(View1, "IncreaseFontSize1", "Increase Font Size", ctrl(Qt::Key_I), &TQuoteForm::SpinFontSizeTopClick);
    entry(View1, "DecreaseFontSize1", "Decrease Font Size", ctrl(Qt::Key_D), &TQuoteForm::SpinFontSizeBottomClick);
    entry(View1, "RandomQuote1", "Random Quote", ctrl(Qt::Key_R), &TQuoteForm::NewQuoteClick);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    entry(help, "Help2", "Help", QKeyCombination(Qt::Key_F1), &TQuoteForm::Help2Click);
    entry(help, "About1", "About", QKeyCombination(), &TQuoteForm::AboutClick);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    entry(PopupMenu, "CopyQuoteToClipboard1", "&Copy To Clipboard", ctrl(Qt::Key_C), &TQuoteForm::CopyToClipboardClick);
    entry(PopupMenu, "AddQuoteToFavQuoteFile1", "&Add To FavQuote File", ctrl(Qt::Key_A), &TQuoteForm::AddQuoteClick);
    entry(PopupMenu, "NextQuote1", "&Next Quote", ctrl(Qt::Key_N), &TQuoteForm::NextQuoteClick);
    entry(PopupMenu, "PreviousQuote1", "&Previous Quote", ctrl(Qt::Key_P), &TQuoteForm::PrevQuoteClick);
    entry(PopupMenu, "LastDisplayedQuote1", "&Last Displayed Quote", ctrl(Qt::Key_L), &TQuoteForm::BackClick);
    entry(PopupMenu, "Find1", "&Find", ctrl(Qt::Key_F), &TQuoteForm::FindQuoteClick);
    entry(PopupMenu, "NewRandomQuote1", "New &Random Quote", ctrl(Qt::Key_R), &TQuoteForm::NewQuoteClick);
    entry(PopupMenu, "Exit", "Exit", ctrl(Qt::Key_X), &TQuoteForm::QuitClick);
    connect(PopupMenu, &QMenu::aboutToShow, this, [this] { CountdownClick(PopupMenu); });

    // The pane and the title list take the pop-up menu's keys; opening it
    // cancels the countdown first. The View menu's own key goes back, like its Back entry.
    m_shortcuts->addPopupFocus(Display);
    m_shortcuts->addPopupFocus(QuoteList);
    m_shortcuts->setPopupMenu(PopupMenu, [this] { CountdownClick(PopupMenu); });
    m_shortcuts->setMainKeys({{ctrl(Qt::Key_B), back}, {ctrl(Qt::Key_F), search}});
}

void TQuoteForm::showPopupMenu(QWidget *from, const QPoint &pos)
{
    PopupMenu->popup(from->mapToGlobal(pos));
}

void TQuoteForm::FormCreate()
{
    try {
        SettingsFile = std::make_unique<TIniFile>(QString::fromLatin1(oq::SettingsFileName));
        m_storedSettings = oq::readProgramSettings(*SettingsFile);
        const oq::ProgramSettings &settings = m_storedSettings;
        QuoteFileName = settings.QuoteFileName;
        if (!oq::startupQuoteFile().isEmpty())
            QuoteFileName = m_unreadStartupFile = oq::startupQuoteFile();
        InstallDir = settings.InstallDir;
        FontSize = settings.FontSize;
        m_pendingCountdown = settings.ExitCountdown;
        Random.seedFromSystem();
        LoadFile();
        HistoryTop = 1;
        const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/OMBRYQuote.hlp");
        if (QFileInfo::exists(besideProgram))
            oq::applicationHelpFile() = besideProgram;
    } catch (const oq::Exception &e) {
        oq::showError(e.message(), this);
    }
}

// --- the quote on display ---------------------------------------------------

QString TQuoteForm::paneText() const
{
    QString text;
    for (const QString &line : m_shownLines)
        text += line + QLatin1Char('\n');
    return text;
}

void TQuoteForm::LoadFile()
{
    std::optional<BusyCursor> busy(std::in_place);
    m_fileWatcher->watch(QuoteFileName);
    QuoteList->titles()->clear();
    // At start-up the file has been read ahead while the windows were built.
    if (oq::QuotePrefetch::load(QuoteFileName, Index))
        m_unreadStartupFile.clear();
    setWindowTitle(oq::captionText(QuoteFileName));
    // The drop-down is filled in one step once the titles are sorted, on a
    // worker thread when there are many.
    QuoteList->titles()->setTitles(QuoteTitles);
    TotalQuotes->setText(oq::totalQuotesText(QuoteCount));
    layoutPanel1();
    if (const auto kept = m_keepOnLoad ? Shown.keepOnReload(*m_keepOnLoad, QuoteCount) : std::nullopt) {
        CurrentIndex = *kept;
        NewQuoteProc();
    } else {
        RandomQuote();
    }
    // The fallback line tells nothing of why; such a name would pass for a missing file.
    if (Index.readError() == oq::ReadError::UnrepresentableName) {
        busy.reset();
        oq::showError(oq::unrepresentableFileNameMessage(QuoteFileName), this);
    }
}

void TQuoteForm::OpenFile(const QString &fileName)
{
    if (m_searchQuotes)
        m_searchQuotes->close();
    CancelCount();
    if (!oq::isStorableQuoteFileName(fileName)) {
        // Never opened, so the close can always store what is open.
        oq::showError(oq::unstorableFileNameMessage(fileName), this);
        return;
    }
    QuoteFileName = QFileInfo(fileName).absoluteFilePath();
    LoadFile();
}

void TQuoteForm::ReloadFile()
{
    m_keepOnLoad = CurrentIndex;
    const auto done = qScopeGuard([this] { m_keepOnLoad.reset(); });
    LoadFile();
    if (m_searchQuotes)
        m_searchQuotes->refreshResults();
}

void TQuoteForm::NewQuoteProc()
{
    QuoteList->setCurrentIndex(-1);
    const QString number = QString::number(CurrentIndex + 1);
    // Five-digit numbers take a smaller font rather than lose digits.
    CurrentQuote->setFont(oq::fittingFont(m_numberFont, number, CurrentQuote->width(), oq::MinNumberPixelSize));
    CurrentQuote->setText(number);
    Display->clear();
    Display->setPointSize(FontSize);
    m_shownLines = oq::paneLines(Index.quoteLines(CurrentIndex));
    Display->setPlainText(m_shownLines.join(QLatin1Char('\n')));
    Display->moveCursor(QTextCursor::Start);
    Shown.push(CurrentIndex);
    Buttons.PrevQuote->setEnabled(oq::previousEnabled(CurrentIndex));
    Buttons.NextQuote->setEnabled(oq::nextEnabled(CurrentIndex, QuoteCount));
}

void TQuoteForm::RandomQuote()
{
    CurrentIndex = qint32(Random.draw(quint32(QuoteCount)));
    NewQuoteProc();
}

void TQuoteForm::NewQuoteClick(QObject *)
{
    Buttons.NewQuote->setShowHint(false);
    CancelCount();
    RandomQuote();
}

void TQuoteForm::PrevQuoteClick(QObject *)
{
    Buttons.PrevQuote->setShowHint(false);
    CancelCount();
    if (oq::canStepPrevious(CurrentIndex)) {
        --CurrentIndex;
        NewQuoteProc();
    }
}

void TQuoteForm::NextQuoteClick(QObject *)
{
    Buttons.NextQuote->setShowHint(false);
    CancelCount();
    if (oq::canStepNext(CurrentIndex, QuoteCount)) {
        ++CurrentIndex;
        NewQuoteProc();
    }
}

void TQuoteForm::BackClick(QObject *)
{
    if (const auto index = Shown.back()) {
        CurrentIndex = *index;
        NewQuoteProc();
    }
}

void TQuoteForm::QuoteListChange(QObject *)
{
    CancelCount();
    if (const auto index = oq::titleToIndex(QuoteList->currentText())) {
        CurrentIndex = *index;
        NewQuoteProc();
    }
}

// --- commands ---------------------------------------------------------------

void TQuoteForm::NewFileClick(QObject *)
{
    if (m_searchQuotes)
        m_searchQuotes->close();
    CancelCount();
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), InstallDir,
                                                        QStringLiteral("Text Files (*.txt);;All Files (*)"));
    if (!chosen.isEmpty())
        OpenFile(chosen);
}

void TQuoteForm::CopyToClipboardClick(QObject *)
{
    Display->selectAll();
    QGuiApplication::clipboard()->setText(paneText());
    Display->moveCursor(QTextCursor::Start);
}

void TQuoteForm::FindQuoteClick(QObject *)
{
    CancelCount();
    if (m_searchQuotes)
        m_searchQuotes->openForFind();
}

void TQuoteForm::SetMarqueeClick(QObject *)
{
    CancelCount();
    oq::exportScreenSaverText(Display->displayLines(), *SettingsFile);
}

void TQuoteForm::AddQuoteClick(QObject *)
{
    CancelCount();
    if (m_addQuoteFm)
        m_addQuoteFm->exec();
}

void TQuoteForm::SpinFontSizeTopClick(QObject *)
{
    Buttons.SpinFontSize->setShowHint(false);
    CancelCount();
    Display->setPointSize(Display->pointSize() + 2);
    FontSize = Display->pointSize();
}

void TQuoteForm::SpinFontSizeBottomClick(QObject *)
{
    Buttons.SpinFontSize->setShowHint(false);
    CancelCount();
    if (Display->pointSize() > 2) {
        Display->setPointSize(Display->pointSize() - 2);
        FontSize = Display->pointSize();
    }
}

void TQuoteForm::AboutClick(QObject *)
{
    CancelCount();
    if (m_aboutBox) {
        if (!m_aboutBox->isVisible())
            oq::fitWindowToScreen(m_aboutBox, this);
        m_aboutBox->show();
        m_aboutBox->raise();
        m_aboutBox->activateWindow();
    }
}

void TQuoteForm::QuitClick(QObject *)
{
    oq::helpQuit();
    close();
}

void TQuoteForm::Help2Click(QObject *)
{
    oq::helpContents(oq::applicationHelpFile(), this);
}

// --- exit countdown ---------------------------------------------------------

void TQuoteForm::CancelCount()
{
    Timer->stop();
    if (Countdown->isHidden())
        return;
    Countdown->hide();
    // The total and the window's width get back the countdown's room.
    layoutPanel1();
}

void TQuoteForm::CountdownClick(QObject *)
{
    CancelCount();
}

void TQuoteForm::startCountdown(qint32 seconds)
{
    if (seconds <= 0)
        return;
    CountdownValue = seconds;
    Countdown->setText(QString::number(CountdownValue));
    Countdown->show();
    layoutPanel1();
    Timer->start();
}

void TQuoteForm::TimerTimer(QObject *)
{
    --CountdownValue;
    Countdown->setText(QString::number(CountdownValue));
    layoutPanel1();
    if (CountdownValue <= 0) {
        // Stopped first, so that a close abandoned for a failed write does
        // not count on below zero.
        Timer->stop();
        close();
    }
}

// --- layout -----------------------------------------------------------------

void TQuoteForm::FormResize(QObject *)
{
    QuoteList->resize(std::max(0, frameGeometry().width() - 11), QuoteList->height());
}

void TQuoteForm::layoutPanel1()
{
    // Laid out when the window shows: until then the bar has no width of its
    // own, and fitting the total into it would try one font size after another.
    if (!isVisible())
        return;
    oq::placeToolBarLabels(Panel1, TotalQuotes, Countdown, Buttons.About->geometry().right() + 1);
}

void TQuoteForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize(this);
    m_outerSize.fit(this);
}

void TQuoteForm::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    m_outerSize.fit(this);
}

void TQuoteForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    layoutPanel1();
    if (!m_firstShow)
        return;
    m_firstShow = false;
    m_outerSize.start(this);
    // The focus starts in the title list, and shows there as it would after
    // a Tab: a keyboard user sees where the keys go.
    setAttribute(Qt::WA_KeyboardFocusChange);
    QuoteList->setFocus();
    FormResize(this);
    startCountdown(m_pendingCountdown);
}

// --- closing ----------------------------------------------------------------

bool TQuoteForm::FormClose()
{
    try {
        // A file named on the command line that never opened (a typo, say) is not remembered.
        const QString fileName = QuoteFileName == m_unreadStartupFile ? m_storedSettings.QuoteFileName : QuoteFileName;
        oq::writeProgramSettings(*SettingsFile, m_storedSettings, fileName, Display->pointSize());
        m_closeFailures.reset();
        return true;
    } catch (const oq::Exception &e) {
        oq::showError(e.message(), this);
        return false;
    }
}

void TQuoteForm::closeEvent(QCloseEvent *event)
{
    if (!FormClose() && !m_closeFailures.mayCloseAfterFailure()) {
        // The first failure keeps the window open so nothing is lost; a
        // second one in a row lets the program end all the same.
        event->ignore();
        return;
    }
    event->accept();
    CancelCount();
    QCoreApplication::quit();
}

// --- keys -------------------------------------------------------------------

bool TQuoteForm::routeShortcut(QWidget *target, QKeyEvent *event)
{
    return m_shortcuts->route(target, event);
}

bool TQuoteForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::FontChange:
        if (watched == Panel1)
            layoutPanel1();
        break;
    case QEvent::MouseButtonPress:
        if (watched == Countdown && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            CountdownClick(Countdown);
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
