// SPDX-License-Identifier: MIT
// Hostile quote files through the main window's own loading path (LoadFile: read, index, fill the title list, show
// a quote): each loads without hanging, in bounded memory, and a file that cannot be read gives the fallback quote.
#include "forms/ombryquotefm.h"

#include "mainformfixture.h"
#include "quotes/linelist.h"
#include "quotes/panetext.h"
#include "quotes/quoteindex.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mainformfixture;

namespace {

// Generous: these files are at most 10 MB; a load that grows without bound fails here. The address sanitizer keeps
// freed memory aside for a while, so its builds get more room.
#ifdef __SANITIZE_ADDRESS__
constexpr qint64 PeakLimitMiB = 2048;
#else
constexpr qint64 PeakLimitMiB = 512;
#endif

// Peak memory of this process since the last reset, in MiB (Linux; 0 elsewhere).
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 peakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return 0;
}

qint64 currentMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return 0;
}

// What the test does to the file between the loader's check and its read.
QString g_change;
QByteArray g_changeBytes;

void changeTheFile(oq::ReadStage stage, const QString &path)
{
    if (g_change == QLatin1String("vanish") && stage == oq::ReadStage::Checked) {
        QFile::remove(path);
    } else if (g_change == QLatin1String("fifo") && stage == oq::ReadStage::Checked) {
        QFile::remove(path);
        mkfifo(QFile::encodeName(path).constData(), 0600);
    } else if (g_change == QLatin1String("shrink") && stage == oq::ReadStage::Opened) {
        QFile::resize(path, g_changeBytes.size());
    } else if (g_change == QLatin1String("unlink") && stage == oq::ReadStage::Opened) {
        QFile::remove(path);
    }
}

QByteArray manyQuotes(int count)
{
    QByteArray bytes;
    bytes.reserve(count * 40);
    for (int i = 0; i < count; ++i)
        bytes += "Quote number " + QByteArray::number(i) + "\r\n  -- Author\r\n\r\n\r\n";
    return bytes;
}

} // namespace

