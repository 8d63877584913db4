// SPDX-License-Identifier: MIT
// The spin button: which half a point is in, its three faces pixel by pixel,
// and the press / repeat / move / release rules on a simulated clock.
#include "controls/rxspinbutton.h"
#include "manualtimer.h"
#include "testpalette.h"

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <memory>

namespace {

const QRgb Black = qRgb(0, 0, 0);

QRgb px(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xff000000u;
}


// A spin button with counting handlers and a simulated clock.
struct Rig
{
    std::unique_ptr<TRxSpinButton> spin = std::make_unique<TRxSpinButton>();
    ManualTimer *timer = nullptr;
    int top = 0;
    int bottom = 0;

    Rig()
    {
        spin->setPalette(testPalette());
        spin->setRepeatTimerFactory([this](QObject *parent) { return timer = new ManualTimer(parent); });
        QObject::connect(spin.get(), &TRxSpinButton::topClick, [this] { ++top; });
        QObject::connect(spin.get(), &TRxSpinButton::bottomClick, [this] { ++bottom; });
    }
    void advance(int msec)
    {
        if (timer)
            timer->advance(msec);
    }
    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(spin.get(), b, {}, p); }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(spin.get(), b, {}, p); }
    void move(QPoint p) { QTest::mouseMove(spin.get(), p); }
};

const QPoint TopPoint(5, 5);
const QPoint BottomPoint(15, 15);

} // namespace

class tst_rxspinbutton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void halfAt_data();
    void halfAt();
    void faces_data();
    void faces();
    void face_deviceRatio2();
    void disabled_looksTheSameAndIgnoresPresses();
    void nullGlyph_restoresBuiltInArrow();
    void glyphPosition_roundsHalfToEven();
    void pressAndQuickRelease_firesOnce();
    void oneSecondHold_firesEightTimes();
    void dragOffAndBack_suspendsAndResumes();
    void dragOffControl_releaseFiresNothing();
    void rightButton_endsHold();
    void captureLost_stopsRepeats();
    void doubleClick_firesTwice();
    void handlerTakingRelease_noRepeats();
    void noHandler_stateUnchanged();
    void focusControl_getsFocusOnPress();
    void showHintOff_swallowsToolTip();
};

void tst_rxspinbutton::initTestCase()
{
    QCOMPARE(TRxSpinButton().size(), QSize(20, 20));
}

void tst_rxspinbutton::halfAt_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("half");
    QTest::newRow("20x20 (10,10) on the line") << QSize(20, 20) << QPoint(10, 10) << int(shTop);
    QTest::newRow("20x20 (10,11)") << QSize(20, 20) << QPoint(10, 11) << int(shBottom);
    QTest::newRow("20x20 (5,15) on the line") << QSize(20, 20) << QPoint(5, 15) << int(shTop);
    QTest::newRow("20x20 (5,16)") << QSize(20, 20) << QPoint(5, 16) << int(shBottom);
    QTest::newRow("20x20 (0,20) corner") << QSize(20, 20) << QPoint(0, 20) << int(shTop);
    QTest::newRow("20x40 (10,20) on the line") << QSize(20, 40) << QPoint(10, 20) << int(shTop);
    QTest::newRow("20x40 (10,21)") << QSize(20, 40) << QPoint(10, 21) << int(shBottom);
    QTest::newRow("20x40 (15,11)") << QSize(20, 40) << QPoint(15, 11) << int(shBottom);
    QTest::newRow("20x40 (15,10) on the line") << QSize(20, 40) << QPoint(15, 10) << int(shTop);
    QTest::newRow("zero width") << QSize(0, 20) << QPoint(0, 10) << int(shTop);
}

void tst_rxspinbutton::halfAt()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, point);
    QFETCH(int, half);
    Rig rig;
    rig.spin->resize(size);
    QCOMPARE(int(rig.spin->halfAt(point.x(), point.y())), half);
    if (size.width() == 0)
        return;
    // Presses and moves divide the halves by the same rule.
    rig.press(point);
    QCOMPARE(rig.top, half == shTop ? 1 : 0);
    QCOMPARE(rig.bottom, half == shBottom ? 1 : 0);
    QCOMPARE(int(rig.spin->pressedHalf()), half);
    const QPoint other = half == shTop ? QPoint(size.width() - 2, size.height() - 2) : QPoint(1, 1);
    rig.move(other);
    QCOMPARE(rig.spin->pressedHalf(), shNone);
    rig.move(point);
    QCOMPARE(int(rig.spin->pressedHalf()), half);
}

