// SPDX-License-Identifier: MIT
// The title drop-down of a large quote file, used the moment the window
// shows, while its titles are still being sorted: whatever the user does
// with it sees the list full and sorted, never part filled.
#include "mainformfixture.h"

#include "bench/fortunegen.h"

#include <QAbstractItemView>
#include <QApplication>

#include <memory>

using namespace mainformfixture;

namespace {

QStringList listedTitles(const QComboBox *list)
{
    QStringList titles;
    for (int i = 0; i < list->count(); ++i)
        titles << list->itemText(i);
    return titles;
}

} // namespace

class tst_quotelist : public QObject, MainFormFixture
{
    Q_OBJECT

private:
    std::unique_ptr<TQuoteForm> shownForm()
    {
        auto form = std::make_unique<TQuoteForm>();
        form->show();
        return form;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(setUpFolder({}));
        QVERIFY(writeFile(m_quoteFile, generateFortuneLikeFile(33000)));
    }

    void init() { QVERIFY(resetSettings()); }

    void cleanup() { QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n')))); }

    void usedAtOnce_seesTheWholeSortedList_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("dropped down") << QStringLiteral("popup");
        QTest::newRow("arrow key") << QStringLiteral("down");
        QTest::newRow("mouse wheel") << QStringLiteral("wheel");
    }
    void usedAtOnce_seesTheWholeSortedList()
    {
        QFETCH(QString, action);
        const auto form = shownForm();
        QCOMPARE(form->QuoteCount, 33000);
        // The moment the window shows, the titles are not sorted yet.
        QVERIFY(form->QuoteList->titles()->isSorting());
        const qint32 shownBefore = form->CurrentIndex;

        if (action == QLatin1String("popup")) {
            form->QuoteList->showPopup();
            QVERIFY(form->QuoteList->view()->isVisible());
            QCOMPARE(form->QuoteList->view()->model()->rowCount(), 33000);
        } else if (action == QLatin1String("down")) {
            QTest::keyClick(form->QuoteList, Qt::Key_Down);
        } else {
            QWheelEvent wheel(QPointF(5, 5), form->QuoteList->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(form->QuoteList, &wheel);
        }

        const QStringList sorted = form->Index.sortedTitles();
        QCOMPARE(listedTitles(form->QuoteList), sorted);
        if (action == QLatin1String("popup")) {
            // Dropping the list down picks nothing.
            QCOMPARE(form->QuoteList->currentIndex(), -1);
            QCOMPARE(form->CurrentIndex, shownBefore);
            form->QuoteList->hidePopup();
        } else {
            // The first title of the sorted list is the one stepped to; its
            // quote shows and the list selects nothing again.
            QCOMPARE(form->CurrentIndex, *oq::titleToIndex(sorted.first()));
            QCOMPARE(form->QuoteList->currentIndex(), -1);
        }
    }

    void leftAlone_fillsWithoutSelecting()
    {
        const auto form = shownForm();
        QVERIFY(form->QuoteList->titles()->isSorting());
        QSignalSpy filled(form->QuoteList->titles(), &oq::TitleListModel::filled);
        QVERIFY(filled.wait(20000));
        QCOMPARE(form->QuoteList->count(), 33000);
        QCOMPARE(form->QuoteList->currentIndex(), -1);
        QVERIFY(form->QuoteList->currentText().isEmpty());
    }

    void anotherFileOpenedWhileSorting_listsOnlyThatFile()
    {
        const QString small = m_root.filePath(QStringLiteral("small.txt"));
        QVERIFY(writeFile(small, quoteFileBytes({ { "Zeta" }, { "alpha" }, { "Mu" } })));
        const auto form = shownForm();
        QVERIFY(form->QuoteList->titles()->isSorting());
        form->QuoteFileName = small;
        form->LoadFile();
        // The old sort was joined; a notice of it is already posted.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(listedTitles(form->QuoteList), (QStringList { "alpha [1]", "Mu [2]", "Zeta [0]" }));
        QCOMPARE(form->QuoteList->currentIndex(), -1);
    }
};

QTEST_MAIN(tst_quotelist)
#include "tst_quotelist.moc"
