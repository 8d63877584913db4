// SPDX-License-Identifier: MIT
// Real-world text: Debian's fortune files, whose entries are separated by
// "%" lines, read as they are and turned into quote files. Every entry must
// become one quote.
#include "core/textdecoding.h"
#include "quotes/quoteindex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
#include <QtEndian>

using namespace oq;

namespace {

const QString FortuneDir = QStringLiteral("/usr/share/games/fortunes");

// Entries as lists of lines, without leading or trailing empty lines, and
// with runs of empty lines inside an entry reduced to one (two would end it).
QList<QStringList> fortuneEntries(const QString &text)
{
    QList<QStringList> entries;
    QStringList current;
    auto flush = [&] {
        while (!current.isEmpty() && current.last().isEmpty())
            current.removeLast();
        if (!current.isEmpty())
            entries.append(current);
        current.clear();
    };
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("%")) {
            flush();
        } else if (line.isEmpty()) {
            if (!current.isEmpty() && !current.last().isEmpty())
                current.append(line);
        } else {
            current.append(line);
        }
    }
    flush();
    return entries;
}

// The entries of a fortune file as its strfile index places them, read
// straight from the offsets: the lines of each entry without its delimiter
// line, each line decoded on its own.
struct IndexedEntries
{
    quint32 count = 0;
    bool rotated = false;
    QList<QStringList> entries;
};

IndexedEntries entriesByIndex(const QString &textPath)
{
    IndexedEntries out;
    QFile dat(textPath + QStringLiteral(".dat"));
    QFile text(textPath);
    if (!dat.open(QIODevice::ReadOnly) || !text.open(QIODevice::ReadOnly))
        return out;
    const QByteArray index = dat.readAll();
    QByteArray bytes = text.readAll();
    const auto at = [&index](qsizetype pos) { return qFromBigEndian<quint32>(index.constData() + pos); };
    out.count = at(4);
    const char delimiter = index.at(20);
    out.rotated = at(16) & 0x4;
    if (out.rotated) {
        for (char &c : bytes) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
                c = char((c & 0x20) | (((c & 0x1f) - 1 + 13) % 26 + 1) | 0x40);
        }
    }
    for (quint32 i = 0; i < out.count; ++i) {
        QByteArray entry = bytes.mid(at(24 + 4 * i), at(28 + 4 * i) - at(24 + 4 * i));
        entry.replace("\r\n", "\n").replace('\r', '\n');
        QList<QByteArray> lines = entry.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        // strfile records no empty string: "%" lines in a row fall into one.
        QStringList decoded;
        for (const QByteArray &line : lines) {
            if (line == QByteArray(1, delimiter)) {
                out.entries << decoded;
                decoded.clear();
            } else {
                decoded << oq::decodeText(line);
            }
        }
        out.entries << decoded;
    }
    return out;
}

bool isBlank(const QString &line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c.isSpace(); });
}

} // namespace

class tst_fortunecorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyEntryIsOneQuote_data()
    {
        QTest::addColumn<QString>("file");
        QStringList files;
        for (const QString &name : {QStringLiteral("fortunes"), QStringLiteral("literature"), QStringLiteral("riddles")})
            files << FortuneDir + QLatin1Char('/') + name;
        const QDir de(FortuneDir + QStringLiteral("/de"));
        for (const QString &name : de.entryList(QDir::Files, QDir::Name)) {
            if (!name.contains(QLatin1Char('.')))
                files << de.filePath(name);
        }
        if (files.size() < 4 || !QFile::exists(files.first()))
            QSKIP("fortunes-min and fortunes-de are not installed");
        for (const QString &f : files)
            QTest::newRow(qPrintable(QDir(FortuneDir).relativeFilePath(f))) << f;
    }
    void everyEntryIsOneQuote()
    {
        QFETCH(QString, file);
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(in.readAll()).remove(QLatin1Char('\r'));
        const QList<QStringList> entries = fortuneEntries(text);
        QVERIFY(!entries.isEmpty());
        QVERIFY(entries.size() <= MaxQuotes);

        QByteArray quoteFile;
        for (const QStringList &entry : entries)
            quoteFile += entry.join(QStringLiteral("\r\n")).toUtf8() + "\r\n\r\n\r\n";

        QuoteIndex index;
        index.loadBytes(quoteFile);
        QCOMPARE(index.QuoteCount, qint32(entries.size()));
        for (qint32 q = 0; q < index.QuoteCount; ++q) {
            const QStringList &entry = entries.at(q);
            QCOMPARE(index.QuoteLines.at(index.QuoteStarts[size_t(q)]), QStringView(entry.first()));
            QCOMPARE(index.QuoteTitles.at(q), quoteTitle(entry.first(), q));
            QStringList shown = entry;
            shown.removeAll(QString());
            QCOMPARE(index.quoteLines(q), shown);
        }
    }

    // Every installed fortune file with its index, and one Debian ".u8" link,
    // which has no index of its own.
    void fortuneFileOpensAsItsIndexCounts_data()
    {
        QTest::addColumn<QString>("file");
        QDirIterator it(FortuneDir, QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext()) {
            const QString f = it.next();
            if (QFile::exists(f + QStringLiteral(".dat")))
                files << f;
        }
        files.sort();
        if (files.size() < 50)
            QSKIP("fortunes-min, fortunes and fortunes-de are not installed");
        for (const QString &f : files)
            QTest::newRow(qPrintable(QDir(FortuneDir).relativeFilePath(f))) << f;
        const QString link = FortuneDir + QStringLiteral("/fortunes.u8");
        if (QFileInfo(link).isSymLink())
            QTest::newRow("fortunes.u8") << link;
    }
    void fortuneFileOpensAsItsIndexCounts()
    {
        QFETCH(QString, file);
        const IndexedEntries indexed = entriesByIndex(QFileInfo(file).canonicalFilePath());
        QVERIFY(indexed.count > 0);
        QList<QStringList> expected;
        for (const QStringList &entry : indexed.entries) {
            const auto first = std::find_if(entry.begin(), entry.end(), [](const QString &l) { return !isBlank(l); });
            if (first == entry.end())
                continue; // blank entries, which strfile counts too, give no quote
            // Shown from the first line with text to the last, the empty lines between kept.
            const auto last = std::find_if(entry.rbegin(), entry.rend(), [](const QString &l) { return !isBlank(l); });
            expected << QStringList(first, last.base());
        }

        QuoteIndex index;
        QVERIFY(index.load(file));
        QCOMPARE(index.format(), QuoteFileFormat::Fortune);
        QCOMPARE(index.QuoteCount, qint32(expected.size()));
        QCOMPARE(index.QuoteStarts[size_t(index.QuoteCount)], qint32(index.QuoteLines.size()));
        for (qint32 q = 0; q < index.QuoteCount; ++q) {
            QCOMPARE(index.QuoteTitles.at(q), quoteTitle(expected.at(q).first(), q));
            QCOMPARE(index.quoteLines(q), expected.at(q));
        }

        // The text alone, without its index, reads the same: its "%" lines
        // outnumber its runs of empty lines, ASCII art included. Rotated text
        // stays rotated without the index that says so.
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QuoteIndex alone;
        alone.loadBytes(in.readAll());
        QCOMPARE(alone.format(), QuoteFileFormat::Fortune);
        QCOMPARE(alone.QuoteCount, index.QuoteCount);
        if (!indexed.rotated)
            QCOMPARE(alone.QuoteLines.toStringList(), index.QuoteLines.toStringList());
    }
};

QTEST_GUILESS_MAIN(tst_fortunecorpus)
#include "tst_fortunecorpus.moc"
