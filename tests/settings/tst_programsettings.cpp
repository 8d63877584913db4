// SPDX-License-Identifier: MIT
#include "settings/programsettings.h"

#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_programsettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void read_data();
    void read();

    void write_firstRun_storesDefaults();
    void write_keepsOtherSectionsAndInstallDir();
    void write_filenameFails_fontSizeNotTried();
    void storableFileName_isWhatTheSettingsKeep_data();
    void storableFileName_isWhatTheSettingsKeep();
    void closeWrite_writesOnlyWhatChanged_data();
    void closeWrite_writesOnlyWhatChanged();

    void closeFailures_data();
    void closeFailures();

private:
    QString profilePath() const { return oq::profileFilePath(QLatin1String(oq::SettingsFileName)); }
    void writeProfile(const QByteArray &data);
    QByteArray readProfile() const;

    std::unique_ptr<QTemporaryDir> m_configHome;
};

void tst_programsettings::initTestCase()
{
    m_configHome = std::make_unique<QTemporaryDir>();
    QVERIFY(m_configHome->isValid());
    qputenv("XDG_CONFIG_HOME", m_configHome->path().toLocal8Bit());
}

void tst_programsettings::init()
{
    QDir(oq::profileFolder()).removeRecursively();
}

void tst_programsettings::writeProfile(const QByteArray &data)
{
    QVERIFY(QDir().mkpath(oq::profileFolder()));
    QFile file(profilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

QByteArray tst_programsettings::readProfile() const
{
    QFile file(profilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void tst_programsettings::read_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no profile file at all
    QTest::addColumn<QString>("quoteFileName");
    QTest::addColumn<QString>("installDir");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("exitCountdown");

    QTest::newRow("noFile") << QByteArray() << "Quote.txt" << "" << 8 << 0;
    QTest::newRow("otherSectionsOnly") << QByteArray("[Position]\nFlags=0\n") << "Quote.txt" << "" << 8 << 0;
    QTest::newRow("allSet") << QByteArray("[quotefile]\nfilename=/home/u/q.txt\nInstallDir=/home/u/fav\n"
                                          "FontSize=14\nExitCountdown=30\n")
                            << "/home/u/q.txt" << "/home/u/fav" << 14 << 30;
    QTest::newRow("namesInAnyCase") << QByteArray("[QUOTEFILE]\nFILENAME=a.txt\nfontsize=10\n") << "a.txt" << ""
                                    << 10 << 0;
    QTest::newRow("hexFontSize") << QByteArray("[quotefile]\nFontSize=0x0C\n") << "Quote.txt" << "" << 12 << 0;
    QTest::newRow("wordFontSize") << QByteArray("[quotefile]\nFontSize=big\n") << "Quote.txt" << "" << 8 << 0;
    QTest::newRow("oddFontSizeHandedOn") << QByteArray("[quotefile]\nFontSize=-3\n") << "Quote.txt" << "" << -3 << 0;
    QTest::newRow("emptyFilenameKept") << QByteArray("[quotefile]\nfilename=\n") << "" << "" << 8 << 0;
    QTest::newRow("negativeCountdownOff") << QByteArray("[quotefile]\nExitCountdown=-5\n") << "Quote.txt" << "" << 8
                                          << 0;
    QTest::newRow("malformedCountdownOff") << QByteArray("[quotefile]\nExitCountdown=soon\n") << "Quote.txt" << ""
                                           << 8 << 0;
}

void tst_programsettings::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, quoteFileName);
    QFETCH(QString, installDir);
    QFETCH(int, fontSize);
    QFETCH(int, exitCountdown);

    if (!content.isNull())
        writeProfile(content);
    const oq::ProgramSettings settings = oq::readProgramSettings(TIniFile(QLatin1String(oq::SettingsFileName)));
    QCOMPARE(settings.QuoteFileName, quoteFileName);
    QCOMPARE(settings.InstallDir, installDir);
    QCOMPARE(settings.FontSize, fontSize);
    QCOMPARE(settings.ExitCountdown, exitCountdown);
}

void tst_programsettings::write_firstRun_storesDefaults()
{
    TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
    const oq::ProgramSettings settings = oq::readProgramSettings(settingsFile);
    oq::writeProgramSettings(settingsFile, settings.QuoteFileName, settings.FontSize);
    QCOMPARE(readProfile(), QByteArray("[quotefile]\nfilename=Quote.txt\nFontSize=8\n"));
}

void tst_programsettings::write_keepsOtherSectionsAndInstallDir()
{
    // The placement store wrote its section first; a hand-set InstallDir and the countdown stay as they are.
    const QByteArray before("[Position]\r\nFormVersion=0\r\n\r\n[quotefile]\r\nInstallDir = /data/fav \r\n"
                            "FILENAME=old.txt\r\nExitCountdown=20\r\n");
    writeProfile(before);
    TIniFile placement(QStringLiteral("OMBRYQuote.ini")); // another spelling of the same file
    TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
    oq::writeProgramSettings(settingsFile, QStringLiteral("/home/u/new quotes.txt"), 12);
    QCOMPARE(readProfile(), QByteArray("[Position]\r\nFormVersion=0\r\n\r\n[quotefile]\r\nInstallDir = /data/fav \r\n"
                                       "FILENAME=/home/u/new quotes.txt\r\nExitCountdown=20\r\nFontSize=12\n"));
    const oq::ProgramSettings settings = oq::readProgramSettings(placement);
    QCOMPARE(settings.InstallDir, QStringLiteral("/data/fav"));
    QCOMPARE(settings.FontSize, 12);
    QCOMPARE(settings.ExitCountdown, 20);
}

void tst_programsettings::write_filenameFails_fontSizeNotTried()
{
    // A file name with a line break cannot be stored; the close then fails before "FontSize" is written.
    writeProfile("[quotefile]\nfilename=a.txt\nFontSize=9\n");
    TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
    bool thrown = false;
    try {
        oq::writeProgramSettings(settingsFile, QStringLiteral("odd\nname.txt"), 20);
    } catch (const EIniFileException &e) {
        thrown = true;
        QCOMPARE(e.message(), QStringLiteral("Unable to write to ombryquote.ini"));
    }
    QVERIFY(thrown);
    QCOMPARE(readProfile(), QByteArray("[quotefile]\nfilename=a.txt\nFontSize=9\n"));
}

void tst_programsettings::storableFileName_isWhatTheSettingsKeep_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("storable");
    QTest::newRow("plain") << "/home/u/quotes.txt" << true;
    QTest::newRow("blanks around") << " /home/u/q.txt " << true;
    QTest::newRow("quotes around") << "\"q.txt\"" << true;
    QTest::newRow("line feed") << "/home/u/odd\nname.txt" << false;
    QTest::newRow("carriage return") << "/home/u/odd\rname.txt" << false;
    QTest::newRow("trailing line feed") << "/home/u/name.txt\n" << false;
}

