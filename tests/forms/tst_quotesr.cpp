// SPDX-License-Identifier: MIT
#include "forms/quotesr.h"

#include "controls/rxspeedbutton.h"
#include "forms/ombryquotefm.h"
#include "mainformfixture.h"
#include "quotes/quoteindex.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

using namespace mainformfixture;

namespace {

// Quote 0 holds "Apple" only at the end of its second line; quote 2 holds
// "sweet" only in its second line.
const QList<QStringList> Quotes = {
    { QStringLiteral("Zebra crossing the road"), QStringLiteral("with a red Apple") },
    { QStringLiteral("Apple pie is tasty") },
    { QStringLiteral("apple cider"), QStringLiteral("is sweet") },
    { QStringLiteral("Banana split") },
    { QStringLiteral("Cherry on top"), QStringLiteral("of the cake") },
};

const QString Cider = QStringLiteral("apple cider [2]");
const QString Pie = QStringLiteral("Apple pie is tasty [1]");
const QString Zebra = QStringLiteral("Zebra crossing the road [0]");

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class tst_quotesr : public QObject, MainFormFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void window_hasItsControls();
    void typedSearch_enter_listsSortedTitles_data();
    void typedSearch_enter_listsSortedTitles();
    void findButton_searches();
    void arrowKeys_showEachMatch_andPushHistory();
    void mouseClick_showsMatch_evenWhenAlreadySelected();
    void staleTitle_ofAnotherFile_showsThatIndexOfTheOpenFile();
    void reloadedFile_searchesAgain();
    void closeAndFind_keepsText_emptiesList_data();
    void closeAndFind_keepsText_emptiesList();
    void tabOrder_listSearchBoxFindButton();
    void rightClick_opensMainPopupMenu_data();
    void rightClick_opensMainPopupMenu();
    void ctrlC_inSearchBox_copiesQuoteOnDisplay();
    void ctrlN_inSearchWindow_showsNextQuote();
    void everyQuoteMatching_fillsWholeSortedList();

private:
    void openAndSearch(const QString &text);

    std::unique_ptr<TSearchQuotes> m_search;
};

void tst_quotesr::initTestCase()
{
    QVERIFY(setUpFolder(Quotes));
}

void tst_quotesr::init()
{
    QVERIFY(resetSettings());
    m_form = std::make_unique<TQuoteForm>();
    m_search = std::make_unique<TSearchQuotes>(m_form.get());
    m_form->setWindows(nullptr, m_search.get(), nullptr);
    QCOMPARE(m_form->QuoteCount, Quotes.size());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_quotesr::cleanup()
{
    if (m_form)
        m_form->CancelCount();
    m_search.reset();
    m_form.reset();
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
}

// Opens the window by the Find command and runs a search typed in its box.
void tst_quotesr::openAndSearch(const QString &text)
{
    m_form->FindQuoteClick();
    QVERIFY(QTest::qWaitForWindowActive(m_search.get()));
    QCOMPARE(QApplication::focusWidget(), m_search->SQSearch);
    m_search->SQSearch->clear();
    QTest::keyClicks(m_search->SQSearch, text);
    QTest::keyClick(m_search->SQSearch, Qt::Key_Return);
}

void tst_quotesr::window_hasItsControls()
{
    QVERIFY(m_search->isWindow());
    QVERIFY(!m_search->isVisible());
    QVERIFY(!m_search->isModal());
    QVERIFY(m_search->SQFind->isDefault());
    QCOMPARE(m_search->CloseButton->hint(), QStringLiteral("Close"));
}

void tst_quotesr::typedSearch_enter_listsSortedTitles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("any case, any line") << QStringLiteral("aPPle") << QStringList { Cider, Pie, Zebra };
    QTest::newRow("second line only") << QStringLiteral("SWEET") << QStringList { Cider };
    QTest::newRow("empty text finds nothing") << QString() << QStringList();
    QTest::newRow("no match") << QStringLiteral("durian") << QStringList();
}

void tst_quotesr::typedSearch_enter_listsSortedTitles()
{
    QFETCH(QString, text);
    QFETCH(QStringList, titles);

    const qint32 shown = m_form->CurrentIndex;
    const qint32 top = m_form->HistoryTop;
    openAndSearch(text);
    QCOMPARE(listTexts(m_search->MatchingQuotes), titles);
    QCOMPARE(m_search->SQSearch->text(), text);
    QCOMPARE(QApplication::focusWidget(), m_search->MatchingQuotes);
    // A search shows nothing by itself.
    QVERIFY(m_search->MatchingQuotes->selectedItems().isEmpty());
    QCOMPARE(m_form->CurrentIndex, shown);
    QCOMPARE(m_form->HistoryTop, top);

    // A second search replaces the results instead of adding to them.
    m_search->SQFindClick();
    QCOMPARE(listTexts(m_search->MatchingQuotes), titles);
}

