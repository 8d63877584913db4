// SPDX-License-Identifier: MIT
#include "forms/quotesr.h"

#include "controls/rxspeedbutton.h"
#include "controls/toolbarbuttons.h"
#include "forms/ombryquotefm.h"
#include "forms/screenfit.h"
#include "quotes/quoteindex.h"
#include "quotes/quotesearch.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Pixels at 96 dots per inch. The client area is the outer 313 × 184 less a
// four-pixel sizing border on each side and the 19-pixel caption; the window
// manager adds its own frame around it.
constexpr int ClientWidth = 305;
constexpr int ClientHeight = 157;
constexpr QPoint ScreenPosition(367, 222);
constexpr int PanelHeight = 25;
constexpr int SearchWidth = 257;
constexpr int SearchHeight = 21;
constexpr int FindLeft = 256;
constexpr int CloseLeft = 280;
constexpr int ButtonSize = 25;

// A two-image glyph strip as an icon for a button face: the left image for
// the normal look, the right one for the disabled look, each also at twice its
// size for scaled screens, and in lighter colours on a dark face.
QIcon glyphIcon(const QImage &strip, const QColor &face)
{
    QIcon icon;
    if (strip.isNull())
        return icon;
    const int w = strip.width() / 2;
    for (const QIcon::Mode mode : { QIcon::Normal, QIcon::Disabled }) {
        const QImage image
            = TRxButtonGlyph::forFace(strip.copy(mode == QIcon::Normal ? 0 : w, 0, w, strip.height()), face);
        icon.addPixmap(QPixmap::fromImage(image), mode);
        icon.addPixmap(QPixmap::fromImage(TRxButtonGlyph::doubledImage(image)), mode);
    }
    return icon;
}

} // namespace

TSearchQuotes::TSearchQuotes(TQuoteForm *mainForm, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_mainForm(mainForm)
{
    setObjectName(QStringLiteral("SearchQuotes"));
    setWindowTitle(QStringLiteral("Search Quotes"));
    // It lives for the whole run; an open search window must not keep the
    // program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    resize(ClientWidth, ClientHeight);
    placeOnScreen();
}

TSearchQuotes::~TSearchQuotes() = default;

void TSearchQuotes::createControls()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(PanelHeight);

    SQSearch = new QLineEdit(Panel1);
    SQSearch->setObjectName(QStringLiteral("SQSearch"));
    SQSearch->setAccessibleName(tr("Search text"));
    // Its context menu is the window's, like every other control here.
    SQSearch->setContextMenuPolicy(Qt::NoContextMenu);

    SQFind = new QPushButton(Panel1);
    SQFind->setObjectName(QStringLiteral("SQFind"));
    SQFind->setIcon(glyphIcon(toolBarGlyph(QStringLiteral("SQFind")), SQFind->palette().color(QPalette::Button)));
    SQFind->setIconSize(QSize(16, 16));
    SQFind->setAccessibleName(tr("Find"));
    SQFind->setDefault(true);
    connect(SQFind, &QPushButton::clicked, this, [this] { SQFindClick(SQFind); });

    CloseButton = new TRxSpeedButton(Panel1);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setGlyph(toolBarGlyph(QStringLiteral("CloseButton")));
    CloseButton->setNumGlyphs(2);
    CloseButton->setFlat(true);
    CloseButton->setHint(QStringLiteral("Close"));
    CloseButton->setShowHint(true);
    CloseButton->loaded();
    connect(CloseButton, &TRxSpeedButton::clicked, this, [this] { CloseButtonClick(CloseButton); });

    MatchingQuotes = new QListWidget(this);
    MatchingQuotes->setObjectName(QStringLiteral("MatchingQuotes"));
    MatchingQuotes->setAccessibleName(tr("Matching quotes"));
    MatchingQuotes->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every entry is one line of the same font: lets tens of thousands of
    // titles be laid out at once.
    MatchingQuotes->setUniformItemSizes(true);
    // A list box: long titles are cut at the right edge, no sideways scrolling.
    MatchingQuotes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MatchingQuotes->setTextElideMode(Qt::ElideRight);
    MatchingQuotes->setContextMenuPolicy(Qt::NoContextMenu);
    MatchingQuotes->installEventFilter(this);
    MatchingQuotes->viewport()->installEventFilter(this);
    connect(MatchingQuotes, &QListWidget::itemSelectionChanged, this, [this] {
        m_selectionChangedByPress = true;
        MatchingQuotesClick(MatchingQuotes);
    });
    // A click on the entry that is already selected shows it again, as any
    // click on an entry does.
    connect(MatchingQuotes, &QListWidget::itemClicked, this, [this] {
        if (!m_selectionChangedByPress)
            MatchingQuotesClick(MatchingQuotes);
        m_selectionChangedByPress = true;
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(MatchingQuotes, 1);

    setTabOrder(MatchingQuotes, SQSearch);
    setTabOrder(SQSearch, SQFind);
    // Once every control exists: the filter looks at all of them.
    Panel1->installEventFilter(this);
    SQSearch->installEventFilter(this);
    layoutPanel1();
}

// At the designed width the controls stand where they were drawn; a wider
// window gives the extra room to the search box and keeps the two buttons at
// the right edge.
void TSearchQuotes::layoutPanel1()
{
    const int extra = std::max(0, Panel1->width() - ClientWidth);
    SQSearch->setGeometry(0, 0, SearchWidth + extra, SearchHeight);
    SQFind->setGeometry(FindLeft + extra, 0, ButtonSize, ButtonSize);
    CloseButton->setGeometry(CloseLeft + extra, 0, ButtonSize, ButtonSize);
}

void TSearchQuotes::placeOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        move(ScreenPosition);
        return;
    }
    // Where it was drawn, but never off a screen smaller than the one it was
    // drawn for.
    const QRect area = screen->availableGeometry();
    const QPoint wanted = screen->geometry().topLeft() + ScreenPosition;
    const int x = std::clamp(wanted.x(), area.left(), std::max(area.left(), area.right() + 1 - ClientWidth));
    const int y = std::clamp(wanted.y(), area.top(), std::max(area.top(), area.bottom() + 1 - ClientHeight));
    move(x, y);
}

