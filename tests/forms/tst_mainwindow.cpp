// SPDX-License-Identifier: MIT
// The main window as a user meets it: what it paints, where a click lands,
// which window owns a key, and which file names the open dialog lets in.
#include "forms/ombryquotefm.h"

#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"
#include "forms/helpviewer.h"
#include "forms/quote21.h"
#include "forms/quotesr.h"
#include "forms/screenfit.h"
#include "mainformfixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QLabel>
#include <QTextBrowser>
#include <QToolTip>
#include <QTimer>
#include <QtTest>

using namespace mainformfixture;

class tst_mainwindow : public QObject, MainFormFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void countdown_paintsRed_data();
    void countdown_paintsRed();
    void toolBar_everyButtonTakesItsClicks_data();
    void toolBar_everyButtonTakesItsClicks();
    void toolBar_aboutButtonAnswersAClickAndShowsItsHint();
    void titleList_dropsDownBelowTheBoxWithSixteenRows();
    void quoteNumber_showsEveryDigit_data();
    void quoteNumber_showsEveryDigit();
    void mainMenuKeys_reachOnlyTheAboutBoxAndSearchWindow_data();
    void mainMenuKeys_reachOnlyTheAboutBoxAndSearchWindow();
    void helpWindow_keepsItsOwnCopyAndSelectAll();
    void openDialog_refusesANameTheSettingsCannotKeep_data();
    void openDialog_refusesANameTheSettingsCannotKeep();

private:
    QString m_fiveQuotes;
    QString m_fullFile;
};

void tst_mainwindow::initTestCase()
{
    QVERIFY(setUpFolder({ { QStringLiteral("Kept quote") } }));
    // As many quotes as the index holds: the widest total the tool bar shows.
    m_fullFile = m_root.filePath(QStringLiteral("full.txt"));
    QByteArray full;
    for (int q = 0; q < 33000; ++q)
        full += "Quote number " + QByteArray::number(q) + "\r\n\r\n\r\n";
    QVERIFY(writeFile(m_fullFile, full));
    m_fiveQuotes = m_root.filePath(QStringLiteral("five.txt"));
    QVERIFY(writeFile(m_fiveQuotes, quoteFileBytes({ { "One" }, { "Two" }, { "Three" }, { "Four" }, { "Five" } })));
}

void tst_mainwindow::init()
{
    QVERIFY(resetSettings());
}

void tst_mainwindow::cleanup()
{
    oq::helpQuit();
    QTRY_VERIFY(!oq::helpWindow());
}

namespace {

QPalette lightPalette()
{
    QPalette p(QColor(0xef, 0xef, 0xef));
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::black);
    return p;
}

QPalette darkPalette()
{
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Text, Qt::white);
    return p;
}

} // namespace

void tst_mainwindow::countdown_paintsRed_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("changedWhileOpen");
    QTest::newRow("light") << lightPalette() << false;
    QTest::newRow("dark") << darkPalette() << false;
    QTest::newRow("dark, switched to while open") << darkPalette() << true;
}

void tst_mainwindow::countdown_paintsRed()
{
    QFETCH(QPalette, palette);
    QFETCH(bool, changedWhileOpen);
    const QPalette before = QApplication::palette();
    auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
    if (!changedWhileOpen)
        QApplication::setPalette(palette);
    TQuoteForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.startCountdown(28);
    if (changedWhileOpen)
        QApplication::setPalette(palette);
    QTRY_COMPARE(form.Panel1->palette().color(QPalette::Button), palette.color(QPalette::Button));

    // What the label paints: every pixel that stands out from the background
    // is the background blended with red, and some are pure red.
    const QImage image = form.Countdown->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor background = image.pixelColor(0, 0);
    QCOMPARE(background, palette.color(QPalette::Window));
    int inked = 0;
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green())
                + std::abs(c.blue() - background.blue());
            if (distance < 60)
                continue;
            ++inked;
            // How much red covers the pixel, from its green; red then predicts its red.
            const double cover = double(background.green() - c.green()) / background.green();
            const double predictedRed = background.red() + cover * (255 - background.red());
            QVERIFY2(cover > 0 && std::abs(c.red() - predictedRed) < 40,
                qPrintable(QStringLiteral("pixel %1,%2 is %3 on %4").arg(x).arg(y).arg(c.name(), background.name())));
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                ++red;
        }
    }
    QVERIFY(inked > 20);
    QVERIFY(red > 5);
}

