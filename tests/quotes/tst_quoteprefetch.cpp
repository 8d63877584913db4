// SPDX-License-Identifier: MIT
// The quote file read ahead at start-up gives the index a load would give.
#include "quotes/quoteindex.h"
#include "quotes/quoteprefetch.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace oq;

class tst_quoteprefetch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void take_givesTheLoadedIndex_once()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("q.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("First [1]\r\nline\r\n\r\n\r\nSecond\r\n\r\n\r\n\tThird\r\n");
        file.close();

        QuoteIndex direct;
        direct.load(path);
        QuotePrefetch::start(path);
        QuoteIndex taken;
        QVERIFY(QuotePrefetch::take(path, taken));
        QCOMPARE(taken.QuoteCount, 3);
        QCOMPARE(taken.QuoteLines.toStringList(), direct.QuoteLines.toStringList());
        QCOMPARE(taken.QuoteTitles.toStringList(), direct.QuoteTitles.toStringList());
        QVERIFY(taken.QuoteStarts == direct.QuoteStarts);
        // Read ahead once: later loads read the file themselves.
        QVERIFY(!QuotePrefetch::take(path, taken));
    }

    void take_anotherFile_leavesTheIndexAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing.txt"));
        QuotePrefetch::start(path);
        QuoteIndex index;
        index.loadBytes("Kept\r\n");
        QVERIFY(!QuotePrefetch::take(dir.filePath(QStringLiteral("other.txt")), index));
        QCOMPARE(index.QuoteTitles.toStringList(), QStringList { QStringLiteral("Kept [0]") });
        QVERIFY(!QuotePrefetch::take(path, index));
    }
};

QTEST_GUILESS_MAIN(tst_quoteprefetch)
#include "tst_quoteprefetch.moc"
