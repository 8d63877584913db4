// SPDX-License-Identifier: MIT
// Which menu entry a key runs, by where the focus is.
#include "forms/shortcutrouter.h"

#include <QHash>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

class tst_ShortcutRouter : public QObject
{
    Q_OBJECT

    QStringList m_ran;

    QAction *add(QMenu *menu, const char *name, QKeyCombination key)
    {
        QAction *action = menu->addAction(QString::fromLatin1(name), QKeySequence(key));
        connect(action, &QAction::triggered, this, [this, name] { m_ran << QString::fromLatin1(name); });
        return action;
    }

private Q_SLOTS:
    void route_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("ran");
        const uint ctrl = Qt::ControlModifier;
        QTest::newRow("pane: pop-up key, opening first") << "pane" << (ctrl | Qt::Key_N) << "opening,popupNext";
        QTest::newRow("pane: main-menu key") << "pane" << (ctrl | Qt::Key_O) << "open";
        QTest::newRow("pane: second key of an entry") << "pane" << (ctrl | Qt::Key_B) << "back";
        QTest::newRow("field: shared key is the main menu's") << "field" << (ctrl | Qt::Key_N) << "next";
        QTest::newRow("field: keypad key") << "field" << (ctrl | Qt::KeypadModifier | Qt::Key_N) << "next";
        QTest::newRow("field: pop-up-only key") << "field" << (ctrl | Qt::Key_X) << "";
        QTest::newRow("field: no entry's key") << "field" << (ctrl | Qt::Key_K) << "";
        QTest::newRow("field: other modifier") << "field" << (ctrl | Qt::ShiftModifier | Qt::Key_N) << "";
        QTest::newRow("field: F10 opens the bar") << "field" << uint(Qt::Key_F10) << "File";
        QTest::newRow("About box passes keys on") << "about" << (ctrl | Qt::Key_O) << "open";
        QTest::newRow("About box: F10 is its own") << "about" << uint(Qt::Key_F10) << "";
        QTest::newRow("search window: pop-up key") << "search" << (ctrl | Qt::Key_X) << "opening,popupExit";
        QTest::newRow("help window keeps its keys") << "help" << (ctrl | Qt::Key_O) << "";
    }
    void route()
    {
        QFETCH(QString, where);
        QFETCH(uint, key);
        QFETCH(QString, ran);
        QMainWindow window;
        QWidget about, search, help;
        auto *pane = new QPlainTextEdit(&window);
        TShortcutRouter router(&window);
        QMenu *file = window.menuBar()->addMenu(QStringLiteral("File"));
        add(file, "open", QKeyCombination(Qt::ControlModifier, Qt::Key_O));
        QMenu *view = window.menuBar()->addMenu(QStringLiteral("View"));
        QAction *back = add(view, "back", QKeyCombination(Qt::ControlModifier, Qt::Key_L));
        add(view, "next", QKeyCombination(Qt::ControlModifier, Qt::Key_N));
        QMenu popup;
        add(&popup, "popupNext", QKeyCombination(Qt::ControlModifier, Qt::Key_N));
        add(&popup, "popupExit", QKeyCombination(Qt::ControlModifier, Qt::Key_X));
        router.setPopupMenu(&popup, [this] { m_ran << QStringLiteral("opening"); });
        router.setMainKeys({{QKeyCombination(Qt::ControlModifier, Qt::Key_B), back}});
        router.addPopupFocus(pane);
        router.addPopupFocus(&search);
        router.addKeyPassingWindow(&about);
        router.addKeyPassingWindow(&search);
        const QHash<QString, QWidget *> targets{{"pane", pane}, {"field", new QWidget(&window)}, {"about", &about},
                                                {"search", new QWidget(&search)}, {"help", &help}};
        window.show(); // the bar opens its menus only on a window on the screen
        m_ran.clear();
        QKeyEvent press(QEvent::KeyPress, key & ~Qt::KeyboardModifierMask,
                        Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        const bool taken = router.route(targets.value(where), &press);
        if (QAction *active = window.menuBar()->activeAction())
            m_ran << active->text();
        QCOMPARE(m_ran.join(QLatin1Char(',')), ran);
        QCOMPARE(taken, !ran.isEmpty());
    }
};

QTEST_MAIN(tst_ShortcutRouter)
#include "tst_shortcutrouter.moc"