namespace {

QList<QWidget *> toolBarControls(const TQuoteForm &form)
{
    const ToolBarButtons &b = form.Buttons;
    return { b.NewFile, b.NewQuote, b.Back, b.PrevQuote, b.NextQuote, b.CopyToClipboard, b.FindQuote, b.SetMarquee,
        b.AddQuote, b.SpinFontSize, b.QuitButton, b.About };
}

// The centre of a control and a point just inside each of its edges.
QList<QPoint> probePoints(const QRect &r)
{
    const QPoint c = r.center();
    return { c, QPoint(r.left(), c.y()), QPoint(r.right(), c.y()), QPoint(c.x(), r.top()), QPoint(c.x(), r.bottom()),
        r.topRight(), r.bottomRight() };
}

} // namespace

void tst_mainwindow::toolBar_everyButtonTakesItsClicks_data()
{
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<int>("countdown");
    QTest::addColumn<int>("fontPoints"); // 0: the desktop font
    // The designed outer width, and the client area a window frame leaves of it.
    for (const int width : { 477, 469 }) {
        QTest::addRow("width %d, no countdown", width) << width << 0 << 0;
        QTest::addRow("width %d, countdown 28", width) << width << 28 << 0;
        QTest::addRow("width %d, countdown 3600", width) << width << 3600 << 0;
    }
    QTest::newRow("large desktop font, countdown 28") << 469 << 28 << 12;
    for (const int width : { 440, 360, 300 })
        QTest::addRow("width %d, countdown 28", width) << width << 28 << 0;
    QTest::newRow("width 440, no countdown") << 440 << 0 << 0;
}

void tst_mainwindow::toolBar_everyButtonTakesItsClicks()
{
    QFETCH(int, clientWidth);
    QFETCH(int, countdown);
    QFETCH(int, fontPoints);
    const QFont before = QApplication::font();
    auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
    if (fontPoints > 0) {
        QFont large = before;
        large.setPointSize(fontPoints);
        QApplication::setFont(large);
    }
    QVERIFY(writeSettings(m_root, m_fullFile));
    TQuoteForm form;
    QCOMPARE(form.QuoteCount, 33000);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QFont designedTotalFont = form.TotalQuotes->font();
    form.resize(clientWidth, form.height());
    form.startCountdown(countdown);
    const int aboutEnd = form.Buttons.About->geometry().right() + 1;
    clientWidth = std::max(clientWidth, countdown > 0 ? aboutEnd + form.Countdown->sizeHint().width() : 0);
    QTRY_COMPARE(form.width(), clientWidth);
    QTRY_COMPARE(form.Panel1->width(), clientWidth);
    if (countdown > 0)
        QVERIFY(form.Countdown->isVisible());

    // Whatever stands over a button's centre or edges is the button itself:
    // it takes the click and shows its hint there.
    for (QWidget *control : toolBarControls(form)) {
        for (const QPoint &p : probePoints(control->geometry())) {
            QWidget *hit = form.Panel1->childAt(p);
            QVERIFY2(hit == control || control->isAncestorOf(hit),
                qPrintable(QStringLiteral("%1 at %2,%3 is covered by %4")
                               .arg(control->objectName())
                               .arg(p.x())
                               .arg(p.y())
                               .arg(hit ? hit->objectName() : QStringLiteral("nothing"))));
        }
        QVERIFY(!control->toolTip().isEmpty());
    }
    // The labels keep to the right edge, the countdown left of the total,
    // and show all of their text; a total with no room is hidden, not cut.
    QCOMPARE(form.TotalQuotes->geometry().right(), clientWidth - 1);
    QCOMPARE(form.TotalQuotes->height(), form.Panel1->height());
    QVERIFY(form.TotalQuotes->width() >= form.TotalQuotes->sizeHint().width());
    const int blanks = QFontMetrics(form.TotalQuotes->font()).horizontalAdvance(QStringLiteral("   "));
    QVERIFY(!form.TotalQuotes->isVisible() || form.TotalQuotes->x() + blanks >= aboutEnd);
    QVERIFY(form.TotalQuotes->isVisible() || clientWidth < 469 || countdown >= 100);
    if (countdown > 0) {
        // Left of the total, over its leading blanks at most.
        QVERIFY(form.Countdown->geometry().right() + 1 >= form.TotalQuotes->x());
        QVERIFY(!form.TotalQuotes->isVisible()
            || form.Countdown->geometry().right() + 1 <= form.TotalQuotes->x() + blanks);
        QCOMPARE(form.Countdown->height(), form.Panel1->height());
        QVERIFY(form.Countdown->width() >= form.Countdown->sizeHint().width());
        // At every width the number stands whole right of the buttons, and a
        // click on it cancels the countdown.
        QVERIFY(form.Countdown->x() >= aboutEnd);
        const QPoint centre = form.Countdown->geometry().center();
        QCOMPARE(form.Panel1->childAt(centre), form.Countdown);
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, form.Panel1->mapTo(&form, centre));
        QVERIFY(!form.Timer->isActive());
    }
    // Back at the designed width, the total has its first font again.
    form.resize(477, form.height());
    QTRY_COMPARE(form.TotalQuotes->font(), designedTotalFont);
}

