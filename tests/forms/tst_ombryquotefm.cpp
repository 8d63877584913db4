// SPDX-License-Identifier: MIT
// The main window as a user drives it: keys, menus, tool bar, closing.
#include "forms/ombryquotefm.h"

#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"
#include "forms/errordisplay.h"
#include "forms/helpviewer.h"
#include "settings/inifile.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray FiveQuotes = "Alpha one\r\nalpha two\r\n\r\n\r\n"
                              "Bravo\r\n\r\n\r\n"
                              "Charlie first line\r\n\r\n  charlie indented\r\n\r\n\r\n"
                              "Delta\r\n\r\n\r\n"
                              "Echo\r\n";

} // namespace

class tst_ombryquotefm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_quoteFile;
    QStringList m_errors;

    QString profilePath(const QString &name) const { return oq::profileFilePath(name); }

    void writeProfile(const QByteArray &extra = QByteArray())
    {
        QDir().mkpath(oq::profileFolder());
        QFile f(profilePath("ombryquote.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[quotefile]\nfilename=" + m_quoteFile.toUtf8() + "\n" + extra);
    }

    void showAndFocus(TQuoteForm &form, QWidget *focus)
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        focus->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focus);
    }

    void key(QWidget *w, Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) { QTest::keyClick(w, k, m); }

