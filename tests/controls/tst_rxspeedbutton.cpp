// SPDX-License-Identifier: MIT
// The flat tool button: its faces pixel by pixel, its glyph images and their
// shared stores, and the press / move / release / pointer rules.
#include "controls/rxbuttonglyph.h"
#include "controls/rxspeedbutton.h"
#include "manualtimer.h"
#include "testpalette.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

const QRgb Blue = qRgb(0, 0, 0xff);
const QRgb Red = qRgb(0xff, 0, 0);
const QRgb Mask = qRgb(0xff, 0, 0xff);

// A solid glyph strip: image i filled with colours[i]; the bottom-left pixel
// is the mask colour, so it must come out transparent.
QImage solidStrip(std::initializer_list<QRgb> colours, int size = 16)
{
    QImage image(size * int(colours.size()), size, QImage::Format_RGB32);
    int i = 0;
    for (QRgb c : colours) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                image.setPixel(i * size + x, y, c);
        ++i;
    }
    image.setPixel(0, size - 1, Mask);
    return image;
}

std::unique_ptr<TRxSpeedButton> makeButton(int width = 25, const QImage &glyph = solidStrip({ Blue }))
{
    auto button = std::make_unique<TRxSpeedButton>();
    button->setPalette(testPalette());
    button->resize(width, 25);
    button->setFlat(true);
    button->setGrayedInactive(false);
    button->setGlyph(glyph);
    return button;
}

QRgb px(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xff000000u;
}

void sendEnter(QWidget *w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}

void sendLeave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

} // namespace

class tst_rxspeedbutton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frame_data();
    void frame();
    void glyphPosition_data();
    void glyphPosition();
    void heldOnNarrowButton_lastColumnFallsOutside();
    void twoImageStrip_rightHalfIsDisabledImage();
    void embossedImage_shadowInPlaceLightOneDown();
    void glyphWithoutBlack_disabledIsBlankFace();
    void grayImage_keepsMaskAndFace();
    void numGlyphs_data();
    void numGlyphs();
    void stores_sharedPerSizeAndSlotsReused();
    void paletteChange_dropsImages();
    void deviceRatio2_drawsEachPixelAsBlock();
    void click_needsPressAndReleaseInside_data();
    void click_needsPressAndReleaseInside();
    void pressMoveOffAndBack_sunkenRaisedSunken();
    void doubleClick_givesTwoClicks();
    void enter_onlyWhileApplicationActive();
    void leave_ignoredWhilePressing();
    void disable_underPointer_dropsFrameAtOnce();
    void showHintOff_swallowsToolTip();
    void allowTimer_repeatsWhileHeld();
};

void tst_rxspeedbutton::frame_data()
{
    QTest::addColumn<bool>("flat");
    QTest::addColumn<bool>("hot");
    QTest::addColumn<bool>("held");
    // Pixels at the corners and edge middles, then (1,1) and (23,23) for the inner ring.
    QTest::addColumn<QList<QRgb>>(
        "expected"); // (0,0) (24,0) (0,24) (24,24) (12,0) (0,12) (24,12) (12,24) (1,1) (23,23)

    QTest::newRow("flat at rest: no frame")
        << true << false << false << QList<QRgb> { Face, Face, Face, Face, Face, Face, Face, Face, Face, Face };
    QTest::newRow("flat held: sunken") << true << true << true
                                       << QList<QRgb> { Frame, Light, Light, Light, Frame, Frame, Light, Light, Face,
                                              Face };
    QTest::newRow("not flat at rest: two raised rings")
        << false << false << false
        << QList<QRgb> { Light, Frame, Frame, Frame, Light, Light, Frame, Frame, Face, Dark };
    QTest::newRow("not flat held: two sunken rings")
        << false << true << true << QList<QRgb> { Frame, Light, Light, Light, Frame, Frame, Light, Light, Dark, Face };
}

void tst_rxspeedbutton::frame()
{
    QFETCH(bool, flat);
    QFETCH(bool, hot);
    QFETCH(bool, held);
    QFETCH(QList<QRgb>, expected);
    // No glyph, so only face and frame are drawn. Holding it down makes it hot.
    auto button = makeButton(25, QImage());
    button->setFlat(flat);
    if (held)
        QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QCOMPARE(button->isHot(), hot);
    const QImage image = button->renderImage();
    const QPoint points[] = { { 0, 0 }, { 24, 0 }, { 0, 24 }, { 24, 24 }, { 12, 0 }, { 0, 12 }, { 24, 12 }, { 12, 24 },
        { 1, 1 }, { 23, 23 } };
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(QColor(px(image, points[i].x(), points[i].y())).name(), QColor(expected[i]).name());
}

