// SPDX-License-Identifier: MIT
#include "forms/addquote.h"

#include "core/exception.h"
#include "forms/errordisplay.h"
#include "forms/ombryquotefm.h"
#include "forms/quotesr.h"
#include "forms/screenfit.h"
#include "quotes/favourites.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Pixels at 96 dots per inch. The client area is the outer 353 × 206 less a
// four-pixel sizing border on each side and the 19-pixel caption; the window
// manager adds its own frame around it.
constexpr int ClientWidth = 345;
constexpr int ClientHeight = 179;
constexpr QPoint ScreenPosition(348, 200);
constexpr int PanelHeight = 31;
constexpr int ButtonTop = 5;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
// Left edges at the designed width; both keep their distance to the right edge.
constexpr int OKLeft = 267;
constexpr int CancelLeft = 188;

} // namespace

TAddQuoteFm::TAddQuoteFm(TQuoteForm *mainForm, QWidget *parent)
    : QDialog(parent)
    , m_mainForm(mainForm)
{
    setObjectName(QStringLiteral("AddQuoteFm"));
    setWindowTitle(QStringLiteral("OMBRYQuote - Add Quote"));
    setModal(true);
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    resize(ClientWidth, ClientHeight);

    // Where it was drawn, but never off a screen smaller than the one it was
    // drawn for. Moving it here also keeps Qt from centring it on its parent.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QPoint wanted = screen->geometry().topLeft() + ScreenPosition;
        move(std::clamp(wanted.x(), area.left(), std::max(area.left(), area.right() + 1 - ClientWidth)),
            std::clamp(wanted.y(), area.top(), std::max(area.top(), area.bottom() + 1 - ClientHeight)));
    } else {
        move(ScreenPosition);
    }
}

TAddQuoteFm::~TAddQuoteFm() = default;

void TAddQuoteFm::createControls()
{
    AddMemo = new QPlainTextEdit(this);
    AddMemo->setObjectName(QStringLiteral("AddMemo"));
    AddMemo->setAccessibleName(tr("Quote to add"));
    AddMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Enter starts a new line; Tab moves on to the buttons.
    AddMemo->setTabChangesFocus(true);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(PanelHeight);

    AddOK = new QPushButton(QStringLiteral("OK"), Panel1);
    AddOK->setObjectName(QStringLiteral("AddOK"));
    AddOK->setDefault(true);
    connect(AddOK, &QPushButton::clicked, this, [this] { AddOKClick(AddOK); });

    AddCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    AddCancel->setObjectName(QStringLiteral("AddCancel"));
    connect(AddCancel, &QPushButton::clicked, this, [this] { AddCancelClick(AddCancel); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(AddMemo, 1);
    layout->addWidget(Panel1);

    setTabOrder(AddMemo, AddOK);
    setTabOrder(AddOK, AddCancel);
    Panel1->installEventFilter(this);
    layoutPanel1();
}

void TAddQuoteFm::layoutPanel1()
{
    const int shift = Panel1->width() - ClientWidth;
    AddOK->setGeometry(std::max(0, OKLeft + shift), ButtonTop, ButtonWidth, ButtonHeight);
    AddCancel->setGeometry(std::max(0, CancelLeft + shift), ButtonTop, ButtonWidth, ButtonHeight);
}

bool TAddQuoteFm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize)
        layoutPanel1();
    return QDialog::eventFilter(watched, event);
}

void TAddQuoteFm::showEvent(QShowEvent *event)
{
    // The buttons' icons come from the icon theme, which takes a while to
    // read: that is done when the dialog is first wanted, not at start-up.
    if (AddOK->icon().isNull()) {
        AddOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
        AddCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    }
    // Each opening by the Add command, not a window manager's restore, which
    // would throw the user's edits away.
    if (!event->spontaneous()) {
        FormActivate(this);
        oq::fitWindowToScreen(this, m_mainForm);
    }
    QDialog::showEvent(event);
}

void TAddQuoteFm::FormActivate(QObject *)
{
    AddMemo->clear();
    AddMemo->setPlainText(m_mainForm->paneText());
    AddMemo->setFocus(Qt::ActiveWindowFocusReason);
}

void TAddQuoteFm::AddOKClick(QObject *)
{
    const QString path = oq::favouritesPath(m_mainForm->InstallDir);
    try {
        // Asked before the write, which replaces the file on disk.
        const bool showsFavourites = oq::isSameFile(m_mainForm->QuoteFileName, path);
        oq::appendFavourite(path, AddMemo->toPlainText());
        if (showsFavourites) {
            m_mainForm->LoadFile();
            if (TSearchQuotes *search = m_mainForm->searchWindow())
                search->refreshResults();
        }
    } catch (const oq::Exception &e) {
        // OK was pressed: the dialog closes once the failure is shown.
        oq::showError(e.message(), this);
    }
    accept();
}

void TAddQuoteFm::AddCancelClick(QObject *)
{
    reject();
}