void tst_rxspinbutton::faces_data()
{
    QTest::addColumn<int>("pressed");
    QTest::addColumn<QList<QPoint>>("points");
    QTest::addColumn<QList<QRgb>>("colours");
    // Outline and diagonal, the top half's edges, the bottom half's edges, the glyphs.
    const QList<QPoint> points { { 0, 0 }, { 19, 19 }, { 10, 9 }, { 1, 1 }, { 1, 16 }, { 16, 1 }, { 1, 17 }, { 17, 1 },
        { 10, 18 }, { 18, 10 }, { 2, 18 }, { 10, 10 }, { 10, 11 }, { 5, 3 }, { 9, 6 }, { 3, 3 }, { 13, 11 }, { 11, 14 },
        { 11, 11 }, { 16, 14 } };
    QTest::newRow("released") << int(shNone) << points
                              << QList<QRgb> { Frame, Frame, Frame, Light, Light, Light, Dark, Dark, Dark, Dark, Light,
                                     Light, Face, Black, Face, Face, Black, Black, Face, Black };
    QTest::newRow("top pressed") << int(shTop) << points
                                 << QList<QRgb> { Frame, Frame, Frame, Dark, Dark, Dark, Face, Face, Dark, Dark, Light,
                                        Light, Face, Face, Black, Face, Black, Black, Face, Black };
    QTest::newRow("bottom pressed") << int(shBottom) << points
                                    << QList<QRgb> { Frame, Frame, Frame, Light, Light, Light, Dark, Dark, Light, Light,
                                           Dark, Dark, Dark, Black, Face, Face, Black, Black, Face, Black };
}

void tst_rxspinbutton::faces()
{
    QFETCH(int, pressed);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<QRgb>, colours);
    Rig rig;
    const QImage face = rig.spin->renderFace(TSpinHalf(pressed));
    QCOMPARE(face.size(), QSize(20, 20));
    for (int i = 0; i < points.size(); ++i) {
        const QPoint p = points.at(i);
        if (px(face, p.x(), p.y()) != colours.at(i))
            QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): %3, expected %4")
                                 .arg(p.x())
                                 .arg(p.y())
                                 .arg(QColor(px(face, p.x(), p.y())).name(), QColor(colours.at(i)).name())));
    }
    // Paint shows the face of the pressed half.
    if (pressed == shTop)
        rig.press(TopPoint);
    else if (pressed == shBottom)
        rig.press(BottomPoint);
    QCOMPARE(rig.spin->renderImage(), face);
}

void tst_rxspinbutton::face_deviceRatio2()
{
    Rig rig;
    const QImage face = rig.spin->renderImage(2.0);
    QCOMPARE(face.size(), QSize(40, 40));
    for (const QPoint &d : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1) }) {
        QCOMPARE(px(face, 0 + d.x(), 0 + d.y()), Frame);
        QCOMPARE(px(face, 20 + d.x(), 18 + d.y()), Frame); // diagonal (10, 9)
        QCOMPARE(px(face, 10 + d.x(), 6 + d.y()), Black); // up arrow tip (5, 3)
        QCOMPARE(px(face, 6 + d.x(), 6 + d.y()), Face); // (3, 3)
    }
    // The arrow is doubled, not blown up: the step of its edge at (4, 4) gets a smooth corner.
    QCOMPARE(px(face, 8, 8), Face);
    QCOMPARE(px(face, 9, 9), Black);
    // On a dark desktop the arrows take the light text colour.
    rig.spin->setPalette(darkPalette());
    QCOMPARE(px(rig.spin->renderImage(), 5, 3), darkPalette().color(QPalette::ButtonText).rgb());
}

void tst_rxspinbutton::disabled_looksTheSameAndIgnoresPresses()
{
    Rig rig;
    const QImage enabled = rig.spin->renderImage();
    rig.spin->setEnabled(false);
    QCOMPARE(rig.spin->renderImage(), enabled);
    rig.press(TopPoint);
    rig.advance(1000);
    QCOMPARE(rig.top, 0);
    QVERIFY(!rig.spin->isHolding());

    // Disabled during a hold: the repeats stop.
    rig.spin->setEnabled(true);
    rig.press(TopPoint);
    rig.spin->setEnabled(false);
    rig.advance(1000);
    QCOMPARE(rig.top, 1);
}