void tst_mainwindow::titleList_dropsDownBelowTheBoxWithSixteenRows()
{
    QVERIFY(writeSettings(m_root, m_fullFile));
    TQuoteForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.QuoteList->showPopup();
    QAbstractItemView *view = form.QuoteList->view();
    QTRY_VERIFY(view->isVisible());
    // Sixteen rows below the box, not a list over the whole screen.
    const QRect popup = view->window()->geometry();
    const QRect box(form.QuoteList->mapToGlobal(QPoint(0, 0)), form.QuoteList->size());
    QVERIFY2(popup.height() <= 17 * view->sizeHintForRow(0) + 8, qPrintable(QString::number(popup.height())));
    QVERIFY(popup.top() >= box.bottom() || popup.bottom() <= box.top());
    form.QuoteList->hidePopup();
}

void tst_mainwindow::quoteNumber_showsEveryDigit_data()
{
    QTest::addColumn<int>("index");
    // 1: the designed font; -1: a smaller one; 0: whichever fits.
    QTest::addColumn<int>("size");
    QTest::newRow("1") << 0 << 1;
    QTest::newRow("9999") << 9998 << 0;
    QTest::newRow("21017") << 21016 << -1;
    QTest::newRow("33000") << 32999 << -1;
    QTest::newRow("back to 12") << 11 << 1;
}

void tst_mainwindow::quoteNumber_showsEveryDigit()
{
    QFETCH(int, index);
    QFETCH(int, size);
    QVERIFY(writeSettings(m_root, m_fullFile));
    TQuoteForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.CurrentIndex = 21016;
    form.NewQuoteProc();
    form.CurrentIndex = index;
    form.NewQuoteProc();
    const QString number = QString::number(index + 1);
    QCOMPARE(form.CurrentQuote->text(), number);
    // Every digit stands inside the label's fixed 25 pixels; numbers of up to
    // two digits keep the designed font.
    QVERIFY(QFontMetrics(form.CurrentQuote->font()).size(0, number).width() <= form.CurrentQuote->width());
    QCOMPARE(form.CurrentQuote->width(), 25);
    const int pixels = QFontInfo(form.CurrentQuote->font()).pixelSize();
    if (size > 0)
        QCOMPARE(pixels, 11);
    else if (size < 0)
        QVERIFY(pixels < 11);
}

void tst_mainwindow::toolBar_aboutButtonAnswersAClickAndShowsItsHint()
{
    // A real click, found by the window as the pointer finds it, at the About
    // button's right edge with the countdown running.
    QVERIFY(writeSettings(m_root, m_fullFile));
    TQuoteForm form;
    TAboutBox about(QCoreApplication::applicationFilePath());
    form.setWindows(&about, nullptr, nullptr);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.startCountdown(28);
    QWidget *button = form.Buttons.About;
    const QPoint edge = button->mapTo(&form, QPoint(button->width() - 2, button->height() / 2));
    QTest::mouseMove(form.windowHandle(), edge);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("About Ombry Quote"));
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, edge);
    QTRY_VERIFY(about.isVisible());
}

// Shows `window` and puts the focus on `focus`, as a click into it would.
static bool focusInto(QWidget *window, QWidget *focus)
{
    window->show();
    window->raise();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    focus->setFocus(Qt::MouseFocusReason);
    return QTest::qWaitFor([focus] { return QApplication::focusWidget() == focus; });
}

void tst_mainwindow::mainMenuKeys_reachOnlyTheAboutBoxAndSearchWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("mainMenuRuns");
    for (const int key : { Qt::Key_N, Qt::Key_I, Qt::Key_A, Qt::Key_C }) {
        const char letter = char(key);
        QTest::addRow("help window, Ctrl+%c", letter) << "help" << key << false;
        QTest::addRow("About box, Ctrl+%c", letter) << "about" << key << true;
    }
    QTest::newRow("search window, Ctrl+I") << "search" << int(Qt::Key_I) << true;
}

