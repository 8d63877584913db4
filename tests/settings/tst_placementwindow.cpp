// SPDX-License-Identifier: MIT
// The main window's place, size and state across runs, on the offscreen platform.
#include "settings/placementwindow.h"

#include "forms/errordisplay.h"
#include "forms/ombryquotefm.h"
#include "settings/inifile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTest>

namespace {

const QRect DesignedFrame(462, 235, 477, 260);

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_placementwindow : public QObject
{
    Q_OBJECT

private:
    QStringList m_errors;

    // Where a first run puts the designed window: wholly on the screen.
    static QRect designedOnScreen()
    {
        const QRect area = workArea();
        QRect frame = DesignedFrame.translated(area.topLeft());
        frame.moveRight(std::min(frame.right(), area.right()));
        frame.moveBottom(std::min(frame.bottom(), area.bottom()));
        return frame;
    }

    // The same as the saved normal rectangle: left, top, right, bottom.
    static QString designedOnScreenText()
    {
        const QRect r = designedOnScreen().translated(-workArea().topLeft());
        return QStringLiteral("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.right() + 1).arg(r.bottom() + 1);
    }

    static QString path(const char *name) { return oq::profileFilePath(QLatin1String(name)); }

    static void writePosition(const QByteArray &keys)
    {
        QVERIFY(QDir().mkpath(oq::profileFolder()));
        QFile f(path("ombryquote.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Position]\n" + keys + "\n");
    }

    // Shows the window as start-up does and waits until it stands where it will stay.
    static void showForm(TQuoteForm &form)
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Exposed, the frame is known and the window fitted into it.
        QCoreApplication::processEvents();
    }

    static QRect workArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

private Q_SLOTS:
    void initTestCase()
    {
        oq::setErrorSink([this](const QString &text) { m_errors << text; });
    }

    void init()
    {
        m_errors.clear();
        QDir(oq::profileFolder()).removeRecursively();
    }

    void firstRun_writesBothFiles_positionBeforeTheSettings()
    {
        QMargins frame;
        {
            TQuoteForm form;
            showForm(form);
            QTRY_COMPARE(form.frameGeometry(), designedOnScreen());
            frame = form.windowHandle()->frameMargins();
            QVERIFY(form.close());
        }
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QByteArray suffix
            = QStringLiteral("(%1x%2)").arg(screen->size().width()).arg(screen->size().height()).toLatin1();
        // The maximised position puts the border just outside the screen.
        const QByteArray minMax
            = "-1,-1," + QByteArray::number(-frame.left()) + "," + QByteArray::number(-frame.bottom());
        const QByteArray keys = "FormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch="
            + QByteArray::number(qRound(screen->logicalDotsPerInchY())) + "\nMinMaxPos" + suffix + "=" + minMax
            + "\nMinMaxPos=" + minMax + "\nNormPos" + suffix + "=" + designedOnScreenText().toLatin1() + "\nNormPos=" + designedOnScreenText().toLatin1() + "\nVisible=0\n";
        QCOMPARE(readFile(path("ombryquote.ini")),
            "[Position]\n" + keys + "\n[quotefile]\nfilename=Quote.txt\nFontSize=8\n");
        QCOMPARE(readFile(path("OmbryQuote")), "[FormStorage]\n" + keys);
    }

    void restore_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QRect>("frame");
        QTest::newRow("place and size") << QByteArray("NormPos=20,30,520,330") << QRect(20, 30, 500, 300);
        QTest::newRow("a monitor that is gone")
            << QByteArray("NormPos=5000,40,5500,340") << QRect(workArea().width() - 500, 40, 500, 300);
        QTest::newRow("title bar above the screen")
            << QByteArray("NormPos=-200,-100,300,200") << QRect(-200, 0, 500, 300);
        QTest::newRow("too small") << QByteArray("NormPos=20,30,21,31") << QRect();
    }

    void restore()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QRect, frame);
        writePosition(keys);
        TQuoteForm form;
        showForm(form);
        if (frame.isNull()) {
            // Never smaller than the window can be.
            QVERIFY(form.width() >= form.minimumSizeHint().width());
            QVERIFY(form.height() >= form.minimumSizeHint().height());
            QCOMPARE(form.frameGeometry().topLeft(), QPoint(20, 30) + workArea().topLeft());
        } else {
            QTRY_COMPARE(form.frameGeometry(), frame.translated(workArea().topLeft()));
        }
        QVERIFY(!form.isMaximized() && !form.isMinimized());
        QVERIFY(m_errors.isEmpty());
    }

    void maximised_roundTrip()
    {
        {
            TQuoteForm form;
            showForm(form);
            form.move(workArea().topLeft() + QPoint(30, 40));
            QTRY_COMPARE(form.frameGeometry().topLeft(), workArea().topLeft() + QPoint(30, 40));
            const QRect normal = form.frameGeometry();
            form.showMaximized();
            QTRY_VERIFY(form.isMaximized());
            QVERIFY(form.close());
            const TIniFile ini(QStringLiteral("OMBRYQuote.ini"));
            QCOMPARE(ini.ReadNumber("Position", "ShowCmd", 0), 3);
            QCOMPARE(ini.ReadText("Position", "NormPos", QString()),
                QStringLiteral("30,40,%1,%2").arg(30 + normal.width()).arg(40 + normal.height()));
        }
        TQuoteForm form;
        showForm(form);
        QTRY_VERIFY(form.isMaximized());
        // Restored, it comes back where it was.
        form.showNormal();
        QTRY_COMPARE(form.frameGeometry().topLeft(), workArea().topLeft() + QPoint(30, 40));
        QCOMPARE(form.frameGeometry().size(), DesignedFrame.size());
    }

    void minimised_roundTrip()
    {
        {
            TQuoteForm form;
            showForm(form);
            QTRY_COMPARE(form.frameGeometry(), designedOnScreen());
            form.showMinimized();
            QTRY_VERIFY(form.isMinimized());
            QVERIFY(form.close());
            const TIniFile ini(QStringLiteral("OmbryQuote"));
            QCOMPARE(ini.ReadNumber("FormStorage", "ShowCmd", 0), 2);
            QCOMPARE(ini.ReadNumber("FormStorage", "Flags", -1), 0);
            QCOMPARE(ini.ReadText("FormStorage", "NormPos", QString()), designedOnScreenText());
        }
        TQuoteForm form;
        showForm(form);
        // Shown normal first, then minimised.
        QTRY_VERIFY(form.isMinimized());
        form.showNormal();
        QTRY_COMPARE(form.frameGeometry(), designedOnScreen());
    }

    void closeAbandoned_savesAgainAtTheNextClose()
    {
        TQuoteForm form;
        showForm(form);
        QTRY_COMPARE(form.frameGeometry(), designedOnScreen());
        // The settings cannot be written: the close is abandoned once, after the stores saved.
        QFile::remove(path("ombryquote.ini"));
        QVERIFY(QDir().mkpath(path("ombryquote.ini")));
        QVERIFY(!form.close());
        QCOMPARE(TIniFile(QStringLiteral("OmbryQuote")).ReadText("FormStorage", "NormPos", QString()),
            designedOnScreenText());
        QVERIFY(QDir(path("ombryquote.ini")).removeRecursively());
        form.move(workArea().topLeft() + QPoint(10, 10));
        QTRY_COMPARE(form.frameGeometry().topLeft(), workArea().topLeft() + QPoint(10, 10));
        QVERIFY(form.close());
        QCOMPARE(TIniFile(QStringLiteral("OMBRYQuote.ini")).ReadText("Position", "NormPos", QString()),
            QStringLiteral("10,10,487,270"));
        QCOMPARE(TIniFile(QStringLiteral("OmbryQuote")).ReadText("FormStorage", "NormPos", QString()),
            QStringLiteral("10,10,487,270"));
    }
};

QTEST_MAIN(tst_placementwindow)
#include "tst_placementwindow.moc"
