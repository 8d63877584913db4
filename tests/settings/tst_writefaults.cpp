// SPDX-License-Identifier: MIT
// Write faults: a full disk, a read-only folder, a folder where the file should be, and what a dead writer left
// behind. A failed settings write and a failed favourites append each report their message and leave the old file
// byte for byte as it was, with nothing left beside it.
#include "core/exception.h"
#include "quotes/favourites.h"
#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray OldSettings = "[Position]\r\nFormVersion=0\r\nNormPos=462,235,939,495\r\n\r\n"
                               "[quotefile]\r\nfilename=/home/user/quotes/Quote.txt\r\nFontSize=12\r\n";
const QByteArray OldFavourites = "Kept favourite\r\n  -- Somebody\r\n\r\n\r\nAnother one\r\n\r\n\r\n";

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The message of the failure `write` throws, or "<no failure>".
template <typename Write> QString failureOf(Write write)
{
    try {
        write();
    } catch (const oq::Exception &e) {
        return e.message();
    }
    return QStringLiteral("<no failure>");
}

} // namespace

class tst_writefaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_root.isValid()); }

    void cleanup()
    {
        if (!m_mount.isEmpty())
            run(QStringLiteral("umount"), { QStringLiteral("-l"), m_mount });
        m_mount.clear();
        for (const QString &folder : std::as_const(m_readOnly))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_readOnly.clear();
    }

    void failedWrite_keepsTheOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("full disk") << QStringLiteral("full");
        QTest::newRow("read-only folder") << QStringLiteral("readonly");
    }

    // The settings file and the favourites file lie in a folder that cannot take the new contents.
    void failedWrite_keepsTheOldFile()
    {
        QFETCH(QString, fault);
        const QString folder = prepareFolder();
        if (folder.isEmpty())
            return;
        const QString profile = folder + QStringLiteral("/config/ombryquote/ombryquote.ini");
        const QString favourites = folder + QStringLiteral("/data/FavQuote.txt");
        QVERIFY(QDir().mkpath(QFileInfo(profile).absolutePath()));
        QVERIFY(QDir().mkpath(QFileInfo(favourites).absolutePath()));
        QVERIFY(writeAll(profile, OldSettings));
        QVERIFY(writeAll(favourites, OldFavourites));
        qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/config")).toUtf8());

        qint64 filled = 0;
        if (fault == QLatin1String("full")) {
            filled = fillDisk(folder + QStringLiteral("/filler"));
            QVERIFY(filled > 0);
        } else if (!makeReadOnly(folder)) {
            return;
        }
        const QStringList profileFolder = entries(QFileInfo(profile).absolutePath());
        const QStringList favouritesFolder = entries(QFileInfo(favourites).absolutePath());

        // The new contents are larger than the old: a long file name, a long quote.
        TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
        oq::ProgramSettings stored;
        stored.QuoteFileName = QStringLiteral("/home/user/quotes/Quote.txt");
        stored.FontSize = 12;
        const QString longName = QStringLiteral("/home/user/") + QString(1500, u'q');
        QCOMPARE(failureOf([&] { oq::writeProgramSettings(settingsFile, stored, longName, 14); }),
            QStringLiteral("Unable to write to ombryquote.ini"));
        QCOMPARE(failureOf([&] { oq::appendFavourite(favourites, QString(3000, u'f') + u'\n'); }),
            QStringLiteral("Cannot create file %1").arg(favourites));

        QCOMPARE(readAll(profile), OldSettings);
        QCOMPARE(readAll(favourites), OldFavourites);
        QCOMPARE(entries(QFileInfo(profile).absolutePath()), profileFolder);
        QCOMPARE(entries(QFileInfo(favourites).absolutePath()), favouritesFolder);
        qInfo("%s: settings write and favourites append refused, %lld + %lld old bytes kept, 0 lost%s",
            qPrintable(fault), qint64(OldSettings.size()), qint64(OldFavourites.size()),
            filled ? qPrintable(QStringLiteral(" (disk filled with %1 bytes)").arg(filled)) : "");

        // Once there is room again, the same writes go through.
        if (fault == QLatin1String("full")) {
            QVERIFY(QFile::remove(folder + QStringLiteral("/filler")));
            oq::writeProgramSettings(settingsFile, stored, longName, 14);
            oq::appendFavourite(favourites, QStringLiteral("Room again\n"));
            QCOMPARE(
                settingsFile.ReadText(QStringLiteral("quotefile"), QStringLiteral("filename"), QString()), longName);
            QCOMPARE(readAll(favourites), OldFavourites + "Room again\r\n\r\n\r\n");
        }
    }

    // A folder stands where the file should be: reading gives the defaults, writing reports the file.
    void folderInPlaceOfTheFile()
    {
        const QString folder = m_root.filePath(QStringLiteral("folder-in-place"));
        qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/config")).toUtf8());
        const QString profile = oq::profileFilePath(QLatin1String(oq::SettingsFileName));
        const QString favourites = folder + QStringLiteral("/FavQuote.txt");
        QVERIFY(QDir().mkpath(profile + QStringLiteral("/inside")));
        QVERIFY(QDir().mkpath(favourites + QStringLiteral("/inside")));

        TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
        QCOMPARE(oq::readProgramSettings(settingsFile).FontSize, 8);
        oq::ProgramSettings stored;
        QCOMPARE(failureOf([&] { oq::writeProgramSettings(settingsFile, stored, QStringLiteral("a.txt"), 10); }),
            QStringLiteral("Unable to write to ombryquote.ini"));
        // The favourites file cannot be read, so nothing is written over it.
        QCOMPARE(failureOf([&] { oq::appendFavourite(favourites, QStringLiteral("text\n")); }),
            QStringLiteral("Cannot open file %1").arg(favourites));
        QCOMPARE(entries(profile), QStringList { QStringLiteral("inside") });
        QCOMPARE(entries(favourites), QStringList { QStringLiteral("inside") });
    }

    // A pipe or a device in the profile's place: the settings read as their defaults without waiting for a writer
    // that never comes, and the write reports the file.
    void profileIsNotAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO with no writer") << QStringLiteral("fifo");
        QTest::newRow("link to /dev/zero") << QStringLiteral("zero");
    }

    void profileIsNotAFile()
    {
        QFETCH(QString, kind);
        const QString folder = m_root.filePath(QStringLiteral("not-a-file-") + kind);
        qputenv("XDG_CONFIG_HOME", folder.toUtf8());
        const QString profile = oq::profileFilePath(QLatin1String(oq::SettingsFileName));
        QVERIFY(QDir().mkpath(QFileInfo(profile).absolutePath()));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(profile).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), profile));
        TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
        QCOMPARE(oq::readProgramSettings(settingsFile).QuoteFileName, QStringLiteral("Quote.txt"));
        oq::ProgramSettings stored;
        QCOMPARE(failureOf([&] { oq::writeProgramSettings(settingsFile, stored, QStringLiteral("a.txt"), 10); }),
            QStringLiteral("Unable to write to ombryquote.ini"));
        QVERIFY(!QFileInfo(profile).isFile());
    }

    // What a writer killed in the middle left: a lock file naming a process that is gone, an empty lock file, a
    // half-written temporary file. None of them keeps the next write out or ends up in the file.
    void deadWritersLeftovers_doNotBlock()
    {
        const QString folder = m_root.filePath(QStringLiteral("leftovers"));
        qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/config")).toUtf8());
        const QString profile = oq::profileFilePath(QLatin1String(oq::SettingsFileName));
        const QString favourites = folder + QStringLiteral("/FavQuote.txt");
        QVERIFY(QDir().mkpath(QFileInfo(profile).absolutePath()));
        QVERIFY(writeAll(profile, OldSettings));
        QVERIFY(writeAll(favourites, OldFavourites));

        QProcess gone;
        gone.start(QStringLiteral("true"), {});
        QVERIFY(gone.waitForFinished());
        const QByteArray deadOwner
            = QByteArray::number(gone.processId()) + "\nombryquote\n" + qgetenv("HOSTNAME") + "\n";
        QVERIFY(writeAll(profile + QStringLiteral(".lock"), deadOwner));
        QVERIFY(writeAll(profile + QStringLiteral(".lock.rmlock"), QByteArray()));
        QVERIFY(writeAll(profile + QStringLiteral(".saving"), OldSettings.left(20)));
        QVERIFY(writeAll(favourites + QStringLiteral(".lock"), QByteArray()));
        QVERIFY(writeAll(favourites + QStringLiteral(".saving"), "half a quo"));

        TIniFile settingsFile(QLatin1String(oq::SettingsFileName));
        oq::ProgramSettings stored;
        oq::writeProgramSettings(settingsFile, stored, QStringLiteral("new.txt"), 16);
        oq::appendFavourite(favourites, QStringLiteral("New one\n"));
        QCOMPARE(readAll(profile),
            QByteArray("[Position]\r\nFormVersion=0\r\nNormPos=462,235,939,495\r\n\r\n"
                       "[quotefile]\r\nfilename=new.txt\r\nFontSize=16\r\n"));
        QCOMPARE(readAll(favourites), OldFavourites + "New one\r\n\r\n\r\n");
        QVERIFY(!QFileInfo::exists(profile + QStringLiteral(".saving")));
        QVERIFY(!QFileInfo::exists(favourites + QStringLiteral(".saving")));
    }

