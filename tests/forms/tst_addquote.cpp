// SPDX-License-Identifier: MIT
#include "forms/addquote.h"

#include "forms/ombryquotefm.h"
#include "forms/quotesr.h"
#include "mainformfixture.h"
#include "quotes/favourites.h"
#include "quotes/quoteindex.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace mainformfixture;

namespace {

const QList<QStringList> Quotes = {
    { QStringLiteral("First quote"), QStringLiteral("its second line") },
    { QStringLiteral("Second quote") },
    { QStringLiteral("Third quote"), QStringLiteral("and more") },
};

// Whether the file system keeps us out of a read-only folder (it does not for root).
bool folderWriteIsRefused(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return false;
    }
    return true;
}

bool fileReadIsRefused(const QString &path)
{
    QFile probe(path);
    return !probe.open(QIODevice::ReadOnly);
}

} // namespace

class tst_addquote : public QObject, MainFormFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void dialog_hasItsControls();
    void firstAdd_createsFileWithExactBytes();
    void twoAdds_readBackAsTwoQuotes();
    void editedText_isWrittenAsEdited_data();
    void editedText_isWrittenAsEdited();
    void cancel_writesNothing_data();
    void cancel_writesNothing();
    void everyOpening_refillsFromThePane();
    void tabOrder_memoOKCancel();
    void addToOpenFavouritesFile_reloadsIt();
    void reload_onlyWhenTheOpenFileIsTheFavouritesFile_data();
    void reload_onlyWhenTheOpenFileIsTheFavouritesFile();
    void failedWrite_showsError_leavesFileUnchanged_data();
    void failedWrite_showsError_leavesFileUnchanged();
    void ctrlA_opensModalDialog_andNoShortcutWorksMeanwhile();

private:
    void openDialog();
    QString favouritesFile() const { return m_fav->filePath(QStringLiteral("FavQuote.txt")); }

    std::unique_ptr<QTemporaryDir> m_fav;
    std::unique_ptr<TAddQuoteFm> m_add;
    QStringList m_lockedPaths;
};

void tst_addquote::initTestCase()
{
    QVERIFY(setUpFolder(Quotes));
}

void tst_addquote::init()
{
    m_fav = std::make_unique<QTemporaryDir>(m_root.filePath(QStringLiteral("favXXXXXX")));
    QVERIFY(m_fav->isValid());
    QVERIFY(resetSettings(m_fav->path()));
    m_form = std::make_unique<TQuoteForm>();
    m_add = std::make_unique<TAddQuoteFm>(m_form.get());
    m_form->setWindows(nullptr, nullptr, m_add.get());
    QCOMPARE(m_form->InstallDir, m_fav->path());
    QCOMPARE(oq::favouritesPath(m_form->InstallDir), favouritesFile());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_addquote::cleanup()
{
    for (const QString &path : std::as_const(m_lockedPaths))
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_lockedPaths.clear();
    m_add.reset();
    m_form.reset();
    m_fav.reset();
}

// Opens the dialog the way the Add command does, but without waiting in it.
void tst_addquote::openDialog()
{
    m_add->show();
    QVERIFY(QTest::qWaitForWindowActive(m_add.get()));
    QCOMPARE(QApplication::activeModalWidget(), m_add.get());
    QCOMPARE(QApplication::focusWidget(), m_add->AddMemo);
}

void tst_addquote::dialog_hasItsControls()
{
    QVERIFY(m_add->isModal());
    QVERIFY(!m_add->AddMemo->isReadOnly());
    QVERIFY(m_add->AddOK->isDefault());
    QVERIFY(!m_add->AddCancel->isDefault());
}

void tst_addquote::firstAdd_createsFileWithExactBytes()
{
    showQuote(*m_form, 0);
    const qint32 top = m_form->HistoryTop;
    QVERIFY(!QFileInfo::exists(favouritesFile()));
    openDialog();
    QCOMPARE(m_add->AddMemo->toPlainText(), QStringLiteral("First quote\nits second line\n"));

    QTest::mouseClick(m_add->AddOK, Qt::LeftButton);
    QVERIFY(!m_add->isVisible());
    QCOMPARE(m_add->result(), int(QDialog::Accepted));
    // The quote's lines, then two empty lines: a quote of its own for the next one.
    QCOMPARE(readFile(favouritesFile()), QByteArray("First quote\r\nits second line\r\n\r\n\r\n"));
    QVERIFY(m_errors.isEmpty());
    // Another file is open: it is not reloaded.
    QCOMPARE(m_form->CurrentIndex, 0);
    QCOMPARE(m_form->HistoryTop, top);
}

void tst_addquote::twoAdds_readBackAsTwoQuotes()
{
    for (qint32 q : { 2, 1 }) {
        showQuote(*m_form, q);
        openDialog();
        QTest::keyClick(m_add->AddOK, Qt::Key_Space);
        QVERIFY(!m_add->isVisible());
    }
    oq::QuoteIndex favourites;
    QVERIFY(favourites.load(favouritesFile()));
    QCOMPARE(favourites.QuoteCount, 2);
    QCOMPARE(favourites.quoteLines(0), Quotes.at(2));
    QCOMPARE(favourites.quoteLines(1), Quotes.at(1));
    QVERIFY(m_errors.isEmpty());
}

void tst_addquote::editedText_isWrittenAsEdited_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("typed, Enter starts a new line")
        << QStringLiteral("retype") << QByteArray("My own\r\nwords\r\n\r\n");
    QTest::newRow("final line break removed")
        << QStringLiteral("backspace") << QByteArray("Third quote\r\nand more\r\n\r\n");
}