void TSearchQuotes::openForFind()
{
    MatchingQuotes->clear();
    m_shownSearch.reset();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible())
        oq::fitWindowToScreen(this, m_mainForm);
    show();
    raise();
    activateWindow();
    // The earlier text stays, selected, so typing replaces it. The line edit
    // drops its selection when its window is activated before it has the
    // focus, so the selection is made again when the focus arrives.
    m_selectOnFocus = !SQSearch->hasFocus();
    SQSearch->setFocus(Qt::OtherFocusReason);
    SQSearch->selectAll();
}

void TSearchQuotes::SQFindClick(QObject *)
{
    MatchingQuotes->clear();
    // One insertion of the whole sorted list; the list box never sorts itself.
    m_shownSearch = SQSearch->text();
    MatchingQuotes->addItems(oq::findQuoteTitles(m_mainForm->Index, *m_shownSearch));
    MatchingQuotes->setFocus(Qt::OtherFocusReason);
}

void TSearchQuotes::refreshResults()
{
    if (!m_shownSearch)
        return;
    // The search that made the list, not the text edited since; the entry
    // that was selected stays selected if it still names the same quote,
    // without showing it again.
    const QListWidgetItem *selected = MatchingQuotes->currentItem();
    const QString selectedTitle = selected && selected->isSelected() ? selected->text() : QString();
    const QSignalBlocker quiet(MatchingQuotes);
    MatchingQuotes->clear();
    MatchingQuotes->addItems(oq::findQuoteTitles(m_mainForm->Index, *m_shownSearch));
    if (selectedTitle.isEmpty())
        return;
    const QList<QListWidgetItem *> same = MatchingQuotes->findItems(selectedTitle, Qt::MatchExactly);
    if (!same.isEmpty())
        MatchingQuotes->setCurrentItem(same.constFirst());
}

void TSearchQuotes::MatchingQuotesClick(QObject *)
{
    const QList<QListWidgetItem *> selected = MatchingQuotes->selectedItems();
    for (const QListWidgetItem *item : selected) {
        const std::optional<qint32> index = oq::titleToIndex(item->text());
        // A title that gives no index, or one beyond the quote table, is
        // passed over. A result left from an earlier file shows that index
        // of the open file, or an empty pane, as Back does.
        if (!index || *index < 0 || *index >= oq::MaxQuotes)
            continue;
        m_mainForm->CurrentIndex = *index;
        m_mainForm->NewQuoteProc();
    }
}

void TSearchQuotes::CloseButtonClick(QObject *)
{
    close();
}

void TSearchQuotes::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // SQFind is the default button: Enter that no control took searches.
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            if (SQFind->isEnabled())
                SQFind->click();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            close();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void TSearchQuotes::contextMenuEvent(QContextMenuEvent *event)
{
    // The main window's pop-up menu serves the whole window.
    if (m_mainForm && m_mainForm->PopupMenu) {
        m_mainForm->PopupMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

bool TSearchQuotes::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize) {
        layoutPanel1();
    } else if (watched == SQSearch && event->type() == QEvent::FocusIn) {
        if (m_selectOnFocus) {
            m_selectOnFocus = false;
            SQSearch->selectAll();
        }
    } else if (watched == MatchingQuotes->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick
            || event->type() == QEvent::MouseButtonRelease)) {
        // The right button only opens the pop-up menu; it neither selects nor
        // shows an entry.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return true;
        if (event->type() == QEvent::MouseButtonPress)
            m_selectionChangedByPress = false;
    } else if (watched == MatchingQuotes && event->type() == QEvent::KeyPress) {
        // After a search nothing is selected; the first arrow key selects the
        // first entry instead of skipping it.
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && key->modifiers() == Qt::NoModifier
            && MatchingQuotes->count() > 0 && MatchingQuotes->selectedItems().isEmpty()) {
            MatchingQuotes->setCurrentRow(0);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
