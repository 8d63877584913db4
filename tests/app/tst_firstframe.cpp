// SPDX-License-Identifier: MIT
// Work put off until the window's first frame: it waits for the frame, runs
// once, in the order the start-up relies on, and never for a window gone.
#include "app/firstframe.h"
#include "tests/controls/manualtimer.h"

#include <QLabel>
#include <QStringList>
#include <QTest>

class tst_firstframe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsOnceAfterTheFirstFrame()
    {
        QLabel window(QStringLiteral("A quote"));
        int runs = 0;
        bool exposedWhenRun = false;
        oq::FirstFrame::then(&window, [&] {
            ++runs;
            exposedWhenRun = window.windowHandle() && window.windowHandle()->isExposed();
        });
        QCoreApplication::processEvents();
        QCOMPARE(runs, 0);

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(runs, 1);
        QVERIFY(exposedWhenRun);

        // Shown again: the first frame has been and gone.
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }

    // The start-up stamps the first frame before the work put off until
    // then: the watcher set last runs first.
    void theLastSetRunsFirst()
    {
        QLabel window(QStringLiteral("A quote"));
        QStringList order;
        oq::FirstFrame::then(&window, [&] { order << QStringLiteral("windows and icon"); });
        oq::FirstFrame::then(&window, [&] { order << QStringLiteral("timing stamp"); });
        window.show();
        QTRY_COMPARE(order.size(), 2);
        QCOMPARE(order, (QStringList { QStringLiteral("timing stamp"), QStringLiteral("windows and icon") }));
    }

    // A window shown but not on screen (minimised, on another workspace):
    // with a latest time the work is done then; without, it waits.
    void windowNotOnScreen_data()
    {
        QTest::addColumn<int>("latestMs");
        QTest::addColumn<int>("runs");
        QTest::newRow("at the latest after 50 ms") << 50 << 1;
        QTest::newRow("no latest time: waits for a frame") << -1 << 0;
    }
    void windowNotOnScreen()
    {
        QFETCH(int, latestMs);
        QFETCH(int, runs);
        QLabel window(QStringLiteral("A quote"));
        window.setAttribute(Qt::WA_DontShowOnScreen);
        int ran = 0;
        QPointer<ManualTimer> clock;
        oq::FirstFrame::then(&window, [&] { ++ran; }, latestMs, manualClock(clock));
        window.show();
        QCoreApplication::processEvents();
        if (clock)
            clock->advance(latestMs - 1);
        QCOMPARE(ran, 0);
        if (clock)
            clock->advance(1);
        QCOMPARE(ran, runs);
    }

    void onScreenBeforeTheLatestTime_runsOnce()
    {
        QLabel window(QStringLiteral("A quote"));
        int ran = 0;
        QPointer<ManualTimer> clock;
        oq::FirstFrame::then(&window, [&] { ++ran; }, 50, manualClock(clock));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(ran, 1);
        if (clock)
            clock->advance(50);
        QCOMPARE(ran, 1);
    }

    void neverRunsForAWindowGoneFirst()
    {
        int runs = 0;
        {
            QLabel window(QStringLiteral("A quote"));
            oq::FirstFrame::then(&window, [&] { ++runs; });
        }
        QLabel other(QStringLiteral("Another"));
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QCoreApplication::processEvents();
        QCOMPARE(runs, 0);
    }
};

QTEST_MAIN(tst_firstframe)
#include "tst_firstframe.moc"
