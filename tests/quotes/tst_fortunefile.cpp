// SPDX-License-Identifier: MIT
// Fortune files: which files are read as fortune files, how their entries
// become quotes, and what their strfile index decides.
#include "quotes/fortunefile.h"
#include "quotes/quoteindex.h"
#include "quotes/quotescan.h"
#include "quotes/quotesearch.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

using namespace oq;

namespace {

struct Shape
{
    QuoteFileFormat format;
    QList<QStringList> quotes; // the lines each quote shows
};

Shape shapeOf(const QuoteIndex &index)
{
    Shape s { index.format(), {} };
    for (qint32 q = 0; q < index.QuoteCount; ++q)
        s.quotes << index.quoteLines(q);
    return s;
}

// The terminal mode's scan follows the same rules.
Shape shapeOf(const QuoteScan &scan)
{
    Shape s { scan.format(), {} };
    for (qint32 q = 0; q < scan.quoteCount(); ++q)
        s.quotes << scan.quoteLines(q);
    return s;
}

// An index as strfile writes it: an offset at the start and after every
// delimiter line, the last one at the end of the text.
QByteArray strfileIndex(const QByteArray &text, char delimiter = '%', quint32 flags = 0, quint32 version = 2)
{
    QList<quint32> offsets { 0 };
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf('\n', pos);
        end = end < 0 ? text.size() : end + 1;
        if (text.mid(pos, end - pos) == QByteArray(1, delimiter) + '\n' && end < text.size())
            offsets << quint32(end);
        pos = end;
    }
    if (offsets.last() != quint32(text.size()))
        offsets << quint32(text.size());
    QByteArray out(StrfileHeaderBytes + 4 * offsets.size(), '\0');
    const quint32 header[5] = { version, quint32(offsets.size() - 1), 0, 0, flags };
    for (int i = 0; i < 5; ++i)
        qToBigEndian(header[i], out.data() + 4 * i);
    out[20] = delimiter;
    for (int i = 0; i < offsets.size(); ++i)
        qToBigEndian(offsets[i], out.data() + StrfileHeaderBytes + 4 * i);
    return out;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

Q_DECLARE_METATYPE(QuoteFileFormat)

class tst_fortunefile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Files without an index: the "%" rule, and the program's own format
    // kept exactly as it reads without it.
    void withoutIndex_data()
    {
        using QL = QList<QStringList>;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QuoteFileFormat>("format");
        QTest::addColumn<QL>("quotes");
        const auto F = QuoteFileFormat::Fortune;
        const auto Q = QuoteFileFormat::Quotes;
        QTest::newRow("entries") << QByteArray("A\nB\n%\nC\n%\n") << F << QL { { "A", "B" }, { "C" } };
        QTest::newRow("no final delimiter") << QByteArray("A\n%\nC") << F << QL { { "A" }, { "C" } };
        QTest::newRow("CR LF") << QByteArray("A\r\n%\r\nC\r\n%\r\n") << F << QL { { "A" }, { "C" } };
        QTest::newRow("inner empty lines shown, as fortune prints them")
            << QByteArray("A\n\nB\n%\nC\n") << F << QL { { "A", "", "B" }, { "C" } };
        QTest::newRow("blank entries skipped")
            << QByteArray("%\nA\n%\n%\n\n%\n \t\n%\nB\n%\n\n") << F << QL { { "A" }, { "B" } };
        QTest::newRow("blank lines before and after the text dropped")
            << QByteArray("A\n%\n\n  \n\tB\n \n\nC\n  \n\n%\nD\n\n") << F << QL { { "A" }, { "\tB", " ", "", "C" }, { "D" } };
        QTest::newRow("only a lone % separates")
            << QByteArray("100% sure\n%%\n %\n% \n%\nB\n") << F << QL { { "100% sure", "%%", " %", "% " }, { "B" } };
        QTest::newRow("% lines outnumber runs of empty lines: art kept whole")
            << QByteArray("A\r\n%\r\nB\r\n\r\n\r\nC\r\n%\r\nD\r\n") << F << QL { { "A" }, { "B", "", "", "C" }, { "D" } };
        QTest::newRow("own format: as many runs as % lines")
            << QByteArray("A\r\n%\r\nB\r\n\r\n\r\nC\r\n%\r\nD\r\n\r\n\r\n") << Q << QL { { "A", "%", "B" }, { "C", "%", "D" } };
        QTest::newRow("own format: one quote as the favourites dialog writes it")
            << QByteArray("A\r\n%\r\nB\r\n\r\n\r\n") << Q << QL { { "A", "%", "B" } };
        QTest::newRow("own format: a quote that starts with %")
            << QByteArray("A\n\n\n%\nB\n%\n\n\n") << Q << QL { { "A" }, { "%", "B", "%" } };
        QTest::newRow("own format: leading empty lines")
            << QByteArray("\n\nA\n%\nB\n") << Q << QL { { "A", "%", "B" } };
        QTest::newRow("no % line") << QByteArray("A\nB\n") << Q << QL { { "A", "B" } };
    }
    void withoutIndex()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QuoteFileFormat, format);
        QFETCH(QList<QStringList>, quotes);
        auto index = std::make_unique<QuoteIndex>();
        index->loadBytes(bytes);
        const Shape s = shapeOf(*index);
        QCOMPARE(s.format, format);
        QCOMPARE(s.quotes, quotes);
        QCOMPARE(index->QuoteStarts[size_t(index->QuoteCount)], qint32(index->QuoteLines.size()));
        for (qint32 q = 0; q < index->QuoteCount; ++q)
            QCOMPARE(index->QuoteTitles.at(q), quoteTitle(quotes.at(q).first(), q));
        // Search finds "%" only where a quote shows it, never in a delimiter line.
        QList<qint32> showingPercent;
        for (qint32 q = 0; q < quotes.size(); ++q) {
            if (quotes.at(q).join(QLatin1Char('\n')).contains(QLatin1Char('%')))
                showingPercent << q;
        }
        QCOMPARE(findQuotes(*index, u"%"), showingPercent);

        QuoteScan scan;
        QCOMPARE(scan.scanBytes(bytes), QuoteScan::Result::Read);
        QCOMPARE(shapeOf(scan).format, format);
        QCOMPARE(shapeOf(scan).quotes, quotes);
    }

    // Files with an index beside them: the index decides.
    void withIndex_data()
    {
        using QL = QList<QStringList>;
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("dat");
        QTest::addColumn<QuoteFileFormat>("format");
        QTest::addColumn<QL>("quotes");
        const auto F = QuoteFileFormat::Fortune;
        const auto Q = QuoteFileFormat::Quotes;
        const QByteArray art("  /\\\n\n\n \\/\n%\nB\n%\n");
        const QL artQuotes { { "  /\\", "", "", " \\/" }, { "B" } };
        QTest::newRow("empty lines inside an entry") << art << strfileIndex(art) << F << artQuotes;
        const QByteArray at("A\n%\nB\n@\nC\n@\n");
        QTest::newRow("delimiter honoured") << at << strfileIndex(at, '@') << F << QL { { "A", "%", "B" }, { "C" } };
        const QByteArray rot("Uryyb, Jbeyq! 42\n%\nnopqrstuvwxyzabcdefghijklm\n%\n");
        QTest::newRow("rotated") << rot << strfileIndex(rot, '%', StrfileRotated) << F
                                 << QL { { "Hello, World! 42" }, { "abcdefghijklmnopqrstuvwxyz" } };
        QTest::newRow("not rotated") << rot << strfileIndex(rot) << F
                                     << QL { { "Uryyb, Jbeyq! 42" }, { "nopqrstuvwxyzabcdefghijklm" } };
        QTest::newRow("version 1") << art << strfileIndex(art, '%', 0, 1) << F << artQuotes;
        // An index that is not valid is ignored: the text alone decides.
        const QByteArray ownArt = art + "\n\n";
        const QL ownArtQuotes { { "  /\\" }, { " \\/", "%", "B", "%" } };
        QTest::newRow("version 3") << ownArt << strfileIndex(ownArt, '%', 0, 3) << Q << ownArtQuotes;
        QTest::newRow("offsets cut off") << ownArt << strfileIndex(ownArt).chopped(1) << Q << ownArtQuotes;
        QTest::newRow("too short") << art << QByteArray("\0\0\0\2", 4) << F << artQuotes;
        QByteArray lf = strfileIndex(ownArt);
        lf[20] = '\n';
        QTest::newRow("line feed as delimiter") << ownArt << lf << Q << ownArtQuotes;
    }
    void withIndex()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, dat);
        QFETCH(QuoteFileFormat, format);
        QFETCH(QList<QStringList>, quotes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cookies"));
        writeFile(path, text);
        writeFile(path + QStringLiteral(".dat"), dat);
        const QDateTime written = QFileInfo(path + QStringLiteral(".dat")).lastModified();

        auto index = std::make_unique<QuoteIndex>();
        QVERIFY(index->load(path));
        const Shape s = shapeOf(*index);
        QCOMPARE(s.format, format);
        QCOMPARE(s.quotes, quotes);
        QuoteScan scan;
        QCOMPARE(scan.load(path), QuoteScan::Result::Read);
        QCOMPARE(shapeOf(scan).format, format);
        QCOMPARE(shapeOf(scan).quotes, quotes);

        // The index is only read.
        QFile datFile(path + QStringLiteral(".dat"));
        QVERIFY(datFile.open(QIODevice::ReadOnly));
        QCOMPARE(datFile.readAll(), dat);
        QCOMPARE(QFileInfo(datFile).lastModified(), written);
    }

    // A symbolic link without an index of its own uses its target's index.
    void linkUsesTargetIndex()
    {
        QTemporaryDir dir;
        const QByteArray art("  /\\\n\n\n \\/\n%\nB\n%\n");
        writeFile(dir.filePath(QStringLiteral("art")), art);
        writeFile(dir.filePath(QStringLiteral("art.dat")), strfileIndex(art));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("art")), dir.filePath(QStringLiteral("art.u8"))));
        auto index = std::make_unique<QuoteIndex>();
        QVERIFY(index->load(dir.filePath(QStringLiteral("art.u8"))));
        QCOMPARE(index->format(), QuoteFileFormat::Fortune);
        QCOMPARE(index->QuoteCount, 2);
    }

    // The quote limit holds for fortune files as for any file.
    void quoteLimit_data()
    {
        QTest::addColumn<bool>("withIndex");
        QTest::newRow("without index") << false;
        QTest::newRow("with index") << true;
    }
    void quoteLimit()
    {
        QFETCH(bool, withIndex);
        QByteArray text;
        for (int q = 0; q <= MaxQuotes; ++q)
            text += "Entry " + QByteArray::number(q) + "\n%\n";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("many"));
        writeFile(path, text);
        if (withIndex)
            writeFile(path + QStringLiteral(".dat"), strfileIndex(text));
        auto index = std::make_unique<QuoteIndex>();
        QVERIFY(index->load(path));
        QCOMPARE(index->format(), QuoteFileFormat::Fortune);
        QCOMPARE(index->QuoteCount, MaxQuotes);
        QVERIFY(index->truncated());
        QCOMPARE(index->QuoteStarts[size_t(MaxQuotes)], qint32(index->QuoteLines.size()));
        QCOMPARE(index->quoteLines(MaxQuotes - 1), QStringList { QStringLiteral("Entry 32999") });
        QCOMPARE(index->QuoteLines.at(index->QuoteLines.size() - 1), QStringView(u"Entry 32999"));
    }

    // One entry read through the index, and an index that no longer fits.
    void readEntry_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("dat");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QByteArray>("entry"); // "?" for none
        const QByteArray text("A\nB\n%\nC\n%\nD");
        QTest::newRow("first") << text << strfileIndex(text) << 0u << QByteArray("A\nB\n");
        QTest::newRow("middle") << text << strfileIndex(text) << 1u << QByteArray("C\n");
        QTest::newRow("last, no delimiter") << text << strfileIndex(text) << 2u << QByteArray("D");
        QTest::newRow("past the end") << text << strfileIndex(text) << 3u << QByteArray("?");
        QTest::newRow("text edited since")
            << QByteArray("AA\nB\n%\nC\n%\nD") << strfileIndex(text) << 1u << QByteArray("?");
        QTest::newRow("text cut since") << QByteArray("A\nB\n%\nC") << strfileIndex(text) << 1u << QByteArray("?");
    }
    void readEntry()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, dat);
        QFETCH(quint32, number);
        QFETCH(QByteArray, entry);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        writeFile(path, text);
        writeFile(path + QStringLiteral(".dat"), dat);
        const auto index = findStrfileIndex(path);
        QVERIFY(index);
        const auto got = readStrfileEntry(*index, path, number);
        QCOMPARE(got.value_or(QByteArray("?")), entry);
    }
};

QTEST_GUILESS_MAIN(tst_fortunefile)
#include "tst_fortunefile.moc"
