// SPDX-License-Identifier: MIT
// The placement stores' keys and decisions, on a window that only answers questions.
#include "settings/formplacement.h"

#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TWindowState)

namespace {

constexpr TPlacementRect Designed { 462, 235, 939, 495 };

// A window of 477 x 260 at 462, 235 on a 1024 x 768 screen of 96 pixels per inch, with a border 4 pixels thick.
class FakeWindow : public TPlacementWindow
{
public:
    TWindowPlacement record;
    TWindowState state = wsNormal;
    bool visible = false;
    bool sizeable = true;
    bool applicationMinimized = false;
    bool positions = true; // Wayland tells no positions and minimises no window on request
    bool minimizes = true;
    int minimizePosts = 0;
    QSize screen { 1024, 768 };
    qint32 ppi = 96;
    QList<QRect> areas { QRect(0, 0, 1024, 768) };
    QStringList errors;

    FakeWindow() { record.normal = Designed; }
    ~FakeWindow() override { FormDestroy(); }

    TWindowPlacement placement() const override
    {
        TWindowPlacement p = record;
        p.showCmd = state == wsMinimized ? 2 : state == wsMaximized ? 3 : 1;
        return p;
    }
    void setPlacement(const TWindowPlacement &p) override
    {
        record.flags = p.flags;
        record.minPosition = p.minPosition;
        record.maxPosition = p.maxPosition;
        record.normal = p.normal;
    }
    bool isVisible() const override { return visible; }
    bool isSizeable() const override { return sizeable; }
    bool isMinimizedMainWindow() const override { return applicationMinimized; }
    void setWindowState(TWindowState s) override { state = s; }
    void postMinimize() override { ++minimizePosts; }
    QSize frameThickness() const override { return QSize(4, 4); }
    QSize screenSize() const override { return screen; }
    qint32 pixelsPerInch() const override { return ppi; }
    QList<QRect> workAreas() const override { return areas; }
    QSize minimumOuterSize() const override { return QSize(120, 80); }
    bool reportsPosition() const override { return positions; }
    bool canMinimize() const override { return minimizes; }
    void showError(const QString &message) override { errors << message; }

    void show()
    {
        FormShow();
        visible = true;
    }
    void close()
    {
        bool canClose = true;
        FormCloseQuery(canClose);
        visible = false;
    }
};

// The two stores of the main window, in the order it attaches them.
struct Stores
{
    TFormPlacement *placement;
    TFormStorage *storage;
};

Stores attachStores(FakeWindow &window)
{
    auto *placement = new TFormPlacement(&window);
    placement->IniFileName = QStringLiteral("OMBRYQuote.ini");
    placement->IniSection = QStringLiteral("Position");
    auto *storage = new TFormStorage(&window);
    storage->IniFileName = QStringLiteral("OmbryQuote");
    storage->IniSection = QStringLiteral("FormStorage");
    return { placement, storage };
}

QString rectText(const TPlacementRect &r)
{
    return oq::placement::formatFour(r.left, r.top, r.right, r.bottom);
}

} // namespace

