// SPDX-License-Identifier: MIT
// Kills a process that writes the program's files through the program's own code, with SIGKILL at random moments,
// and checks after every kill that the file holds the whole content of either the last complete write or the one
// under way, byte for byte, and that whatever the kill left behind (a lock file, a temporary file) does not keep
// the next process from writing.
#include "quotes/quoteindex.h"
#include "settings/inifile.h"
#include "writerscript.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using crashwrites::Kind;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Memory-backed when the system has such a folder: a SIGKILL leaves the kernel's view of the files as it was, with
// or without a disk behind them, and the writer need not wait for the disk at every write.
QString scratchFolder()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

// Kills per file; four files make the thousand.
int killsPerFile()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("OQ_CRASH_KILLS_PER_FILE");
    return fromEnvironment > 0 ? fromEnvironment : 260;
}

} // namespace

class tst_crashconsistency : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_seed = quint32(qEnvironmentVariableIntValue("OQ_CRASH_SEED"));
        if (m_seed == 0)
            m_seed = QRandomGenerator::global()->generate() | 1;
        qInfo("kill moments drawn with seed %u (set OQ_CRASH_SEED to repeat)", m_seed);
    }

    void killedWriter_leavesOldOrNewContent_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("ombryquote.ini") << QStringLiteral("settings");
        QTest::newRow("ombryquote") << QStringLiteral("placement");
        QTest::newRow("control.ini") << QStringLiteral("screensaver");
        QTest::newRow("FavQuote.txt") << QStringLiteral("favourites");
    }

    void killedWriter_leavesOldOrNewContent()
    {
        QFETCH(QString, kind);
        const Kind what = crashwrites::kindFromName(kind.toLatin1().constData());
        QTemporaryDir home(scratchFolder() + QStringLiteral("/oq-crash-XXXXXX"));
        QVERIFY(home.isValid());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
        const QString path = crashwrites::filePath(what);
        const QString folder = QFileInfo(path).absolutePath();
        QVERIFY(QDir().mkpath(folder));

        auto reset = [&](qint64 state) {
            QFile file(path);
            const QByteArray bytes = crashwrites::expected(what, state, state);
            return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
        };
        qint64 state = 0; // the write the file holds
        qint64 favouritesBase = 0;
        QVERIFY(reset(0));

        QRandomGenerator random(m_seed + quint32(what));
        int oldContent = 0, newContent = 0, leftLocks = 0, leftTemporary = 0, maxLeftover = 0;
        const int kills = killsPerFile();
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < kills; ++k) {
            QProcess writer;
            writer.setProgram(QStringLiteral(OQ_CRASH_WRITER));
            writer.setArguments({ kind, QString::number(state + 1) });
            writer.setProcessChannelMode(QProcess::SeparateChannels);
            writer.start();
            QVERIFY2(writer.waitForStarted(10000), qPrintable(writer.errorString()));
            // The first write of every process must complete: nothing an earlier kill left may block it.
            while (!writer.canReadLine()) {
                QVERIFY2(writer.waitForReadyRead(10000),
                    qPrintable(QStringLiteral("kill %1: no write completed; %2; left in the folder: %3")
                                   .arg(k)
                                   .arg(QString::fromLocal8Bit(writer.readAllStandardError()))
                                   .arg(describeFolder(folder))));
            }
            QThread::usleep(random.bounded(4000u));
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(10000));
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            qint64 last = state;
            const QList<QByteArray> lines = writer.readAllStandardOutput().split('\n');
            for (const QByteArray &line : lines) {
                if (!line.isEmpty())
                    last = line.toLongLong();
            }
            QVERIFY(last > state);
            // Complete old content: the last write reported; complete new content: the one under way at the kill.
            const QByteArray bytes = readAll(path);
            if (bytes == crashwrites::expected(what, last, favouritesBase)) {
                ++oldContent;
                state = last;
            } else if (bytes == crashwrites::expected(what, last + 1, favouritesBase)) {
                ++newContent;
                state = last + 1;
            } else {
                QFile::copy(path, path + QStringLiteral(".bad"));
                QFAIL(qPrintable(QStringLiteral("kill %1 after write %2: %3 holds %4 bytes, neither write %2 nor %5")
                                     .arg(k)
                                     .arg(last)
                                     .arg(path)
                                     .arg(bytes.size())
                                     .arg(last + 1)));
            }
            QVERIFY(parses(what, bytes, state - favouritesBase));

            int leftover = 0;
            const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
            for (const QString &name : names) {
                if (name == QFileInfo(path).fileName())
                    continue;
                ++leftover;
                if (name.endsWith(QLatin1String(".lock")))
                    ++leftLocks;
                else
                    ++leftTemporary;
            }
            maxLeftover = std::max(maxLeftover, leftover);
            // The favourites file is rewritten whole at every addition; keep it small.
            if (what == Kind::Favourites && state - favouritesBase > 40) {
                favouritesBase = state;
                QVERIFY(reset(state));
            }
        }
        qInfo("%s: %d kills, %d files checked in %lld ms: %d held the last complete write, %d the write under way; "
              "bytes lost 0; lock files found after a kill %d, temporary files %d, most left at once %d",
            qPrintable(QFileInfo(path).fileName()), kills, kills, qint64(clock.elapsed()), oldContent, newContent,
            leftLocks, leftTemporary, maxLeftover);
        m_totalKills += kills;
    }

    void cleanupTestCase() { qInfo("%d kills in all, every file whole", m_totalKills); }

private:
    static QString describeFolder(const QString &folder)
    {
        QString text;
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo &entry : entries) {
            text += QStringLiteral("%1 (%2 bytes%3) ")
                        .arg(entry.fileName())
                        .arg(entry.size())
                        .arg(entry.fileName().contains(QLatin1String(".lock")) ? QStringLiteral(": ")
                                    + QString::fromLatin1(readAll(entry.filePath()).toPercentEncoding())
                                                                               : QString());
        }
        return text;
    }

    static bool parses(Kind what, const QByteArray &bytes, qint64 added)
    {
        if (what == Kind::Favourites) {
            oq::QuoteIndex index;
            index.loadBytes(bytes);
            return index.QuoteCount == 1 + added;
        }
        return oq::ini::value(bytes,
            what == Kind::Settings        ? "quotefile"
                : what == Kind::Placement ? "FormStorage"
                                          : "Screen Saver.Marquee",
            what == Kind::Settings        ? "filename"
                : what == Kind::Placement ? "NormPos"
                                          : "Text")
            .has_value();
    }

    quint32 m_seed = 0;
    int m_totalKills = 0;
};

QTEST_GUILESS_MAIN(tst_crashconsistency)
#include "tst_crashconsistency.moc"
