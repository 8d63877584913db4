// SPDX-License-Identifier: MIT
// The program as a real process: "kill PID" leaves its settings written, a second signal ends it at once, and two
// copies told to end at the same moment, each having changed a different setting, lose neither change.
#include "core/filewrite.h"
#include "settings/inifile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// True once the process has its handler for SIGTERM in place (the last thing it does before its event loop).
bool handlesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

bool waitUntilReady(QProcess &process)
{
    const auto ready = [&process] {
        return process.state() == QProcess::Running && handlesSigterm(process.processId());
    };
    return QTest::qWaitFor([&] { return process.state() != QProcess::Running || ready(); }, 30000) && ready();
}

// True while the process has `folder` open: it does so only to wait for the folder's lock.
bool holdsOpen(qint64 pid, const QString &folder)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo &fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == folder)
            return true;
    return false;
}

int twoCopiesRounds()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("OQ_TWO_COPIES_ROUNDS");
    return fromEnvironment > 0 ? fromEnvironment : 25;
}

} // namespace

class tst_programprocess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_config = m_root.filePath(QStringLiteral("config"));
        QVERIFY(writeAll(m_root.filePath(QStringLiteral("Quote.txt")), "A quote\r\n\r\n\r\nAnother\r\n"));
        QVERIFY(writeAll(m_root.filePath(QStringLiteral("other.txt")), "Other quote\r\n"));
        QCOMPARE(mkfifo(QFile::encodeName(m_root.filePath(QStringLiteral("pipe.txt"))).constData(), 0600), 0);
        qputenv("XDG_CONFIG_HOME", m_config.toUtf8());
    }

    void init() { QDir(m_config).removeRecursively(); }

    void kill_writesTheSettings_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("quoteFile");
        QTest::newRow("SIGTERM") << SIGTERM << QString();
        QTest::newRow("SIGINT") << SIGINT << QString();
        QTest::newRow("SIGHUP") << SIGHUP << QString();
        // A quote file that would hang a careless reader: the program is up all the same.
        QTest::newRow("SIGTERM, quote file a FIFO") << SIGTERM << QStringLiteral("pipe.txt");
        QTest::newRow("SIGTERM, quote file /dev/zero") << SIGTERM << QStringLiteral("/dev/zero");
    }

    void kill_writesTheSettings()
    {
        QFETCH(int, signalNumber);
        QFETCH(QString, quoteFile);
        if (!quoteFile.isEmpty()) {
            QVERIFY(QDir().mkpath(m_config + QStringLiteral("/ombryquote")));
            QVERIFY(writeAll(m_config + QStringLiteral("/ombryquote/ombryquote.ini"),
                "[quotefile]\nfilename=" + quoteFile.toUtf8() + "\n"));
        }
        QProcess program;
        start(program, QStringLiteral(OQ_PROGRAM), {});
        QVERIFY(waitUntilReady(program));
        QVERIFY(::kill(pid_t(program.processId()), signalNumber) == 0);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        TIniFile ini(QStringLiteral("ombryquote.ini"));
        QCOMPARE(ini.ReadText(QStringLiteral("quotefile"), QStringLiteral("filename"), QString()),
            quoteFile.isEmpty() ? QStringLiteral("Quote.txt") : quoteFile);
        QCOMPARE(ini.ReadNumber(QStringLiteral("quotefile"), QStringLiteral("FontSize"), 0), 8);
        // The window placement is saved on the same close path.
        QVERIFY(!ini.ReadText(QStringLiteral("Position"), QStringLiteral("NormPos"), QString()).isEmpty());
        TIniFile storage(QStringLiteral("OmbryQuote"));
        QVERIFY(!storage.ReadText(QStringLiteral("FormStorage"), QStringLiteral("NormPos"), QString()).isEmpty());
    }

    // Nobody is there to answer a box: the failure goes to standard error and the run ends.
    void kill_settingsUnwritable_endsWithAMessage()
    {
        QVERIFY(writeAll(m_root.filePath(QStringLiteral("a file")), "not a folder"));
        QProcess program;
        start(program, QStringLiteral(OQ_PROGRAM), {}, m_root.filePath(QStringLiteral("a file/config")));
        QVERIFY(waitUntilReady(program));
        QVERIFY(::kill(pid_t(program.processId()), SIGTERM) == 0);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QByteArray err = program.readAllStandardError();
        QVERIFY2(err.contains("ombryquote: Unable to write to ombryquote.ini.\n"), err.constData());
    }

    // The close waits for another writer's lock; a second signal does not wait with it.
    void secondSignal_endsAtOnce()
    {
        QProcess program;
        start(program, QStringLiteral(OQ_PROGRAM), {});
        QVERIFY(waitUntilReady(program));
        const QString folder = m_config + QStringLiteral("/ombryquote");
        QVERIFY(QDir().mkpath(folder));
        oq::FolderLock busy(folder);
        QVERIFY(busy.lock(1000));
        QVERIFY(::kill(pid_t(program.processId()), SIGTERM) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(holdsOpen(program.processId(), folder), 30000);
        QCOMPARE(program.state(), QProcess::Running);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(::kill(pid_t(program.processId()), SIGTERM) == 0);
        QVERIFY(program.waitForFinished(oq::FolderLockTimeoutMs / 2));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        qInfo("ended %lld ms after the second signal", qint64(clock.elapsed()));
    }

    void twoCopies_closingTogether_loseNoChange()
    {
        const QString other = m_root.filePath(QStringLiteral("other.txt"));
        const int rounds = twoCopiesRounds();
        for (int round = 0; round < rounds; ++round) {
            QVERIFY(QDir().mkpath(m_config + QStringLiteral("/ombryquote")));
            QVERIFY(writeAll(m_config + QStringLiteral("/ombryquote/ombryquote.ini"),
                "[quotefile]\nfilename=Quote.txt\nFontSize=8\n"));
            QProcess larger, opened;
            start(larger, QStringLiteral(OQ_PROGRAM_COPY), { QStringLiteral("font") });
            start(opened, QStringLiteral(OQ_PROGRAM_COPY), { QStringLiteral("open"), other });
            QVERIFY(waitUntilReady(larger));
            QVERIFY(waitUntilReady(opened));
            // Alternate which copy hears first.
            QProcess *first = round % 2 ? &larger : &opened;
            QProcess *second = round % 2 ? &opened : &larger;
            QVERIFY(::kill(pid_t(first->processId()), SIGTERM) == 0);
            QVERIFY(::kill(pid_t(second->processId()), SIGTERM) == 0);
            for (QProcess *copy : { first, second }) {
                QVERIFY(copy->waitForFinished(30000));
                QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
                QCOMPARE(copy->exitCode(), 0);
            }
            TIniFile ini(QStringLiteral("ombryquote.ini"));
            QCOMPARE(ini.ReadText(QStringLiteral("quotefile"), QStringLiteral("filename"), QString()), other);
            QCOMPARE(ini.ReadNumber(QStringLiteral("quotefile"), QStringLiteral("FontSize"), 0), 10);
        }
        qInfo("%d rounds of two copies closing together: both changes kept every time", rounds);
    }

private:
    void start(QProcess &process, const QString &program, const QStringList &arguments, const QString &config = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.isEmpty() ? m_config : config);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_root.path());
        if (config.isEmpty())
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
    }

    QTemporaryDir m_root;
    QString m_config;
};

QTEST_GUILESS_MAIN(tst_programprocess)
#include "tst_programprocess.moc"
