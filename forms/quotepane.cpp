// SPDX-License-Identifier: MIT
#include "quotepane.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// Font sizes the pane accepts; anything else leaves the pane as it is.
constexpr int MinPointSize = 1;
constexpr int MaxPointSize = 999;

} // namespace

TQuotePane::TQuotePane(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Keyboard users can still move the caret and select in the read-only pane.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, pal.color(QPalette::ButtonText));
    setPalette(pal);
}

QStringList TQuotePane::displayLines() const
{
    QStringList lines;
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        // Asking for the block's rectangle lays it out if it is not yet.
        layout->blockBoundingRect(block);
        const QTextLayout *tl = block.layout();
        const QString text = block.text();
        if (!tl || tl->lineCount() == 0) {
            lines << text;
            continue;
        }
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    // An empty pane holds no line at all.
    if (lines.size() == 1 && lines.first().isEmpty())
        lines.clear();
    return lines;
}

int TQuotePane::pointSize() const
{
    return font().pointSize();
}

void TQuotePane::setPointSize(int points)
{
    if (points < MinPointSize || points > MaxPointSize || points == pointSize())
        return;
    QFont f = font();
    f.setPointSize(points);
    setFont(f);
}