void tst_rxspeedbutton::glyphPosition_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("25 wide at rest") << 25 << false << QPoint(4, 4);
    QTest::newRow("25 wide held") << 25 << true << QPoint(5, 5);
    QTest::newRow("16 wide at rest") << 16 << false << QPoint(0, 4);
    QTest::newRow("16 wide held") << 16 << true << QPoint(1, 5);
}

void tst_rxspeedbutton::glyphPosition()
{
    QFETCH(int, width);
    QFETCH(bool, held);
    QFETCH(QPoint, topLeft);
    auto button = makeButton(width);
    if (held)
        QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(width / 2, 12));
    const QImage image = button->renderImage();
    const int x = topLeft.x();
    const int y = topLeft.y();
    QCOMPARE(px(image, x, y), Blue);
    QCOMPARE(px(image, x + 1, y + 14), Blue);
    QVERIFY(px(image, x + 1, y - 1) != Blue);
    if (x > 0)
        QVERIFY(px(image, x - 1, y + 1) != Blue);
    // The glyph's bottom-left pixel has the mask colour: the face shows through.
    QCOMPARE(px(image, x, y + 15), Face);
    QVERIFY(px(image, x + 1, y + 16) != Blue);
}

void tst_rxspeedbutton::heldOnNarrowButton_lastColumnFallsOutside()
{
    // A 16-wide glyph on a 16-wide button: held, its last column is cut off,
    // and its first column sits right of the sunken left edge.
    QImage glyph = solidStrip({ Blue });
    for (int y = 0; y < 15; ++y)
        glyph.setPixel(15, y, Red);
    auto button = makeButton(16, glyph);
    QImage image = button->renderImage();
    QCOMPARE(px(image, 15, 8), Red);
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(8, 12));
    image = button->renderImage();
    QCOMPARE(px(image, 0, 8), Frame); // sunken frame, left column
    QCOMPARE(px(image, 1, 8), Blue);
    // The glyph is clipped only by the image: it covers the frame's right column.
    QCOMPARE(px(image, 15, 8), Blue);
    for (int y = 0; y < 25; ++y)
        QVERIFY(px(image, 15, y) != Red);
}

void tst_rxspeedbutton::twoImageStrip_rightHalfIsDisabledImage()
{
    auto button = makeButton(25, solidStrip({ Blue, Red }));
    QCOMPARE(button->numGlyphs(), 2);
    QCOMPARE(px(button->renderImage(), 10, 10), Blue);
    button->setEnabled(false);
    const QImage image = button->renderImage();
    QCOMPARE(button->buttonState(), fbsDisabled);
    QCOMPARE(px(image, 4, 4), Red);
    QCOMPARE(px(image, 19, 19), Red);
    QCOMPARE(px(image, 0, 0), Face);
}

void tst_rxspeedbutton::embossedImage_shadowInPlaceLightOneDown()
{
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(Mask);
    glyph.setPixel(3, 5, qRgb(0, 0, 0));
    glyph.setPixel(15, 15, qRgb(0, 0, 0)); // its light copy falls outside the image
    glyph.setPixel(8, 8, qRgb(1, 0, 0)); // nearly black is not black
    auto button = makeButton(25, glyph);
    button->setEnabled(false);
    const QImage image = button->renderImage();
    QCOMPARE(px(image, 4 + 3, 4 + 5), Dark);
    QCOMPARE(px(image, 4 + 4, 4 + 6), Light);
    QCOMPARE(px(image, 4 + 15, 4 + 15), Dark);
    QCOMPARE(px(image, 4 + 16, 4 + 16), Face);
    QCOMPARE(px(image, 4 + 8, 4 + 8), Face);
}

void tst_rxspeedbutton::glyphWithoutBlack_disabledIsBlankFace()
{
    QImage glyph = solidStrip({ qRgb(0x80, 0, 0) });
    auto button = makeButton(16, glyph);
    button->setEnabled(false);
    const QImage image = button->renderImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(px(image, x, y), Face);
}

