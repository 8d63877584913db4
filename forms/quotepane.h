// SPDX-License-Identifier: MIT
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The quote pane: read-only, word-wrapped, no scroll bars. It reports the
// lines as it lays them out, each wrapped piece a line of its own.
class TQuotePane : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TQuotePane(QWidget *parent = nullptr);
    QStringList displayLines() const;
    int pointSize() const;
    // Sizes the pane cannot use (not positive, or absurdly large) are ignored.
    void setPointSize(int points);
};