void tst_addquote::editedText_isWrittenAsEdited()
{
    QFETCH(QString, edit);
    QFETCH(QByteArray, bytes);

    showQuote(*m_form, 2);
    openDialog();
    QPlainTextEdit *memo = m_add->AddMemo;
    if (edit == QLatin1String("retype")) {
        memo->selectAll();
        QTest::keyClicks(memo, QStringLiteral("My own"));
        QTest::keyClick(memo, Qt::Key_Return);
        QVERIFY(m_add->isVisible());
        QTest::keyClicks(memo, QStringLiteral("words"));
    } else {
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Backspace);
    }
    QTest::mouseClick(m_add->AddOK, Qt::LeftButton);
    QVERIFY(!m_add->isVisible());
    QCOMPARE(readFile(favouritesFile()), bytes);
}

void tst_addquote::cancel_writesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc") << QStringLiteral("escape");
    QTest::newRow("Cancel button") << QStringLiteral("button");
    QTest::newRow("close box") << QStringLiteral("box");
}

void tst_addquote::cancel_writesNothing()
{
    QFETCH(QString, how);

    openDialog();
    if (how == QLatin1String("escape"))
        QTest::keyClick(m_add->AddMemo, Qt::Key_Escape);
    else if (how == QLatin1String("button"))
        QTest::mouseClick(m_add->AddCancel, Qt::LeftButton);
    else
        QVERIFY(m_add->close());
    QVERIFY(!m_add->isVisible());
    QCOMPARE(m_add->result(), int(QDialog::Rejected));
    QVERIFY(!QFileInfo::exists(favouritesFile()));
    QVERIFY(QDir(m_fav->path()).isEmpty());
}

void tst_addquote::everyOpening_refillsFromThePane()
{
    showQuote(*m_form, 0);
    openDialog();
    QTest::keyClicks(m_add->AddMemo, QStringLiteral("edits that are thrown away"));
    m_add->AddCancelClick();

    showQuote(*m_form, 1);
    openDialog();
    QCOMPARE(m_add->AddMemo->toPlainText(), QStringLiteral("Second quote\n"));
    m_add->AddCancelClick();
}

