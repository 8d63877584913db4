// SPDX-License-Identifier: MIT
#pragma once

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <utility>

class QAction;
class QKeyEvent;
class QMainWindow;
class QMenu;
class QWidget;

// The keys of the main window's menus, each key with one owner at a time. A
// key pressed where the focus has the pop-up menu runs the pop-up menu's
// entry; any other key of the main window, or of a window that passes its
// keys on, runs the main menu's entry. F10 opens the menu bar. While a modal
// dialog or a menu is open, neither menu's keys work. The menu entries show
// their keys, but only while their own menu has the focus.
class TShortcutRouter : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TShortcutRouter)

public:
    // Sees every key the application gets from now on.
    explicit TShortcutRouter(QMainWindow *window);
    ~TShortcutRouter() override;

    // The pop-up menu's keys are those its entries show; `opening` runs
    // before each entry a key runs.
    void setPopupMenu(QMenu *menu, std::function<void()> opening);
    // The keys the menu bar's entries show, and `extraKeys` for entries
    // reached by a second key. Read once the menus are built.
    void setMainKeys(const QList<std::pair<QKeyCombination, QAction *>> &extraKeys);
    // The focus has the pop-up menu in `widget` and anything in it.
    void addPopupFocus(QWidget *widget);
    // Another window whose keys go on to the main menu.
    void addKeyPassingWindow(QWidget *window);

    // Runs the entry of a key pressed in `target`; returns whether the key was taken.
    bool route(QWidget *target, QKeyEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using KeyTable = QList<std::pair<QKeyCombination, QPointer<QAction>>>;
    static bool runKey(const KeyTable &table, QKeyCombination key, const std::function<void()> &before);
    bool popupMenuHasFocus(const QWidget *focus) const;
    bool passesKeys(const QWidget *window) const;

    QMainWindow *m_window;
    KeyTable m_popupKeys;
    KeyTable m_mainKeys;
    std::function<void()> m_popupOpening;
    QList<QPointer<QWidget>> m_popupFocus;
    QList<QPointer<QWidget>> m_keyPassing;
};