private Q_SLOTS:
    void initTestCase()
    {
        m_quoteFile = m_dir.filePath("quotes.txt");
        QFile f(m_quoteFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(FiveQuotes);
        oq::setErrorSink([this](const QString &text) { m_errors << text; });
    }

    void init()
    {
        m_errors.clear();
        QDir(oq::profileFolder()).removeRecursively();
        writeProfile();
    }

    void startUp_showsARandomQuoteOfTheFile()
    {
        TQuoteForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("OMBRYQuote : quotes.txt"));
        QCOMPARE(form.TotalQuotes->text(), QStringLiteral("   Total Quotes 5  "));
        QCOMPARE(form.QuoteCount, 5);
        QCOMPARE(form.HistoryTop, 1);
        QCOMPARE(form.CurrentQuote->text(), QString::number(form.CurrentIndex + 1));
        QCOMPARE(form.paneText(), form.Index.quoteLines(form.CurrentIndex).join('\n') + '\n');
        QCOMPARE(form.Buttons.PrevQuote->isEnabled(), form.CurrentIndex != 0);
        QCOMPARE(form.Buttons.NextQuote->isEnabled(), form.CurrentIndex != 4);
        QCOMPARE(form.QuoteList->count(), 5);
        QCOMPARE(form.QuoteList->currentIndex(), -1);
        QCOMPARE(form.Display->pointSize(), 8);
        QCOMPARE(form.size(), QSize(477, 260));
    }

    void missingFile_showsTheFallbackLine()
    {
        QDir(oq::profileFolder()).removeRecursively();
        QDir().mkpath(oq::profileFolder());
        QFile f(profilePath("ombryquote.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[quotefile]\nfilename=C:\\nowhere\\Missing.txt\n");
        f.close();
        TQuoteForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("OMBRYQuote : Missing.txt"));
        QCOMPARE(form.TotalQuotes->text(), QStringLiteral("   Total Quotes 1  "));
        QCOMPARE(form.paneText(), QStringLiteral("Please Select New Quote File\n"));
        QVERIFY(!form.Buttons.PrevQuote->isEnabled());
        QVERIFY(!form.Buttons.NextQuote->isEnabled());
    }

    void nextAndPrevious_fromTheKeyboard()
    {
        TQuoteForm form;
        showAndFocus(form, form.Display);
        form.CurrentIndex = 2;
        form.NewQuoteProc();
        const int top = form.HistoryTop;
        key(form.Display, Qt::Key_N);
        QCOMPARE(form.CurrentIndex, 3);
        QCOMPARE(form.CurrentQuote->text(), QStringLiteral("4"));
        // The command's own button loses its hint, whatever route ran it.
        QVERIFY(!form.Buttons.NextQuote->showHint());
        QVERIFY(form.Buttons.NewQuote->showHint());
        key(form.Display, Qt::Key_N);
        QCOMPARE(form.CurrentIndex, 4);
        QVERIFY(!form.Buttons.NextQuote->isEnabled());
        key(form.Display, Qt::Key_N); // at the last quote: nothing, no push
        QCOMPARE(form.CurrentIndex, 4);
        QCOMPARE(form.HistoryTop, top + 2);
        form.QuoteList->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), form.QuoteList);
        key(form.QuoteList, Qt::Key_P);
        QCOMPARE(form.CurrentIndex, 3);
        QVERIFY(!form.Buttons.PrevQuote->showHint());
    }

    void back_withCtrlBAndCtrlL()
    {
        TQuoteForm form;
        showAndFocus(form, form.Display);
        const int first = form.CurrentIndex;
        form.CurrentIndex = (first + 1) % 5;
        form.NewQuoteProc();
        form.CurrentIndex = (first + 2) % 5;
        form.NewQuoteProc();
        key(form.Display, Qt::Key_B);
        QCOMPARE(form.CurrentIndex, (first + 1) % 5);
        key(form.Display, Qt::Key_L);
        QCOMPARE(form.CurrentIndex, first);
        key(form.Display, Qt::Key_L);
        QCOMPARE(form.CurrentIndex, first);
        QCOMPARE(form.HistoryTop, 1);
    }

    void pickingATitle_showsItAndClearsTheSelection()
    {
        TQuoteForm form;
        const int row = form.QuoteList->findText(QStringLiteral("Delta [3]"));
        QVERIFY(row >= 0);
        form.QuoteList->setCurrentIndex(row);
        Q_EMIT form.QuoteList->activated(row);
        QCOMPARE(form.CurrentIndex, 3);
        QCOMPARE(form.QuoteList->currentIndex(), -1);
        QCOMPARE(form.paneText(), QStringLiteral("Delta\n"));
    }

    void fontSize_stepsByTwo_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("increase from 8") << 8 << Qt::Key_I << 10;
        QTest::newRow("decrease from 8") << 8 << Qt::Key_D << 6;
        QTest::newRow("decrease from 3") << 3 << Qt::Key_D << 1;
        QTest::newRow("nothing at 2") << 2 << Qt::Key_D << 2;
        QTest::newRow("no upper limit") << 100 << Qt::Key_I << 102;
    }
    void fontSize_stepsByTwo()
    {
        QFETCH(int, start);
        QFETCH(Qt::Key, key);
        QFETCH(int, expected);
        writeProfile("FontSize=" + QByteArray::number(start) + "\n");
        TQuoteForm form;
        showAndFocus(form, form.Display);
        QCOMPARE(form.Display->pointSize(), start);
        this->key(form.Display, key);
        QCOMPARE(form.Display->pointSize(), expected);
        QCOMPARE(form.FontSize, expected);
        QVERIFY(!form.Buttons.SpinFontSize->showHint());
        // The size stays when another quote is shown.
        form.NewQuoteClick();
        QCOMPARE(form.Display->pointSize(), expected);
    }

    void unusableFontSize_isNotApplied_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("zero") << QByteArray("0");
        QTest::newRow("negative") << QByteArray("-12");
        QTest::newRow("huge") << QByteArray("2000000000");
        QTest::newRow("word") << QByteArray("big");
    }
    void unusableFontSize_isNotApplied()
    {
        QFETCH(QByteArray, value);
        writeProfile("FontSize=" + value + "\n");
        TQuoteForm form;
        QVERIFY(form.Display->pointSize() > 0);
        QVERIFY(form.Display->pointSize() < 1000);
    }

    void copy_takesTheWholeQuoteAndLeavesNoSelection()
    {
        TQuoteForm form;
        showAndFocus(form, form.Display);
        form.CurrentIndex = 2;
        form.NewQuoteProc();
        QTextCursor c = form.Display->textCursor();
        c.setPosition(3);
        c.setPosition(8, QTextCursor::KeepAnchor);
        form.Display->setTextCursor(c);
        key(form.Display, Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Charlie first line\n  charlie indented\n"));
        QVERIFY(!form.Display->textCursor().hasSelection());
        QCOMPARE(form.Display->textCursor().position(), 0);
    }

    void menus_haveTheirCaptionsAndKeys()
    {
        TQuoteForm form;
        const QList<QAction *> bar = form.menuBar()->actions();
        QStringList captions;
        for (QAction *a : bar)
            captions << a->text();
        QCOMPARE(captions, (QStringList{"&File", "&Edit", "&Search", "&View", "&Help"}));
        auto action = [&form](const char *name) { return form.findChild<QAction *>(QLatin1String(name)); };
        QCOMPARE(action("Copy1")->text(), QStringLiteral("Copy "));
        QCOMPARE(action("Copy1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
        QCOMPARE(action("Exit1")->text(), QStringLiteral("E&xit"));
        QCOMPARE(action("Exit1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(action("Help2")->shortcut(), QKeySequence(QStringLiteral("F1")));
        QCOMPARE(action("NewRandomQuote1")->text(), QStringLiteral("New &Random Quote"));
        QCOMPARE(action("Exit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
        QCOMPARE(form.PopupMenu->actions().size(), 8);
    }

    void titleListKeys_openMenusOrQuit_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("result"); // the menu that opens, "closed", or nothing
        QTest::newRow("Alt+E, a title's first letter") << QKeySequence("Alt+E") << "Edit1";
        QTest::newRow("Alt+D, no menu's key") << QKeySequence("Alt+D") << "";
        QTest::newRow("F10") << QKeySequence("F10") << "File1";
        QTest::newRow("Alt+H, Escape") << QKeySequence("Alt+H, Esc") << "";
        QTest::newRow("Ctrl+Q") << QKeySequence("Ctrl+Q") << "closed";
    }
    void titleListKeys_openMenusOrQuit()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, result);
        TQuoteForm form;
        showAndFocus(form, form.QuoteList);
        const QString shown = form.paneText();
        for (int k = 0; k < keys.count(); ++k) { // to an open menu, else the title list
            QWidget *popup = QApplication::activePopupWidget();
            QTest::keyClick(popup ? popup : form.QuoteList, keys[k].key(), keys[k].keyboardModifiers());
        }
        QCOMPARE(form.isVisible(), result != QLatin1String("closed"));
        if (form.isVisible()) {
            QMenu *menu = result.isEmpty() ? nullptr : form.findChild<QMenu *>(result);
            QTRY_COMPARE(QApplication::activePopupWidget(), menu);
            QTRY_COMPARE(form.focusWidget(), menu ? form.focusWidget() : form.QuoteList);
            QCOMPARE(form.paneText(), shown);
        }
    }

    void resizeRule_listIsOuterWidthLessEleven()
    {
        TQuoteForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.frameGeometry().size(), QSize(477, 260));
        QCOMPARE(form.QuoteList->width(), 466);
        form.resize(600 - (form.frameGeometry().width() - form.width()), 300);
        QTRY_COMPARE(form.QuoteList->width(), 589);
        form.resize(477, 260);
        QTRY_COMPARE(form.QuoteList->width(), form.frameGeometry().width() - 11);
    }

    void close_writesTheSettings()
    {
        writeProfile("FontSize=8\n");
        {
            TQuoteForm form;
            showAndFocus(form, form.Display);
            key(form.Display, Qt::Key_I);
            key(form.Display, Qt::Key_I);
            QVERIFY(form.close());
        }
        TIniFile ini(QStringLiteral("ombryquote.ini"));
        QCOMPARE(ini.ReadText("quotefile", "filename", QString()), m_quoteFile);
        QCOMPARE(ini.ReadNumber("quotefile", "FontSize", 0), 12);
    }

    void firstRun_createsTheProfile()
    {
        QDir(oq::profileFolder()).removeRecursively();
        {
            TQuoteForm form;
            QCOMPARE(form.QuoteFileName, QStringLiteral("Quote.txt"));
            QVERIFY(form.close());
        }
        QCOMPARE(readAll(profilePath("ombryquote.ini")), QByteArray("[quotefile]\nfilename=Quote.txt\nFontSize=8\n"));
    }

    void failedCloseWrite_keepsTheWindowOnceThenLetsItClose()
    {
        TQuoteForm form;
        form.show();
        // A folder where the profile file should be cannot be written.
        QFile::remove(profilePath("ombryquote.ini"));
        QVERIFY(QDir().mkpath(profilePath("ombryquote.ini")));
        // The placement store on the same file fails first; its failure does not stop the close.
        QVERIFY(!form.close());
        QCOMPARE(m_errors, QStringList({"Unable to write to OMBRYQuote.ini.", "Unable to write to ombryquote.ini."}));
        QVERIFY(form.isVisible());
        QVERIFY(form.close());
        QCOMPARE(m_errors.size(), 4);
        QDir(profilePath("ombryquote.ini")).removeRecursively();
    }

    void screenSaverText_isWrittenWithTheLastQuote()
    {
        TQuoteForm form;
        form.show();
        form.CurrentIndex = 2;
        form.NewQuoteProc();
        form.SetMarqueeClick();
        TIniFile control(QStringLiteral("control.ini"));
        QCOMPARE(control.ReadText("Screen Saver.Marquee", "Text", QString()),
                 QStringLiteral(" Charlie first line   charlie indented"));
        TIniFile ini(QStringLiteral("ombryquote.ini"));
        QCOMPARE(ini.ReadText("lastquote", "0", QString()), QStringLiteral("Charlie first line"));
        QCOMPARE(ini.ReadText("lastquote", "1", QString()), QStringLiteral("charlie indented"));
        form.CurrentIndex = 1;
        form.NewQuoteProc();
        form.SetMarqueeClick();
        QStringList keys;
        ini.ListKeys("lastquote", keys);
        QCOMPARE(keys, QStringList{"0"});
    }

    void narrowPane_wrapsIntoMoreDisplayLines()
    {
        TQuoteForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.CurrentIndex = 2;
        form.NewQuoteProc();
        const int wide = form.Display->displayLines().size();
        form.resize(90, 300);
        QTRY_VERIFY(form.Display->displayLines().size() > wide);
        QCOMPARE(form.Display->displayLines().join(QString()).remove(' '),
                 QStringLiteral("Charliefirstlinecharlieindented"));
    }

    void exitCountdown_closesWhenItReachesZero()
    {
        writeProfile("ExitCountdown=2\n");
        TQuoteForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.Timer->isActive());
        QVERIFY(form.Countdown->isVisible());
        QCOMPARE(form.Countdown->text(), QStringLiteral("2"));
        form.TimerTimer();
        QCOMPARE(form.Countdown->text(), QStringLiteral("1"));
        form.TimerTimer();
        QVERIFY(!form.isVisible());
    }

    void exitCountdown_isCancelledByACommandButNotByCopy()
    {
        writeProfile("ExitCountdown=30\n");
        TQuoteForm form;
        showAndFocus(form, form.Display);
        key(form.Display, Qt::Key_M); // main menu route: no pop-up opening
        QVERIFY(!form.Timer->isActive());
        QVERIFY(!form.Countdown->isVisible());

        TQuoteForm other;
        other.startCountdown(30);
        other.CopyToClipboardClick();
        other.BackClick();
        QVERIFY(other.Timer->isActive());
        other.NewQuoteClick();
        QVERIFY(!other.Timer->isActive());
    }

    void popupRoute_cancelsTheCountdownBeforeBack()
    {
        TQuoteForm form;
        showAndFocus(form, form.Display);
        form.startCountdown(30);
        // Back alone keeps the countdown; through the pop-up menu's key the
        // menu's opening handler cancels it first.
        key(form.Display, Qt::Key_L);
        QVERIFY(!form.Timer->isActive());
        form.startCountdown(30);
        key(form.Display, Qt::Key_B); // main menu: Back does not cancel
        QVERIFY(form.Timer->isActive());
    }

    void help_opensTheHelpWindow()
    {
        TQuoteForm form;
        showAndFocus(form, form.Display);
        key(form.Display, Qt::Key_F1, Qt::NoModifier);
        QTRY_VERIFY(oq::helpWindow() && oq::helpWindow()->isVisible());
        form.QuitClick();
        QTRY_VERIFY(!oq::helpWindow());
    }

    void errorText_appendsAFullStopByRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Unable to write to a.ini" << "Unable to write to a.ini.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("bracket") << "Failed (disk)" << "Failed (disk)";
        QTest::newRow("slash") << "C:/" << "C:/.";
        QTest::newRow("empty") << "" << "";
    }
    void errorText_appendsAFullStopByRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(oq::errorText(message), shown);
    }
};

QTEST_MAIN(tst_ombryquotefm)
#include "tst_ombryquotefm.moc"