void tst_rxspeedbutton::grayImage_keepsMaskAndFace()
{
    QImage source(4, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, Mask);
    source.setPixel(1, 0, Face);
    source.setPixel(2, 0, qRgb(200, 100, 50));
    source.setPixel(3, 0, qRgb(255, 255, 255));
    const QImage gray = TRxButtonGlyph::grayImage(source, Mask, Face);
    QCOMPARE(gray.pixel(0, 0), Mask);
    QCOMPARE(gray.pixel(1, 0), Face);
    const int g = (77 * 200 + 150 * 100 + 29 * 50) >> 8;
    QCOMPARE(gray.pixel(2, 0), qRgb(g, g, g));
    QCOMPARE(gray.pixel(3, 0), qRgb(255, 255, 255)); // the weights add up to 256

    // With GrayedInactive, a flat button at rest shows it.
    auto button = makeButton(25, solidStrip({ qRgb(200, 100, 50) }));
    button->setGrayedInactive(true);
    QCOMPARE(px(button->renderImage(), 10, 10), qRgb(g, g, g));
}

void tst_rxspeedbutton::numGlyphs_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("expected");
    QTest::newRow("16x16") << QSize(16, 16) << 1 << 1;
    QTest::newRow("32x16") << QSize(32, 16) << 1 << 2;
    QTest::newRow("80x16") << QSize(80, 16) << 1 << 5;
    QTest::newRow("96x16 is one wide image") << QSize(96, 16) << 3 << 1;
    QTest::newRow("20x16 keeps the old count") << QSize(20, 16) << 2 << 2;
}

void tst_rxspeedbutton::numGlyphs()
{
    QFETCH(QSize, size);
    QFETCH(int, before);
    QFETCH(int, expected);
    TRxSpeedButton button;
    button.setNumGlyphs(before);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Blue);
    button.setGlyph(image);
    QCOMPARE(button.numGlyphs(), expected);
    button.setNumGlyphs(0);
    QCOMPARE(button.numGlyphs(), expected);
    button.setNumGlyphs(9);
    QCOMPARE(button.numGlyphs(), 5);
    // More images than pixels: nothing to draw, and nothing breaks.
    button.setGlyph(QImage(3, 16, QImage::Format_RGB32));
    button.setNumGlyphs(5);
    QCOMPARE(button.glyphHolder().stateImage(fbsUp, TButtonColors::fromPalette(testPalette())), -1);
}

void tst_rxspeedbutton::stores_sharedPerSizeAndSlotsReused()
{
    QCOMPARE(TGlyphCache::existing(), nullptr);
    const TButtonColors colors = TButtonColors::fromPalette(testPalette());
    {
        TRxButtonGlyph a, b, c;
        a.setGlyph(solidStrip({ Blue }));
        b.setGlyph(solidStrip({ Red }));
        c.setGlyph(solidStrip({ Red }, 8));
        QCOMPARE(a.stateImage(fbsUp, colors), 0);
        QCOMPARE(b.stateImage(fbsUp, colors), 1);
        QCOMPARE(a.stateImage(fbsDisabled, colors), 2);
        QCOMPARE(a.stateImage(fbsDown, colors), 0); // the down look is the up image
        QCOMPARE(c.stateImage(fbsUp, colors), 0);
        QCOMPARE(a.glyphList(), b.glyphList());
        QVERIFY(c.glyphList() != a.glyphList());
        QCOMPARE(TGlyphCache::existing()->listCount(), 2);
        QCOMPARE(a.glyphList()->count(), 3);

        // A new glyph gives both of a's slots back; b's stays, and the freed
        // lowest slot is reused first.
        TGlyphList *shared = b.glyphList();
        a.setGlyph(solidStrip({ Blue }));
        QCOMPARE(shared->count(), 1);
        QCOMPARE(a.stateImage(fbsInactive, colors), 0);
        QCOMPARE(a.stateImage(fbsUp, colors), 2);
        QCOMPARE(shared->slotCount(), 3);

        // A store whose last slot is given back is freed.
        c.dropImages();
        QCOMPARE(TGlyphCache::existing()->listCount(), 1);
    }
    // The cache goes with the last holder.
    QCOMPARE(TGlyphCache::existing(), nullptr);
}

