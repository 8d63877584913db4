// SPDX-License-Identifier: MIT
// Appending to the favourites file without ever losing what it holds.
#include "quotes/favourites.h"

#include "core/exception.h"
#include "quotes/quoteindex.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace oq;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class tst_favourites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void path_data()
    {
        QTest::addColumn<QString>("installDir");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << "/home/u/q" << "/home/u/q/FavQuote.txt";
        QTest::newRow("trailing separator is not checked") << "/home/u/q/" << "/home/u/q//FavQuote.txt";
        QTest::newRow("empty: the data folder")
            << "" << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/ombryquote/FavQuote.txt";
    }
    void path()
    {
        QFETCH(QString, installDir);
        QFETCH(QString, path);
        QCOMPARE(favouritesPath(installDir), path);
    }

    void append_data()
    {
        QTest::addColumn<QByteArray>("before"); // "<none>": no file yet
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("first addition") << QByteArray("<none>") << "Line one\nLine two\n"
                                        << QByteArray("Line one\r\nLine two\r\n\r\n\r\n");
        QTest::newRow("second addition") << QByteArray("A\r\n\r\n\r\n") << "B\n"
                                         << QByteArray("A\r\n\r\n\r\nB\r\n\r\n\r\n");
        QTest::newRow("final break removed") << QByteArray("<none>") << "A" << QByteArray("A\r\n\r\n");
        QTest::newRow("hand-edited file without the closing empty lines")
            << QByteArray("A\r\nB") << "C\n" << QByteArray("A\r\nB\r\n\r\n\r\nC\r\n\r\n\r\n");
        QTest::newRow("hand-edited file with one closing empty line")
            << QByteArray("A\n\n") << "C\n" << QByteArray("A\r\n\r\n\r\nC\r\n\r\n\r\n");
        QTest::newRow("emptied text") << QByteArray("A\r\n\r\n\r\n") << "" << QByteArray("A\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("LF file rewritten with CR LF") << QByteArray("A\nB\n\n\n") << "C\n"
                                                      << QByteArray("A\r\nB\r\n\r\n\r\nC\r\n\r\n\r\n");
        QTest::newRow("NUL cuts the old content") << QByteArray("A\r\nB\0junk\r\n", 12) << "C\n"
                                                  << QByteArray("A\r\nB\r\n\r\n\r\nC\r\n\r\n\r\n");
        QTest::newRow("windows-1252 kept as characters") << QByteArray("Caf\xE9\r\n\r\n\r\n") << QStringLiteral(u"Ünï\n")
                                                         << QByteArray("Caf\xC3\xA9\r\n\r\n\r\n\xC3\x9Cn\xC3\xAF\r\n\r\n\r\n");
        // Earlier lines keep their characters: UTF-8 lines byte for byte,
        // Windows-1252 lines converted, each line judged on its own.
        QTest::newRow("utf-8 file with one windows-1252 line")
            << QByteArray("Caf\xC3\xA9 au lait\r\nNa\xEFve\r\n\r\n\r\n") << QStringLiteral(u"Thé\n")
            << QByteArray("Caf\xC3\xA9 au lait\r\nNa\xC3\xAFve\r\n\r\n\r\nTh\xC3\xA9\r\n\r\n\r\n");
        QTest::newRow("windows-1252 file")
            << QByteArray("\x93" "Caf\xE9\x94 \x97 na\xEFve\r\n\r\n\r\n") << "Q\n"
            << QByteArray("\xE2\x80\x9C" "Caf\xC3\xA9\xE2\x80\x9D \xE2\x80\x94 na\xC3\xAFve\r\n\r\n\r\nQ\r\n\r\n\r\n");
        QTest::newRow("utf-8 file kept byte for byte")
            << QByteArray("\xEF\xBB\xBF\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBE\r\n\xC3\xA9\r\n\r\n\r\n") << "Q\n"
            << QByteArray("\xEF\xBB\xBF\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBE\r\n\xC3\xA9\r\n\r\n\r\nQ\r\n\r\n\r\n");
        QTest::newRow("only the new entry is not ASCII")
            << QByteArray("Plain\r\n\r\n\r\n") << QStringLiteral(u"Café —\n")
            << QByteArray("Plain\r\n\r\n\r\nCaf\xC3\xA9 \xE2\x80\x94\r\n\r\n\r\n");
        QTest::newRow("utf-16 file rewritten in utf-8, characters kept")
            << QByteArray(QStringEncoder(QStringConverter::Utf16BE)(u"\uFEFFCafé \U0001F600\r\n\r\n\r\n")) << "Q\n"
            << QByteArray("\xEF\xBB\xBF" "Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n\r\n\r\nQ\r\n\r\n\r\n");
        QTest::newRow("CR LF in the text stays CR LF") << QByteArray("<none>") << "a\r\nb\r\n"
                                                       << QByteArray("a\r\nb\r\n\r\n\r\n");
    }
    void append()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, text);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = favouritesPath(dir.path());
        if (before != "<none>")
            writeAll(path, before);
        appendFavourite(path, text);
        QCOMPARE(readAll(path), after);
        // A second addition changes nothing that is already there and stays a quote of its own.
        appendFavourite(path, "Z\n");
        const QByteArray twice = readAll(path);
        QVERIFY(twice.startsWith(after));
        QVERIFY(twice.endsWith("\r\n\r\n\r\nZ\r\n\r\n\r\n"));
    }

    void twoAdditions_readAsTwoQuotes()
    {
        QTemporaryDir dir;
        const QString path = favouritesPath(dir.path());
        appendFavourite(path, "First quote\n  -- Someone\n");
        appendFavourite(path, "Second quote\n");
        QuoteIndex index;
        QVERIFY(index.load(path));
        QCOMPARE(index.QuoteCount, 2);
        QCOMPARE(index.quoteLines(1), QStringList{"Second quote"});
    }

    void defaultFolder_isCreated()
    {
        const QString path = favouritesPath(QString());
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
        appendFavourite(path, "Q\n");
        QCOMPARE(readAll(path), QByteArray("Q\r\n\r\n\r\n"));
    }

    void missingFolder_failsWithTheExactText()
    {
        QTemporaryDir dir;
        const QString path = favouritesPath(dir.filePath("absent"));
        try {
            appendFavourite(path, "Q\n");
            QFAIL("no error raised");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot create file ") + path);
        }
        QVERIFY(!QFile::exists(path));
    }

    void unwritableFolder_leavesTheFileUntouched()
    {
        QTemporaryDir dir;
        const QString path = favouritesPath(dir.path());
        writeAll(path, "Old\r\n\r\n\r\n");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool rootLike = QFile(dir.filePath("probe")).open(QIODevice::WriteOnly);
        if (rootLike) {
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("running with rights that write anywhere");
        }
        QVERIFY_THROWS_EXCEPTION(Exception, appendFavourite(path, "New\n"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(readAll(path), QByteArray("Old\r\n\r\n\r\n"));
    }

    void unreadableFile_isNotReplaced()
    {
        QTemporaryDir dir;
        const QString path = favouritesPath(dir.path());
        // A folder in the file's place cannot be read as text.
        QVERIFY(QDir(dir.path()).mkdir("FavQuote.txt"));
        try {
            appendFavourite(path, "Q\n");
            QFAIL("no error raised");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot open file ") + path);
        }
        QVERIFY(QFileInfo(path).isDir());
    }

    // Names relative to a folder that holds FavQuote.txt, another file that
    // differs only in case, a link to the first and a linked folder.
    void sameFile_data()
    {
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("fav");
        QTest::addColumn<bool>("same");
        QTest::newRow("equal") << "FavQuote.txt"
                               << "FavQuote.txt" << true;
        QTest::newRow("relative name in the working folder") << "@FavQuote.txt"
                                                             << "FavQuote.txt" << true;
        QTest::newRow("another file differing in case") << "favquote.txt"
                                                        << "FavQuote.txt" << false;
        QTest::newRow("doubled separator") << "sub/..//FavQuote.txt"
                                           << "FavQuote.txt" << true;
        QTest::newRow("link to the file") << "link.txt"
                                          << "FavQuote.txt" << true;
        QTest::newRow("linked folder") << "linkdir/FavQuote.txt"
                                       << "FavQuote.txt" << true;
        QTest::newRow("hard link") << "hard.txt"
                                   << "FavQuote.txt" << true;
        QTest::newRow("another file") << "other.txt"
                                      << "FavQuote.txt" << false;
        QTest::newRow("missing favourites, same path") << "new/FavQuote.txt"
                                                       << "new//FavQuote.txt" << true;
        QTest::newRow("missing favourites, linked folder") << "linkdir/new/FavQuote.txt"
                                                           << "new/FavQuote.txt" << true;
        QTest::newRow("missing favourites, relative name") << "@new/FavQuote.txt"
                                                           << "new/FavQuote.txt" << true;
        QTest::newRow("missing favourites, case differs") << "new/favquote.txt"
                                                          << "new/FavQuote.txt" << false;
        QTest::newRow("no open file") << ""
                                      << "FavQuote.txt" << false;
    }
    void sameFile()
    {
        QFETCH(QString, open);
        QFETCH(QString, fav);
        QFETCH(bool, same);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeAll(dir.filePath("FavQuote.txt"), "Favourite\r\n");
        writeAll(dir.filePath("favquote.txt"), "Not the favourites\r\n");
        writeAll(dir.filePath("other.txt"), "Favourite\r\n");
        QVERIFY(QDir().mkpath(dir.filePath("sub")));
        QVERIFY(QDir().mkpath(dir.filePath("new")));
        QVERIFY(QFile::link(dir.filePath("FavQuote.txt"), dir.filePath("link.txt")));
        QVERIFY(QFile::link(dir.path(), dir.filePath("linkdir")));
        QVERIFY(::link(QFile::encodeName(dir.filePath("FavQuote.txt")).constData(),
                    QFile::encodeName(dir.filePath("hard.txt")).constData())
            == 0);
        // "@" marks a name given relative to the working folder.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        auto name = [&dir](const QString &n) {
            return n.isEmpty() ? n : n.startsWith('@') ? n.mid(1) : dir.filePath(n);
        };
        const bool result = isSameFile(name(open), name(fav));
        QDir::setCurrent(previous);
        QCOMPARE(result, same);
    }
};

QTEST_GUILESS_MAIN(tst_favourites)
#include "tst_favourites.moc"
