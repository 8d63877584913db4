// SPDX-License-Identifier: MIT
// Reading a quote file: line splitting, decoding, the separator scan, titles.
#include "quotes/quoteindex.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace oq;

namespace {

QStringList linesOf(const QByteArray &bytes)
{
    LineList lines;
    splitText(bytes, lines);
    return lines.toStringList();
}

QList<qint32> startsOf(const QuoteIndex &index)
{
    QList<qint32> starts;
    for (int k = 0; k <= index.QuoteCount; ++k)
        starts.append(index.QuoteStarts[size_t(k)]);
    return starts;
}

} // namespace

class tst_quoteindex : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("one line, no terminator") << QByteArray("a") << QStringList{"a"};
        QTest::newRow("final terminator adds no line") << QByteArray("a\r\n") << QStringList{"a"};
        QTest::newRow("lone terminator is one empty line") << QByteArray("\n") << QStringList{""};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("LF only") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("CR only") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("trailing empty line kept") << QByteArray("a\n\n") << QStringList{"a", ""};
        QTest::newRow("NUL ends the text") << QByteArray("ab\ncd\0ef\ngh", 11) << QStringList{"ab", "cd"};
        QTest::newRow("NUL first") << QByteArray("\0abc", 4) << QStringList();
        QTest::newRow("blanks are not empty") << QByteArray(" \n\t\n") << QStringList{" ", "\t"};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(linesOf(bytes), lines);
    }

    void crLfAcrossSliceBoundary()
    {
        // Lines long enough that slices end between CR and LF somewhere.
        QByteArray bytes;
        QStringList expected;
        for (int i = 0; i < 3000; ++i) {
            const QByteArray line = QByteArray(97 + i % 13, char('a' + i % 26));
            bytes += line + "\r\n";
            expected << QString::fromLatin1(line);
        }
        QCOMPARE(linesOf(bytes), expected);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Caf\xC3\xA9 \xE2\x80\x94 \xE2\x80\x9Cq\xE2\x80\x9D")
                               << QStringLiteral(u"Café — “q”");
        QTest::newRow("windows-1252") << QByteArray("Caf\xE9 \x97 \x93q\x94 \x80") << QStringLiteral(u"Café — “q” €");
        QTest::newRow("unassigned 1252 bytes") << QByteArray("\x81\x8D\x8F\x90\x9D")
                                               << QStringView(u"\u0081\u008D\u008F\u0090\u009D").toString();
        QTest::newRow("truncated utf-8 at end") << QByteArray("ab\xE2\x80") << QStringLiteral(u"abâ€");
        QTest::newRow("overlong utf-8 is not utf-8") << QByteArray("\xC0\xAF") << QStringLiteral(u"À¯");
        QTest::newRow("bom kept as a character") << QByteArray("\xEF\xBB\xBFHi") << QStringView(u"\uFEFFHi").toString();
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(linesOf(bytes), QStringList{text});
    }

    void invalidUtf8LateInFile_changesOnlyItsOwnLine()
    {
        QByteArray bytes = "\xC3\xA9\n";
        bytes += QByteArray(600 * 1024, 'x') + "\n\xE9";
        const QStringList lines = linesOf(bytes);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.first(), QStringLiteral(u"é"));
        QCOMPARE(lines.last(), QStringLiteral(u"é"));
    }

    void separators_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint32>>("starts");
        QTest::newRow("empty file") << QByteArray() << QList<qint32>{0};
        QTest::newRow("empty lines only") << QByteArray("\n\n\n\n") << QList<qint32>{4};
        QTest::newRow("one empty line stays inside") << QByteArray("a\n\nb") << QList<qint32>{0, 3};
        QTest::newRow("two empty lines separate") << QByteArray("a\n\n\nb") << QList<qint32>{0, 3, 4};
        QTest::newRow("four empty lines are one separator") << QByteArray("a\n\n\n\n\nb") << QList<qint32>{0, 5, 6};
        QTest::newRow("leading empty lines") << QByteArray("\n\n\nb") << QList<qint32>{3, 4};
        QTest::newRow("blank line breaks a separator") << QByteArray("a\n\n \n\nb") << QList<qint32>{0, 5};
        QTest::newRow("three quotes") << QByteArray("a\r\nb\r\n\r\n\r\nc\r\n\r\n\r\nd\r\n")
                                      << QList<qint32>{0, 4, 7, 8};
    }
    void separators()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint32>, starts);
        QuoteIndex index;
        index.loadBytes(bytes);
        QCOMPARE(startsOf(index), starts);
        QCOMPARE(index.QuoteTitles.size(), index.QuoteCount);
        // Every slot past the sentinel stays 0.
        for (int k = index.QuoteCount + 1; k < QuoteSlots; ++k)
            QCOMPARE(index.QuoteStarts[size_t(k)], 0);
    }

    void reloadDiscardsPreviousIndex()
    {
        QuoteIndex index;
        index.loadBytes("a\n\n\nb\n\n\nc");
        QCOMPARE(index.QuoteCount, 3);
        index.loadBytes("x");
        QCOMPARE(index.QuoteCount, 1);
        QCOMPARE(index.QuoteTitles.toStringList(), QStringList{"x [0]"});
        QCOMPARE(startsOf(index), (QList<qint32>{0, 1}));
        QCOMPARE(index.QuoteStarts[2], 0);
    }

    void titles_data()
    {
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "Hello" << 0 << "Hello [0]";
        QTest::newRow("leading blanks") << "  Hi" << 4 << "Hi [4]";
        QTest::newRow("two characters stay") << " a" << 1 << " a [1]";
        QTest::newRow("one blank") << " " << 2 << "  [2]";
        QTest::newRow("dots stop at two") << "..." << 3 << ".. [3]";
        QTest::newRow("asterisks and a letter") << "***a" << 5 << "*a [5]";
        QTest::newRow("leading bracket") << "[x] y" << 6 << "x) y [6]";
        QTest::newRow("number in brackets") << "Rule [12] applies" << 7 << "Rule (12) applies [7]";
        QTest::newRow("non-ascii letters are not letters") << QStringLiteral(u"«Éloge» de") << 8
                                                           << QStringLiteral(u"loge» de [8]");
        QTest::newRow("digit stops stripping") << "-- 1st" << 9 << "1st [9]";
        QTest::newRow("large index") << "q" << 32999 << "q [32999]";
        QTest::newRow("index 10") << "q" << 10 << "q [10]";
        // Characters, not UTF-16 units: a character outside the BMP is one.
        QTest::newRow("emoji and a full stop stay") << QStringLiteral(u"😀.") << 0 << QStringLiteral(u"😀. [0]");
        QTest::newRow("stripping stops before an emoji") << QStringLiteral(u"..😀") << 1 << QStringLiteral(u".😀 [1]");
        QTest::newRow("emoji stripped whole") << QStringLiteral(u"😀😀😀x") << 2 << QStringLiteral(u"😀x [2]");
        QTest::newRow("emoji only") << QStringLiteral(u"😀😀😀") << 3 << QStringLiteral(u"😀😀 [3]");
    }
    void titles()
    {
        QFETCH(QString, firstLine);
        QFETCH(int, index);
        QFETCH(QString, title);
        QCOMPARE(quoteTitle(firstLine, index), title);
        QCOMPARE(titleToIndex(title), std::optional<qint32>(index));
    }

    void titleToIndex_rejectsBadNumbers_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("index"); // -1: no index
        QTest::newRow("negative") << "a [-3]" << -3;
        QTest::newRow("not a number") << "a [x]" << -1;
        QTest::newRow("empty") << "a []" << -1;
        QTest::newRow("no brackets") << "a" << -1;
        QTest::newRow("close before open") << "a ] [3" << -1;
        QTest::newRow("first brackets count") << "a [1] [2]" << 1;
        QTest::newRow("beyond 32 bits") << "a [99999999999]" << -1;
    }
    void titleToIndex_rejectsBadNumbers()
    {
        QFETCH(QString, title);
        QFETCH(int, index);
        const auto result = oq::titleToIndex(title);
        QCOMPARE(result.has_value(), index != -1);
        if (result)
            QCOMPARE(*result, index);
    }

    void nameFromFilename_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows path") << "C:\\Quotes\\Fav.txt" << "Fav.txt";
        QTest::newRow("drive and name") << "C:Fav.txt" << "Fav.txt";
        QTest::newRow("bare name") << "Quote.txt" << "Quote.txt";
        QTest::newRow("unix path") << "/home/a/Quote.txt" << "Quote.txt";
        QTest::newRow("trailing backslash") << "C:\\Quotes\\" << "";
        QTest::newRow("mixed separators") << "a\\b/c.txt" << "c.txt";
    }
    void nameFromFilename()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(Name_From_Filename(path), name);
        QCOMPARE(captionText(path), QStringLiteral("OMBRYQuote : ") + name);
    }

    void totalQuotesText()
    {
        QCOMPARE(oq::totalQuotesText(0), QStringLiteral("   Total Quotes 0  "));
        QCOMPARE(oq::totalQuotesText(33000), QStringLiteral("   Total Quotes 33000  "));
    }

    void unreadableFiles_giveTheFallbackQuote_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("directory") << "directory";
        QTest::newRow("no permission") << "unreadable";
    }
    void unreadableFiles_giveTheFallbackQuote()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath("q.txt");
        if (kind == "directory") {
            QDir(dir.path()).mkdir("q.txt");
        } else if (kind == "unreadable") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("a\n");
            f.close();
            f.setPermissions({});
            if (QFile(path).open(QIODevice::ReadOnly))
                QSKIP("running with rights that read any file");
        }
        QuoteIndex index;
        index.loadBytes("old\n\n\nquotes");
        QVERIFY(!index.load(path));
        QCOMPARE(index.QuoteCount, 1);
        QCOMPARE(index.QuoteLines.toStringList(), QStringList{FallbackLine});
        QCOMPARE(index.QuoteTitles.toStringList(), QStringList{"Please Select New Quote File [0]"});
        QCOMPARE(startsOf(index), (QList<qint32>{0, 1}));
    }

    void loadFromFile_readsWholeFile()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("q.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("One\r\n\r\nstill one\r\n\r\n\r\nTwo\r\n");
        f.close();
        QuoteIndex index;
        QVERIFY(index.load(f.fileName()));
        QCOMPARE(index.QuoteCount, 2);
        QCOMPARE(index.quoteLines(0), (QStringList{"One", "still one"}));
        QCOMPARE(index.quoteLines(1), QStringList{"Two"});
    }

    void exactlyTheLimit_fillsTheTable()
    {
        QByteArray bytes;
        for (int i = 0; i < MaxQuotes; ++i)
            bytes += "q\n\n\n";
        QuoteIndex index;
        index.loadBytes(bytes);
        QCOMPARE(index.QuoteCount, MaxQuotes);
        QVERIFY(!index.truncated());
        QCOMPARE(index.QuoteStarts[MaxQuotes], index.QuoteLines.size());
        QCOMPARE(index.QuoteStarts[MaxQuotes - 1], (MaxQuotes - 1) * 3);
    }

    void beyondTheLimit_stopsAtTheNextQuote()
    {
        QByteArray bytes;
        for (int i = 0; i < MaxQuotes + 500; ++i)
            bytes += "quote " + QByteArray::number(i) + "\n\n\n";
        QuoteIndex index;
        index.loadBytes(bytes);
        QVERIFY(index.truncated());
        QCOMPARE(index.QuoteCount, MaxQuotes);
        // The separator lines of the last quote are kept; nothing after them.
        QCOMPARE(index.QuoteLines.size(), MaxQuotes * 3);
        QCOMPARE(index.QuoteStarts[MaxQuotes], index.QuoteLines.size());
        QCOMPARE(index.QuoteTitles.at(index.QuoteCount - 1), QStringLiteral("quote 32999 [32999]"));
        QVERIFY(!index.QuoteLines.buffer().contains(QLatin1String("quote 33000")));
    }

    void quoteLines_skipEmptyLinesAndEmptyRanges()
    {
        QuoteIndex index;
        index.loadBytes("a\n\n  b\n\n\nc");
        QCOMPARE(index.quoteLines(0), (QStringList{"a", "  b"}));
        // Past the sentinel, ranges are empty.
        QCOMPARE(index.quoteLines(5), QStringList());
        QCOMPARE(index.quoteLines(MaxQuotes - 1), QStringList());
        QuoteIndex none;
        none.loadBytes("");
        QCOMPARE(none.quoteLines(0), QStringList());
    }

    void sortedTitles_ignoreCase()
    {
        QuoteIndex index;
        index.loadBytes("banana\n\n\nApple\n\n\ncherry\n\n\napple");
        QCOMPARE(index.sortedTitles(), (QStringList{"Apple [1]", "apple [3]", "banana [0]", "cherry [2]"}));
    }
};

QTEST_GUILESS_MAIN(tst_quoteindex)
#include "tst_quoteindex.moc"