void tst_rxspinbutton::nullGlyph_restoresBuiltInArrow()
{
    Rig rig;
    const QImage before = rig.spin->renderImage();
    QImage glyph(6, 6, QImage::Format_RGB32);
    glyph.fill(qRgb(0, 0x80, 0));
    glyph.setPixel(0, 5, Light);
    rig.spin->setUpGlyph(glyph);
    QCOMPARE(px(rig.spin->renderImage(), 3, 3), qRgb(0, 0x80, 0));
    QCOMPARE(px(rig.spin->renderImage(), 3, 8), Face); // its transparent bottom-left pixel
    rig.spin->setUpGlyph(QImage());
    QCOMPARE(rig.spin->renderImage(), before);
    QCOMPARE(rig.spin->upGlyph(), TRxSpinButton::defaultUpGlyph());
}

void tst_rxspinbutton::glyphPosition_roundsHalfToEven()
{
    // 22 × 22 with 5 × 5 glyphs: 22/4 − 2.5 = 3 exactly; 30 × 30 with 5 × 5:
    // 7.5 − 2.5 = 5; 26 × 26 with 3 × 3: 6.5 − 1.5 = 5; 18 × 18 with 4 × 4:
    // 4.5 − 2 = 2.5 → 2 (even), and 13.5 − 2 = 11.5 → 12 (even).
    Rig rig;
    rig.spin->resize(18, 18);
    QImage glyph(4, 4, QImage::Format_RGB32);
    glyph.fill(qRgb(0, 0x80, 0));
    glyph.setPixel(0, 3, qRgb(1, 2, 3)); // transparent
    rig.spin->setUpGlyph(glyph);
    rig.spin->setDownGlyph(glyph);
    const QImage face = rig.spin->renderFace(shNone);
    QCOMPARE(px(face, 2 + 1, 2 + 1), qRgb(0, 0x80, 0));
    QVERIFY(px(face, 2, 3) != qRgb(0, 0x80, 0));
    QCOMPARE(px(face, 12 - 1, 12 - 1), qRgb(0, 0x80, 0));
    QVERIFY(px(face, 10, 12) != qRgb(0, 0x80, 0));
}

void tst_rxspinbutton::pressAndQuickRelease_firesOnce()
{
    Rig rig;
    rig.press(TopPoint);
    QCOMPARE(rig.top, 1);
    rig.advance(399);
    rig.release(TopPoint);
    rig.advance(1000);
    QCOMPARE(rig.top, 1);
    QCOMPARE(rig.spin->pressedHalf(), shNone);
    QVERIFY(!rig.timer->isActive());
}

void tst_rxspinbutton::oneSecondHold_firesEightTimes()
{
    Rig rig;
    rig.press(BottomPoint);
    rig.advance(399);
    QCOMPARE(rig.bottom, 1);
    rig.advance(1); // 400 ms
    QCOMPARE(rig.bottom, 2);
    rig.advance(600); // 500 ... 1000 ms
    QCOMPARE(rig.bottom, 8);
    QCOMPARE(rig.top, 0);
    rig.release(BottomPoint);

    // The next hold starts again with 400 ms.
    rig.press(BottomPoint);
    rig.advance(399);
    QCOMPARE(rig.bottom, 9);
    rig.advance(1);
    QCOMPARE(rig.bottom, 10);
}

void tst_rxspinbutton::dragOffAndBack_suspendsAndResumes()
{
    Rig rig;
    const QImage released = rig.spin->renderFace(shNone);
    const QImage topFace = rig.spin->renderFace(shTop);
    rig.press(TopPoint);
    rig.advance(450); // fired at 0 and 400
    QCOMPARE(rig.top, 2);
    rig.move(BottomPoint);
    QCOMPARE(rig.spin->renderImage(), released);
    rig.advance(300);
    QCOMPARE(rig.top, 2);
    QCOMPARE(rig.bottom, 0);
    rig.move(TopPoint); // at 750 ms
    QCOMPARE(rig.spin->renderImage(), topFace);
    rig.advance(60); // the 100 ms rhythm goes on: 800 ms
    QCOMPARE(rig.top, 3);
    rig.move(BottomPoint);
    rig.release(BottomPoint);
    rig.advance(1000);
    QCOMPARE(rig.top, 3);
    QCOMPARE(rig.bottom, 0);
    QCOMPARE(rig.spin->renderImage(), released);
}

void tst_rxspinbutton::dragOffControl_releaseFiresNothing()
{
    Rig rig;
    rig.press(TopPoint);
    rig.move(QPoint(20, 20)); // the edge still counts as on the control
    QCOMPARE(rig.spin->pressedHalf(), shNone);
    rig.move(QPoint(5, 21));
    rig.advance(1000);
    rig.release(QPoint(5, 30));
    QCOMPARE(rig.top, 1);
    QCOMPARE(rig.spin->pressedHalf(), shNone);
    QCOMPARE(rig.spin->renderImage(), rig.spin->renderFace(shNone));
}

