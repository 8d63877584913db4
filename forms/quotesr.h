// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include <optional>

class QLineEdit;
class QListWidget;
class QPushButton;
class TQuoteForm;
class TRxSpeedButton;

// The search window: finds every quote of the open file that holds a piece of
// text, lists their titles and shows a chosen one in the main window. Not
// modal; one instance lives for the whole run, hidden while not in use. It
// owns nothing but its controls and works on the main window's quote index.
class TSearchQuotes : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSearchQuotes)

public:
    explicit TSearchQuotes(TQuoteForm *mainForm, QWidget *parent = nullptr);
    ~TSearchQuotes() override;

    QWidget *Panel1 = nullptr;
    QLineEdit *SQSearch = nullptr;
    QPushButton *SQFind = nullptr;
    TRxSpeedButton *CloseButton = nullptr;
    QListWidget *MatchingQuotes = nullptr;

    // The Find command: shows the window in front with the focus in the
    // search box and an empty result list; the search text stays.
    void openForFind();
    // Searches again, for the text that made the list, after the main window
    // read its file again: the titles and numbers of the old list may now
    // name other quotes.
    void refreshResults();

public Q_SLOTS:
    void SQFindClick(QObject *Sender = nullptr);
    void MatchingQuotesClick(QObject *Sender = nullptr);
    void CloseButtonClick(QObject *Sender = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void layoutPanel1();
    void placeOnScreen();

    TQuoteForm *m_mainForm;
    // Whether the selection changed since the last mouse press in the list,
    // so a click on the entry already selected still shows its quote once.
    bool m_selectionChangedByPress = false;
    // The Find command selects the search text once the box has the focus.
    bool m_selectOnFocus = false;
    // The text the list of matches was found for; none while the list is
    // emptied by the Find command.
    std::optional<QString> m_shownSearch;
};
