// SPDX-License-Identifier: MIT
#include "ombryquotefm.h"

#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"
#include "core/exception.h"
#include "forms/errordisplay.h"
#include "forms/filedrop.h"
#include "forms/helpviewer.h"
#include "forms/programstyle.h"
#include "forms/quote21.h"
#include "forms/screenfit.h"
#include "forms/toolbarlabels.h"
#include "quotes/panetext.h"
#include "quotes/quotefilewatcher.h"
#include "quotes/quoteprefetch.h"
#include "settings/inifile.h"
#include "settings/placementwindow.h"
#include "settings/screensaverexport.h"

#include "forms/addquote.h"
#include "forms/quotesr.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPointer>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The window's designed outer size and place.
constexpr QSize DesignedSize(477, 260);
constexpr QPoint DesignedPosition(462, 235);
// Font sizes the pane accepts; anything else leaves the pane as it is.
constexpr int MinPointSize = 1;
constexpr int MaxPointSize = 999;

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

// --- TQuotePane -------------------------------------------------------------

TQuotePane::TQuotePane(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Keyboard users can still move the caret and select in the read-only pane.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, pal.color(QPalette::ButtonText));
    setPalette(pal);
}

QStringList TQuotePane::displayLines() const
{
    QStringList lines;
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        // Asking for the block's rectangle lays it out if it is not yet.
        layout->blockBoundingRect(block);
        const QTextLayout *tl = block.layout();
        const QString text = block.text();
        if (!tl || tl->lineCount() == 0) {
            lines << text;
            continue;
        }
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    // An empty pane holds no line at all.
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

int TQuotePane::pointSize() const
{
    return font().pointSize();
}

void TQuotePane::setPointSize(int points)
{
    if (points < MinPointSize || points > MaxPointSize || points == pointSize())
        return;
    QFont f = font();
    f.setPointSize(points);
    setFont(f);
}

// --- TQuoteList -------------------------------------------------------------

TQuoteList::TQuoteList(QWidget *parent) : QComboBox(parent), m_titles(new oq::TitleListModel(this))
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(1);
    setMaxVisibleItems(16);
    // It drops down below the box with its row limit (see TProgramStyle).
    setModel(m_titles);
    // Filling an empty list selects its first title; the list selects nothing
    // until the user picks a title.
    connect(m_titles, &oq::TitleListModel::filled, this, [this] { setCurrentIndex(-1); });
}

void TQuoteList::showPopup()
{
    m_titles->waitForSort();
    Q_EMIT droppedDown();
    QComboBox::showPopup();
}

void TQuoteList::keyPressEvent(QKeyEvent *event)
{
    // Alt with a letter is a menu's access key, never the start of a title.
    if ((event->modifiers() & Qt::AltModifier) && !event->text().isEmpty()) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool TQuoteList::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        m_titles->waitForSort();
        break;
    default:
        break;
    }
    return QComboBox::event(event);
}

// --- TQuoteForm -------------------------------------------------------------

TQuoteForm::TQuoteForm(QWidget *parent)
    : QMainWindow(parent), QuoteLines(Index.QuoteLines), QuoteStarts(Index.QuoteStarts),
      QuoteTitles(Index.QuoteTitles), QuoteCount(Index.QuoteCount), History(Shown.History),
      HistoryTop(Shown.HistoryTop)
{
    TProgramStyle::install();
    theQuoteForm() = this;
    setObjectName(QStringLiteral("QuoteForm"));
    setWindowTitle(QStringLiteral("Ombry Quote"));
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
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
    qApp->installEventFilter(this);
    m_fileWatcher = new oq::QuoteFileWatcher(this);
    connect(m_fileWatcher, &oq::QuoteFileWatcher::changed, this, &TQuoteForm::ReloadFile);
    m_fileDrop = new TFileDrop(this, [this](const QString &file) { OpenFile(file); });
    FormCreate();
}

TQuoteForm::~TQuoteForm()
{
    // The title list reads the index, which goes before the list does.
    QuoteList->titles()->clear();
    qApp->removeEventFilter(this);
    if (theQuoteForm() == this)
        theQuoteForm() = nullptr;
}