void tst_addquote::tabOrder_memoOKCancel()
{
    openDialog();
    const QString text = m_add->AddMemo->toPlainText();
    const QList<QWidget *> order = { m_add->AddOK, m_add->AddCancel, m_add->AddMemo };
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QCOMPARE(m_add->AddMemo->toPlainText(), text);
    m_add->AddCancelClick();
}

void tst_addquote::addToOpenFavouritesFile_reloadsIt()
{
    QVERIFY(writeFile(favouritesFile(), "Old favourite\r\n\r\n\r\n"));
    m_form->QuoteFileName = favouritesFile();
    m_form->LoadFile();
    QCOMPARE(m_form->QuoteCount, 1);
    // The search window stays open through the reload.
    TSearchQuotes search(m_form.get());
    m_form->setWindows(nullptr, &search, m_add.get());
    search.show();
    QVERIFY(QTest::qWaitForWindowExposed(&search));

    openDialog();
    m_add->AddMemo->setPlainText(QStringLiteral("New favourite\n"));
    QTest::mouseClick(m_add->AddOK, Qt::LeftButton);
    QVERIFY(!m_add->isVisible());

    QCOMPARE(readFile(favouritesFile()), QByteArray("Old favourite\r\n\r\n\r\nNew favourite\r\n\r\n\r\n"));
    QCOMPARE(m_form->QuoteCount, 2);
    QVERIFY(m_form->QuoteList->findText(QStringLiteral("New favourite [1]")) >= 0);
    QVERIFY(search.isVisible());
    m_form->setWindows(nullptr, nullptr, m_add.get());
    QVERIFY(m_errors.isEmpty());
}

void tst_addquote::reload_onlyWhenTheOpenFileIsTheFavouritesFile_data()
{
    QTest::addColumn<QString>("openName");
    QTest::addColumn<bool>("fullPath");
    QTest::addColumn<bool>("favouritesExist");
    QTest::addColumn<bool>("reloaded");
    // Relative names start from the favourites folder, the working folder here.
    QTest::newRow("relative name") << "FavQuote.txt" << false << true << true;
    QTest::newRow("relative name, no favourites yet") << "FavQuote.txt" << false << false << true;
    QTest::newRow("another file differing in case") << "favquote.txt" << true << true << false;
}

void tst_addquote::reload_onlyWhenTheOpenFileIsTheFavouritesFile()
{
    QFETCH(QString, openName);
    QFETCH(bool, fullPath);
    QFETCH(bool, favouritesExist);
    QFETCH(bool, reloaded);
    if (favouritesExist)
        QVERIFY(writeFile(favouritesFile(), "Old favourite\r\n\r\n\r\n"));
    QVERIFY(writeFile(m_fav->filePath(QStringLiteral("favquote.txt")), "Unrelated\r\n"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_fav->path()));
    if (fullPath)
        openName = m_fav->filePath(openName);
    m_form->QuoteFileName = openName;
    m_form->LoadFile();
    const qint32 shownBefore = m_form->HistoryTop;

    openDialog();
    m_add->AddMemo->setPlainText(QStringLiteral("New favourite\n"));
    QTest::mouseClick(m_add->AddOK, Qt::LeftButton);
    QDir::setCurrent(previous);

    QVERIFY(readFile(favouritesFile()).endsWith("New favourite\r\n\r\n\r\n"));
    const QString added = QStringLiteral("New favourite [%1]").arg(favouritesExist ? 1 : 0);
    // A reload shows a random quote, which the history keeps.
    QCOMPARE(m_form->HistoryTop > shownBefore, reloaded);
    QCOMPARE(m_form->QuoteList->findText(added) >= 0, reloaded);
    QCOMPARE(m_form->QuoteFileName, openName);
    QVERIFY(m_errors.isEmpty());
}

