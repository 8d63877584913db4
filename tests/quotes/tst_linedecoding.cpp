// SPDX-License-Identifier: MIT
// Files that mix encodings: every line is decoded on its own.
#include "core/textdecoding.h"
#include "quotes/linelist.h"
#include "quotes/panetext.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace oq;

class tst_linedecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("utf-8 line, then a windows-1252 line")
            << QByteArray("Caf\xC3\xA9 au lait\r\nNa\xEFve\r\n")
            << QStringList { QStringLiteral(u"Café au lait"), QStringLiteral(u"Naïve") };
        QTest::newRow("collections joined: utf-8 quote, windows-1252 quote")
            << QByteArray("D\xC3\xA9j\xC3\xA0 vu \xE2\x80\x94\r\n\r\n\r\n\x93Na\xEFve\x94 \x97 caf\xE9\r\n")
            << QStringList { QStringLiteral(u"Déjà vu —"), QString(), QString(), QStringLiteral(u"“Naïve” — café") };
        QTest::newRow("accidental utf-8 alone reads as utf-8")
            << QByteArray("Caf\xE9\r\n\xC3\xA9\r\n") << QStringList { QStringLiteral(u"Café"), QStringLiteral(u"é") };
        QTest::newRow("accidental utf-8 beside a windows-1252 byte stays as written")
            << QByteArray("\xC3\xA9 caf\xE9\r\n") << QStringList { QStringLiteral(u"Ã© café") };
        QTest::newRow("utf-8 cut short at the line end, next line whole")
            << QByteArray("Caf\xC3\xA9 \xE2\x80\r\n\xE2\x80\x94")
            << QStringList { QStringLiteral(u"CafÃ© â€"), QStringLiteral(u"—") };
        QTest::newRow("utf-8 cut short by a line end in its middle")
            << QByteArray("a\xE2\x80\n\x94") << QStringList { QStringLiteral(u"aâ€"), QStringLiteral(u"”") };
        QTest::newRow("CR-only line ends between encodings")
            << QByteArray("Caf\xC3\xA9\rNa\xEFve\r\xE2\x80\x94\r\r\x80")
            << QStringList { QStringLiteral(u"Café"), QStringLiteral(u"Naïve"), QStringLiteral(u"—"), QString(),
                   QStringLiteral(u"€") };
        QTest::newRow("LF CR between encodings is two line ends")
            << QByteArray("\xE9\n\r\xC3\xA9") << QStringList { QStringLiteral(u"é"), QString(), QStringLiteral(u"é") };
        QTest::newRow("byte-order mark before a windows-1252 line")
            << QByteArray("\xEF\xBB\xBFNa\xEFve\r\nCaf\xC3\xA9")
            << QStringList { QStringLiteral(u"\uFEFFNaïve"), QStringLiteral(u"Café") };
        QTest::newRow("four-byte utf-8") << QByteArray("\xF0\x9F\x98\x80!")
                                         << QStringList { QStringLiteral(u"\U0001F600!") };
        QTest::newRow("encoded surrogate is not utf-8")
            << QByteArray("\xED\xA0\x80") << QStringList { QStringLiteral(u"í\u00A0€") };
        QTest::newRow("above U+10FFFF is not utf-8")
            << QByteArray("\xF4\x90\x80\x80") << QStringList { QStringLiteral(u"ô\u0090€€") };
        QTest::newRow("non-ASCII after a long ASCII run")
            << QByteArray("The quick brown fox jumps \xE2\x80\x94 over\nThe quick brown fox jumps \x97 over")
            << QStringList { QStringLiteral(u"The quick brown fox jumps — over"),
                   QStringLiteral(u"The quick brown fox jumps — over") };
        QTest::newRow("NUL ends the text")
            << QByteArray("\xE9\n\xC3\xA9\0\xE9", 7) << QStringList { QStringLiteral(u"é"), QStringLiteral(u"é") };
        // Notepad's "Unicode" reads as the same text saved in UTF-8 with a mark.
        const auto utf16 = [](QStringConverter::Encoding e, QStringView text) { return QByteArray(QStringEncoder(e)(text)); };
        QTest::newRow("UTF-16 LE by its mark, NUL character ends it")
            << utf16(QStringConverter::Utf16LE, u"\uFEFFCafé\r\n\U0001F600 ok\rx\0y")
            << QStringList { QStringLiteral(u"\uFEFFCafé"), QStringLiteral(u"\U0001F600 ok"), QStringLiteral(u"x") };
        QTest::newRow("UTF-16 BE, unpaired surrogate")
            << utf16(QStringConverter::Utf16BE, u"\uFEFFa\n") + QByteArray("\xD8\x3D\x00" "b", 4)
            << QStringList { QStringLiteral(u"\uFEFFa"), QStringLiteral(u"\uFFFDb") };
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        LineList list;
        splitText(bytes, list);
        QCOMPARE(list.toStringList(), lines);
        if (Utf16ToUtf8::forText(bytes))
            return; // the whole-text decoder takes bytes alone

        // The whole-text decoder keeps the same lines and their line ends.
        const QByteArray text = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
        QStringList decoded = decodeText(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        if (text.endsWith('\n') || text.endsWith('\r') || text.isEmpty())
            decoded.removeLast();
        QCOMPARE(decoded, lines);
    }

    // Lines long enough to cross the reader's slices, one in every hundred
    // in Windows-1252, the others UTF-8 or ASCII.
    void manySlices_everyLineOnItsOwn()
    {
        QByteArray bytes;
        QStringList expected;
        for (int i = 0; i < 20000; ++i) {
            const QByteArray pad(i % 37, 'x');
            if (i % 100 == 0) {
                bytes += pad + "Caf\xE9";
                expected << QString::fromLatin1(pad) + QStringLiteral(u"Café");
            } else if (i % 3 == 0) {
                bytes += pad + "\xE2\x80\x94";
                expected << QString::fromLatin1(pad) + QStringLiteral(u"—");
            } else {
                bytes += pad + "a";
                expected << QString::fromLatin1(pad) + QStringLiteral(u"a");
            }
            bytes += i % 2 ? "\r\n" : "\r";
        }
        LineList list;
        splitText(bytes, list);
        QCOMPARE(list.toStringList(), expected);
    }

    // UTF-16 read from a file a block at a time: characters and surrogate
    // pairs cut between blocks come out whole.
    void utf16File_sameAsUtf8()
    {
        // Lines of 44 bytes after the 2-byte mark: a pair stands across the end of the first 1 MiB block.
        const QString line = QStringLiteral(u"café") + QString(QStringLiteral(u"\U0001F600")).repeated(8) + QStringLiteral(u"\r\n");
        const QString text = QStringLiteral(u"\uFEFF") + line.repeated(60000);
        QTemporaryDir dir;
        for (auto encoding : { QStringConverter::Utf16LE, QStringConverter::Utf16BE }) {
            QFile file(dir.filePath(QStringLiteral("utf16.txt")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QStringEncoder(encoding)(text));
            file.close();
            LineList fromFile;
            LineList fromUtf8;
            QCOMPARE(readTextFile(file.fileName(), fromFile), ReadError::None);
            splitText(text.toUtf8(), fromUtf8);
            QCOMPARE(fromFile.toStringList(), fromUtf8.toStringList());
        }
    }

    // What the window's pane shows of a line: control codes worked out, a huge line cut.
    void paneLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("bold by overstrike") << "b\bbo\bol\bld" << "bold";
        QTest::newRow("underline before and after") << "_\bu n\b_" << "u n";
        QTest::newRow("underscores, then back over them") << "so ____\b\b\b\bmany!" << "so many!";
        QTest::newRow("accent struck over a letter") << "Ren'\be, n\b~o" << QStringLiteral(u"René, ño");
        QTest::newRow("colour escapes and a bell") << "\x1B[1;31mred\x1B[0m \adone\x1B(B" << "red done";
        QTest::newRow("backspace at the start, tab kept") << "\b\ta\x7F" << "\ta";
        QTest::newRow("byte-order mark left out") << QStringLiteral(u"\uFEFFa\uFEFF") << QStringLiteral(u"a\uFEFF");
        QTest::newRow("surrogate pair overstruck") << QStringLiteral(u"\U0001F600\bx") << "x";
        QTest::newRow("huge line cut") << QString(MaxPaneLineChars + 1, u'w')
                                       << QString(MaxPaneLineChars, u'w') + QChar(CutMark);
    }
    void paneLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QCOMPARE(oq::paneLines({ line, QStringLiteral("plain") }), QStringList({ shown, QStringLiteral("plain") }));
    }

    void isUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ASCII") << QByteArray("plain text, long enough for a wide step") << true;
        QTest::newRow("two, three and four bytes") << QByteArray("\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80") << true;
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("lone continuation") << QByteArray("\x80") << false;
        QTest::newRow("overlong two bytes") << QByteArray("\xC1\xBF") << false;
        QTest::newRow("overlong three bytes") << QByteArray("\xE0\x9F\xBF") << false;
        QTest::newRow("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xBF\xBF") << false;
        QTest::newRow("cut short") << QByteArray("\xF0\x9F\x98") << false;
        QTest::newRow("F5 never starts a sequence") << QByteArray("\xF5\x80\x80\x80") << false;
    }
    void isUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(oq::isUtf8(bytes), valid);
        QCOMPARE(oq::isUtf8(QByteArray(20, 'a') + bytes), valid);
    }
};

QTEST_GUILESS_MAIN(tst_linedecoding)
#include "tst_linedecoding.moc"
