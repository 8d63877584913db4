// SPDX-License-Identifier: MIT
// The program's style: the desktop's style but for the title list's drop-down
// and the menu bar's overflow icon, which is made only when first drawn and
// then looks as the desktop's own.
#include "forms/ombryquotefm.h"
#include "forms/programstyle.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QTest>
#include <QToolButton>

#include <memory>

class tst_programstyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_desktopStyle = QApplication::style();
        TProgramStyle::install();
    }

    void install_isDoneOnce()
    {
        QStyle *installed = QApplication::style();
        QVERIFY(qobject_cast<TProgramStyle *>(installed));
        TProgramStyle::install();
        QCOMPARE(QApplication::style(), installed);
        // The desktop's style is kept underneath, not made again.
        QCOMPARE(static_cast<QProxyStyle *>(installed)->baseStyle(), m_desktopStyle);
    }

    void overflowIcon_looksAsTheDesktopsOwn_data()
    {
        QTest::addColumn<int>("pixmap");
        QTest::newRow("horizontal") << int(QStyle::SP_ToolBarHorizontalExtensionButton);
        QTest::newRow("vertical") << int(QStyle::SP_ToolBarVerticalExtensionButton);
    }
    void overflowIcon_looksAsTheDesktopsOwn()
    {
        QFETCH(int, pixmap);
        const auto standard = QStyle::StandardPixmap(pixmap);
        const QIcon icon = QApplication::style()->standardIcon(standard);
        const QIcon own = m_desktopStyle->standardIcon(standard);
        QVERIFY(!icon.isNull());
        for (int size : { 16, 24, 32 }) {
            QCOMPARE(icon.actualSize(QSize(size, size)), own.actualSize(QSize(size, size)));
            QCOMPARE(icon.pixmap(size).toImage(), own.pixmap(size).toImage());
        }
    }

    void overflowIcon_isDrawnWhenTheMenuBarOverflows()
    {
        QWidget window;
        auto *bar = new QMenuBar(&window);
        for (const char *title : { "&File", "&Edit", "&Search", "&Help", "&Another", "&More" })
            bar->addMenu(QString::fromLatin1(title));
        window.resize(60, 40);
        bar->resize(60, bar->sizeHint().height());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *overflow = bar->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"));
        QVERIFY(overflow);
        QTRY_VERIFY(overflow->isVisible());
        QVERIFY(!overflow->icon().isNull());
        const QImage drawn = overflow->grab().toImage();
        QVERIFY(!drawn.isNull());
    }

    void titleList_dropsDownBelowItsBox_otherListsAsTheDesktopHasThem()
    {
        QWidget window;
        TQuoteList titles(&window);
        QComboBox other(&window);
        QStyle *style = QApplication::style();
        QCOMPARE(style->styleHint(QStyle::SH_ComboBox_Popup, nullptr, &titles), 0);
        QCOMPARE(style->styleHint(QStyle::SH_ComboBox_Popup, nullptr, &other),
                 m_desktopStyle->styleHint(QStyle::SH_ComboBox_Popup, nullptr, &other));
    }

private:
    QStyle *m_desktopStyle = nullptr;
};

QTEST_MAIN(tst_programstyle)
#include "tst_programstyle.moc"
