// SPDX-License-Identifier: MIT
// The history of shown quotes, the random source and the navigation bounds.
#include "quotes/quotehistory.h"

#include <QTest>

using namespace oq;

class tst_quotehistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void backShowsTheEntryBelowTheTop()
    {
        QuoteHistory h;
        h.push(10); // A, at start-up
        h.push(20); // B
        h.push(30); // C
        auto i = h.back();
        QCOMPARE(i, std::optional<qint32>(20));
        h.push(*i); // shown again, so pushed again
        QCOMPARE(h.HistoryTop, 2);
        i = h.back();
        QCOMPARE(i, std::optional<qint32>(10));
        h.push(*i);
        QCOMPARE(h.HistoryTop, 1);
        QVERIFY(!h.back().has_value());
        QCOMPARE(h.HistoryTop, 1);
    }

    void emptyHistory_backDoesNothing()
    {
        QuoteHistory h;
        QVERIFY(!h.back().has_value());
        QCOMPARE(h.HistoryTop, 0);
    }

    void fullHistory_dropsTheOldest()
    {
        QuoteHistory h;
        for (int i = 1; i <= MaxQuotes; ++i)
            h.push(i);
        QCOMPARE(h.HistoryTop, MaxQuotes);
        h.push(-7);
        QCOMPARE(h.HistoryTop, MaxQuotes);
        QCOMPARE(h.History[1], 2);
        QCOMPARE(h.History[MaxQuotes - 1], MaxQuotes);
        QCOMPARE(h.History[MaxQuotes], -7);
        QCOMPARE(h.History[0], 0);
        QCOMPARE(h.back(), std::optional<qint32>(MaxQuotes));
    }

    // A reload keeps the quote on display (history 4, 7; 7 on top) while its number exists.
    void keepOnReload_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<int>("topAfter");
        QTest::newRow("still there") << 7 << 10 << true << 1;
        QTest::newRow("now the last quote") << 7 << 8 << true << 1;
        QTest::newRow("file shrank below it") << 7 << 7 << false << 2;
        QTest::newRow("file emptied") << 7 << 0 << false << 2;
        QTest::newRow("not the top entry") << 4 << 10 << true << 2;
        QTest::newRow("no quote shown") << -1 << 10 << false << 2;
    }
    void keepOnReload()
    {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(bool, kept);
        QFETCH(int, topAfter);
        QuoteHistory h;
        h.push(4);
        h.push(7);
        QCOMPARE(h.keepOnReload(index, count), kept ? std::optional<qint32>(index) : std::nullopt);
        QCOMPARE(h.HistoryTop, topAfter);
    }

    // Seeds taken in the same moment differ: copies started together draw apart.
    void seeds_takenTogether_differ()
    {
        RandomSource a, b;
        a.seedFromSystem();
        b.seedFromSystem();
        QVERIFY(a.state != b.state);
    }

    void draws_followTheGenerator()
    {
        RandomSource r;
        r.state = 0;
        // state 1: 10 * 1 >> 32 = 0; state 134775814: 10 * s >> 32 = 0
        QCOMPARE(r.draw(10), 0u);
        QCOMPARE(r.state, 1u);
        QCOMPARE(r.draw(10), 0u);
        QCOMPARE(r.state, 134775814u);
        r.state = 0xFFFFFFFFu;
        // (0xFFFFFFFF * 134775813 + 1) mod 2^32 = 2^32 - 134775812
        QCOMPARE(r.draw(1000), quint32((quint64(1000) * (0x100000000ull - 134775812ull)) >> 32));
        QCOMPARE(r.draw(0), 0u);
    }

    void draws_stayInRange()
    {
        RandomSource r;
        r.state = 12345;
        for (quint32 n : {1u, 2u, 7u, 33000u}) {
            for (int i = 0; i < 1000; ++i)
                QVERIFY(r.draw(n) < n);
        }
    }

    void navigationBounds_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("prev");
        QTest::addColumn<bool>("next");
        QTest::addColumn<bool>("prevOn");
        QTest::addColumn<bool>("nextOn");
        QTest::newRow("no quotes") << 0 << 0 << false << false << false << true;
        QTest::newRow("one quote") << 0 << 1 << false << false << false << false;
        QTest::newRow("first of many") << 0 << 5 << false << true << false << true;
        QTest::newRow("middle") << 2 << 5 << true << true << true << true;
        QTest::newRow("last") << 4 << 5 << true << false << true << false;
        QTest::newRow("past the end (older file)") << 9 << 5 << true << false << true << true;
    }
    void navigationBounds()
    {
        QFETCH(int, current);
        QFETCH(int, count);
        QFETCH(bool, prev);
        QFETCH(bool, next);
        QFETCH(bool, prevOn);
        QFETCH(bool, nextOn);
        QCOMPARE(canStepPrevious(current), prev);
        QCOMPARE(canStepNext(current, count), next);
        QCOMPARE(previousEnabled(current), prevOn);
        QCOMPARE(nextEnabled(current, count), nextOn);
    }
};

QTEST_GUILESS_MAIN(tst_quotehistory)
#include "tst_quotehistory.moc"