void tst_rxspeedbutton::paletteChange_dropsImages()
{
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(Mask);
    glyph.setPixel(3, 3, qRgb(0, 0, 0));
    auto button = makeButton(25, glyph);
    button->setEnabled(false);
    QCOMPARE(px(button->renderImage(), 7, 7), Dark);
    QVERIFY(button->glyphHolder().stateSlot(fbsDisabled) != -1);

    QPalette dark = testPalette();
    dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Dark, QColor(0x05, 0x06, 0x07));
    button->setPalette(dark);
    QCOMPARE(button->glyphHolder().stateSlot(fbsDisabled), -1);
    const QImage image = button->renderImage();
    QCOMPARE(px(image, 7, 7), qRgb(0x05, 0x06, 0x07));
    QCOMPARE(px(image, 0, 0), qRgb(0x30, 0x30, 0x30));
}

void tst_rxspeedbutton::deviceRatio2_drawsEachPixelAsBlock()
{
    auto button = makeButton();
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(12, 12));
    const QImage image = button->renderImage(2.0);
    QCOMPARE(image.size(), QSize(50, 50));
    QCOMPARE(image.devicePixelRatio(), 2.0);
    for (const QPoint &d : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1) }) {
        QCOMPARE(px(image, 0 + d.x(), 0 + d.y()), Frame);
        QCOMPARE(px(image, 48 + d.x(), 0 + d.y()), Light);
        QCOMPARE(px(image, 10 + d.x(), 10 + d.y()), Blue); // logical (5, 5)
        QCOMPARE(px(image, 8 + d.x(), 10 + d.y()), Face); // logical (4, 5)
    }
}

void tst_rxspeedbutton::click_needsPressAndReleaseInside_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("clicks");
    QTest::newRow("inside") << QPoint(12, 12) << QPoint(12, 12) << Qt::LeftButton << 1;
    QTest::newRow("last pixel") << QPoint(24, 24) << QPoint(24, 24) << Qt::LeftButton << 1;
    QTest::newRow("released off") << QPoint(12, 12) << QPoint(40, 12) << Qt::LeftButton << 0;
    QTest::newRow("released at x = width") << QPoint(12, 12) << QPoint(25, 12) << Qt::LeftButton << 0;
    QTest::newRow("released at y = height") << QPoint(12, 12) << QPoint(12, 25) << Qt::LeftButton << 0;
    QTest::newRow("right button") << QPoint(12, 12) << QPoint(12, 12) << Qt::RightButton << 0;
}

void tst_rxspeedbutton::click_needsPressAndReleaseInside()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, clicks);
    auto b = makeButton();
    QSignalSpy spy(b.get(), &TRxSpeedButton::clicked);
    // The handler sees the button already drawn released.
    TFlatButtonState stateDuringClick = fbsDown;
    connect(b.get(), &TRxSpeedButton::clicked, b.get(), [&] { stateDuringClick = b->buttonState(); });
    QTest::mousePress(b.get(), button, {}, press);
    QTest::mouseRelease(b.get(), button, {}, release);
    QCOMPARE(spy.count(), clicks);
    if (clicks)
        QCOMPARE(stateDuringClick, fbsUp);
    QCOMPARE(b->buttonState(), fbsUp);
    QVERIFY(!b->isPressing());
}

void tst_rxspeedbutton::pressMoveOffAndBack_sunkenRaisedSunken()
{
    auto b = makeButton();
    QSignalSpy spy(b.get(), &TRxSpeedButton::clicked);
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QCOMPARE(px(b->renderImage(), 0, 0), Frame);
    QTest::mouseMove(b.get(), QPoint(30, 12));
    QCOMPARE(b->buttonState(), fbsUp);
    QVERIFY(b->isHot());
    const QImage off = b->renderImage();
    QCOMPARE(px(off, 0, 0), Light);
    QCOMPARE(px(off, 4, 4), Blue);
    QTest::mouseMove(b.get(), QPoint(20, 20));
    QCOMPARE(b->buttonState(), fbsDown);
    QCOMPARE(px(b->renderImage(), 0, 0), Frame);
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(spy.count(), 1);
}

