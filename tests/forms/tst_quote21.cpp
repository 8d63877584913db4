// SPDX-License-Identifier: MIT
#include "forms/quote21.h"
#include "oq_config.h"

#include "../controls/testpalette.h"
#include "../controls/versionblockwriter.h"

#include <QDesktopServices>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace versionblockwriter;

namespace {

const QDate Written(2024, 3, 5);

// Writes bytes to a file last written on 5 March 2024.
QString programFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("program"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
        || !file.setFileTime(QDateTime(Written, QTime(12, 0, 1)), QFileDevice::FileModificationTime))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString shortDate(QDate date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

} // namespace

// Stands in for the desktop's URL handlers.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class tst_quote21 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void texts_data();
    void texts();
    void dateLine_followsTheUsersShortFormat();
    void window_hasItsFixedLook();
    void links_areHandedToTheShell_data();
    void links_areHandedToTheShell();
    void click_hidesOnlyOnThePanelsFreeArea_data();
    void click_hidesOnlyOnThePanelsFreeArea();
    void shellOpen_handsTheTargetToTheDesktop();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void tst_quote21::init()
{
    QList<Node> strings = usualStrings();
    strings.append(textNode("FileVersion", "2.5 beta"));
    m_path = programFile(m_dir,
        write(root(fixedInfo(0x00010002, 0x00030004),
            { stringInfo("040904E4", strings), varInfo(translation(0x0409, 1252)) })));
}

void tst_quote21::cleanup()
{
    setShellOpenHook({});
}

void tst_quote21::texts_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no such file
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("lines");

    const QString created = "Created " + shortDate(Written);
    QList<Node> strings = usualStrings();
    strings.append(textNode("FileVersion", "2.5 beta"));
    QTest::newRow("FileVersion string differs from the fixed record")
        << write(root(fixedInfo(0x00010002, 0x00030004),
               { stringInfo("040904E4", strings), varInfo(translation(0x0409, 1252)) }))
        << "Demo Product"
        << "2.5 beta" << QStringList { "Program Version 2.5 beta", created, " ", "Copyright (c) Maker", "Just a test" };
    QTest::newRow("no FileVersion string, fixed 1.2.3.4")
        << write(usualRoot()) << "Demo Product"
        << "1.2.3.4" << QStringList { "Program Version 1.2.3.4", created, " ", "Copyright (c) Maker", "Just a test" };
    QTest::newRow("no translation table")
        << write(root(fixedInfo(0x00010002, 0x00030004), { stringInfo("040904E4", strings) })) << ""
        << "1.2.3.4" << QStringList { "Program Version 1.2.3.4", created, " ", "Copyright ", "" };
    QTest::newRow("no comments") << write(root(fixedInfo(0x00010002, 0x00030004),
        { stringInfo("040904E4", { textNode("ProductName", "P") }), varInfo(translation(0x0409, 1252)) }))
                                 << "P"
                                 << "1.2.3.4"
                                 << QStringList { "Program Version 1.2.3.4", created, " ", "Copyright ", "" };
    QTest::newRow("file without a block") << QByteArray("\x7f"
                                                        "ELF but nothing more")
                                          << ""
                                          << "" << QStringList { "Program Version ", created, " ", "Copyright ", "" };
    QTest::newRow("no such file") << QByteArray() << ""
                                  << ""
                                  << QStringList { "Program Version ", "Created " + shortDate(QDate(1899, 12, 30)), " ",
                                         "Copyright ", "" };
}

void tst_quote21::texts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    QFETCH(QString, version);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    const QString path = bytes.isEmpty() ? dir.filePath("missing") : programFile(dir, bytes);
    TAboutBox box(path);
    QCOMPARE(box.ProgramTitle->text(), title);
    QCOMPARE(box.VersionLabel->text(), version);
    QCOMPARE(box.StaticText1->text(), QStringLiteral("Version:"));
    QCOMPARE(box.ProgramInfo->toPlainText().split(QLatin1Char('\n')), lines);
    QCOMPARE(box.ProgramInfo->document()->blockCount(), 5);
    QVERIFY(box.isHidden());
}

void tst_quote21::dateLine_followsTheUsersShortFormat()
{
    // The test runs under two locales, one writing day-month-year, one month-day-year.
    const QString locale = QLocale::system().name();
    QString want;
    if (locale == QLatin1String("de_DE"))
        want = QStringLiteral("Created 05.03.24");
    else if (locale == QLatin1String("en_US"))
        want = QStringLiteral("Created 3/5/24");
    else
        QSKIP("run under de_DE or en_US to check the order");
    TAboutBox box(m_path);
    QCOMPARE(box.ProgramInfo->toPlainText().split(QLatin1Char('\n')).value(1), want);
}

