// SPDX-License-Identifier: MIT
#include "quotelist.h"

#include <QKeyEvent>

TQuoteList::TQuoteList(QWidget *parent) : QComboBox(parent), m_titles(new oq::TitleListModel(this))
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(1);
    setMaxVisibleItems(16);
    // It drops down below the box with its row limit (see TProgramStyle).
    setModel(m_titles);
    // Filling an empty list selects its first title; the list selects nothing
    // until the user picks a title.
    connect(m_titles, &oq::TitleListModel::filled, this, [this] { setCurrentIndex(-1); });
}

void TQuoteList::showPopup()
{
    m_titles->waitForSort();
    Q_EMIT droppedDown();
    QComboBox::showPopup();
}

void TQuoteList::keyPressEvent(QKeyEvent *event)
{
    // Alt with a letter is a menu's access key, never the start of a title.
    if ((event->modifiers() & Qt::AltModifier) && !event->text().isEmpty()) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool TQuoteList::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        m_titles->waitForSort();
        break;
    default:
        break;
    }
    return QComboBox::event(event);
}