void tst_quotesr::findButton_searches()
{
    m_form->FindQuoteClick();
    QVERIFY(QTest::qWaitForWindowActive(m_search.get()));
    QTest::keyClicks(m_search->SQSearch, QStringLiteral("banana"));
    QTest::mouseClick(m_search->SQFind, Qt::LeftButton);
    QCOMPARE(listTexts(m_search->MatchingQuotes), QStringList { QStringLiteral("Banana split [3]") });

    // Enter on the focused button searches too.
    m_search->SQSearch->setText(QStringLiteral("cake"));
    m_search->SQFind->setFocus();
    QTest::keyClick(m_search->SQFind, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(listTexts(m_search->MatchingQuotes), QStringList { QStringLiteral("Cherry on top [4]") });
}

void tst_quotesr::arrowKeys_showEachMatch_andPushHistory()
{
    m_form->startCountdown(100);
    QVERIFY(m_form->Timer->isActive());
    showQuote(*m_form, 3);
    openAndSearch(QStringLiteral("apple"));
    QCOMPARE(listTexts(m_search->MatchingQuotes), (QStringList { Cider, Pie, Zebra }));
    // Opening the window by the Find command cancelled the countdown; a
    // selection does not, so start it again to see that.
    m_form->startCountdown(100);

    const qint32 top = m_form->HistoryTop;
    const QList<Qt::Key> keys = { Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up };
    const QList<qint32> expected = { 2, 1, 0, 1 };
    for (int step = 0; step < keys.size(); ++step) {
        QTest::keyClick(m_search->MatchingQuotes, keys.at(step));
        QCOMPARE(m_form->CurrentIndex, expected.at(step));
        QCOMPARE(m_form->paneText(), paneTextOf(Quotes.at(expected.at(step))));
        QCOMPARE(m_form->HistoryTop, top + step + 1);
        QCOMPARE(m_form->History[size_t(m_form->HistoryTop)], expected.at(step));
    }
    QVERIFY(m_form->Timer->isActive());
    // The window stays open with its results for the next step.
    QVERIFY(m_search->isVisible());
    QCOMPARE(m_search->MatchingQuotes->count(), 3);
}

void tst_quotesr::mouseClick_showsMatch_evenWhenAlreadySelected()
{
    openAndSearch(QStringLiteral("apple"));
    QListWidget *list = m_search->MatchingQuotes;
    const QPoint pie = list->visualItemRect(list->item(1)).center();

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pie);
    QCOMPARE(m_form->CurrentIndex, 1);
    const qint32 top = m_form->HistoryTop;

    // Another quote in between; a click on the selected entry shows it again, once.
    m_form->NextQuoteClick();
    QCOMPARE(m_form->CurrentIndex, 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pie);
    QCOMPARE(m_form->CurrentIndex, 1);
    QCOMPARE(m_form->HistoryTop, top + 2);

    // A click on another entry shows that one, once.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(m_form->CurrentIndex, 0);
    QCOMPARE(m_form->HistoryTop, top + 3);
}

void tst_quotesr::staleTitle_ofAnotherFile_showsThatIndexOfTheOpenFile()
{
    openAndSearch(QStringLiteral("apple"));
    // The main window loads a file of one quote while the old results stand.
    const QString small = m_root.filePath(QStringLiteral("small.txt"));
    QVERIFY(writeFile(small, quoteFileBytes({ { QStringLiteral("Only one") } })));
    m_form->QuoteFileName = small;
    m_form->LoadFile();
    QCOMPARE(m_form->QuoteCount, 1);
    const qint32 top = m_form->HistoryTop;

    m_search->MatchingQuotes->setCurrentRow(0); // "apple cider [2]": no such quote now
    QCOMPARE(m_form->CurrentIndex, 2);
    QCOMPARE(m_form->HistoryTop, top + 1);
    QCOMPARE(m_form->paneText(), QString());
    QCOMPARE(m_form->CurrentQuote->text(), QStringLiteral("3"));

    m_search->MatchingQuotes->setCurrentRow(2); // "... [0]" names a quote that exists
    QCOMPARE(m_form->HistoryTop, top + 2);
    QCOMPARE(m_form->paneText(), QStringLiteral("Only one\n"));
}

void tst_quotesr::reloadedFile_searchesAgain()
{
    const auto restore = qScopeGuard([this] { writeFile(m_quoteFile, quoteFileBytes(Quotes)); });
    openAndSearch(QStringLiteral("apple"));
    // A quote added at the top moves every number; the text typed since the search does not count.
    QVERIFY(writeFile(m_quoteFile, quoteFileBytes(QList<QStringList> { { QStringLiteral("Durian") } } + Quotes)));
    m_search->SQSearch->setText(QStringLiteral("banana"));
    m_form->ReloadFile();
    m_search->MatchingQuotes->setCurrentRow(0);
    QCOMPARE(m_form->paneText(), paneTextOf(Quotes.at(2)));
}

void tst_quotesr::closeAndFind_keepsText_emptiesList_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << QStringLiteral("button");
    QTest::newRow("close box") << QStringLiteral("box");
    QTest::newRow("escape") << QStringLiteral("escape");
}

