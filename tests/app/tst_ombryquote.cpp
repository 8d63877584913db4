// SPDX-License-Identifier: MIT
// The program as a user starts it: from a terminal without a display, and with
// a quote file named on its command line.
#include "forms/errordisplay.h"
#include "forms/ombryquotefm.h"
#include "oq_config.h"
#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray TwoQuotes = "First of two\r\n\r\n\r\nSecond of two\r\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program in `folder` with a profile of its own under `home`; `display` is "NAME=value" or empty.
Run runProgram(const QStringList &arguments, const QString &folder, const QString &home, bool withDisplay,
    const QString &display = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        env.remove(QLatin1String(name));
    if (withDisplay)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!display.isEmpty())
        env.insert(display.section(u'=', 0, 0), display.section(u'=', 1));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(OQ_PROGRAM_FILE), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class tst_ombryquote : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString iniPath() const { return m_dir.filePath(QStringLiteral("config/ombryquote/ombryquote.ini")); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("stored.txt")), TwoQuotes));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("other.txt")), TwoQuotes));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("a folder")));
        oq::setErrorSink([](const QString &) {});
    }

    // Help, the version and a mistyped option need no display.
    void withoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out"); // how standard output starts; empty: nothing written
        QTest::addColumn<QByteArray>("err"); // what standard error holds; empty: nothing written
        QTest::addColumn<QString>("display"); // a display that is named but not there

        QTest::newRow("--help") << QStringList { "--help" } << 0 << QByteArray("Usage: ombryquote [options] [FILE]\n")
                                << QByteArray() << QString();
        QTest::newRow("--version") << QStringList { "--version" } << 0
                                   << QByteArray(OQ_PRODUCT_NAME " " OQ_VERSION "\n") << QByteArray() << QString();
        QTest::newRow("unknown option") << QStringList { "--bogus" } << 2 << QByteArray()
                                        << QByteArray("ombryquote: Unknown option 'bogus'.\n"
                                                      "Usage: ombryquote [options] [FILE]\n")
                                        << QString();
        QTest::newRow("two files") << QStringList { "a.txt", "b.txt" } << 2 << QByteArray()
                                   << QByteArray("ombryquote: Only one quote file can be opened; 2 were given.\n")
                                   << QString();
        QTest::newRow("line break in the name")
            << QStringList { "two\nlines.txt" } << 2 << QByteArray()
            << QByteArray("ombryquote: The quote file name contains a line break") << QString();
        QTest::newRow("the window, with no display") << QStringList { "other.txt" } << 1 << QByteArray()
                                                     << QByteArray("ombryquote: There is no display") << QString();
        const QByteArray unreachable("ombryquote: Cannot reach the display to show the window on (");
        for (const char *display : { "DISPLAY=:4999", "WAYLAND_DISPLAY=oq-none", "QT_QPA_PLATFORM=xcb" })
            QTest::newRow(display) << QStringList {} << 1 << QByteArray() << unreachable + display + ").\n"
                                   << QString::fromLatin1(display);
    }

    void withoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(QString, display);

        const Run run = runProgram(arguments, m_dir.path(), m_dir.path(), false, display);
        QVERIFY2(run.out.startsWith(out) && (!out.isEmpty() || run.out.isEmpty()), run.out.constData());
        QVERIFY2(run.err.contains(err) && (!err.isEmpty() || run.err.isEmpty()), run.err.constData());
        QCOMPARE(run.exitCode, exitCode);
    }

    // A file named on the command line replaces the stored one for the run and
    // is stored at close, as a file chosen with Open is; one that cannot be
    // read still lets the program run (on the fallback quote), and is not stored.
    void fileArgument_isStoredAtClose_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("stored"); // relative to the test folder

        QTest::newRow("no file: the stored one") << QStringList {} << "stored.txt";
        QTest::newRow("a file in the current folder") << QStringList { "other.txt" } << "other.txt";
        QTest::newRow("a missing file: not stored") << QStringList { "missing.txt" } << "stored.txt";
        QTest::newRow("a folder: not stored") << QStringList { "a folder" } << "stored.txt";
    }

    void fileArgument_isStoredAtClose()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, stored);

        QDir().mkpath(QFileInfo(iniPath()).path());
        QVERIFY(writeFile(iniPath(),
            "[quotefile]\nfilename=" + m_dir.filePath(QStringLiteral("stored.txt")).toUtf8() + "\nExitCountdown=1\n"));
        const Run run = runProgram(arguments, m_dir.path(), m_dir.path(), true);
        QCOMPARE(run.exitCode, 0);
        // The window got its events: Qt took the right thread for the main one.
        QVERIFY2(!run.err.contains("main() thread"), run.err.constData());
        const TIniFile ini(iniPath());
        QCOMPARE(
            ini.ReadText(QStringLiteral("quotefile"), QStringLiteral("filename"), QString()), m_dir.filePath(stored));
    }

    // The main window opens the named file's quotes, not the stored file's.
    void startupFile_isShownInsteadOfTheStoredOne_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("quoteCount");
        QTest::addColumn<QString>("caption");

        QTest::newRow("readable") << "other.txt" << 2 << "OMBRYQuote : other.txt";
        QTest::newRow("missing: the fallback quote") << "missing.txt" << 1 << "OMBRYQuote : missing.txt";
    }

    void startupFile_isShownInsteadOfTheStoredOne()
    {
        QFETCH(QString, file);
        QFETCH(int, quoteCount);
        QFETCH(QString, caption);

        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        QDir().mkpath(QFileInfo(iniPath()).path());
        QVERIFY(writeFile(iniPath(), "[quotefile]\nfilename=" + m_dir.filePath(QStringLiteral("stored.txt")).toUtf8()));
        oq::startupQuoteFile() = m_dir.filePath(file);
        TQuoteForm form;
        oq::startupQuoteFile().clear();
        QCOMPARE(form.QuoteFileName, m_dir.filePath(file));
        QCOMPARE(form.QuoteCount, quoteCount);
        QCOMPARE(form.windowTitle(), caption);
        if (quoteCount == 1)
            QCOMPARE(form.paneText(), QStringLiteral("Please Select New Quote File\n"));
    }
};

QTEST_MAIN(tst_ombryquote)
#include "tst_ombryquote.moc"