void TQuoteForm::setWindows(TAboutBox *aboutBox, TSearchQuotes *searchQuotes, TAddQuoteFm *addQuoteFm)
{
    m_aboutBox = aboutBox;
    m_searchQuotes = searchQuotes;
    m_addQuoteFm = addQuoteFm;
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

    CurrentQuote = new QLabel(QStringLiteral("0000"), Panel1);
    CurrentQuote->setObjectName(QStringLiteral("CurrentQuote"));
    CurrentQuote->setGeometry(102, 8, 25, 13);
    CurrentQuote->setAlignment(Qt::AlignCenter);
    // The label is 13 pixels high: its font is sized to fit it.
    m_numberFont = CurrentQuote->font();
    m_numberFont.setPixelSize(11);
    CurrentQuote->setFont(m_numberFont);
    CurrentQuote->setToolTip(QStringLiteral("Quote Number"));
    CurrentQuote->setAccessibleName(QStringLiteral("Quote Number"));

    Countdown = new QLabel(Panel1);
    Countdown->setObjectName(QStringLiteral("Countdown"));
    QFont countdownFont = Countdown->font();
    countdownFont.setPointSize(12);
    countdownFont.setBold(true);
    Countdown->setFont(countdownFont);
    // The panel has the button background, which would make a label paint
    // with the button text colour: the number is drawn in its own red.
    QPalette red = Countdown->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Countdown->setPalette(red);
    Countdown->setForegroundRole(QPalette::WindowText);
    Countdown->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Countdown->setToolTip(QStringLiteral("Exit Countdown \nClick to Cancel"));
    Countdown->setAccessibleName(QStringLiteral("Exit Countdown"));
    Countdown->setCursor(Qt::PointingHandCursor);
    Countdown->installEventFilter(this);

    TotalQuotes = new QLabel(QStringLiteral("Total Quotes"), Panel1);
    TotalQuotes->setObjectName(QStringLiteral("TotalQuotes"));
    TotalQuotes->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    // Neither label ever covers a button: both lie under the buttons, and
    // the total, which answers nothing, lets every click through.
    TotalQuotes->setAttribute(Qt::WA_TransparentForMouseEvents);
    TotalQuotes->lower();
    Countdown->lower();

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

    connect(Buttons.NewFile, &TRxSpeedButton::clicked, this, [this] { NewFileClick(Buttons.NewFile); });
    connect(Buttons.NewQuote, &TRxSpeedButton::clicked, this, [this] { NewQuoteClick(Buttons.NewQuote); });
    connect(Buttons.Back, &TRxSpeedButton::clicked, this, [this] { BackClick(Buttons.Back); });
    connect(Buttons.PrevQuote, &TRxSpeedButton::clicked, this, [this] { PrevQuoteClick(Buttons.PrevQuote); });
    connect(Buttons.NextQuote, &TRxSpeedButton::clicked, this, [this] { NextQuoteClick(Buttons.NextQuote); });
    connect(Buttons.CopyToClipboard, &TRxSpeedButton::clicked, this,
            [this] { CopyToClipboardClick(Buttons.CopyToClipboard); });
    connect(Buttons.FindQuote, &TRxSpeedButton::clicked, this, [this] { FindQuoteClick(Buttons.FindQuote); });
    connect(Buttons.SetMarquee, &TRxSpeedButton::clicked, this, [this] { SetMarqueeClick(Buttons.SetMarquee); });
    connect(Buttons.AddQuote, &TRxSpeedButton::clicked, this, [this] { AddQuoteClick(Buttons.AddQuote); });
    connect(Buttons.SpinFontSize, &TRxSpinButton::topClick, this,
            [this] { SpinFontSizeTopClick(Buttons.SpinFontSize); });
    connect(Buttons.SpinFontSize, &TRxSpinButton::bottomClick, this,
            [this] { SpinFontSizeBottomClick(Buttons.SpinFontSize); });
    connect(Buttons.QuitButton, &TRxSpeedButton::clicked, this, [this] { QuitClick(Buttons.QuitButton); });
    connect(Buttons.About, &TRxSpeedButton::clicked, this, [this] { AboutClick(Buttons.About); });

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(Timer); });
}