class tst_hostilequotefiles : public QObject, MainFormFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(setUpFolder({}));
        m_form = std::make_unique<TQuoteForm>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        oq::setReadTextFileHook(changeTheFile);
    }

    void cleanupTestCase()
    {
        oq::setErrorSink(nullptr);
        oq::setReadTextFileHook(nullptr);
        m_form.reset();
        qInfo("%d hostile files loaded", m_loaded);
    }

    void load_data()
    {
        QTest::addColumn<QString>("kind");
        // Quotes expected; -1: the fallback quote.
        QTest::addColumn<int>("quotes");
        QTest::newRow("empty file") << QStringLiteral("empty") << 0;
        QTest::newRow("only empty lines") << QStringLiteral("blank lines") << 0;
        QTest::newRow("one line of 10 MB") << QStringLiteral("long line") << 1;
        QTest::newRow("100,000 quotes") << QStringLiteral("many") << oq::MaxQuotes;
        QTest::newRow("5 MB of random bytes with NULs") << QStringLiteral("random") << -2;
        QTest::newRow("invalid UTF-8") << QStringLiteral("invalid utf-8") << 2;
        QTest::newRow("a directory") << QStringLiteral("directory") << -1;
        QTest::newRow("a FIFO with no writer") << QStringLiteral("fifo") << -1;
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << -1;
        QTest::newRow("symbolic-link loop") << QStringLiteral("loop") << -1;
        QTest::newRow("above the size cap (sparse)") << QStringLiteral("sparse") << -1;
        QTest::newRow("vanishes after the check") << QStringLiteral("vanish") << -1;
        QTest::newRow("becomes a FIFO after the check") << QStringLiteral("to fifo") << -1;
        QTest::newRow("shrinks once open") << QStringLiteral("shrink") << 1;
        QTest::newRow("removed once open") << QStringLiteral("unlink") << 3;
        QTest::newRow("name not valid UTF-8") << QStringLiteral("latin-1 name") << -1;
    }

    void load()
    {
        QFETCH(QString, kind);
        QFETCH(int, quotes);
        QString path = m_root.filePath(QStringLiteral("quotes-%1.txt").arg(m_loaded));
        g_change.clear();
        QByteArray bytes;
        if (kind == QLatin1String("empty")) {
        } else if (kind == QLatin1String("blank lines")) {
            bytes = QByteArray(1000, '\n');
        } else if (kind == QLatin1String("long line")) {
            bytes = QByteArray(10 * 1024 * 1024, 'w');
            for (qsizetype i = 7; i < bytes.size(); i += 8)
                bytes[i] = ' ';
        } else if (kind == QLatin1String("many")) {
            bytes = manyQuotes(100000);
        } else if (kind == QLatin1String("random")) {
            bytes.resize(5 * 1024 * 1024);
            QRandomGenerator random(12);
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        } else if (kind == QLatin1String("invalid utf-8")) {
            bytes = "Caf\xE9 au lait\r\n\xC3\x28 broken\r\n\r\n\r\n\xFF\xFE second\r\n";
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("/dev/zero")) {
            path = kind;
        } else if (kind == QLatin1String("loop")) {
            QVERIFY(QFile::link(path + QStringLiteral(".b"), path));
            QVERIFY(QFile::link(path, path + QStringLiteral(".b")));
        } else if (kind == QLatin1String("latin-1 name")) {
            QCOMPARE(::close(::open(latin1Name().constData(), O_CREAT | O_WRONLY, 0600)), 0);
            path = QFile::decodeName(latin1Name());
        } else if (kind == QLatin1String("sparse")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write("A quote at the start\r\n") > 0);
            QVERIFY(file.resize(oq::MaxTextFileBytes + 1));
        } else {
            bytes = "First quote\r\n\r\n\r\nSecond quote\r\n\r\n\r\nThird quote\r\n";
            g_change = kind == QLatin1String("to fifo") ? QStringLiteral("fifo") : kind;
            g_changeBytes = bytes.left(11);
        }
        if (!bytes.isEmpty() || kind == QLatin1String("empty"))
            QVERIFY(writeFile(path, bytes));

        m_form->QuoteFileName = path;
        resetPeakMemory();
        const qint64 before = currentMemoryMiB();
        QElapsedTimer clock;
        clock.start();
        m_form->LoadFile();
        QCoreApplication::processEvents();
        const qint64 ms = clock.elapsed();
        const qint64 peak = std::max<qint64>(0, peakMemoryMiB() - before);
        ++m_loaded;
        g_change.clear();

        if (quotes == -1) {
            QCOMPARE(m_form->QuoteCount, 1);
            QCOMPARE(m_form->paneText(), oq::FallbackLine + u'\n');
        } else if (quotes >= 0) {
            QCOMPARE(m_form->QuoteCount, quotes);
        }
        if (kind == QLatin1String("random")) {
            // A NUL byte ends the text: only what stands before the first one is kept.
            const qsizetype nul = bytes.indexOf('\0');
            QVERIFY(m_form->QuoteLines.buffer().size() <= nul);
        } else if (kind == QLatin1String("invalid utf-8")) {
            QVERIFY(m_form->QuoteTitles.toStringList().contains(QStringLiteral("Caf\u00e9 au lait [0]")));
        } else if (kind == QLatin1String("shrink")) {
            QCOMPARE(m_form->paneText(), QStringLiteral("First quote\n"));
        } else if (kind == QLatin1String("long line")) {
            QCOMPARE(m_form->paneText().size(), oq::MaxPaneLineChars + 2); // cut, "…" and the line end
            QCOMPARE(m_form->QuoteTitles.at(0).size(), oq::MaxTitleTextChars + 4); // cut, then " [0]"
        } else if (kind == QLatin1String("latin-1 name")) {
            ::unlink(latin1Name().constData()); // out of reach of the temporary folder's clean-up
            QVERIFY(m_errors.size() == 1 && m_errors.first().contains(QLatin1String("cannot be represented")));
        }
        m_errors.clear();
        QCOMPARE(m_form->windowTitle(), oq::captionText(path));
        QVERIFY2(peak < PeakLimitMiB, qPrintable(QStringLiteral("%1 MiB").arg(peak)));
        qInfo("%s: %d quotes in %lld ms, peak memory +%lld MiB", QTest::currentDataTag(), int(m_form->QuoteCount), ms,
            peak);
    }

private:
    QByteArray latin1Name() const { return QFile::encodeName(m_root.path()) + "/lat\xE4.txt"; }

    int m_loaded = 0;
};

QTEST_MAIN(tst_hostilequotefiles)
#include "tst_hostilequotefiles.moc"
