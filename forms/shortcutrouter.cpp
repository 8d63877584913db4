// SPDX-License-Identifier: MIT
#include "shortcutrouter.h"

#include <QAction>

#include <algorithm>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

// The key each entry of `menu` shows, in the order the menu lists them.
void addMenuKeys(QList<std::pair<QKeyCombination, QPointer<QAction>>> &table, const QMenu *menu)
{
    for (QAction *action : menu->actions()) {
        if (!action->shortcut().isEmpty())
            table.append({action->shortcut()[0], action});
    }
}

} // namespace

TShortcutRouter::TShortcutRouter(QMainWindow *window) : QObject(window), m_window(window)
{
    qApp->installEventFilter(this);
}

TShortcutRouter::~TShortcutRouter()
{
    qApp->removeEventFilter(this);
}

void TShortcutRouter::setPopupMenu(QMenu *menu, std::function<void()> opening)
{
    m_popupKeys.clear();
    addMenuKeys(m_popupKeys, menu);
    m_popupOpening = std::move(opening);
}

void TShortcutRouter::setMainKeys(const QList<std::pair<QKeyCombination, QAction *>> &extraKeys)
{
    m_mainKeys.clear();
    for (const QAction *barEntry : m_window->menuBar()->actions()) {
        if (barEntry->menu())
            addMenuKeys(m_mainKeys, barEntry->menu());
    }
    for (const auto &[key, action] : extraKeys)
        m_mainKeys.append({key, action});
}

void TShortcutRouter::addPopupFocus(QWidget *widget)
{
    m_popupFocus.append(widget);
}

void TShortcutRouter::addKeyPassingWindow(QWidget *window)
{
    m_keyPassing.append(window);
}

bool TShortcutRouter::runKey(const KeyTable &table, QKeyCombination key, const std::function<void()> &before)
{
    for (const auto &[entryKey, action] : table) {
        if (entryKey == key && action) {
            if (before)
                before();
            action->trigger();
            return true;
        }
    }
    return false;
}

bool TShortcutRouter::popupMenuHasFocus(const QWidget *focus) const
{
    for (const QWidget *widget : m_popupFocus) {
        if (widget && (focus == widget || widget->isAncestorOf(focus)))
            return true;
    }
    return false;
}

bool TShortcutRouter::passesKeys(const QWidget *window) const
{
    return window == m_window || std::any_of(m_keyPassing.cbegin(), m_keyPassing.cend(),
                                             [window](const QPointer<QWidget> &w) { return w && w == window; });
}

bool TShortcutRouter::route(QWidget *target, QKeyEvent *event)
{
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || !target)
        return false;
    const QKeyCombination key(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
    if (popupMenuHasFocus(target) && runKey(m_popupKeys, key, m_popupOpening))
        return true;
    const QWidget *window = target->window();
    // F10 opens the menu bar at its first menu and entry, as on the desktop.
    QMenuBar *bar = m_window->menuBar();
    if (window == m_window && key == QKeyCombination(Qt::Key_F10) && m_window->isEnabled()) {
        QAction *first = bar->actions().constFirst();
        bar->setActiveAction(first);
        first->menu()->setActiveAction(first->menu()->actions().constFirst());
        return true;
    }
    // Windows that keep their own keys (the help window) pass none on.
    if (!passesKeys(window) || (window != m_window && !m_window->isEnabled()))
        return false;
    return runKey(m_mainKeys, key, nullptr);
}

bool TShortcutRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    QMenuBar *bar = m_window->menuBar();
    // One Escape closes a menu of the bar and gives the keys back, as on the
    // desktop; the bar would keep them, with nothing to show for it.
    if (watched->parent() == bar && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        QTimer::singleShot(0, bar, [bar] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            if (bar->hasFocus() && !QApplication::activePopupWidget())
                QCoreApplication::sendEvent(bar, &escape);
        });
    }
    // Seen once, at the widget that has the focus (or the window when
    // nothing has it), before that widget acts on the key.
    if (watched->isWidgetType()) {
        QWidget *focus = QApplication::focusWidget();
        auto *w = static_cast<QWidget *>(watched);
        if ((focus && w == focus) || (!focus && w->isWindow()))
            return route(w, static_cast<QKeyEvent *>(event));
    }
    return false;
}
