// SPDX-License-Identifier: MIT
// Ending the run from outside, inside one process: a signal or the session's save request closes the main window
// as its close box does, and cancels the favourites dialog as Escape does.
#include "app/sessionend.h"

#include "../forms/mainformfixture.h"
#include "forms/addquote.h"
#include "forms/errordisplay.h"
#include "forms/ombryquotefm.h"
#include "quotes/favourites.h"
#include "settings/inifile.h"

#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSessionManager>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace mainformfixture;

class tst_sessionend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        useFolders(m_root);
        m_quoteFile = m_root.filePath(QStringLiteral("quotes.txt"));
        QVERIFY(writeFile(m_quoteFile, quoteFileBytes({ { QStringLiteral("One") }, { QStringLiteral("Two") } })));
        oq::setErrorSink([this](const QString &text) { m_errors << text; });
    }

    void init()
    {
        m_errors.clear();
        QVERIFY(writeSettings(m_root, m_quoteFile, m_root.path()));
        QFile::remove(oq::favouritesPath(m_root.path()));
    }

    void signal_closesAsTheCloseBoxDoes_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void signal_closesAsTheCloseBoxDoes()
    {
        QFETCH(int, signalNumber);
        TQuoteForm form;
        oq::SessionEnd end(&form);
        QVERIFY(end.isActive());
        QSignalSpy received(&end, &oq::SessionEnd::signalReceived);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SpinFontSizeTopClick();
        QVERIFY(kill(getpid(), signalNumber) == 0);
        QTRY_VERIFY(!form.isVisible());
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toInt(), signalNumber);
        TIniFile ini(QStringLiteral("ombryquote.ini"));
        QCOMPARE(ini.ReadNumber(QStringLiteral("quotefile"), QStringLiteral("FontSize"), 0), 10);
        QCOMPARE(ini.ReadText(QStringLiteral("quotefile"), QStringLiteral("filename"), QString()), m_quoteFile);
        QVERIFY(m_errors.isEmpty());
    }

    // The dialog is open in its own event loop when the signal comes: it is cancelled, its text is not added, and
    // the main window still closes with its settings written.
    void signal_cancelsTheFavouritesDialog()
    {
        TQuoteForm form;
        TAddQuoteFm add(&form, &form);
        form.setWindows(nullptr, nullptr, &add);
        oq::SessionEnd end(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SpinFontSizeTopClick();
        bool signalled = false;
        QTimer::singleShot(0, &add, [&] {
            QVERIFY(QTest::qWaitForWindowExposed(&add));
            QTest::keyClicks(add.AddMemo, QStringLiteral("half written"));
            signalled = kill(getpid(), SIGTERM) == 0;
        });
        form.AddQuoteClick();
        QVERIFY(signalled);
        QCOMPARE(add.result(), int(QDialog::Rejected));
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(!QFileInfo::exists(oq::favouritesPath(form.InstallDir)));
        TIniFile ini(QStringLiteral("ombryquote.ini"));
        QCOMPARE(ini.ReadNumber(QStringLiteral("quotefile"), QStringLiteral("FontSize"), 0), 10);
    }

    void signal_closesAnOpenPopupMenu()
    {
        TQuoteForm form;
        oq::SessionEnd end(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.PopupMenu->popup(form.mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(QApplication::activePopupWidget());
        QVERIFY(kill(getpid(), SIGINT) == 0);
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(!QApplication::activePopupWidget());
    }

    void logout_closesAsTheCloseBoxDoes()
    {
        auto *manager = qApp->findChild<QSessionManager *>();
        if (!manager)
            QSKIP("this Qt has no session manager");
        TQuoteForm form;
        oq::SessionEnd end(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SpinFontSizeTopClick();
        form.SpinFontSizeTopClick();
        Q_EMIT qApp->commitDataRequest(*manager);
        QTRY_VERIFY(!form.isVisible());
        TIniFile ini(QStringLiteral("ombryquote.ini"));
        QCOMPARE(ini.ReadNumber(QStringLiteral("quotefile"), QStringLiteral("FontSize"), 0), 12);
    }

    // A close refused because the settings cannot be written reports it once; the run still ends, with status 1.
    void signal_failedWrite_showsTheMessageAndEndsTheRun()
    {
        TQuoteForm form;
        oq::SessionEnd end(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString ini = oq::profileFilePath(QStringLiteral("ombryquote.ini"));
        QVERIFY(QFile::remove(ini));
        QVERIFY(QDir().mkpath(ini));
        QEventLoop loop;
        QTimer::singleShot(0, [] { kill(getpid(), SIGTERM); });
        QTimer::singleShot(10000, &loop, [&] { loop.exit(2); });
        QCOMPARE(loop.exec(), 1);
        // The window placement, saved first, reports the same file under its own spelling.
        QVERIFY2(
            m_errors.contains(QStringLiteral("Unable to write to ombryquote.ini.")), qPrintable(m_errors.join(u'|')));
        QVERIFY2(m_errors.size() <= 2, qPrintable(m_errors.join(u'|')));
        QVERIFY(QDir(ini).removeRecursively());
    }

private:
    QTemporaryDir m_root;
    QString m_quoteFile;
    QStringList m_errors;
};

QTEST_MAIN(tst_sessionend)
#include "tst_sessionend.moc"