void TQuoteForm::createMenus()
{
    // A menu entry shows its key; the keys themselves are routed by
    // routeShortcut, so that each key has one owner at a time.
    auto entry = [this](QMenu *menu, const QString &name, const QString &caption, QKeyCombination key,
                        void (TQuoteForm::*handler)(QObject *)) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        if (key.toCombined())
            action->setShortcut(QKeySequence(key));
        // Active only while its own menu has the focus, so it never competes
        // with the routed keys.
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, handler, action] { (this->*handler)(action); });
        return action;
    };
    const QKeyCombination none;

    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    entry(file, QStringLiteral("Open1"), QStringLiteral("Open"), ctrl(Qt::Key_O), &TQuoteForm::NewFileClick);
    // Ctrl+Q quits as in every desktop program; Ctrl+X, the pop-up menu's key, too.
    entry(file, QStringLiteral("Exit1"), QStringLiteral("E&xit"), ctrl(Qt::Key_Q), &TQuoteForm::QuitClick);

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    entry(edit, QStringLiteral("Copy1"), QStringLiteral("Copy "), ctrl(Qt::Key_C), &TQuoteForm::CopyToClipboardClick);
    entry(edit, QStringLiteral("SetMarqueText1"), QStringLiteral("Set Marque Text"), ctrl(Qt::Key_M),
          &TQuoteForm::SetMarqueeClick);
    entry(edit, QStringLiteral("Addcurrenttofavourites1"), QStringLiteral("Add current to favourites"),
          ctrl(Qt::Key_A), &TQuoteForm::AddQuoteClick);

    QAction *search = bar->addAction(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("Search1"));
    connect(search, &QAction::triggered, this, [this, search] { FindQuoteClick(search); });

    View1 = bar->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    entry(View1, QStringLiteral("Back1"), QStringLiteral("Back"), ctrl(Qt::Key_L), &TQuoteForm::BackClick);
    entry(View1, QStringLiteral("Previous1"), QStringLiteral("Previous"), ctrl(Qt::Key_P), &TQuoteForm::PrevQuoteClick);
    entry(View1, QStringLiteral("Next1"), QStringLiteral("Next"), ctrl(Qt::Key_N), &TQuoteForm::NextQuoteClick);
    entry(View1, QStringLiteral("IncreaseFontSize1"), QStringLiteral("Increase Font Size"), ctrl(Qt::Key_I),
          &TQuoteForm::SpinFontSizeTopClick);
    entry(View1, QStringLiteral("DecreaseFontSize1"), QStringLiteral("Decrease Font Size"), ctrl(Qt::Key_D),
          &TQuoteForm::SpinFontSizeBottomClick);
    entry(View1, QStringLiteral("RandomQuote1"), QStringLiteral("Random Quote"), ctrl(Qt::Key_R),
          &TQuoteForm::NewQuoteClick);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    entry(help, QStringLiteral("Help2"), QStringLiteral("Help"), QKeyCombination(Qt::Key_F1), &TQuoteForm::Help2Click);
    entry(help, QStringLiteral("About1"), QStringLiteral("About"), none, &TQuoteForm::AboutClick);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    entry(PopupMenu, QStringLiteral("CopyQuoteToClipboard1"), QStringLiteral("&Copy To Clipboard"), ctrl(Qt::Key_C),
          &TQuoteForm::CopyToClipboardClick);
    entry(PopupMenu, QStringLiteral("AddQuoteToFavQuoteFile1"), QStringLiteral("&Add To FavQuote File"),
          ctrl(Qt::Key_A), &TQuoteForm::AddQuoteClick);
    entry(PopupMenu, QStringLiteral("NextQuote1"), QStringLiteral("&Next Quote"), ctrl(Qt::Key_N),
          &TQuoteForm::NextQuoteClick);
    entry(PopupMenu, QStringLiteral("PreviousQuote1"), QStringLiteral("&Previous Quote"), ctrl(Qt::Key_P),
          &TQuoteForm::PrevQuoteClick);
    entry(PopupMenu, QStringLiteral("LastDisplayedQuote1"), QStringLiteral("&Last Displayed Quote"), ctrl(Qt::Key_L),
          &TQuoteForm::BackClick);
    entry(PopupMenu, QStringLiteral("Find1"), QStringLiteral("&Find"), ctrl(Qt::Key_F), &TQuoteForm::FindQuoteClick);
    entry(PopupMenu, QStringLiteral("NewRandomQuote1"), QStringLiteral("New &Random Quote"), ctrl(Qt::Key_R),
          &TQuoteForm::NewQuoteClick);
    entry(PopupMenu, QStringLiteral("Exit"), QStringLiteral("Exit"), ctrl(Qt::Key_X), &TQuoteForm::QuitClick);
    connect(PopupMenu, &QMenu::aboutToShow, this, [this] { CountdownClick(PopupMenu); });

    // The keys, in the order each menu lists them.
    m_popupShortcuts = {
        {ctrl(Qt::Key_C), [this] { CopyToClipboardClick(); }}, {ctrl(Qt::Key_A), [this] { AddQuoteClick(); }},
        {ctrl(Qt::Key_N), [this] { NextQuoteClick(); }},       {ctrl(Qt::Key_P), [this] { PrevQuoteClick(); }},
        {ctrl(Qt::Key_L), [this] { BackClick(); }},            {ctrl(Qt::Key_F), [this] { FindQuoteClick(); }},
        {ctrl(Qt::Key_R), [this] { NewQuoteClick(); }},        {ctrl(Qt::Key_X), [this] { QuitClick(); }},
    };
    m_mainShortcuts = {
        {ctrl(Qt::Key_O), [this] { NewFileClick(); }},
        {ctrl(Qt::Key_C), [this] { CopyToClipboardClick(); }},
        {ctrl(Qt::Key_M), [this] { SetMarqueeClick(); }},
        {ctrl(Qt::Key_A), [this] { AddQuoteClick(); }},
        {ctrl(Qt::Key_F), [this] { FindQuoteClick(); }},
        // The View menu's own key goes back, like its Back entry.
        {ctrl(Qt::Key_B), [this] { BackClick(); }},
        {ctrl(Qt::Key_L), [this] { BackClick(); }},
        {ctrl(Qt::Key_P), [this] { PrevQuoteClick(); }},
        {ctrl(Qt::Key_N), [this] { NextQuoteClick(); }},
        {ctrl(Qt::Key_I), [this] { SpinFontSizeTopClick(); }},
        {ctrl(Qt::Key_D), [this] { SpinFontSizeBottomClick(); }},
        {ctrl(Qt::Key_R), [this] { NewQuoteClick(); }},
        {QKeyCombination(Qt::Key_F1), [this] { Help2Click(); }},
        {ctrl(Qt::Key_Q), [this] { QuitClick(); }},
    };
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
    if (m_keepOnLoad && *m_keepOnLoad >= 0 && *m_keepOnLoad < QuoteCount) {
        // The quote stays on display, with no second history entry.
        if (HistoryTop > 0 && History[size_t(HistoryTop)] == *m_keepOnLoad)
            --HistoryTop;
        CurrentIndex = *m_keepOnLoad;
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
    CurrentQuote->setFont(oq::fittingFont(m_numberFont, number, CurrentQuote->width(), MinNumberPixelSize));
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

void TQuoteForm::switchOffHint(QWidget *control)
{
    if (auto *button = qobject_cast<TRxSpeedButton *>(control))
        button->setShowHint(false);
    else if (auto *spin = qobject_cast<TRxSpinButton *>(control))
        spin->setShowHint(false);
}

void TQuoteForm::NewQuoteClick(QObject *)
{
    switchOffHint(Buttons.NewQuote);
    CancelCount();
    RandomQuote();
}

void TQuoteForm::PrevQuoteClick(QObject *)
{
    switchOffHint(Buttons.PrevQuote);
    CancelCount();
    if (oq::canStepPrevious(CurrentIndex)) {
        --CurrentIndex;
        NewQuoteProc();
    }
}

void TQuoteForm::NextQuoteClick(QObject *)
{
    switchOffHint(Buttons.NextQuote);
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
    if (chosen.isEmpty())
        return;
    if (!oq::isStorableQuoteFileName(chosen)) {
        // Never opened, so the close can always store what is open.
        oq::showError(oq::unstorableFileNameMessage(chosen), this);
        return;
    }
    QuoteFileName = QFileInfo(chosen).absoluteFilePath();
    LoadFile();
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
    switchOffHint(Buttons.SpinFontSize);
    CancelCount();
    Display->setPointSize(Display->pointSize() + 2);
    FontSize = Display->pointSize();
}

void TQuoteForm::SpinFontSizeBottomClick(QObject *)
{
    switchOffHint(Buttons.SpinFontSize);
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
    // The labels lie under the buttons (see createControls), so a button
    // keeps its clicks even where a label reaches under it.
    const bool counting = !Countdown->isHidden() && !Countdown->text().isEmpty();
    const int countdownWidth = counting ? Countdown->sizeHint().width() : 0;
    const oq::ToolBarLabels labels = oq::layOutToolBarLabels(Panel1->font(), TotalQuotes->text(), countdownWidth,
        Panel1->width(), Panel1->height(), Buttons.About->geometry().right() + 1);
    if (TotalQuotes->font() != labels.totalFont)
        TotalQuotes->setFont(labels.totalFont);
    TotalQuotes->setGeometry(labels.total);
    TotalQuotes->setVisible(labels.totalShown);
    Countdown->setGeometry(labels.countdown);
    // The window cannot be made so narrow that the countdown hides under the
    // buttons; once it is cancelled, the window may narrow again.
    Panel1->setMinimumWidth(labels.minBarWidth);
}

void TQuoteForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize(this);
    fitDesignedOuterSize();
}