void tst_rxspinbutton::rightButton_endsHold()
{
    Rig rig;
    rig.press(TopPoint);
    rig.advance(450);
    rig.press(TopPoint, Qt::RightButton);
    rig.release(TopPoint, Qt::RightButton);
    QVERIFY(!rig.spin->isHolding());
    QCOMPARE(rig.spin->pressedHalf(), shNone);
    rig.advance(1000);
    QCOMPARE(rig.top, 2);
    QCOMPARE(rig.spin->renderImage(), rig.spin->renderFace(shNone));
}

void tst_rxspinbutton::captureLost_stopsRepeats()
{
    QWidget window;
    Rig rig;
    rig.spin->setParent(&window);
    rig.spin->show();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    rig.press(TopPoint);
    QVERIFY(rig.spin->holdsCapture());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!rig.spin->holdsCapture());
    rig.advance(1000);
    QCOMPARE(rig.top, 1);
    rig.spin->setParent(nullptr);
}

void tst_rxspinbutton::doubleClick_firesTwice()
{
    Rig rig;
    rig.press(TopPoint);
    rig.release(TopPoint);
    QTest::mouseDClick(rig.spin.get(), Qt::LeftButton, {}, TopPoint);
    rig.release(TopPoint);
    QCOMPARE(rig.top, 2);
}

void tst_rxspinbutton::handlerTakingRelease_noRepeats()
{
    // The handler runs a modal window, which takes the release.
    QWidget window;
    auto *spin = new TRxSpinButton(&window);
    ManualTimer *timer = nullptr;
    spin->setRepeatTimerFactory([&timer](QObject *parent) { return timer = new ManualTimer(parent); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int fired = 0;
    connect(spin, &TRxSpinButton::topClick, spin, [&] {
        ++fired;
        QDialog dialog(&window);
        QTimer::singleShot(0, &dialog, &QDialog::accept);
        dialog.exec();
    });
    QTest::mousePress(spin, Qt::LeftButton, {}, TopPoint);
    QCOMPARE(fired, 1);
    QCOMPARE(spin->pressedHalf(), shNone);
    QCOMPARE(spin->renderImage(), spin->renderFace(shNone));
    timer->advance(1000);
    QCOMPARE(fired, 1);
}

void tst_rxspinbutton::noHandler_stateUnchanged()
{
    TRxSpinButton spin;
    int top = 0;
    connect(&spin, &TRxSpinButton::topClick, &spin, [&] { ++top; });
    QTest::mousePress(&spin, Qt::LeftButton, {}, BottomPoint);
    QCOMPARE(spin.pressedHalf(), shBottom);
    QCOMPARE(top, 0);
}

void tst_rxspinbutton::focusControl_getsFocusOnPress()
{
    QWidget window;
    auto *edit = new QWidget(&window);
    edit->setFocusPolicy(Qt::StrongFocus);
    auto *spin = new TRxSpinButton(&window);
    spin->move(50, 0);
    spin->setFocusControl(edit);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::mousePress(spin, Qt::LeftButton, {}, TopPoint);
    QTest::mouseRelease(spin, Qt::LeftButton, {}, TopPoint);
    QVERIFY(edit->hasFocus());
    QVERIFY(!spin->hasFocus());
    delete edit;
    QCOMPARE(spin->focusControl(), nullptr);
    QTest::mousePress(spin, Qt::LeftButton, {}, TopPoint);
}

void tst_rxspinbutton::showHintOff_swallowsToolTip()
{
    QWidget window;
    auto *spin = new TRxSpinButton(&window);
    spin->setHint(QStringLiteral("Font Size Changer"));
    QCOMPARE(spin->accessibleName(), QStringLiteral("Font Size Changer"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    spin->setShowHint(false);
    QHelpEvent off(QEvent::ToolTip, QPoint(5, 5), spin->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(spin, &off);
    QVERIFY(!QToolTip::isVisible());
    spin->setShowHint(true);
    QHelpEvent on(QEvent::ToolTip, QPoint(5, 5), spin->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(spin, &on);
    QTRY_VERIFY(QToolTip::isVisible());
    QToolTip::hideText();
}

QTEST_MAIN(tst_rxspinbutton)
#include "tst_rxspinbutton.moc"