void tst_mainwindow::mainMenuKeys_reachOnlyTheAboutBoxAndSearchWindow()
{
    QFETCH(QString, window);
    QFETCH(int, key);
    QFETCH(bool, mainMenuRuns);
    QVERIFY(writeSettings(m_root, m_fiveQuotes));
    TQuoteForm form;
    TAboutBox about(QCoreApplication::applicationFilePath());
    TSearchQuotes search(&form);
    form.setWindows(&about, &search, nullptr);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    showQuote(form, 0);
    form.startCountdown(30);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    QWidget *focus = nullptr;
    if (window == QLatin1String("help")) {
        form.Help2Click();
        QVERIFY(oq::helpWindow());
        QVERIFY(focusInto(oq::helpWindow(), oq::helpWindow()->findChild<QTextBrowser *>()));
        focus = QApplication::focusWidget();
    } else if (window == QLatin1String("about")) {
        QVERIFY(focusInto(&about, about.ProgramInfo));
        focus = about.ProgramInfo;
    } else {
        QVERIFY(focusInto(&search, search.SQSearch));
        focus = search.SQSearch;
    }
    QTest::keyClick(focus, Qt::Key(key), Qt::ControlModifier);

    bool ran = false;
    switch (key) {
    case Qt::Key_N:
        ran = form.CurrentIndex == 1;
        break;
    case Qt::Key_I:
        ran = form.Display->pointSize() == 10;
        break;
    case Qt::Key_A: // the Add command cancels the countdown first
        ran = !form.Timer->isActive();
        break;
    case Qt::Key_C:
        ran = QGuiApplication::clipboard()->text() == QStringLiteral("One\n");
        break;
    }
    QCOMPARE(ran, mainMenuRuns);
}

void tst_mainwindow::helpWindow_keepsItsOwnCopyAndSelectAll()
{
    TQuoteForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Help2Click();
    QVERIFY(oq::helpWindow());
    auto *browser = oq::helpWindow()->findChild<QTextBrowser *>();
    QVERIFY(focusInto(oq::helpWindow(), browser));
    const QString helpText = browser->toPlainText();
    QVERIFY(helpText.size() > 20);

    QTextCursor cursor(browser->document());
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 10);
    browser->setTextCursor(cursor);
    QTest::keyClick(browser, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), helpText.left(10));

    QTest::keyClick(browser, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(browser->textCursor().selectionStart(), 0);
    QCOMPARE(browser->textCursor().selectionEnd(), browser->document()->characterCount() - 1);
    QTest::keyClick(browser, Qt::Key_Escape);
    QTRY_VERIFY(!oq::helpWindow());
    // Never taller than the screen: beside the main window on 1920 x 1080 at twice the scale.
    QCOMPARE(oq::fitRectInto(QRect(947, 235, 640, 590), QRect(0, 0, 960, 540)), QRect(320, 0, 640, 540));
    QCOMPARE(oq::fitRectInto(QRect(50, 50, 300, 240), QRect(0, 0, 320, 200), QSize(300, 240)), QRect(20, 0, 300, 240));
}

void tst_mainwindow::openDialog_refusesANameTheSettingsCannotKeep_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opened");
    QTest::newRow("plain name") << "other.txt" << true;
    QTest::newRow("line feed") << "odd\nname.txt" << false;
    QTest::newRow("carriage return") << "odd\rname.txt" << false;
}

void tst_mainwindow::openDialog_refusesANameTheSettingsCannotKeep()
{
    QFETCH(QString, name);
    QFETCH(bool, opened);
    const QString chosen = m_root.filePath(name);
    QVERIFY(writeFile(chosen, quoteFileBytes({ { QStringLiteral("Chosen quote") } })));

    TQuoteForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool answered = false;
    QTimer::singleShot(0, &form, [&] {
        QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        dialog->selectFile(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
        answered = true;
    });
    form.NewFileClick();
    QVERIFY(answered);
    QFile::remove(chosen);

    QCOMPARE(form.QuoteFileName, opened ? chosen : m_quoteFile);
    QCOMPARE(form.paneText(), opened ? QStringLiteral("Chosen quote\n") : QStringLiteral("Kept quote\n"));
    QCOMPARE(m_errors.size(), opened ? 0 : 1);
    if (!opened)
        QVERIFY(m_errors.first().contains(QStringLiteral("line break")));
    // What is open can always be stored at close.
    QVERIFY(form.close());
}

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
