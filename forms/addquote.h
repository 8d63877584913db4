// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class TQuoteForm;

// The favourites dialog: offers the quote on display for editing and appends
// it to the favourites file. Shown modally by the Add command; one instance
// lives for the whole run. It owns nothing but its controls.
class TAddQuoteFm : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAddQuoteFm)

public:
    explicit TAddQuoteFm(TQuoteForm *mainForm, QWidget *parent = nullptr);
    ~TAddQuoteFm() override;

    QPlainTextEdit *AddMemo = nullptr;
    QWidget *Panel1 = nullptr;
    QPushButton *AddOK = nullptr;
    QPushButton *AddCancel = nullptr;

public Q_SLOTS:
    void FormActivate(QObject *Sender = nullptr);
    void AddOKClick(QObject *Sender = nullptr);
    void AddCancelClick(QObject *Sender = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void layoutPanel1();

    TQuoteForm *m_mainForm;
};