void tst_rxspeedbutton::doubleClick_givesTwoClicks()
{
    auto b = makeButton();
    QSignalSpy spy(b.get(), &TRxSpeedButton::clicked);
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseDClick(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QCOMPARE(spy.count(), 2);
}

void tst_rxspeedbutton::enter_onlyWhileApplicationActive()
{
    QWidget window;
    auto *b = new TRxSpeedButton(&window);
    b->setPalette(testPalette());
    b->setFlat(true);
    b->move(10, 10);
    window.resize(100, 60);
    QSignalSpy entered(b, &TRxSpeedButton::mouseEntered);

    // No window of the program is active: no frame.
    sendEnter(b);
    QVERIFY(!b->isHot());
    QCOMPARE(px(b->renderImage(), 0, 0), Face);

    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    sendEnter(b);
    QVERIFY(b->isHot());
    QCOMPARE(entered.count(), 1);
    const QImage image = b->renderImage();
    QCOMPARE(px(image, 0, 0), Light);
    QCOMPARE(px(image, 24, 0), Dark);
    QCOMPARE(px(image, 0, 24), Dark);
    sendLeave(b);
    QVERIFY(!b->isHot());
    QCOMPARE(px(b->renderImage(), 0, 0), Face);
}

void tst_rxspeedbutton::leave_ignoredWhilePressing()
{
    auto b = makeButton();
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QVERIFY(b->isHot());
    sendLeave(b.get());
    QVERIFY(b->isHot());
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(40, 12));
    QVERIFY(!b->isHot());
}

void tst_rxspeedbutton::disable_underPointer_dropsFrameAtOnce()
{
    QWidget window;
    auto *b = new TRxSpeedButton(&window);
    b->setPalette(testPalette());
    b->setFlat(true);
    b->setGlyph(solidStrip({ Blue }));
    b->move(10, 10);
    window.resize(100, 60);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCursor::setPos(b->mapToGlobal(QPoint(12, 12)));
    sendEnter(b);
    QVERIFY(b->isHot());

    b->setEnabled(false);
    QVERIFY(!b->isHot());
    QImage image = b->renderImage();
    QCOMPARE(px(image, 0, 0), Face);
    QCOMPARE(px(image, 10, 10), Face); // blue has no black: blank disabled image

    b->setEnabled(true);
    QVERIFY(b->isHot());
    image = b->renderImage();
    QCOMPARE(px(image, 0, 0), Light);
    QCOMPARE(px(image, 10, 10), Blue);
}

void tst_rxspeedbutton::showHintOff_swallowsToolTip()
{
    QWidget window;
    auto *b = new TRxSpeedButton(&window);
    b->setHint(QStringLiteral("Set Screen\nSaver Text"));
    QCOMPARE(b->accessibleName(), QStringLiteral("Set Screen Saver Text"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    b->setShowHint(false);
    QHelpEvent off(QEvent::ToolTip, QPoint(5, 5), b->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(b, &off);
    QVERIFY(!QToolTip::isVisible());

    b->setShowHint(true);
    QHelpEvent on(QEvent::ToolTip, QPoint(5, 5), b->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(b, &on);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Set Screen\nSaver Text"));
    QToolTip::hideText();
}


void tst_rxspeedbutton::allowTimer_repeatsWhileHeld()
{
    auto b = makeButton();
    ManualTimer *timer = nullptr;
    b->setRepeatTimerFactory([&timer](QObject *parent) { return timer = new ManualTimer(parent); });
    b->setAllowTimer(true);
    QSignalSpy spy(b.get(), &TRxSpeedButton::clicked);
    QTest::mousePress(b.get(), Qt::LeftButton, {}, QPoint(12, 12));
    QVERIFY(timer);
    timer->advance(499);
    QCOMPARE(spy.count(), 0);
    timer->advance(1); // 500 ms: first repeat, then every 100 ms
    timer->advance(200);
    QCOMPARE(spy.count(), 3);
    QTest::mouseMove(b.get(), QPoint(40, 12)); // off the button: no repeats
    timer->advance(300);
    QCOMPARE(spy.count(), 3);
    QTest::mouseRelease(b.get(), Qt::LeftButton, {}, QPoint(40, 12));
    QVERIFY(!timer->isActive());
}

QTEST_MAIN(tst_rxspeedbutton)
#include "tst_rxspeedbutton.moc"
