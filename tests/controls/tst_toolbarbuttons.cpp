// SPDX-License-Identifier: MIT
// The tool bar's artwork and the factory that builds the tool-bar controls.
#include "controls/rxbuttonglyph.h"
#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"
#include "controls/toolbarbuttons.h"
#include "testpalette.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

class tst_toolbarbuttons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void glyph_data();
    void glyph();
    void arrows_darkRedWithoutBlack_disabledIsBlank();
    void glyph_atRatio_data();
    void glyph_atRatio();
    void factory_placesEveryControl_data();
    void factory_placesEveryControl();
    void factory_spinButton();
    void accessible_namesRolesAndActions();
};

void tst_toolbarbuttons::glyph_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("images");
    for (const char *name :
        { "NewFile", "Back", "PrevQuote", "NextQuote", "CopyToClipboard", "FindQuote", "AddQuote", "About" })
        QTest::newRow(name) << QString::fromLatin1(name) << 1;
    for (const char *name : { "NewQuote", "SetMarquee", "QuitButton", "SQFind", "CloseButton" })
        QTest::newRow(name) << QString::fromLatin1(name) << 2;
}

void tst_toolbarbuttons::glyph()
{
    QFETCH(QString, name);
    QFETCH(int, images);
    const QImage image = toolBarGlyph(name);
    QCOMPARE(image.size(), QSize(16 * images, 16));
    // Sixteen colours at most, and the bottom-left pixel (the mask colour) is transparent.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() <= 16);
    QCOMPARE(qAlpha(image.pixel(0, 15)), 0);
    // Every image of a strip draws something.
    for (int i = 0; i < images; ++i) {
        bool drawn = false;
        for (int y = 0; y < 16 && !drawn; ++y)
            for (int x = 0; x < 16 && !drawn; ++x)
                drawn = qAlpha(image.pixel(i * 16 + x, y)) != 0;
        QVERIFY(drawn);
    }
}

void tst_toolbarbuttons::arrows_darkRedWithoutBlack_disabledIsBlank()
{
    for (const char *name : { "PrevQuote", "NextQuote" }) {
        const QImage image = toolBarGlyph(QLatin1String(name));
        bool darkRed = false;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                QVERIFY(image.pixel(x, y) != qRgb(0, 0, 0));
                darkRed = darkRed || image.pixel(x, y) == qRgb(0x80, 0, 0);
            }
        }
        QVERIFY(darkRed);
        const TButtonColors colors = TButtonColors::fromPalette(QPalette());
        const QImage emboss = TRxButtonGlyph::embossedImage(image, colors);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                QCOMPARE(emboss.pixel(x, y), colors.face.rgb());
    }
}

void tst_toolbarbuttons::glyph_atRatio_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("side"); // device pixels of a 16 x 16 image
    QTest::newRow("1x") << 1.0 << false << 16;
    QTest::newRow("1x dark") << 1.0 << true << 16;
    QTest::newRow("1.5x") << 1.5 << false << 24;
    QTest::newRow("2x") << 2.0 << false << 32;
    QTest::newRow("3x: blocks of the 1x one") << 3.0 << false << 16;
}

void tst_toolbarbuttons::glyph_atRatio()
{
    QFETCH(qreal, dpr);
    QFETCH(bool, dark);
    QFETCH(int, side);
    const TButtonColors colors = TButtonColors::fromPalette(dark ? darkPalette() : QPalette());
    for (const char *name : { "NewFile", "NewQuote", "Back", "PrevQuote", "NextQuote", "CopyToClipboard", "FindQuote",
             "SetMarquee", "AddQuote", "QuitButton", "About", "CloseButton" }) {
        TRxButtonGlyph holder;
        holder.setGlyph(toolBarGlyph(QLatin1String(name)));
        const QImage image = holder.stateImageAt(fbsUp, colors, dpr).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(side, side));
        QCOMPARE(image.devicePixelRatio(), side / 16.0);
        if (!dark && side == 16) // the 16 x 16, 16-colour picture as it is
            QCOMPARE(image, TRxButtonGlyph::maskedImage(toolBarGlyph(QLatin1String(name)).copy(0, 0, 16, 16), 0));
        if (!dark)
            continue;
        // On a dark face the outlines and the dark red (arrows, close cross)
        // turn light; the die's black pips stay on its white.
        const auto open = [&image](int x, int y) { return !image.rect().contains(x, y) || !qAlpha(image.pixel(x, y)); };
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (!open(x, y) && (open(x - 1, y) || open(x + 1, y) || open(x, y - 1) || open(x, y + 1)))
                    QVERIFY2(qAbs(QColor(image.pixel(x, y)).lightness() - colors.face.lightness()) >= 70, name);
        if (qstrcmp(name, "NewQuote") == 0)
            QCOMPARE(image.pixel(3, 4), qRgb(0, 0, 0));
    }
}

