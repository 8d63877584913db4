// SPDX-License-Identifier: MIT
// The byte scan of the terminal mode must read every file exactly as the
// quote index does: the same quotes, lines and search results.
#include "quotes/quoteindex.h"
#include "quotes/quotescan.h"
#include "quotes/quotesearch.h"

#include <QDirIterator>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

#include <memory>

using namespace oq;

namespace {

const QStringList Needles { "e", "the", "LOVE", "%", " -- ", "a b" };

// Compares the scan with the index; an empty text when they agree.
QString difference(const QuoteScan &scan, const QuoteIndex &index)
{
    if (scan.format() != index.format())
        return QStringLiteral("format");
    if (scan.quoteCount() != index.QuoteCount)
        return QStringLiteral("count %1 against %2").arg(scan.quoteCount()).arg(index.QuoteCount);
    for (qint32 q = 0; q < index.QuoteCount; ++q) {
        if (scan.quoteLines(q) != index.quoteLines(q))
            return QStringLiteral("quote %1").arg(q);
        // Printed in UTF-8, each line without a byte-order mark.
        QByteArray utf8;
        QByteArray expected;
        scan.appendQuoteUtf8(q, utf8);
        for (const QString &line : index.quoteLines(q))
            expected += (line.startsWith(u'\uFEFF') ? line.mid(1) : line).toUtf8() + '\n';
        if (utf8 != expected)
            return QStringLiteral("UTF-8 of quote %1").arg(q);
    }
    for (const QString &needle : Needles) {
        if (scan.find(needle) != findQuotes(index, needle))
            return QStringLiteral("search for \"%1\"").arg(needle);
    }
    return QString();
}

} // namespace

class tst_quotescan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameAsIndex_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("own format") << QByteArray("A\r\n%\r\nthe b\r\n\r\n\r\nC\r\n\r\nD love\r\n\r\n\r\n\r\n");
        QTest::newRow("fortune") << QByteArray("%\nA the\n\nB\n%\n \t\n%\n\n  C\n%\nlove\n");
        QTest::newRow("CR only") << QByteArray("a\rb\r\r\rc\r%\r");
        QTest::newRow("LF CR") << QByteArray("a\n\rb\n\r\n\rc");
        QTest::newRow("NUL") << QByteArray("a\n%\nb\0c\n%\nd", 12);
        QTest::newRow("BOM") << QByteArray("\xef\xbb\xbfHead\n%\n\xef\xbb\xbf\n%\nx\n");
        QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 \xe2\x80\x94 the\n%\n\xc2\xa0\n%\nna\xc3\xafve\n");
        QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x97 the\n%\n\xa0\n%\n\x85\n%\nna\xefve\n");
        QTest::newRow("no-break space only") << QByteArray("A\n%\n\xc2\xa0\xe3\x80\x80\n%\nB\n");
        QTest::newRow("a b across a line") << QByteArray("a\nb\n%\nxa b\n");
        QTest::newRow("UTF-16, art with runs of empty lines")
            << QByteArray(QStringEncoder(QStringConverter::Utf16LE)(u"\uFEFFthe\n\n\nart\n \n%\n\uFEFFb\n%\n"));
        QByteArray many;
        for (int q = 0; q < 200; ++q)
            many += "Quote " + QByteArray::number(q) + (q % 7 ? "\n" : "\nthe end\n") + (q % 3 ? "%\n" : "%\n\n");
        QTest::newRow("many entries") << many;
    }
    void sameAsIndex()
    {
        QFETCH(QByteArray, bytes);
        auto index = std::make_unique<QuoteIndex>();
        index->loadBytes(bytes);
        QuoteScan scan;
        QCOMPARE(scan.scanBytes(bytes), QuoteScan::Result::Read);
        QCOMPARE(difference(scan, *index), QString());
        // With an index's header the text is a fortune file.
        index->loadFortuneBytes(bytes);
        StrfileHeader header;
        header.version = 2;
        QCOMPARE(scan.scanBytes(bytes, header), QuoteScan::Result::Read);
        QCOMPARE(difference(scan, *index), QString());
    }

    // What the scan cannot answer exactly it leaves to the index.
    void declines()
    {
        QByteArray many;
        for (int q = 0; q <= MaxQuotes; ++q)
            many += "Q\n%\n";
        QuoteScan scan;
        QCOMPARE(scan.scanBytes(many), QuoteScan::Result::Declined);
        StrfileHeader high;
        high.delimiter = char(0xa7);
        QCOMPARE(scan.scanBytes("a\n\xa7\nb\n", high), QuoteScan::Result::Declined);
        QCOMPARE(scan.scanBytes("caf\xc3\xa9\n"), QuoteScan::Result::Read);
        QCOMPARE(scan.find(QStringLiteral("caf\u00e9")), std::nullopt);
        QCOMPARE(scan.load(QStringLiteral("/nonexistent/quotes.txt")), QuoteScan::Result::Unreadable);
    }

    // Every installed fortune file, with its index and as text alone.
    void installedFiles_data()
    {
        QTest::addColumn<QString>("file");
        QDirIterator it(QStringLiteral("/usr/share/games/fortunes"), QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext()) {
            const QString f = it.next();
            if (QFile::exists(f + QStringLiteral(".dat")))
                files << f;
        }
        if (files.isEmpty())
            QSKIP("no fortune files installed");
        files.sort();
        for (const QString &f : files)
            QTest::newRow(qPrintable(f.section(QLatin1Char('/'), 5))) << f;
    }
    void installedFiles()
    {
        QFETCH(QString, file);
        auto index = std::make_unique<QuoteIndex>();
        QVERIFY(index->load(file));
        QuoteScan scan;
        QCOMPARE(scan.load(file), QuoteScan::Result::Read);
        QCOMPARE(difference(scan, *index), QString());

        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray text = in.readAll();
        index->loadBytes(text);
        QCOMPARE(scan.scanBytes(text), QuoteScan::Result::Read);
        QCOMPARE(difference(scan, *index), QString());
    }
};

QTEST_GUILESS_MAIN(tst_quotescan)
#include "tst_quotescan.moc"