void tst_programsettings::storableFileName_isWhatTheSettingsKeep()
{
    // The check says exactly what the close can store: a storable name reads back as it is, any other fails.
    QFETCH(QString, name);
    QFETCH(bool, storable);
    QCOMPARE(oq::isStorableQuoteFileName(name), storable);
    TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
    bool written = true;
    try {
        oq::writeProgramSettings(settingsFile, name, 10);
    } catch (const EIniFileException &) {
        written = false;
    }
    QCOMPARE(written, storable);
    if (storable)
        QCOMPARE(oq::readProgramSettings(settingsFile).QuoteFileName, name);
    else
        QVERIFY(!oq::unstorableFileNameMessage(name).contains(QLatin1Char('\n')));
}

void tst_programsettings::closeWrite_writesOnlyWhatChanged_data()
{
    // The file as the close finds it (another copy may have written it since this run read it), what this run
    // read at its start, what it holds at its close, and the file afterwards.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("readName");
    QTest::addColumn<int>("readSize");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("first run stores both") << QByteArray() << "Quote.txt" << 8 << "Quote.txt" << 8
                                           << QByteArray("[quotefile]\nfilename=Quote.txt\nFontSize=8\n");
    QTest::newRow("nothing changed: another copy's values stay")
        << QByteArray("[quotefile]\nfilename=b.txt\nFontSize=14\n") << "a.txt" << 8 << "a.txt" << 8
        << QByteArray("[quotefile]\nfilename=b.txt\nFontSize=14\n");
    QTest::newRow("size changed here, file name changed there")
        << QByteArray("[quotefile]\nfilename=b.txt\nFontSize=8\n") << "a.txt" << 8 << "a.txt" << 12
        << QByteArray("[quotefile]\nfilename=b.txt\nFontSize=12\n");
    QTest::newRow("file name changed here, size changed there")
        << QByteArray("[quotefile]\nfilename=a.txt\nFontSize=12\n") << "a.txt" << 8 << "/q/b.txt" << 8
        << QByteArray("[quotefile]\nfilename=/q/b.txt\nFontSize=12\n");
    QTest::newRow("malformed size is stored afresh")
        << QByteArray("[quotefile]\nfilename=a.txt\nFontSize=big\n") << "a.txt" << 8 << "a.txt" << 8
        << QByteArray("[quotefile]\nfilename=a.txt\nFontSize=8\n");
    QTest::newRow("missing file name is stored")
        << QByteArray("[quotefile]\nFontSize=10\n") << "Quote.txt" << 10 << "Quote.txt" << 10
        << QByteArray("[quotefile]\nFontSize=10\nfilename=Quote.txt\n");
}

void tst_programsettings::closeWrite_writesOnlyWhatChanged()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, readName);
    QFETCH(int, readSize);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QByteArray, after);

    if (!before.isEmpty())
        writeProfile(before);
    TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
    oq::ProgramSettings stored;
    stored.QuoteFileName = readName;
    stored.FontSize = readSize;
    oq::writeProgramSettings(settingsFile, stored, name, size);
    QCOMPARE(readProfile(), after);
    QCOMPARE(stored.QuoteFileName, name);
    QCOMPARE(stored.FontSize, size);
}

void tst_programsettings::closeFailures_data()
{
    // Each event: F a failed write at close, S a successful one. Expected: after each F, whether the program may
    // close anyway.
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("mayClose");

    QTest::newRow("firstFailureKeepsOpen") << "F" << "n";
    QTest::newRow("secondConsecutiveFailureCloses") << "FF" << "ny";
    QTest::newRow("successStartsAfresh") << "FSF" << "nn";
    QTest::newRow("keepsClosingAfterTwo") << "FFF" << "nyy";
}

void tst_programsettings::closeFailures()
{
    QFETCH(QString, events);
    QFETCH(QString, mayClose);

    oq::CloseFailureCounter counter;
    QString answers;
    for (const QChar event : events) {
        if (event == u'F')
            answers += counter.mayCloseAfterFailure() ? u'y' : u'n';
        else
            counter.reset();
    }
    QCOMPARE(answers, mayClose);
}

QTEST_GUILESS_MAIN(tst_programsettings)
#include "tst_programsettings.moc"
