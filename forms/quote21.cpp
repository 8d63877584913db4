// SPDX-License-Identifier: MIT
#include "forms/quote21.h"

#include "controls/versioninfo.h"
#include "oq_config.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace {

TShellOpenHook &shellOpenHook()
{
    static TShellOpenHook hook;
    return hook;
}

// Pixels at 96 dots per inch.
constexpr int ClientWidth = 298;
constexpr int ClientHeight = 211;
constexpr int VersionTop = 56;

} // namespace

void ShellOpen(const QString &target, const QString &parameters, const QString &folder, TShellWindowState state)
{
    if (const TShellOpenHook &hook = shellOpenHook()) {
        hook(target, parameters, folder, state);
        return;
    }
    // A URL handler takes no parameters. A document name without a folder is
    // looked up in folder, or else in the current one.
    const QUrl url
        = QUrl::fromUserInput(target, folder.isEmpty() ? QDir::currentPath() : folder, QUrl::AssumeLocalFile);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

TShellOpenHook setShellOpenHook(TShellOpenHook hook)
{
    std::swap(shellOpenHook(), hook);
    return hook;
}

TAboutLabel::TAboutLabel(QWidget *parent)
    : QLabel(parent)
{ }

void TAboutLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TAboutLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}

void TAboutLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click: the first click has already
    // opened the link, so this one arms nothing.
    m_pressed = false;
    event->accept();
}

TAboutPanel::TAboutPanel(QWidget *parent)
    : QWidget(parent)
{ }

void TAboutPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // Each bevel: top and left edges in one colour, bottom and right in the
    // other, which also takes the top-right and bottom-left corners.
    auto bevel = [&p](const QRect &r, const QColor &topLeft, const QColor &bottomRight) {
        p.setPen(topLeft);
        p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
        p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
        p.setPen(bottomRight);
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    };
    const QPalette &pal = palette();
    bevel(rect(), pal.color(QPalette::Dark), pal.color(QPalette::Light)); // lowered outer
    bevel(rect().adjusted(1, 1, -1, -1), pal.color(QPalette::Light), pal.color(QPalette::Dark)); // raised inner
}

void TAboutPanel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TAboutPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}

void TAboutPanel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}

TAboutBox::TAboutBox(QWidget *parent)
    : TAboutBox(QCoreApplication::applicationFilePath(), parent)
{ }

TAboutBox::TAboutBox(const QString &programFile, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_programFile(programFile)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(ClientWidth, ClientHeight);
    createControls();
    FormCreate(this);

    // Centred on the screen (the parent's, if it has one), where it stays
    // until the user moves it.
    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::createControls()
{
    Panel1 = new TAboutPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, ClientWidth, ClientHeight);
    connect(Panel1, &TAboutPanel::clicked, this, [this] { OKButtonClick(Panel1); });
    connect(Panel1, &TAboutPanel::doubleClicked, this, [this] { OKButtonClick(Panel1); });

    auto label = [this](const char *name, const QString &text, int x, int y) {
        auto *l = new TAboutLabel(Panel1);
        l->setObjectName(QLatin1String(name));
        l->setTextFormat(Qt::PlainText);
        l->setText(text);
        l->move(x, y);
        l->adjustSize();
        return l;
    };

    ProgramTitle = label("ProgramTitle", QStringLiteral("ProgramTitle"), 8, 8);
    QFont titleFont = ProgramTitle->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(19);
    ProgramTitle->setFont(titleFont);
    // Blue on a light desktop, the theme's own light blue on a dark one; it
    // follows a change of theme while the program runs.
    ProgramTitle->setForegroundRole(QPalette::Link);
    ProgramTitle->adjustSize();

    auto link = [&](const char *name, const QString &text, int y) {
        TAboutLabel *l = label(name, text, 8, y);
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        l->setCursor(Qt::PointingHandCursor);
        l->setAccessibleDescription(tr("Opens %1").arg(text));
        l->adjustSize();
        return l;
    };
    WebSiteLink = link("WebSiteLink", QStringLiteral(OQ_WEBSITE_URL), 40);
    EmailLink = link("EmailLink", QStringLiteral("mailto:") + QStringLiteral(OQ_EMAIL_ADDRESS), 56);
    connect(WebSiteLink, &TAboutLabel::clicked, this, [this] { WebSiteLinkClick(WebSiteLink); });
    connect(EmailLink, &TAboutLabel::clicked, this, [this] { EmailLinkClick(EmailLink); });

    StaticText1 = label("StaticText1", QStringLiteral("Version:"), 176, VersionTop);
    StaticText1->resize(42, 17);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop); // on the link's baseline
    VersionLabel = label("VersionLabel", QStringLiteral("VersionLabel"), 224, VersionTop);

    ProgramInfo = new QPlainTextEdit(Panel1);
    ProgramInfo->setObjectName(QStringLiteral("ProgramInfo"));
    ProgramInfo->setGeometry(8, 80, 281, 121);
    ProgramInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ProgramInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ProgramInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ProgramInfo->setTabChangesFocus(true);
    ProgramInfo->setFocus();
    setFocusProxy(ProgramInfo);
}

