// SPDX-License-Identifier: MIT
// Real-world text: Debian's fortune files, whose entries are separated by
// "%" lines, turned into quote files. Every entry must become one quote.
#include "quotes/quoteindex.h"

#include <QDir>
#include <QFile>
#include <QTest>

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

} // namespace

class tst_FortuneCorpus : public QObject
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
            QCOMPARE(index.QuoteTitles.at(q).toString(), quoteTitle(entry.first(), q));
            QStringList shown = entry;
            shown.removeAll(QString());
            QCOMPARE(index.quoteLines(q), shown);
        }
    }
};

QTEST_GUILESS_MAIN(tst_FortuneCorpus)
#include "tst_fortunecorpus.moc"
