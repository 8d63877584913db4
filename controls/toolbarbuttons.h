// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QString>

class QWidget;
class TRxSpeedButton;
class TRxSpinButton;

// The main window's tool-bar controls, named as the window names them.
struct ToolBarButtons
{
    TRxSpeedButton *NewFile = nullptr;
    TRxSpeedButton *NewQuote = nullptr;
    TRxSpeedButton *Back = nullptr;
    TRxSpeedButton *PrevQuote = nullptr;
    TRxSpeedButton *NextQuote = nullptr;
    TRxSpeedButton *CopyToClipboard = nullptr;
    TRxSpeedButton *FindQuote = nullptr;
    TRxSpeedButton *SetMarquee = nullptr;
    TRxSpeedButton *AddQuote = nullptr;
    TRxSpinButton *SpinFontSize = nullptr;
    TRxSpeedButton *QuitButton = nullptr;
    TRxSpeedButton *About = nullptr;
};

// Makes the eleven flat buttons and the spin button as children of the tool
// bar panel, each at its place and size with its glyph, hint, object name and
// accessible name. The caller connects clicked() / topClick() / bottomClick().
ToolBarButtons createToolBarButtons(QWidget *panel);

// A glyph of the program's own artwork by its control name ("NewFile",
// "NewQuote", ..., "About", and the search window's "SQFind" and
// "CloseButton"): a 16 × 16 image, or a 32 × 16 strip whose second image is
// the disabled look. A null image for an unknown name.
QImage toolBarGlyph(const QString &name);
