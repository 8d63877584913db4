// SPDX-License-Identifier: MIT
// The terminal mode as a shell runs it: the real program, with no display.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QString Program = QStringLiteral(OQ_PROGRAM_FILE);

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A strfile index of a text whose entries each end with a "%" line.
QByteArray strfileIndex(const QByteArray &text)
{
    QList<quint32> offsets { 0 };
    for (qsizetype pos = text.indexOf("\n%\n"); pos >= 0; pos = text.indexOf("\n%\n", pos + 1))
        offsets << quint32(pos + 3);
    QByteArray out(24 + 4 * offsets.size(), '\0');
    qToBigEndian<quint32>(2, out.data());
    qToBigEndian<quint32>(quint32(offsets.size() - 1), out.data() + 4);
    out[20] = '%';
    for (int i = 0; i < offsets.size(); ++i)
        qToBigEndian(offsets[i], out.data() + 24 + 4 * i);
    return out;
}

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class tst_terminalmode : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // No display of any kind: the program must not need one.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR" })
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        return env;
    }

    Run run(const QStringList &arguments, const QString &program = Program)
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.setWorkingDirectory(m_dir.path());
        p.start(program, arguments);
        Run r;
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.status = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFileInfo(Program).isExecutable());
        QVERIFY(writeFile(path("quotes.txt"),
            "First one\r\nsays love\r\n\r\n\r\nSecond\r\n\r\n"
            "  after an empty line\r\n\r\n\r\nThird LOVE, in capitals\r\n"));
        QVERIFY(writeFile(path("single.txt"), "Caf\xc3\xa9 au lait\r\n\r\n  -- Someone\r\n"));
        const QByteArray cookies("%\n\n%\nThe only\n\nentry\n%\n   \n%\n");
        QVERIFY(writeFile(path("cookies"), cookies));
        QVERIFY(writeFile(path("cookies.dat"), strfileIndex(cookies)));
        QVERIFY(writeFile(path("empty.txt"), "\n\n\n"));
        QVERIFY(writeFile(path("blank.txt"), " \r\n\t\r\n\r\n"));
        QByteArray big;
        for (int q = 0; q <= 33000; ++q)
            big += "Quote " + QByteArray::number(q) + "\n\n\n";
        QVERIFY(writeFile(path("big.txt"), big));
        QVERIFY(QDir().mkpath(path("config/ombryquote")));
        QVERIFY(writeFile(path("config/ombryquote/ombryquote.ini"), "[quotefile]\nfilename=single.txt\n"));
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("print, UTF-8 with LF")
            << QStringList { "--print", "single.txt" } << 0 << QByteArray("Caf\xc3\xa9 au lait\n  -- Someone\n");
        QTest::newRow("print the stored file")
            << QStringList { "--print" } << 0 << QByteArray("Caf\xc3\xa9 au lait\n  -- Someone\n");
        QTest::newRow("print through the index, inner empty line kept")
            << QStringList { "--print", "cookies" } << 0 << QByteArray("The only\n\nentry\n");
        QTest::newRow("count") << QStringList { "--count", "quotes.txt" } << 0 << QByteArray("3\n");
        QTest::newRow("count a fortune file") << QStringList { "--count", "cookies" } << 0 << QByteArray("1\n");
        QTest::newRow("search, in file order") << QStringList { "--search", "love", "quotes.txt" } << 0
                                               << QByteArray("First one\nsays love\n%\nThird LOVE, in capitals\n%\n");
        QTest::newRow("search, nothing found") << QStringList { "--search", "hate", "quotes.txt" } << 1 << QByteArray();
        QTest::newRow("count, empty file") << QStringList { "--count", "empty.txt" } << 0 << QByteArray("0\n");
        QTest::newRow("search=TEXT") << QStringList { "--search=empty", "quotes.txt" } << 0
                                     << QByteArray("Second\n  after an empty line\n%\n");
    }
    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        const QByteArray settingsBefore = [this] {
            QFile f(path("config/ombryquote/ombryquote.ini"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const Run r = run(arguments);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, out);
        QCOMPARE(r.status, status);
        // The settings are read, never written.
        QFile settings(path("config/ombryquote/ombryquote.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), settingsBefore);
        QCOMPARE(QDir(path("config/ombryquote")).entryList(QDir::Files), QStringList { "ombryquote.ini" });
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << QStringList { "--print", "nowhere.txt" } << 1
                                      << "cannot read the quote file \"nowhere.txt\": there is no such file.";
        QTest::newRow("folder") << QStringList { "--count", "config" } << 1
                                << "cannot read the quote file \"config\": it is a folder.";
        QTest::newRow("print, blank file")
            << QStringList { "--print", "blank.txt" } << 1 << "no quotes in \"blank.txt\".";
        QTest::newRow("search, empty file")
            << QStringList { "--search", "x", "empty.txt" } << 1 << "no quotes in \"empty.txt\".";
        QTest::newRow("search without text") << QStringList { "--search" } << 2 << "Missing value after '--search'.";
        QTest::newRow("two commands") << QStringList { "--print", "--count" } << 2
                                      << "Give only one of --print, --search and --count.";
        QTest::newRow("two files") << QStringList { "--count", "a", "b" } << 2
                                   << "Only one quote file can be opened; 2 were given.";
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const Run r = run(arguments);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.err.startsWith("ombryquote: " + message.toUtf8() + "\n"), r.err.constData());
    }

    // Run by the shell, for its redirections ("$0" is the program).
    void shell_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray full("ombryquote: write error: No space left on device\n");
        const QByteArray closed("ombryquote: write error: Bad file descriptor\n");
        QTest::newRow("print, disk full") << "\"$0\" --print quotes.txt >/dev/full" << 1 << QByteArray() << full;
        QTest::newRow("search, disk full") << "\"$0\" --search love quotes.txt >/dev/full" << 1 << QByteArray() << full;
        QTest::newRow("count, output closed") << "\"$0\" --count quotes.txt >&-" << 1 << QByteArray() << closed;
        QTest::newRow("help, disk full") << "\"$0\" --help >/dev/full" << 1 << QByteArray() << full;
        QTest::newRow("version, output closed") << "\"$0\" --version >&-" << 1 << QByteArray() << closed;
        const QByteArray limit("ombryquote: only the first 33,000 quotes of \"big.txt\" are read.\n");
        QTest::newRow("count past the limit") << "\"$0\" --count big.txt" << 0 << QByteArray("33000\n") << limit;
        QTest::newRow("search past the limit") << "\"$0\" --search 'Quote 33000' big.txt" << 1 << QByteArray() << limit;
    }
    void shell()
    {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const Run r = run({ "-c", command, Program }, QStringLiteral("/bin/bash"));
        QCOMPARE(r.err, err);
        QCOMPARE(r.out, out);
        QCOMPARE(r.status, status);
    }

    // A reader that stops early (| head -1) ends the output quietly.
    void closedPipe()
    {
        QByteArray many;
        for (int q = 0; q < 20000; ++q)
            many += "Quote number " + QByteArray::number(q) + " is about love\r\n\r\n\r\n";
        QVERIFY(writeFile(path("many.txt"), many));
        const Run r
            = run({ "-c", "\"$0\" --search love many.txt | head -n 1; echo \"status ${PIPESTATUS[0]}\"", Program },
                QStringLiteral("/bin/bash"));
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, QByteArray("Quote number 0 is about love\nstatus 0\n"));
    }
};

QTEST_GUILESS_MAIN(tst_terminalmode)
#include "tst_terminalmode.moc"