void TQuoteForm::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitDesignedOuterSize();
}

void TQuoteForm::fitDesignedOuterSize()
{
    constexpr int FitPeriodMs = 3000;
    if (!m_fitFrameUntil.isValid())
        return;
    if (m_fitFrameUntil.elapsed() > FitPeriodMs || size() != DesignedSize || isMaximized() || isMinimized()) {
        m_fitFrameUntil.invalidate();
        return;
    }
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return;
    m_fitFrameUntil.invalidate();
    resize(DesignedSize - frame);
}

void TQuoteForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    layoutPanel1();
    if (!m_firstShow)
        return;
    m_firstShow = false;
    // The designed size is the outer size: once the window manager has
    // framed the window, the inner size gives way to the frame (only in the
    // first moments, never against the user's own resizing).
    m_fitFrameUntil.start();
    fitDesignedOuterSize();
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

bool TQuoteForm::popupMenuHasFocus(QWidget *focus) const
{
    if (!focus)
        return false;
    if (focus == Display || focus == QuoteList || QuoteList->isAncestorOf(focus))
        return true;
    const QWidget *search = m_searchQuotes;
    return search && (focus == search || search->isAncestorOf(focus));
}

bool TQuoteForm::runShortcut(const QList<TShortcutEntry> &table, QKeyCombination key)
{
    for (const TShortcutEntry &entry : table) {
        if (entry.key == key) {
            entry.run();
            return true;
        }
    }
    return false;
}