void tst_addquote::failedWrite_showsError_leavesFileUnchanged_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");

    QTest::newRow("read-only folder") << QStringLiteral("folder") << QStringLiteral("Cannot create file %1.");
    QTest::newRow("unreadable file") << QStringLiteral("file") << QStringLiteral("Cannot open file %1.");
    QTest::newRow("missing folder") << QStringLiteral("missing") << QStringLiteral("Cannot create file %1.");
}

void tst_addquote::failedWrite_showsError_leavesFileUnchanged()
{
    QFETCH(QString, failure);
    QFETCH(QString, message);

    const QByteArray before("Kept favourite\r\n\r\n\r\n");
    QString path = favouritesFile();
    QVERIFY(writeFile(path, before));
    if (failure == QLatin1String("folder")) {
        QVERIFY(QFile::setPermissions(m_fav->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        m_lockedPaths << m_fav->path();
        if (!folderWriteIsRefused(m_fav->path()))
            QSKIP("this user may write into read-only folders");
    } else if (failure == QLatin1String("file")) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        m_lockedPaths << path;
        if (!fileReadIsRefused(path))
            QSKIP("this user may read unreadable files");
    } else {
        m_form->InstallDir = m_fav->filePath(QStringLiteral("no such folder"));
        path = oq::favouritesPath(m_form->InstallDir);
    }
    // The failing file is the open one: it must not be reloaded either.
    m_form->QuoteFileName = path;
    showQuote(*m_form, 1);
    const qint32 count = m_form->QuoteCount;
    const qint32 top = m_form->HistoryTop;

    openDialog();
    QTest::mouseClick(m_add->AddOK, Qt::LeftButton);

    QCOMPARE(m_errors, QStringList { message.arg(path) });
    // OK was pressed: the dialog closes all the same.
    QVERIFY(!m_add->isVisible());
    QCOMPARE(m_add->result(), int(QDialog::Accepted));
    QCOMPARE(m_form->QuoteCount, count);
    QCOMPARE(m_form->HistoryTop, top);
    for (const QString &locked : std::as_const(m_lockedPaths))
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(readFile(favouritesFile()), before);
    QCOMPARE(QDir(m_fav->path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("FavQuote.txt") });
    QVERIFY(!QFileInfo::exists(path) || path == favouritesFile());
}

void tst_addquote::ctrlA_opensModalDialog_andNoShortcutWorksMeanwhile()
{
    showQuote(*m_form, 0);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->Display->setFocus();

    bool shownModal = false;
    QString offered;
    qint32 afterCtrlN = -1;
    bool refused = false;
    QTimer::singleShot(0, this, [&] {
        shownModal = m_add->isVisible() && QApplication::activeModalWidget() == m_add.get();
        offered = m_add->AddMemo->toPlainText();
        // Ctrl+N in the dialog, and as the main window's pane would pass it on.
        QTest::keyClick(m_add->AddMemo, Qt::Key_N, Qt::ControlModifier);
        QKeyEvent ctrlN(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
        refused = !m_form->routeShortcut(m_form->Display, &ctrlN);
        afterCtrlN = m_form->CurrentIndex;
        m_add->AddOK->click();
    });
    // Ctrl+A in the pane runs the Add command, which waits in the dialog.
    QTest::keyClick(m_form->Display, Qt::Key_A, Qt::ControlModifier);

    QVERIFY(shownModal);
    QCOMPARE(offered, QStringLiteral("First quote\nits second line\n"));
    QVERIFY(refused);
    QCOMPARE(afterCtrlN, 0);
    QVERIFY(!m_add->isVisible());
    QCOMPARE(readFile(favouritesFile()), QByteArray("First quote\r\nits second line\r\n\r\n\r\n"));
    // Once it is closed the keys work again (the test platform has no window
    // manager to hand the activation back).
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(QApplication::focusWidget(), m_form->Display);
    QTest::keyClick(m_form->Display, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_form->CurrentIndex, 1);
}

QTEST_MAIN(tst_addquote)
#include "tst_addquote.moc"
