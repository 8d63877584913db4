// SPDX-License-Identifier: MIT
// Searching every line of every quote.
#include "quotes/quotesearch.h"

#include <QTest>

using namespace oq;

class tst_quotesearch : public QObject
{
    Q_OBJECT

private:
    QuoteIndex m_index;

private Q_SLOTS:
    void initTestCase()
    {
        m_index.loadBytes("The Cat sat\n"                        // 0
                          "on the mat.\n\n\n"
                          "[Rule 3] cats and dogs\n\n\n"         // 1
                          "Nothing here\n\nhidden CAT line\n\n\n" // 2
                          "caf\xC3\xA9 CAF\xC3\x89\n\n\n"        // 3
                          "cat cat cat\ncat\n\n\n"               // 4
                          "ca\n"                                 // 5
                          "t\n");
    }

    void matches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qint32>>("quotes");
        QTest::newRow("any case") << "cat" << QList<qint32>{0, 1, 2, 4};
        QTest::newRow("capitals find the same") << "CAT" << QList<qint32>{0, 1, 2, 4};
        QTest::newRow("trailing space is kept") << "cat " << QList<qint32>{0, 2, 4};
        QTest::newRow("empty finds nothing") << "" << QList<qint32>{};
        QTest::newRow("never across a line break") << "sat on" << QList<qint32>{};
        QTest::newRow("non-ascii letters match exactly") << QStringLiteral(u"é") << QList<qint32>{3};
        QTest::newRow("non-ascii capital is not folded") << QStringLiteral(u"cafÉ") << QList<qint32>{3};
        QTest::newRow("first line as held, brackets kept") << "[rule 3]" << QList<qint32>{1};
        QTest::newRow("later lines count") << "hidden" << QList<qint32>{2};
        QTest::newRow("line break in the text") << "ca\nt" << QList<qint32>{};
        QTest::newRow("last line of the file") << "t" << QList<qint32>{0, 1, 2, 4, 5};
        QTest::newRow("longer than any line") << QString(200, QLatin1Char('x')) << QList<qint32>{};
    }
    void matches()
    {
        QFETCH(QString, text);
        QFETCH(QList<qint32>, quotes);
        QCOMPARE(findQuotes(m_index, text), quotes);
    }

    void titles_areSortedIgnoringCase()
    {
        QCOMPARE(findQuoteTitles(m_index, QStringLiteral("cat")),
                 (QStringList{"cat cat cat [4]", "Nothing here [2]", "Rule 3) cats and dogs [1]", "The Cat sat [0]"}));
    }

    void titles_holdWholeCharacters()
    {
        QuoteIndex index;
        index.loadBytes("..\xF0\x9F\x98\x80\n\n\n\xF0\x9F\x98\x80.\n");
        QStringList expected{QStringLiteral(u".😀 [0]"), QStringLiteral(u"😀. [1]")};
        sortTitles(expected);
        QCOMPARE(findQuoteTitles(index, QStringLiteral(u"😀")), expected);
    }

    void noQuotes_findNothing()
    {
        QuoteIndex empty;
        empty.loadBytes("\n\n\n");
        QVERIFY(findQuotes(empty, QStringLiteral("a")).isEmpty());
    }

    void fallbackQuote_isSearchable()
    {
        QuoteIndex index;
        index.load(QStringLiteral("/nonexistent/file.txt"));
        QCOMPARE(findQuotes(index, QStringLiteral("select new")), QList<qint32>{0});
    }
};

QTEST_GUILESS_MAIN(tst_quotesearch)
#include "tst_quotesearch.moc"