// "Version:" and the version stand right of the e-mail link. A desktop font
// wider than the one the box was drawn for must not run them into the links
// or past the panel's edge: then they move, right-aligned, to the first row
// with room (the title's, the web site's), and stay put if none has room.
void TAboutBox::placeVersion()
{
    StaticText1->resize(std::max(42, StaticText1->sizeHint().width()), 17);
    VersionLabel->adjustSize();
    constexpr int Margin = 8;
    const int gap = 224 - (176 + 42);
    const int width = StaticText1->width() + gap + VersionLabel->width();
    const int rightAligned = ClientWidth - Margin - width;

    auto fits = [&](int x, const TAboutLabel *neighbour) {
        return x >= neighbour->geometry().right() + 1 + Margin && x + width <= ClientWidth - Margin;
    };
    auto place = [&](int x, int top) {
        StaticText1->move(x, top);
        VersionLabel->move(x + StaticText1->width() + gap, top);
    };
    if (fits(176, EmailLink)) {
        place(176, VersionTop);
    } else if (fits(rightAligned, EmailLink)) {
        place(rightAligned, VersionTop);
    } else if (fits(rightAligned, ProgramTitle)) {
        // On the title's baseline.
        const int baseline = ProgramTitle->y() + ProgramTitle->fontMetrics().ascent();
        place(rightAligned, baseline - StaticText1->fontMetrics().ascent());
    } else if (fits(rightAligned, WebSiteLink)) {
        place(rightAligned, WebSiteLink->y());
    } else {
        place(176, VersionTop);
    }
}

void TAboutBox::FormCreate(QObject *)
{
    const TVersionInfo info(m_programFile);
    ProgramTitle->setText(info.StringValue(QStringLiteral("ProductName")));
    ProgramTitle->adjustSize();
    const QStringList lines {
        QStringLiteral("Program Version ") + info.FileVersion(),
        QStringLiteral("Created ") + QLocale::system().toString(info.FileDate().date(), QLocale::ShortFormat),
        QStringLiteral(" "),
        QStringLiteral("Copyright ") + info.StringValue(QStringLiteral("LegalCopyright")),
        info.StringValue(QStringLiteral("Comments")),
    };
    ProgramInfo->setPlainText(lines.join(QLatin1Char('\n')));
    VersionLabel->setText(info.FileVersion());
    placeVersion();
}

void TAboutBox::OKButtonClick(QObject *)
{
    hide();
}

void TAboutBox::WebSiteLinkClick(QObject *)
{
    ShellOpen(WebSiteLink->text(), QString(), QString(), TShellWindowState::swNormal);
}

void TAboutBox::EmailLinkClick(QObject *)
{
    ShellOpen(EmailLink->text(), QString(), QString(), TShellWindowState::swNormal);
}
