// SPDX-License-Identifier: MIT
#include "controls/toolbarbuttons.h"

#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"

#include <QHash>

namespace {
#include "controls/glyphs/about.xpm"
#include "controls/glyphs/addquote.xpm"
#include "controls/glyphs/back.xpm"
#include "controls/glyphs/closebutton.xpm"
#include "controls/glyphs/copytoclipboard.xpm"
#include "controls/glyphs/findquote.xpm"
#include "controls/glyphs/newfile.xpm"
#include "controls/glyphs/newquote.xpm"
#include "controls/glyphs/nextquote.xpm"
#include "controls/glyphs/prevquote.xpm"
#include "controls/glyphs/quitbutton.xpm"
#include "controls/glyphs/setmarquee.xpm"
#include "controls/glyphs/sqfind.xpm"

struct ButtonSpec
{
    TRxSpeedButton *ToolBarButtons::*field;
    const char *name;
    int left;
    int width;
    const char *hint;
    const char *accessibleName;
};

constexpr int ButtonTop = 2;
constexpr int ButtonHeight = 25;

const ButtonSpec Buttons[] = {
    { &ToolBarButtons::NewFile, "NewFile", 2, 25, "Select Quote File", "Select Quote File" },
    { &ToolBarButtons::NewQuote, "NewQuote", 30, 25, "Random Quote (Ctrl+R)", "Random Quote" },
    { &ToolBarButtons::Back, "Back", 57, 25, "Last Displayed Quote (Ctrl + L)", "Last Displayed Quote" },
    { &ToolBarButtons::PrevQuote, "PrevQuote", 85, 16, "Show Previous Quote (Ctrl + P)", "Show Previous Quote" },
    { &ToolBarButtons::NextQuote, "NextQuote", 128, 16, "Show Next Quote (Ctrl + N)", "Show Next Quote" },
    { &ToolBarButtons::CopyToClipboard, "CopyToClipboard", 155, 25, "Copy to Clipboard (Ctrl + C)",
        "Copy to Clipboard" },
    { &ToolBarButtons::FindQuote, "FindQuote", 185, 25, "Find Quote (Ctrl + F)", "Find Quote" },
    { &ToolBarButtons::SetMarquee, "SetMarquee", 214, 25, "Set Screen\nSaver Text", "Set Screen Saver Text" },
    { &ToolBarButtons::AddQuote, "AddQuote", 244, 25, "Add Quote To Favourites (Ctrl + A)", "Add Quote To Favourites" },
    { &ToolBarButtons::QuitButton, "QuitButton", 303, 25, "Exit (Ctrl + X)", "Exit" },
    { &ToolBarButtons::About, "About", 332, 25, "About Ombry Quote", "About Ombry Quote" },
};

} // namespace

QImage toolBarGlyph(const QString &name)
{
    static const QHash<QString, const char *const *> artwork = {
        { QStringLiteral("NewFile"), NewFile_xpm },
        { QStringLiteral("NewQuote"), NewQuote_xpm },
        { QStringLiteral("Back"), Back_xpm },
        { QStringLiteral("PrevQuote"), PrevQuote_xpm },
        { QStringLiteral("NextQuote"), NextQuote_xpm },
        { QStringLiteral("CopyToClipboard"), CopyToClipboard_xpm },
        { QStringLiteral("FindQuote"), FindQuote_xpm },
        { QStringLiteral("SetMarquee"), SetMarquee_xpm },
        { QStringLiteral("AddQuote"), AddQuote_xpm },
        { QStringLiteral("QuitButton"), QuitButton_xpm },
        { QStringLiteral("About"), About_xpm },
        { QStringLiteral("SQFind"), SQFind_xpm },
        { QStringLiteral("CloseButton"), CloseButton_xpm },
    };
    const auto it = artwork.constFind(name);
    return it == artwork.constEnd() ? QImage() : QImage(it.value());
}

ToolBarButtons createToolBarButtons(QWidget *panel)
{
    ToolBarButtons result;
    for (const ButtonSpec &entry : Buttons) {
        auto *button = new TRxSpeedButton(panel);
        button->setObjectName(QLatin1String(entry.name));
        button->setGeometry(entry.left, ButtonTop, entry.width, ButtonHeight);
        button->setFlat(true);
        button->setGrayedInactive(false);
        button->setGlyph(toolBarGlyph(QLatin1String(entry.name)));
        button->setHint(QString::fromLatin1(entry.hint));
        button->setAccessibleName(QString::fromLatin1(entry.accessibleName));
        button->setAccessibleDescription(QString::fromLatin1(entry.hint).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        button->loaded();
        result.*(entry.field) = button;
    }

    auto *spin = new TRxSpinButton(panel);
    spin->setObjectName(QStringLiteral("SpinFontSize"));
    spin->setGeometry(273, 4, 20, 20);
    spin->setHint(QStringLiteral("Font Size Changer"));
    spin->setAccessibleName(QStringLiteral("Font Size Changer"));
    spin->setUpGlyph(TRxSpinButton::defaultUpGlyph());
    spin->setDownGlyph(TRxSpinButton::defaultDownGlyph());
    result.SpinFontSize = spin;
    return result;
}
