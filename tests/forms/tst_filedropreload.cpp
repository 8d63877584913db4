// SPDX-License-Identifier: MIT
// Files reaching the main window from outside: dropped on it, or changed on
// disk while they are open.
#include "forms/ombryquotefm.h"
#include "mainformfixture.h"
#include "quotes/quotefilewatcher.h"
#include "tests/controls/manualtimer.h"

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

using namespace mainformfixture;

namespace {

QList<QStringList> numberedQuotes(const QString &word, int count)
{
    QList<QStringList> quotes;
    for (int q = 0; q < count; ++q)
        quotes << QStringList { QStringLiteral("%1 %2").arg(word).arg(q + 1) };
    return quotes;
}

// Sends a drag over `target` and, when it is taken, the drop; returns
// whether the drop was accepted.
bool dropOn(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class tst_filedropreload : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_file;
    QPointer<ManualTimer> m_clock; // of the form's file watcher

    std::unique_ptr<TQuoteForm> makeForm(const QByteArray &bytes)
    {
        writeFile(m_file, bytes);
        if (!writeSettings(m_root, m_file))
            return nullptr;
        auto form = std::make_unique<TQuoteForm>();
        form->fileWatcher()->setRepeatTimerFactory(manualClock(m_clock));
        return form;
    }

    // Lets the quiet time pass once the watcher has seen a change.
    bool settle()
    {
        if (!QTest::qWaitFor([this] { return m_clock && m_clock->isActive(); }))
            return false;
        m_clock->advance(oq::QuoteFileWatcher::SettleMs);
        return true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        useFolders(m_root);
        m_file = m_root.filePath(QStringLiteral("quotes.txt"));
    }

    // A drop opens the first file as Open does; a folder or a remote file is
    // refused and changes nothing.
    void drop_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("first");
        QTest::addColumn<bool>("opens");
        QTest::newRow("file on the pane") << "Display"
                                          << "fortune" << true;
        QTest::newRow("file on the title list") << "QuoteList"
                                                << "fortune" << true;
        QTest::newRow("file on the window") << ""
                                            << "fortune" << true;
        QTest::newRow("folder") << "Display"
                                << "folder" << false;
        QTest::newRow("remote file") << ""
                                     << "remote" << false;
    }
    void drop()
    {
        QFETCH(QString, target);
        QFETCH(QString, first);
        QFETCH(bool, opens);
        auto form = makeForm(quoteFileBytes(numberedQuotes(QStringLiteral("Own"), 3)));
        QVERIFY(form);
        const QString fortune = m_root.filePath(QStringLiteral("cookies"));
        QVERIFY(writeFile(fortune, "One\n%\nTwo\n%\nThree\n%\nFour\n%\n"));
        const QString other = m_root.filePath(QStringLiteral("other.txt"));
        QVERIFY(writeFile(other, "Other\n"));
        form->startCountdown(30);

        const QUrl firstUrl = first == QLatin1String("fortune") ? QUrl::fromLocalFile(fortune)
            : first == QLatin1String("folder")                  ? QUrl::fromLocalFile(m_root.path())
                                                                : QUrl(QStringLiteral("https://example.org/q"));
        QWidget *widget = target.isEmpty() ? form.get() : form->findChild<QWidget *>(target);
        QVERIFY(widget);
        QCOMPARE(dropOn(widget, { firstUrl, QUrl::fromLocalFile(other) }), opens);
        if (opens) {
            QCOMPARE(form->QuoteFileName, fortune);
            QCOMPARE(form->QuoteCount, 4);
            QCOMPARE(form->windowTitle(), QStringLiteral("OMBRYQuote : cookies"));
            QVERIFY(!form->Timer->isActive());
        } else {
            QCOMPARE(form->QuoteFileName, m_file);
            QCOMPARE(form->QuoteCount, 3);
            QVERIFY(form->Timer->isActive());
        }
    }

    // The open file changes on disk: written in place, or a new file renamed
    // over it. One reload per burst; the quote number stays where it exists.
    void reload_data()
    {
        QTest::addColumn<bool>("rename");
        QTest::addColumn<int>("newCount");
        QTest::newRow("written in place") << false << 5;
        QTest::newRow("renamed over") << true << 5;
        QTest::newRow("written in place, fewer quotes") << false << 2;
        QTest::newRow("renamed over, fewer quotes") << true << 2;
    }
    void reload()
    {
        QFETCH(bool, rename);
        QFETCH(int, newCount);
        auto form = makeForm(quoteFileBytes(numberedQuotes(QStringLiteral("Old"), 5)));
        QVERIFY(form);
        showQuote(*form, 3);
        QSignalSpy reloads(form->fileWatcher(), &oq::QuoteFileWatcher::changed);

        // A burst of writes, each a little different, each seen before the quiet time is over.
        for (int i = 1; i <= 4; ++i) {
            const int seen = m_clock ? m_clock->starts() : 0;
            const QByteArray bytes = quoteFileBytes(numberedQuotes(QStringLiteral("New%1").arg(i), newCount));
            if (rename) {
                const QString temp = m_file + QStringLiteral(".new");
                QVERIFY(writeFile(temp, bytes));
                QVERIFY(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(m_file).constData()) == 0);
            } else {
                QVERIFY(writeFile(m_file, bytes));
            }
            QTRY_VERIFY(m_clock && m_clock->starts() > seen);
            m_clock->advance(oq::QuoteFileWatcher::SettleMs - 1);
        }
        QCOMPARE(reloads.count(), 0);
        m_clock->advance(1);
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(form->QuoteCount, newCount);
        if (newCount > 3) {
            QCOMPARE(form->CurrentIndex, 3);
            QCOMPARE(form->paneText(), QStringLiteral("New4 4\n"));
        } else {
            QVERIFY(form->CurrentIndex < newCount);
            QVERIFY(form->paneText().startsWith(QStringLiteral("New4 ")));
        }

        // Later changes are still seen, the renamed file included.
        QVERIFY(writeFile(m_file, quoteFileBytes(numberedQuotes(QStringLiteral("Last"), 6))));
        QVERIFY(settle());
        QCOMPARE(reloads.count(), 2);
        QCOMPARE(form->QuoteCount, 6);
    }

    // The program's own write (the favourites dialog adds a quote to the open
    // file and loads it) counts once; a file that is gone leaves the quotes.
    void ownWriteAndRemoval()
    {
        auto form = makeForm(quoteFileBytes(numberedQuotes(QStringLiteral("Fav"), 2)));
        QVERIFY(form);
        QSignalSpy reloads(form->fileWatcher(), &oq::QuoteFileWatcher::changed);
        QVERIFY(writeFile(m_file, quoteFileBytes(numberedQuotes(QStringLiteral("Fav"), 3)) + "\r\n\r\n"));
        form->LoadFile();
        QCOMPARE(form->QuoteCount, 3);
        QVERIFY(settle());
        QCOMPARE(reloads.count(), 0);

        QVERIFY(QFile::remove(m_file));
        QVERIFY(settle());
        QCOMPARE(reloads.count(), 0);
        QCOMPARE(form->QuoteCount, 3);
        QVERIFY(writeFile(m_file, quoteFileBytes(numberedQuotes(QStringLiteral("Back"), 4))));
        QVERIFY(settle());
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(form->QuoteCount, 4);
    }
};

QTEST_MAIN(tst_filedropreload)
#include "tst_filedropreload.moc"