void tst_quotesr::closeAndFind_keepsText_emptiesList()
{
    QFETCH(QString, how);

    openAndSearch(QStringLiteral("apple"));
    QCOMPARE(m_search->MatchingQuotes->count(), 3);
    if (how == QLatin1String("button"))
        QTest::mouseClick(m_search->CloseButton, Qt::LeftButton, {}, QPoint(12, 12));
    else if (how == QLatin1String("box"))
        QVERIFY(m_search->close());
    else
        QTest::keyClick(m_search->MatchingQuotes, Qt::Key_Escape);
    QVERIFY(!m_search->isVisible());

    m_form->FindQuoteClick();
    QVERIFY(QTest::qWaitForWindowActive(m_search.get()));
    QCOMPARE(m_search->SQSearch->text(), QStringLiteral("apple"));
    QCOMPARE(m_search->MatchingQuotes->count(), 0);
    QCOMPARE(QApplication::focusWidget(), m_search->SQSearch);
    // The old text is selected, so typing replaces it.
    QCOMPARE(m_search->SQSearch->selectedText(), QStringLiteral("apple"));

    // Searching again works as before.
    QTest::keyClicks(m_search->SQSearch, QStringLiteral("banana"));
    QTest::keyClick(m_search->SQSearch, Qt::Key_Return);
    QCOMPARE(m_search->MatchingQuotes->count(), 1);
}

void tst_quotesr::tabOrder_listSearchBoxFindButton()
{
    openAndSearch(QStringLiteral("apple"));
    QCOMPARE(QApplication::focusWidget(), m_search->MatchingQuotes);
    const QList<QWidget *> order = { m_search->SQSearch, m_search->SQFind, m_search->MatchingQuotes };
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // The close button never takes the focus.
    QCOMPARE(m_search->CloseButton->focusPolicy(), Qt::NoFocus);
}

void tst_quotesr::rightClick_opensMainPopupMenu_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("search box") << QStringLiteral("SQSearch");
    QTest::newRow("result list") << QStringLiteral("MatchingQuotes");
    QTest::newRow("find button") << QStringLiteral("SQFind");
}

void tst_quotesr::rightClick_opensMainPopupMenu()
{
    QFETCH(QString, where);

    openAndSearch(QStringLiteral("apple"));
    QWidget *target = m_search->findChild<QWidget *>(where);
    QVERIFY(target);
    if (auto *list = qobject_cast<QListWidget *>(target))
        target = list->viewport();
    QVERIFY(!m_form->PopupMenu->isVisible());
    // The right button itself neither selects an entry nor shows a quote.
    const qint32 top = m_form->HistoryTop;
    QTest::mouseClick(target, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(m_search->MatchingQuotes->selectedItems().isEmpty());
    QCOMPARE(m_form->HistoryTop, top);
    // What a right click delivers to the control under the pointer.
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &click);
    QVERIFY(m_form->PopupMenu->isVisible());
    m_form->PopupMenu->hide();
}

void tst_quotesr::ctrlC_inSearchBox_copiesQuoteOnDisplay()
{
    showQuote(*m_form, 4);
    openAndSearch(QStringLiteral("apple"));
    m_search->SQSearch->setFocus();
    m_search->SQSearch->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    QTest::keyClick(m_search->SQSearch, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), paneTextOf(Quotes.at(4)));
    QCOMPARE(m_search->SQSearch->text(), QStringLiteral("apple"));
}

void tst_quotesr::ctrlN_inSearchWindow_showsNextQuote()
{
    showQuote(*m_form, 1);
    openAndSearch(QStringLiteral("apple"));
    QTest::keyClick(m_search->MatchingQuotes, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_form->CurrentIndex, 2);
    m_search->SQSearch->setFocus();
    QTest::keyClick(m_search->SQSearch, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_form->CurrentIndex, 3);
    QCOMPARE(m_search->SQSearch->text(), QStringLiteral("apple"));
}

void tst_quotesr::everyQuoteMatching_fillsWholeSortedList()
{
    // The largest file the index takes, every quote matching.
    QList<QStringList> many;
    for (int q = 0; q < oq::MaxQuotes; ++q)
        many.append({ QStringLiteral("Line %1 of the many").arg((q * 7919) % oq::MaxQuotes) });
    const QString big = m_root.filePath(QStringLiteral("many.txt"));
    QVERIFY(writeFile(big, quoteFileBytes(many)));
    m_form->QuoteFileName = big;
    m_form->LoadFile();
    QCOMPARE(m_form->QuoteCount, oq::MaxQuotes);

    openAndSearch(QStringLiteral("the MANY"));
    QCOMPARE(m_search->MatchingQuotes->count(), oq::MaxQuotes);
    QCOMPARE(listTexts(m_search->MatchingQuotes), m_form->Index.sortedTitles());
}

QTEST_MAIN(tst_quotesr)
#include "tst_quotesr.moc"