bool TQuoteForm::routeShortcut(QWidget *target, QKeyEvent *event)
{
    // While a modal dialog or a menu is open, neither menu's keys work.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || !target)
        return false;
    Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const QKeyCombination key(mods, Qt::Key(event->key()));
    if (popupMenuHasFocus(target)) {
        for (const TShortcutEntry &entry : std::as_const(m_popupShortcuts)) {
            if (entry.key == key) {
                // Opening the pop-up menu cancels the countdown first.
                CountdownClick(PopupMenu);
                entry.run();
                return true;
            }
        }
    }
    const QWidget *window = target->window();
    // F10 opens the menu bar at its first menu and entry, as on the desktop.
    if (window == this && key == QKeyCombination(Qt::Key_F10) && isEnabled()) {
        QAction *first = menuBar()->actions().constFirst();
        menuBar()->setActiveAction(first);
        first->menu()->setActiveAction(first->menu()->actions().constFirst());
        return true;
    }
    // Besides this window, only the About box and the search window pass
    // keys on to the main menu; the help window keeps its own keys.
    bool passesKeys = window == this || window == m_aboutBox;
    passesKeys = passesKeys || window == m_searchQuotes;
    if (!passesKeys || (window != this && !isEnabled()))
        return false;
    return runShortcut(m_mainShortcuts, key);
}

bool TQuoteForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // One Escape closes a menu of the bar and gives the keys back, as on
        // the desktop; the bar would keep them, with nothing to show for it.
        if (watched->parent() == menuBar() && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            QTimer::singleShot(0, menuBar(), [bar = menuBar()] {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                if (bar->hasFocus() && !QApplication::activePopupWidget())
                    QCoreApplication::sendEvent(bar, &escape);
            });
        }
        // Seen once, at the widget that has the focus (or the window when
        // nothing has it), before that widget acts on the key.
        if (watched->isWidgetType()) {
            QWidget *focus = QApplication::focusWidget();
            auto *w = static_cast<QWidget *>(watched);
            if ((focus && w == focus) || (!focus && w->isWindow())) {
                if (routeShortcut(w, static_cast<QKeyEvent *>(event)))
                    return true;
            }
        }
        break;
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
