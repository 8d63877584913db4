// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/titlelistmodel.h"

#include <QComboBox>

class QKeyEvent;

// The title drop-down: only offers choices; tells when it drops down. Its
// titles may still be being sorted when the window shows: whatever the user
// does with it first waits for them.
class TQuoteList : public QComboBox
{
    Q_OBJECT

public:
    explicit TQuoteList(QWidget *parent = nullptr);
    void showPopup() override;
    oq::TitleListModel *titles() const { return m_titles; }

Q_SIGNALS:
    void droppedDown();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    oq::TitleListModel *m_titles;
};