class tst_formplacement : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QString path(const char *name) const { return oq::profileFilePath(QLatin1String(name)); }
    void writeFile(const char *name, const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(oq::profileFolder()));
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    QByteArray readFile(const char *name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
    }

    void init() { QDir(oq::profileFolder()).removeRecursively(); }

    void firstRun_writesEveryKeyInBothFiles()
    {
        writeFile("ombryquote.ini", "[quotefile]\nfilename=Quote.txt\n");
        {
            FakeWindow window;
            const Stores stores = attachStores(window);
            QCOMPARE(stores.placement->Options, TPlacementOptions(fpState) | fpPosition);
            window.show();
            QVERIFY(stores.placement->RestoreDone() && stores.storage->RestoreDone());
            window.close();
            QVERIFY(stores.placement->SaveDone() && stores.storage->SaveDone());
        }
        const QByteArray keys = "FormVersion=0\nFlags=0\nShowCmd=1\nPixelsPerInch=96\n"
                                "MinMaxPos(1024x768)=-1,-1,-4,-4\nMinMaxPos=-1,-1,-4,-4\n"
                                "NormPos(1024x768)=462,235,939,495\nNormPos=462,235,939,495\nVisible=0\n";
        QCOMPARE(readFile("ombryquote.ini"), "[quotefile]\nfilename=Quote.txt\n\n[Position]\n" + keys);
        QCOMPARE(readFile("OmbryQuote"), "[FormStorage]\n" + keys);
    }

    void screenSizes_eachKeepsItsOwnPosition()
    {
        FakeWindow window;
        attachStores(window);
        window.show();
        window.record.normal = { 10, 20, 310, 220 };
        window.close();
        // Another screen without keys of its own takes the last position saved.
        window.screen = QSize(1280, 1024);
        window.record.normal = Designed;
        window.show();
        QCOMPARE(rectText(window.record.normal), QStringLiteral("10,20,310,220"));
        window.record.normal = { 50, 60, 350, 260 };
        window.close();
        // Back on the first screen its own keys win over the newer plain ones.
        window.screen = QSize(1024, 768);
        window.show();
        QCOMPARE(rectText(window.record.normal), QStringLiteral("10,20,310,220"));
        const TIniFile ini(QStringLiteral("OmbryQuote"));
        QCOMPARE(ini.ReadText("FormStorage", "NormPos", QString()), QStringLiteral("50,60,350,260"));
        QCOMPARE(ini.ReadText("FormStorage", "NormPos(1280x1024)", QString()), QStringLiteral("50,60,350,260"));
    }

    void restore_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<bool>("sizeable");
        QTest::addColumn<QString>("normal");
        QTest::addColumn<TWindowState>("state");
        QTest::addColumn<int>("minimizePosts");

        const QString designed = rectText(Designed);
        QTest::newRow("no keys") << QByteArray() << true << designed << wsNormal << 0;
        QTest::newRow("commas") << QByteArray("NormPos=10,20,300,400") << true << "10,20,300,400" << wsNormal << 0;
        QTest::newRow("blanks read like commas")
            << QByteArray("NormPos=10 20 300 400") << true << "10,20,300,400" << wsNormal << 0;
        QTest::newRow("runs of separators")
            << QByteArray("NormPos= ,10 ,, 20,\t300  400,") << true << "10,20,300,400" << wsNormal << 0;
        QTest::newRow("two words: right and bottom from the current bounds")
            << QByteArray("NormPos=10,20") << true << "10,20,939,495" << wsNormal << 0;
        QTest::newRow("a bad word takes its default")
            << QByteArray("NormPos=10,top,300,400") << true << "10,235,300,400" << wsNormal << 0;
        QTest::newRow("hexadecimal words")
            << QByteArray("NormPos=$10,0x20,300,400") << true << "16,32,300,400" << wsNormal << 0;
        QTest::newRow("suffixed key first") << QByteArray("NormPos=1,2,300,400\nNormPos(1024x768)=10,20,300,400")
                                            << true << "10,20,300,400" << wsNormal << 0;
        QTest::newRow("empty suffixed key: plain one")
            << QByteArray("NormPos(1024x768)=\nNormPos=10,20,300,400") << true << "10,20,300,400" << wsNormal << 0;
        QTest::newRow("right not beyond left: nothing applied")
            << QByteArray("NormPos=300,20,300,400") << true << designed << wsNormal << 0;
        QTest::newRow("fixed border: only the corner")
            << QByteArray("NormPos=10,20,50,60") << false << "10,20,487,280" << wsNormal << 0;
        QTest::newRow("other pixels per inch: position ignored, state applied")
            << QByteArray("PixelsPerInch=120\nNormPos=10,20,300,400\nShowCmd=3") << true << designed << wsMaximized
            << 0;
        QTest::newRow("same pixels per inch")
            << QByteArray("PixelsPerInch=96\nNormPos=10,20,300,400") << true << "10,20,300,400" << wsNormal << 0;
        QTest::newRow("older version: nothing read")
            << QByteArray("FormVersion=-1\nNormPos=10,20,300,400\nShowCmd=3") << true << designed << wsNormal << 0;

        // Show commands.
        for (const int cmd : { 1, 5, 9 })
            QTest::addRow("ShowCmd %d: normal", cmd)
                << "ShowCmd=" + QByteArray::number(cmd) << true << designed << wsNormal << 0;
        for (const int cmd : { 2, 6, 7 })
            QTest::addRow("ShowCmd %d: shown normal, then minimised", cmd)
                << "ShowCmd=" + QByteArray::number(cmd) << true << designed << wsNormal << 1;
        QTest::newRow("ShowCmd 3: maximised") << QByteArray("ShowCmd=3") << true << designed << wsMaximized << 0;
        for (const QByteArray &cmd :
            { QByteArray("0"), QByteArray("4"), QByteArray("8"), QByteArray("-1"), QByteArray("max") })
            QTest::addRow("ShowCmd %s: normal", cmd.constData())
                << "ShowCmd=" + cmd << true << designed << wsNormal << 0;
        QTest::newRow("minimised from maximised: comes back maximised")
            << QByteArray("ShowCmd=2\nFlags=2") << true << designed << wsMaximized << 1;
    }

    void restore()
    {
        QFETCH(QByteArray, keys);
        QFETCH(bool, sizeable);
        QFETCH(QString, normal);
        QFETCH(TWindowState, state);
        QFETCH(int, minimizePosts);

        // "Position" is applied last, so its keys decide.
        writeFile("ombryquote.ini", "[Position]\n" + keys + "\n");
        FakeWindow window;
        window.sizeable = sizeable;
        TFormPlacement *store = attachStores(window).placement;
        window.show();
        QCOMPARE(rectText(window.record.normal), normal);
        QCOMPARE(window.state, state);
        QCOMPARE(window.minimizePosts, minimizePosts);
        QVERIFY(store->RestoreDone());
        // The border of a maximised window lies just outside the screen.
        QCOMPARE(window.record.maxPosition, QPoint(-4, -4));
        // Never closed, the stores would save at destruction; nothing to see here.
        for (TFormPlacement *attached : window.stores())
            attached->Active = false;
    }

    // Bounds no screen can show well, and a platform that tells no positions: what is applied, what is saved
    // ("flags,showCmd,normal"; on Wayland the window reports a place of its own and was widened by 20).
    void placesAndPlatforms_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("minimizes");
        QTest::addColumn<QString>("applied");
        QTest::addColumn<QString>("saved");
        const QSize s1024(1024, 768);
        QTest::newRow("wholly off the screen: moved onto it")
            << QByteArray("NormPos=2000,100,2477,360") << s1024 << false << true << "547,100,1024,360"
            << "0,1,547,100,1024,360";
        QTest::newRow("above and left of the screen") << QByteArray("NormPos=-900,-700,-423,-440") << s1024 << false
                                                      << true << "0,0,477,260" << "0,1,0,0,477,260";
        QTest::newRow("title bar above the screen") << QByteArray("NormPos=-200,-100,300,200") << s1024 << false
                                                    << true << "-200,0,300,300" << "0,1,-200,0,300,300";
        QTest::newRow("all but 50 pixels left of it") << QByteArray("NormPos=-450,50,50,350") << s1024 << false << true
                                                      << "-400,50,100,350" << "0,1,-400,50,100,350";
        QTest::newRow("title bar below it") << QByteArray("NormPos=100,760,600,1060") << s1024 << false << true
                                            << "100,668,600,968" << "0,1,100,668,600,968";
        QTest::newRow("saved on a larger screen") << QByteArray("NormPos=100,100,1124,868") << QSize(800, 600) << false
                                                  << true << "0,0,800,600" << "0,1,0,0,800,600";
        QTest::newRow("smaller than the window can be") << QByteArray("NormPos=10,20,11,21") << s1024 << false << true
                                                        << "10,20,130,100" << "0,1,10,20,130,100";
        QTest::newRow("bottom above top") << QByteArray("NormPos=10,300,400,200") << s1024 << false << true
                                          << "10,300,400,380" << "0,1,10,300,400,380";
        QTest::newRow("extreme numbers") << QByteArray("NormPos=-2147483648,-2147483648,2147483647,2147483647")
                                         << s1024 << false << true << "0,0,1024,768" << "0,1,0,0,1024,768";
        QTest::newRow("Wayland: position kept, size saved") << QByteArray("NormPos=300,300,800,600") << s1024 << true
                                                            << false << "300,300,800,600" << "0,1,300,300,820,600";
        QTest::newRow("Wayland: stored place kept as it was") << QByteArray("NormPos=-200,-100,300,200") << s1024
                                                              << true << false << "-200,0,300,300"
                                                              << "0,1,-200,-100,320,200";
        QTest::newRow("Wayland: nothing stored") << QByteArray() << s1024 << true << false << rectText(Designed)
                                                 << "0,1,462,235,959,495";
        QTest::newRow("Wayland: minimised kept") << QByteArray("ShowCmd=2\nNormPos=10,20,300,400") << s1024 << true
                                                 << false << "10,20,300,400" << "0,2,10,20,320,400";
        QTest::newRow("Wayland: minimised from maximised kept") << QByteArray("ShowCmd=2\nFlags=2") << s1024 << true
                                                                << false << rectText(Designed) << "2,2,462,235,959,495";
        QTest::newRow("no window manager: minimised kept") << QByteArray("ShowCmd=2\nNormPos=10,20,300,400") << s1024
                                                           << false << false << "10,20,300,400" << "0,2,10,20,300,400";
    }

    void placesAndPlatforms()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QSize, screen);
        QFETCH(bool, wayland);
        QFETCH(bool, minimizes);
        QFETCH(QString, applied);
        QFETCH(QString, saved);
        writeFile("ombryquote.ini", "[Position]\n" + keys + "\n");
        {
            FakeWindow window;
            window.screen = screen;
            window.areas = { QRect(QPoint(0, 0), screen) };
            window.positions = !wayland;
            window.minimizes = minimizes;
            attachStores(window);
            window.show();
            QCOMPARE(rectText(window.record.normal), applied);
            QCOMPARE(window.minimizePosts, 0);
            if (wayland) {
                const TPlacementRect &n = window.record.normal;
                window.record.normal = { -3, -30, -3 + n.right - n.left + 20, -30 + n.bottom - n.top };
            }
            window.close();
        }
        const TIniFile ini(QStringLiteral("OMBRYQuote.ini"));
        const QString normPos = ini.ReadText("Position", "NormPos", QString());
        QCOMPARE(ini.ReadText("Position", "NormPos" + oq::placement::screenSuffix(screen), QString()), normPos);
        QCOMPARE(QStringLiteral("%1,%2,").arg(ini.ReadNumber("Position", "Flags", -1)).arg(
                     ini.ReadNumber("Position", "ShowCmd", -1)) + normPos, saved);
    }

    void twoStores_data()
    {
        QTest::addColumn<QByteArray>("position");
        QTest::addColumn<QString>("normal");
        QTest::newRow("both hold data: Position is applied last")
            << QByteArray("NormPos=10,20,300,400") << QStringLiteral("10,20,300,400");
        QTest::newRow("Position of an older version: FormStorage alone")
            << QByteArray("FormVersion=-1\nNormPos=10,20,300,400") << QStringLiteral("50,60,350,260");
    }

    void twoStores()
    {
        QFETCH(QByteArray, position);
        QFETCH(QString, normal);
        writeFile("ombryquote.ini", "[Position]\n" + position + "\n");
        writeFile("OmbryQuote", "[FormStorage]\nNormPos=50,60,350,260\n");
        FakeWindow window;
        [[maybe_unused]] const Stores stores = attachStores(window);
        window.show();
        QCOMPARE(rectText(window.record.normal), normal);
        // Both count as restored and both save at the close.
        window.close();
        QCOMPARE(TIniFile("OMBRYQuote.ini").ReadNumber("Position", "FormVersion", -1), 0);
        QCOMPARE(TIniFile("OmbryQuote").ReadText("FormStorage", "NormPos", QString()), normal);
    }

    void neverShown_overwritesNothing()
    {
        writeFile("OmbryQuote", "[FormStorage]\nNormPos=10,20,300,400\n");
        {
            FakeWindow window;
            const Stores stores = attachStores(window);
            window.close();
            QVERIFY(!stores.storage->SaveDone());
        }
        QCOMPARE(readFile("OmbryQuote"), QByteArray("[FormStorage]\nNormPos=10,20,300,400\n"));
        QVERIFY(!QFile::exists(path("ombryquote.ini")));
    }

    void minimisedApplication_savesShowCmd2()
    {
        FakeWindow window;
        attachStores(window);
        window.show();
        window.state = wsMaximized;
        window.applicationMinimized = true;
        window.close();
        QCOMPARE(TIniFile("OmbryQuote").ReadNumber("FormStorage", "ShowCmd", 0), 2);
    }

    void newerVersion_skipsOlderDataAndSavesItsOwn()
    {
        writeFile("OmbryQuote", "[FormStorage]\nFormVersion=1\nNormPos=10,20,300,400\n");
        FakeWindow window;
        TFormStorage *store = attachStores(window).storage;
        store->Version = 2;
        window.show();
        QCOMPARE(window.record.normal, Designed);
        window.close();
        QCOMPARE(TIniFile("OmbryQuote").ReadNumber("FormStorage", "FormVersion", 0), 2);
        QCOMPARE(TIniFile("OmbryQuote").ReadText("FormStorage", "NormPos", QString()), rectText(Designed));
    }

    void failedSaveAtClose_savesAgainAtDestruction()
    {
        QStringList errors;
        {
            FakeWindow window;
            const Stores stores = attachStores(window);
            window.show();
            // A folder where the file should be cannot be written.
            QVERIFY(QDir().mkpath(path("OmbryQuote")));
            window.close();
            errors = window.errors;
            QCOMPARE(errors, QStringList { "Unable to write to OmbryQuote" });
            QVERIFY(stores.placement->SaveDone());
            QVERIFY(!stores.storage->SaveDone());
            QVERIFY(QDir(path("OmbryQuote")).removeRecursively());
            window.record.normal = { 10, 20, 300, 400 };
        }
        // Only the store that failed saved again, and says so.
        const TIniFile storage(QStringLiteral("OmbryQuote"));
        QCOMPARE(storage.ReadText("FormStorage", "Visible", QString()), QStringLiteral("1"));
        QCOMPARE(storage.ReadText("FormStorage", "NormPos", QString()), QStringLiteral("10,20,300,400"));
        const TIniFile position(QStringLiteral("OMBRYQuote.ini"));
        QCOMPARE(position.ReadText("Position", "Visible", QString()), QStringLiteral("0"));
        QCOMPARE(position.ReadText("Position", "NormPos", QString()), rectText(Designed));
    }

    void inactiveStore_doesNothingAtShowOrClose()
    {
        writeFile("OmbryQuote", "[FormStorage]\nNormPos=10,20,300,400\nShowCmd=3\n");
        FakeWindow window;
        TFormStorage *store = attachStores(window).storage;
        store->Active = false;
        window.show();
        window.close();
        QCOMPARE(window.record.normal, Designed);
        QCOMPARE(window.state, wsNormal);
        QCOMPARE(readFile("OmbryQuote"), QByteArray("[FormStorage]\nNormPos=10,20,300,400\nShowCmd=3\n"));
    }

    void storeOwnedByNoWindow_startsWithoutOptions()
    {
        TFormPlacement store;
        QCOMPARE(store.Options, TPlacementOptions());
        QVERIFY(store.Active);
    }

    void fitOntoWorkAreas_data()
    {
        QTest::addColumn<QString>("rect");
        QTest::addColumn<QString>("fitted");
        // The primary screen 1024 x 768; a second one of 1280 x 1024 to its right.
        QTest::newRow("on the second screen") << "1100,100,1600,500"
                                              << "1100,100,1600,500";
        QTest::newRow("across both screens") << "800,100,1400,500"
                                             << "800,100,1400,500";
        QTest::newRow("below the primary, beside the second") << "100,900,600,1100"
                                                              << "100,568,600,768";
        QTest::newRow("right of both") << "2400,100,2900,500"
                                       << "524,100,1024,500";
        QTest::newRow("larger than the primary, off both") << "-3000,0,-1800,900"
                                                           << "0,0,1024,768";
        QTest::newRow("as wide as both") << "0,0,9000,400"
                                         << "0,0,2304,400";
    }

    void fitOntoWorkAreas()
    {
        QFETCH(QString, rect);
        QFETCH(QString, fitted);
        const auto v = oq::placement::readFour(rect, { 0, 0, 0, 0 });
        const QList<QRect> areas { QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024) };
        QCOMPARE(rectText(oq::placement::fitOntoWorkAreas({ v[0], v[1], v[2], v[3] }, QSize(120, 80), areas)), fitted);
    }
};

QTEST_GUILESS_MAIN(tst_formplacement)
#include "tst_formplacement.moc"