private:
    // A folder of its own for the fault: a small memory file system when this user may mount one.
    QString prepareFolder()
    {
        const QString folder = m_root.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
        if (!QDir().mkpath(folder))
            return {};
        const bool needsMount = QByteArray(QTest::currentDataTag()) == "full disk" || geteuid() == 0;
        if (!needsMount)
            return folder;
        if (geteuid() != 0) {
            QTest::qSkip("a full disk needs root, to mount a small file system", __FILE__, __LINE__);
            return {};
        }
        if (!run(QStringLiteral("mount"),
                { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                    QStringLiteral("size=256k,mode=0755"), QStringLiteral("tmpfs"), folder })) {
            QTest::qSkip("mounting a file system is not permitted here", __FILE__, __LINE__);
            return {};
        }
        m_mount = folder;
        return folder;
    }

    // Root writes into read-only folders; a read-only mount keeps even root out.
    bool makeReadOnly(const QString &folder)
    {
        if (!m_mount.isEmpty()) {
            if (run(QStringLiteral("mount"), { QStringLiteral("-o"), QStringLiteral("remount,ro"), m_mount }))
                return true;
            QTest::qSkip("remounting read-only is not permitted here", __FILE__, __LINE__);
            return false;
        }
        for (const QString &sub : { QStringLiteral("/config/ombryquote"), QStringLiteral("/data") }) {
            m_readOnly << folder + sub;
            QFile::setPermissions(m_readOnly.last(), QFile::ReadOwner | QFile::ExeOwner);
        }
        return true;
    }

    // Writes until the file system refuses another byte; returns how many it took.
    static qint64 fillDisk(const QString &path)
    {
        QFile filler(path);
        if (!filler.open(QIODevice::WriteOnly))
            return 0;
        const QByteArray block(4096, 'x');
        qint64 total = 0;
        for (;;) {
            const qint64 written = filler.write(block);
            if (written <= 0 || !filler.flush())
                break;
            total += written;
        }
        // Fill the last partial block too.
        for (const QByteArray one(1, 'x'); filler.write(one) == 1 && filler.flush();)
            ++total;
        return total;
    }

    QTemporaryDir m_root;
    QString m_mount;
    QStringList m_readOnly;
};

QTEST_GUILESS_MAIN(tst_writefaults)
#include "tst_writefaults.moc"