void tst_toolbarbuttons::factory_placesEveryControl_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("numGlyphs");
    QTest::newRow("NewFile") << "NewFile" << QRect(2, 2, 25, 25) << "Select Quote File" << 1;
    QTest::newRow("NewQuote") << "NewQuote" << QRect(30, 2, 25, 25) << "Random Quote (Ctrl+R)" << 2;
    QTest::newRow("Back") << "Back" << QRect(57, 2, 25, 25) << "Last Displayed Quote (Ctrl + L)" << 1;
    QTest::newRow("PrevQuote") << "PrevQuote" << QRect(85, 2, 16, 25) << "Show Previous Quote (Ctrl + P)" << 1;
    QTest::newRow("NextQuote") << "NextQuote" << QRect(128, 2, 16, 25) << "Show Next Quote (Ctrl + N)" << 1;
    QTest::newRow("CopyToClipboard") << "CopyToClipboard" << QRect(155, 2, 25, 25) << "Copy to Clipboard (Ctrl + C)"
                                     << 1;
    QTest::newRow("FindQuote") << "FindQuote" << QRect(185, 2, 25, 25) << "Find Quote (Ctrl + F)" << 1;
    QTest::newRow("SetMarquee") << "SetMarquee" << QRect(214, 2, 25, 25) << "Set Screen\nSaver Text" << 2;
    QTest::newRow("AddQuote") << "AddQuote" << QRect(244, 2, 25, 25) << "Add Quote To Favourites (Ctrl + A)" << 1;
    QTest::newRow("QuitButton") << "QuitButton" << QRect(303, 2, 25, 25) << "Exit (Ctrl + X)" << 2;
    QTest::newRow("About") << "About" << QRect(332, 2, 25, 25) << "About Ombry Quote" << 1;
}

void tst_toolbarbuttons::factory_placesEveryControl()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, hint);
    QFETCH(int, numGlyphs);
    QWidget panel;
    createToolBarButtons(&panel);
    QCOMPARE(panel.findChildren<TRxSpeedButton *>().size(), 11);
    auto *button = panel.findChild<TRxSpeedButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->hint(), hint);
    QCOMPARE(button->numGlyphs(), numGlyphs);
    QVERIFY(button->flat());
    QVERIFY(!button->grayedInactive());
    QVERIFY(button->showHint());
    QVERIFY(!button->accessibleName().isEmpty());
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    // At rest, the flat button shows its glyph in its own colours and no frame.
    const QImage image = button->renderImage();
    QCOMPARE(image.pixel(0, 0), image.pixel(1, 1));
}

void tst_toolbarbuttons::factory_spinButton()
{
    QWidget panel;
    const ToolBarButtons buttons = createToolBarButtons(&panel);
    QVERIFY(buttons.SpinFontSize);
    QCOMPARE(buttons.SpinFontSize->geometry(), QRect(273, 4, 20, 20));
    QCOMPARE(buttons.SpinFontSize->hint(), QStringLiteral("Font Size Changer"));
    QCOMPARE(buttons.SpinFontSize->accessibleName(), QStringLiteral("Font Size Changer"));
    QCOMPARE(buttons.SpinFontSize->upGlyph(), TRxSpinButton::defaultUpGlyph());
    QCOMPARE(buttons.SpinFontSize->focusControl(), nullptr);
    QCOMPARE(buttons.NextQuote->objectName(), QStringLiteral("NextQuote"));
    QCOMPARE(buttons.About->objectName(), QStringLiteral("About"));
}

void tst_toolbarbuttons::accessible_namesRolesAndActions()
{
    QWidget panel;
    const ToolBarButtons buttons = createToolBarButtons(&panel);
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(buttons.SetMarquee);
    QVERIFY(button);
    QCOMPARE(button->role(), QAccessible::Button);
    QCOMPARE(button->text(QAccessible::Name), QStringLiteral("Set Screen Saver Text"));
    QSignalSpy clicked(buttons.SetMarquee, &TRxSpeedButton::clicked);
    QVERIFY(button->actionInterface());
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.count(), 1);

    QAccessibleInterface *spin = QAccessible::queryAccessibleInterface(buttons.SpinFontSize);
    QVERIFY(spin);
    QCOMPARE(spin->text(QAccessible::Name), QStringLiteral("Font Size Changer"));
    QSignalSpy bottom(buttons.SpinFontSize, &TRxSpinButton::bottomClick);
    spin->actionInterface()->doAction(QStringLiteral("Decrease"));
    QCOMPARE(bottom.count(), 1);
}

QTEST_MAIN(tst_toolbarbuttons)
#include "tst_toolbarbuttons.moc"