void tst_quote21::window_hasItsFixedLook()
{
    TAboutBox box(m_path);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    QCOMPARE(box.size(), QSize(298, 211));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(box.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(box.Panel1->geometry(), QRect(0, 0, 298, 211));
    QCOMPARE(box.ProgramInfo->geometry(), QRect(8, 80, 281, 121));
    QVERIFY(!box.ProgramInfo->isReadOnly());
    QCOMPARE(box.ProgramInfo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box.ProgramInfo->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    QCOMPARE(box.ProgramTitle->pos(), QPoint(8, 8));
    QVERIFY(box.ProgramTitle->font().bold());
    QCOMPARE(box.ProgramTitle->font().pixelSize(), 19);
    QCOMPARE(box.ProgramTitle->foregroundRole(), QPalette::Link);
    QCOMPARE(box.ProgramTitle->size(), box.ProgramTitle->sizeHint());
    // On a dark desktop the bold title's strokes take its link colour.
    box.setPalette(darkPalette());
    const QImage dark = box.ProgramTitle->grab().toImage();
    int strokes = 0;
    for (int y = 0; y < dark.height(); ++y)
        for (int x = 0; x < dark.width(); ++x)
            strokes += dark.pixel(x, y) == darkPalette().color(QPalette::Link).rgb();
    QVERIFY(strokes > 20);

    // The version stands beside the e-mail link and never on it or off the panel.
    const QRect version = box.StaticText1->geometry().united(box.VersionLabel->geometry());
    QVERIFY(box.Panel1->rect().contains(version));
    for (const QLabel *label : { box.ProgramTitle, box.WebSiteLink, box.EmailLink })
        QVERIFY2(!label->geometry().intersects(version), qPrintable(label->objectName()));

    // Only the information box takes the keyboard focus.
    QCOMPARE(box.focusWidget(), box.ProgramInfo);
    for (QWidget *w : box.findChildren<QWidget *>()) {
        if (w != box.ProgramInfo && !box.ProgramInfo->isAncestorOf(w))
            QVERIFY2(w->focusPolicy() == Qt::NoFocus, qPrintable(w->objectName()));
    }
}

void tst_quote21::links_areHandedToTheShell_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QPoint>("at");
    QTest::newRow("web site") << "WebSiteLink" << QStringLiteral(OQ_WEBSITE_URL) << QPoint(8, 40);
    QTest::newRow("e-mail") << "EmailLink" << QStringLiteral("mailto:" OQ_EMAIL_ADDRESS) << QPoint(8, 56);
}

void tst_quote21::links_areHandedToTheShell()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QPoint, at);

    QStringList calls;
    setShellOpenHook([&](const QString &t, const QString &parameters, const QString &folder, TShellWindowState state) {
        calls << t;
        QVERIFY(parameters.isEmpty());
        QVERIFY(folder.isEmpty());
        QCOMPARE(state, TShellWindowState::swNormal);
    });
    TAboutBox box(m_path);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto *label = box.findChild<TAboutLabel *>(link);
    QVERIFY(label);
    QCOMPARE(label->text(), target);
    QVERIFY(label->font().underline());
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(label->pos(), at);

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(calls, QStringList { target });
    QVERIFY(box.isVisible());

    // A right click and a press dragged off the link open nothing.
    QTest::mouseClick(label, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(3, label->height() + 30));
    QCOMPARE(calls.size(), 1);
    QVERIFY(box.isVisible());

    // A double click opens the link once: press, release, then the second
    // press as the double-click message, and its release.
    calls.clear();
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &second);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(calls, QStringList { target });
    QVERIFY(box.isVisible());
}

void tst_quote21::click_hidesOnlyOnThePanelsFreeArea_data()
{
    QTest::addColumn<QString>("target"); // object name; the panel's free area for "Panel1"
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("hides");
    for (bool twice : { false, true }) {
        const char *kind = twice ? "double click" : "click";
        QTest::addRow("%s on the panel", kind) << "Panel1" << twice << true;
        for (const char *name : { "ProgramTitle", "VersionLabel", "StaticText1", "ProgramInfo" })
            QTest::addRow("%s on %s", kind, name) << name << twice << false;
    }
}

void tst_quote21::click_hidesOnlyOnThePanelsFreeArea()
{
    QFETCH(QString, target);
    QFETCH(bool, doubleClick);
    QFETCH(bool, hides);

    TAboutBox box(m_path);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QWidget *widget = box.findChild<QWidget *>(target);
    QVERIFY(widget);
    QPoint at(3, 3);
    if (widget == box.Panel1) {
        at = QPoint(150, 206); // below the information box
        QCOMPARE(box.Panel1->childAt(at), nullptr);
    } else if (widget == box.ProgramInfo) {
        widget = box.ProgramInfo->viewport();
    }
    if (doubleClick) {
        // Only the double-click message itself, without the click before it.
        QMouseEvent event(
            QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    } else {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }
    QCOMPARE(box.isHidden(), hides);

    // Shown again, it holds the same text.
    box.show();
    QCOMPARE(box.ProgramInfo->document()->blockCount(), 5);
}

void tst_quote21::shellOpen_handsTheTargetToTheDesktop()
{
    UrlCatcher catcher;
    for (const char *scheme : { "https", "mailto", "file" })
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
    ShellOpen(QStringLiteral(OQ_WEBSITE_URL));
    ShellOpen(QStringLiteral("mailto:" OQ_EMAIL_ADDRESS), QString(), QString(), TShellWindowState::swMaximized);
    ShellOpen(QStringLiteral("Quote.txt"), QString(), m_dir.path());
    for (const char *scheme : { "https", "mailto", "file" })
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    QCOMPARE(catcher.urls,
        (QList<QUrl> { QUrl(QStringLiteral(OQ_WEBSITE_URL)), QUrl(QStringLiteral("mailto:" OQ_EMAIL_ADDRESS)),
            QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("Quote.txt"))) }));
}

QTEST_MAIN(tst_quote21)
#include "tst_quote21.moc"
