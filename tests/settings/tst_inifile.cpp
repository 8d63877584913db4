// SPDX-License-Identifier: MIT
#include "settings/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The test binary starts copies of itself as writers for the two-process test.
constexpr char WriterFileEnv[] = "OQ_TST_INIFILE_WRITER_FILE";
constexpr char WriterIdEnv[] = "OQ_TST_INIFILE_WRITER_ID";
constexpr int KeysPerWriter = 200;

int runWriter()
{
    const QString fileName = qEnvironmentVariable(WriterFileEnv);
    const QString id = qEnvironmentVariable(WriterIdEnv);
    try {
        TIniFile file(fileName);
        for (int i = 0; i < KeysPerWriter; ++i)
            file.WriteText(QStringLiteral("shared"), QStringLiteral("w%1_%2").arg(id).arg(i), QString::number(i));
    } catch (const EIniFileException &) {
        return 1;
    }
    return 0;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

} // namespace

class tst_inifile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void readText_data();
    void readText();
    void readText_missingFile_givesDefault();
    void readText_longValue_isCutTo2047Characters();

    void readNumber_data();
    void readNumber();

    void writeText_data();
    void writeText();
    void writeText_valueReadsBack_data();
    void writeText_valueReadsBack();
    void writeNumberAndFlag_storeTheirText();
    void writeText_createsProfileFolder_leavesNoHelperFiles();

    void removeKey_data();
    void removeKey();
    void removeKey_missingFileOrKey_touchesNothing();

    void listKeys_data();
    void listKeys();
    void listKeys_stopsAt16384Bytes();

    void twoObjects_seeEachOthersWrites();

    void writeFailure_data();
    void writeFailure();

    void profileFilePath_data();
    void profileFilePath();

    void twoProcesses_writingAtOnce_loseNoKey();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_inifile::initTestCase()
{
    // Never touch the user's own profile folder, even when run outside CTest.
    m_configHome = std::make_unique<QTemporaryDir>();
    QVERIFY(m_configHome->isValid());
    qputenv("XDG_CONFIG_HOME", m_configHome->path().toLocal8Bit());
}

void tst_inifile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_inifile::readText_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString def = QStringLiteral("<default>");
    QTest::newRow("plain") << QByteArray("[s]\nk=v\n") << "s" << "k" << "v";
    QTest::newRow("sectionCaseIgnored") << QByteArray("[QuoteFile]\nk=v\n") << "QUOTEFILE" << "k" << "v";
    QTest::newRow("keyCaseIgnored") << QByteArray("[s]\nFontSize=9\n") << "s" << "fontsize" << "9";
    QTest::newRow("onlyAsciiFolds") << QByteArray("[s]\n\xC3\x84=1\n") << "s" << "\u00E4" << def;
    QTest::newRow("missingSection") << QByteArray("[t]\nk=v\n") << "s" << "k" << def;
    QTest::newRow("missingKey") << QByteArray("[s]\nj=v\n") << "s" << "k" << def;
    QTest::newRow("emptyValueIsNotDefault") << QByteArray("[s]\nk=\n") << "s" << "k" << "";
    QTest::newRow("blanksAroundIgnored") << QByteArray("  [ s ]  \n \t k \t=  a  b \t\n") << "s" << " k " << "a  b";
    QTest::newRow("doubleQuotesRemoved") << QByteArray("[s]\nk=\" a b \"\n") << "s" << "k" << " a b ";
    QTest::newRow("singleQuotesRemoved") << QByteArray("[s]\nk='x'\n") << "s" << "k" << "x";
    QTest::newRow("unmatchedQuoteKept") << QByteArray("[s]\nk=\"abc\n") << "s" << "k" << "\"abc";
    QTest::newRow("mixedQuotesKept") << QByteArray("[s]\nk=\"abc'\n") << "s" << "k" << "\"abc'";
    QTest::newRow("loneQuoteKept") << QByteArray("[s]\nk=\"\n") << "s" << "k" << "\"";
    QTest::newRow("equalsInValue") << QByteArray("[s]\nk=a=b\n") << "s" << "k" << "a=b";
    QTest::newRow("semicolonInValue") << QByteArray("[s]\nk=b ; c\n") << "s" << "k" << "b ; c";
    QTest::newRow("commentLineSkipped") << QByteArray("[s]\n  ;k=x\nk=y\n") << "s" << "k" << "y";
    QTest::newRow("hashIsNoComment") << QByteArray("[s]\n#k=x\n") << "s" << "#k" << "x";
    QTest::newRow("textAfterHeaderIgnored") << QByteArray("[s] note\nk=1\n") << "s" << "k" << "1";
    QTest::newRow("headerWithoutBracketIsNoHeader") << QByteArray("[s]\n[t\nk=1\n") << "s" << "k" << "1";
    QTest::newRow("keysBeforeFirstSectionBelongToNone") << QByteArray("k=0\n[s]\n") << "s" << "k" << def;
    QTest::newRow("keysBeforeFirstSectionNotInEmptyName") << QByteArray("k=0\n") << "" << "k" << def;
    QTest::newRow("emptySectionName") << QByteArray("k=0\n[]\nk=1\n") << "" << "k" << "1";
    QTest::newRow("firstSectionOnly") << QByteArray("[s]\nk=1\n[t]\n[S]\nk=2\n") << "s" << "k" << "1";
    QTest::newRow("laterDuplicateSectionUnread") << QByteArray("[s]\na=1\n[t]\n[s]\nk=2\n") << "s" << "k" << def;
    QTest::newRow("firstKeyWins") << QByteArray("[s]\nk=1\nK=2\n") << "s" << "k" << "1";
    QTest::newRow("lineWithoutEqualsIsNoKey") << QByteArray("[s]\nk\n") << "s" << "k" << def;
    QTest::newRow("blankInsideKeyName") << QByteArray("[s]\nmy key = 1\n") << "s" << "my key" << "1";
    QTest::newRow("crLfLines") << QByteArray("[s]\r\na=1\r\nk=2\r\n") << "s" << "k" << "2";
    QTest::newRow("crLines") << QByteArray("[s]\ra=1\rk=2\r") << "s" << "k" << "2";
    QTest::newRow("mixedLineEnds") << QByteArray("[t]\r\n[s]\ra=1\nk=2\r\nz=3") << "s" << "k" << "2";
    QTest::newRow("lastLineWithoutEnd") << QByteArray("[s]\nk=2") << "s" << "k" << "2";
    QTest::newRow("byteOrderMarkSkipped") << QByteArray("\xEF\xBB\xBF[s]\nk=v\n") << "s" << "k" << "v";
    QTest::newRow("utf8Value") << QByteArray("[s]\nk=Zitat \xC3\xA4 \xE2\x82\xAC\n") << "s" << "k"
                               << QString::fromUtf8("Zitat \u00E4 \u20AC");
    QTest::newRow("windows1252Value") << QByteArray("[s]\nk=caf\xE9 \x80\n") << "s" << "k"
                                      << QString::fromUtf8("caf\u00E9 \u20AC");
    QTest::newRow("nulInsideValue") << QByteArray("[s]\nk=a\0b\n", 10) << "s" << "k" << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("emptyFile") << QByteArray() << "s" << "k" << def;
    QTest::newRow("binaryJunk") << QByteArray("\0\xFF\xFE[\r\r\n=]=", 10) << "s" << "k" << def;
}

void tst_inifile::readText()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    writeBytes(path("p.ini"), content);
    TIniFile file(path("p.ini"));
    QCOMPARE(file.ReadText(section, key, QStringLiteral("<default>")), expected);
}

void tst_inifile::readText_missingFile_givesDefault()
{
    TIniFile file(path("none/missing.ini"));
    QCOMPARE(file.ReadText("s", "k", "dflt"), QStringLiteral("dflt"));
    QCOMPARE(file.ReadNumber("s", "k", 42), 42);
    QStringList keys{"stale"};
    file.ListKeys("s", keys);
    QVERIFY(keys.isEmpty());
}

void tst_inifile::readText_longValue_isCutTo2047Characters()
{
    // A character outside the basic plane counts once and is never cut in half.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    const QString value = QString(2046, u'a') + clef + clef;
    TIniFile file(path("long.ini"));
    file.WriteText("s", "k", value);
    QCOMPARE(file.ReadText("s", "k", {}), QString(2046, u'a') + clef);

    const QString exact(2047, u'b');
    file.WriteText("s", "k", exact);
    QCOMPARE(file.ReadText("s", "k", {}), exact);
}

void tst_inifile::readNumber_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");

    const int def = -99;
    QTest::newRow("decimal") << QByteArray("12") << 12;
    QTest::newRow("hex0x") << QByteArray("0x0C") << 12;
    QTest::newRow("hex0X") << QByteArray("0X1f") << 31;
    QTest::newRow("hexDollar") << QByteArray("$1F") << 31;
    QTest::newRow("hexX") << QByteArray("x1F") << 31;
    QTest::newRow("hexUpperX") << QByteArray("X1F") << 31;
    QTest::newRow("leadingBlanksAndSign") << QByteArray("\" -7\"") << -7;
    QTest::newRow("plusSign") << QByteArray("+5") << 5;
    QTest::newRow("negativeHex") << QByteArray("-$10") << -16;
    QTest::newRow("leadingZeros") << QByteArray("007") << 7;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("max") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("all32BitsHex") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("manyHexZeros") << QByteArray("0x0000000000000001") << 1;
    QTest::newRow("trailingText") << QByteArray("12abc") << def;
    QTest::newRow("trailingBlank") << QByteArray("\"12 \"") << def;
    QTest::newRow("beyond32Bits") << QByteArray("99999999999") << def;
    QTest::newRow("justAboveMax") << QByteArray("2147483648") << def;
    QTest::newRow("justBelowMin") << QByteArray("-2147483649") << def;
    QTest::newRow("hexBeyond32Bits") << QByteArray("$100000000") << def;
    QTest::newRow("empty") << QByteArray("") << def;
    QTest::newRow("word") << QByteArray("big") << def;
    QTest::newRow("signOnly") << QByteArray("-") << def;
    QTest::newRow("prefixOnly") << QByteArray("0x") << def;
    QTest::newRow("dollarOnly") << QByteArray("$") << def;
    QTest::newRow("blankAfterSign") << QByteArray("- 7") << def;
    QTest::newRow("fraction") << QByteArray("1.5") << def;
    QTest::newRow("hexDigitsWithoutPrefix") << QByteArray("1F") << def;
    QTest::newRow("fullWidthDigits") << QByteArray("\xEF\xBC\x91") << def;
}

void tst_inifile::readNumber()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);

    writeBytes(path("n.ini"), "[s]\nn=" + stored + "\n");
    QCOMPARE(TIniFile(path("n.ini")).ReadNumber("s", "n", -99), expected);
}

void tst_inifile::writeText_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("emptyFile") << QByteArray() << "s" << "k" << "v" << QByteArray("[s]\nk=v\n");
    QTest::newRow("namesTrimmed") << QByteArray() << " s " << "\tk " << "v" << QByteArray("[s]\nk=v\n");
    QTest::newRow("newSectionAfterBlankLine")
        << QByteArray("[a]\nx=1\n") << "s" << "k" << "v" << QByteArray("[a]\nx=1\n\n[s]\nk=v\n");
    QTest::newRow("newSectionNoFinalLineEnd")
        << QByteArray("[a]\nx=1") << "s" << "k" << "v" << QByteArray("[a]\nx=1\n\n[s]\nk=v\n");
    QTest::newRow("newSectionAfterExistingBlankLine")
        << QByteArray("[a]\nx=1\r\n\r\n") << "s" << "k" << "v" << QByteArray("[a]\nx=1\r\n\r\n[s]\nk=v\n");
    QTest::newRow("updateKeepsSpellingBlanksAndCrLf")
        << QByteArray("[S]\r\n  Key = old  \r\n; c\r\n") << "s" << "key" << "new"
        << QByteArray("[S]\r\n  Key = new\r\n; c\r\n");
    QTest::newRow("updateEmptyValue") << QByteArray("[s]\nk=\nz=1\n") << "s" << "k" << "v"
                                      << QByteArray("[s]\nk=v\nz=1\n");
    QTest::newRow("updateToEmpty") << QByteArray("[s]\nk=old\n") << "s" << "k" << "" << QByteArray("[s]\nk=\n");
    QTest::newRow("newKeyAfterLastKeyLine")
        << QByteArray("[s]\na=1\n\n; comment\n[t]\nb=2\n") << "s" << "c" << "3"
        << QByteArray("[s]\na=1\nc=3\n\n; comment\n[t]\nb=2\n");
    QTest::newRow("newKeyInSectionWithoutKeys")
        << QByteArray("[s]\n\n[t]\n") << "s" << "k" << "v" << QByteArray("[s]\nk=v\n\n[t]\n");
    QTest::newRow("newKeyAfterHeaderWithoutLineEnd") << QByteArray("[s]") << "s" << "k" << "v"
                                                     << QByteArray("[s]\nk=v\n");
    QTest::newRow("newKeyAfterLastLineWithoutEnd") << QByteArray("[s]\r\na=1") << "s" << "k" << "v"
                                                   << QByteArray("[s]\r\na=1\nk=v\n");
    QTest::newRow("firstDuplicateSectionOnly") << QByteArray("[s]\nk=1\n[s]\nk=2\n") << "s" << "k" << "v"
                                               << QByteArray("[s]\nk=v\n[s]\nk=2\n");
    QTest::newRow("firstKeyOnly") << QByteArray("[s]\nk=1\nK=2\n") << "s" << "k" << "v"
                                  << QByteArray("[s]\nk=v\nK=2\n");
    QTest::newRow("unknownLinesKept") << QByteArray("junk line\n[s]\n[broken\nk=1\n#x=y\n=z\n") << "s" << "k"
                                      << "v" << QByteArray("junk line\n[s]\n[broken\nk=v\n#x=y\n=z\n");
    QTest::newRow("keyBeforeFirstSectionUntouched") << QByteArray("k=0\n[s]\n") << "s" << "k" << "v"
                                                    << QByteArray("k=0\n[s]\nk=v\n");
    QTest::newRow("crLines") << QByteArray("[s]\rk=1\rz=2\r") << "s" << "k" << "v" << QByteArray("[s]\rk=v\rz=2\r");
    QTest::newRow("otherSectionsByteForByte")
        << QByteArray("[a]\r\nx = 1 \r\n[s]\rk=1\r[b]\ny=2") << "s" << "k" << "v"
        << QByteArray("[a]\r\nx = 1 \r\n[s]\rk=v\r[b]\ny=2");
    QTest::newRow("byteOrderMarkKept") << QByteArray("\xEF\xBB\xBF[s]\nk=1\n") << "s" << "k" << "v"
                                       << QByteArray("\xEF\xBB\xBF[s]\nk=v\n");
    QTest::newRow("byteOrderMarkOnly") << QByteArray("\xEF\xBB\xBF") << "s" << "k" << "v"
                                       << QByteArray("\xEF\xBB\xBF[s]\nk=v\n");
    QTest::newRow("nulBytesKept") << QByteArray("[s]\nk=1\n\0junk\n", 14) << "s" << "k" << "v"
                                  << QByteArray("[s]\nk=v\n\0junk\n", 14);
    QTest::newRow("outerBlanksQuoted") << QByteArray() << "s" << "k" << " padded " << QByteArray("[s]\nk=\" padded \"\n");
    QTest::newRow("ownQuotesQuoted") << QByteArray() << "s" << "k" << "'x'" << QByteArray("[s]\nk=\"'x'\"\n");
    QTest::newRow("innerQuotesAsIs") << QByteArray() << "s" << "k" << "say \"hi\" now"
                                     << QByteArray("[s]\nk=say \"hi\" now\n");
    QTest::newRow("utf8Written") << QByteArray() << "s" << "k" << QString::fromUtf8("\u00E4\u20AC")
                                 << QByteArray("[s]\nk=\xC3\xA4\xE2\x82\xAC\n");
}

void tst_inifile::writeText()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    writeBytes(path("w.ini"), before);
    TIniFile file(path("w.ini"));
    file.WriteText(section, key, value);
    QCOMPARE(readBytes(path("w.ini")), after);
    QCOMPARE(file.ReadText(section, key, "<default>"), value);
}

void tst_inifile::writeText_valueReadsBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanksOnly") << QStringLiteral("   ");
    QTest::newRow("tabs") << QStringLiteral("\ta\t");
    QTest::newRow("doubleQuoted") << QStringLiteral("\"quoted\"");
    QTest::newRow("quoteOnly") << QStringLiteral("\"");
    QTest::newRow("twoQuotes") << QStringLiteral("''");
    QTest::newRow("semicolonStart") << QStringLiteral(";not a comment");
    QTest::newRow("bracketStart") << QStringLiteral("[not a section]");
    QTest::newRow("equals") << QStringLiteral("a=b=c");
    QTest::newRow("path") << QStringLiteral("/home/user/My Quotes/Quote.txt");
    QTest::newRow("unicode") << QString::fromUtf8("\u00C4rger \u20AC \U0001F600");
    QTest::newRow("number") << QStringLiteral("-2147483648");
}

void tst_inifile::writeText_valueReadsBack()
{
    QFETCH(QString, value);
    TIniFile file(path("rt.ini"));
    file.WriteText("s", "before", "1");
    file.WriteText("s", "k", value);
    file.WriteText("s", "after", "2");
    QCOMPARE(file.ReadText("s", "k", "<default>"), value);
    file.WriteText("s", "k", value); // rewriting the same value changes nothing
    QCOMPARE(file.ReadText("s", "k", "<default>"), value);
    QCOMPARE(file.ReadText("s", "before", {}), QStringLiteral("1"));
    QCOMPARE(file.ReadText("s", "after", {}), QStringLiteral("2"));
}

void tst_inifile::writeNumberAndFlag_storeTheirText()
{
    TIniFile file(path("nf.ini"));
    file.WriteNumber("s", "neg", -5);
    file.WriteNumber("s", "min", std::numeric_limits<qint32>::min());
    file.WriteFlag("s", "on", true);
    file.WriteFlag("s", "off", false);
    QCOMPARE(readBytes(path("nf.ini")), QByteArray("[s]\nneg=-5\nmin=-2147483648\non=1\noff=0\n"));
    QCOMPARE(file.ReadNumber("s", "min", 0), std::numeric_limits<qint32>::min());
}

void tst_inifile::writeText_createsProfileFolder_leavesNoHelperFiles()
{
    const QString folder = oq::profileFolder();
    QDir(folder).removeRecursively();
    TIniFile file(QStringLiteral("Fresh.INI"));
    QCOMPARE(file.FileName(), QStringLiteral("Fresh.INI"));
    file.WriteText("s", "k", "v");
    file.WriteText("s", "k2", "v2");
    // Only the profile itself stays: the lock and the temporary file are gone.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("fresh.ini")});
    QCOMPARE(readBytes(folder + QStringLiteral("/fresh.ini")), QByteArray("[s]\nk=v\nk2=v2\n"));
}

void tst_inifile::removeKey_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("lineAndLineEndGo") << QByteArray("[s]\na=1\nk=2\nb=3\n") << "s" << "k"
                                      << QByteArray("[s]\na=1\nb=3\n");
    QTest::newRow("caseIgnored") << QByteArray("[S]\nK=2\n") << "s" << "k" << QByteArray("[S]\n");
    QTest::newRow("crLf") << QByteArray("[s]\r\nk=1\r\nz=2\r\n") << "s" << "k" << QByteArray("[s]\r\nz=2\r\n");
    QTest::newRow("lastLineWithoutEnd") << QByteArray("[s]\na=1\nk=2") << "s" << "k" << QByteArray("[s]\na=1\n");
    QTest::newRow("everyLineOfKeyInFirstSection") << QByteArray("[s]\nk=1\nK=2\n[s]\nk=3\n") << "s" << "k"
                                                  << QByteArray("[s]\n[s]\nk=3\n");
    QTest::newRow("missingKey") << QByteArray("[s]\na=1\n") << "s" << "k" << QByteArray("[s]\na=1\n");
    QTest::newRow("otherSection") << QByteArray("[t]\nk=1\n[s]\n") << "s" << "k" << QByteArray("[t]\nk=1\n[s]\n");
    QTest::newRow("commentKept") << QByteArray("[s]\n;k=1\n") << "s" << "k" << QByteArray("[s]\n;k=1\n");
    QTest::newRow("byteOrderMarkKept") << QByteArray("\xEF\xBB\xBF[s]\nk=1\n") << "s" << "k"
                                       << QByteArray("\xEF\xBB\xBF[s]\n");
}

void tst_inifile::removeKey()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);

    writeBytes(path("r.ini"), before);
    TIniFile file(path("r.ini"));
    file.RemoveKey(section, key);
    QCOMPARE(readBytes(path("r.ini")), after);
    QCOMPARE(file.ReadText(section, key, "<default>"), QStringLiteral("<default>"));
}

void tst_inifile::removeKey_missingFileOrKey_touchesNothing()
{
    TIniFile missing(path("nofolder/none.ini"));
    missing.RemoveKey("s", "k");
    QVERIFY(!QFileInfo::exists(path("nofolder")));

    // Failures are ignored: a file in a place that cannot be written keeps its key and no exception leaves.
    writeBytes(path("plain"), "x");
    TIniFile underFile(path("plain/x.ini"));
    underFile.RemoveKey("s", "k");
}

void tst_inifile::listKeys_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("fileOrder") << QByteArray("[s]\nzeta=1\nAlpha=2\n; c=3\n\nmid dle = 4\n[t]\nx=1\n") << "S"
                               << QStringList{"zeta", "Alpha", "mid dle"};
    QTest::newRow("missingSection") << QByteArray("[t]\nx=1\n") << "s" << QStringList{};
    QTest::newRow("emptySection") << QByteArray("[s]\n[t]\nx=1\n") << "s" << QStringList{};
    QTest::newRow("duplicatesListed") << QByteArray("[s]\nk=1\nK=2\n") << "s" << QStringList{"k", "K"};
    QTest::newRow("firstSectionOnly") << QByteArray("[s]\na=1\n[s]\nb=2\n") << "s" << QStringList{"a"};
    QTest::newRow("unknownLinesSkipped") << QByteArray("[s]\njunk\n=x\n[t\nk=1\n") << "s" << QStringList{"k"};
    QTest::newRow("numberedLines") << QByteArray("[lastquote]\r\n0=a\r\n1=b\r\n7=c\r\n") << "lastquote"
                                   << QStringList{"0", "1", "7"};
}

void tst_inifile::listKeys()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QStringList, expected);

    writeBytes(path("l.ini"), content);
    QStringList keys{"stale"};
    TIniFile(path("l.ini")).ListKeys(section, keys);
    QCOMPARE(keys, expected);
}

void tst_inifile::listKeys_stopsAt16384Bytes()
{
    // 1,638 names of 9 bytes take 1,638 * 10 = 16,380 bytes with their terminators; "abc" with its terminator
    // fills the rest exactly, and the next name no longer fits.
    QByteArray content("[s]\n");
    for (int i = 0; i < 1638; ++i)
        content += QByteArray::number(100000000 + i) + "=x\n";
    content += "abc=x\nd=x\n";
    writeBytes(path("big.ini"), content);
    QStringList keys;
    TIniFile(path("big.ini")).ListKeys("s", keys);
    QCOMPARE(keys.size(), 1639);
    QCOMPARE(keys.last(), QStringLiteral("abc"));
}

void tst_inifile::twoObjects_seeEachOthersWrites()
{
    TIniFile a(QStringLiteral("Shared.ini"));
    TIniFile b(QStringLiteral("SHARED.INI"));
    a.WriteText("Position", "NormPos", "1,2,3,4");
    QCOMPARE(b.ReadText("position", "normpos", {}), QStringLiteral("1,2,3,4"));
    b.WriteNumber("quotefile", "FontSize", 12);
    QCOMPARE(a.ReadNumber("QuoteFile", "fontsize", 8), 12);
    a.RemoveKey("Position", "NormPos");
    QCOMPARE(b.ReadText("Position", "NormPos", "gone"), QStringLiteral("gone"));
    // "OmbryQuote" without an extension is a file of its own.
    QCOMPARE(TIniFile(QStringLiteral("OmbryQuote")).ReadNumber("quotefile", "FontSize", 8), 8);
}

void tst_inifile::writeFailure_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("nameUnderRegularFile") << "underFile" << "s" << "k" << "v";
    QTest::newRow("pathIsFolder") << "folder" << "s" << "k" << "v";
    QTest::newRow("readOnlyFolder") << "readOnly" << "s" << "k" << "v";
    QTest::newRow("profileFolderBlocked") << "bareName" << "s" << "k" << "v";
    QTest::newRow("lineBreakInValue") << "existing" << "s" << "k" << "two\nlines";
    QTest::newRow("carriageReturnInValue") << "existing" << "s" << "k" << "a\rb";
    QTest::newRow("equalsInKey") << "existing" << "s" << "a=b" << "v";
    QTest::newRow("emptyKey") << "existing" << "s" << "  " << "v";
    QTest::newRow("commentKey") << "existing" << "s" << ";k" << "v";
    QTest::newRow("bracketInSection") << "existing" << "a]b" << "k" << "v";
    QTest::newRow("lineBreakInSection") << "existing" << "a\nb" << "k" << "v";
}

void tst_inifile::writeFailure()
{
    QFETCH(QString, setup);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);

    const QByteArray original("; keep me\r\n[s]\r\nk=old\r\n");
    QString name = path("p.ini");
    QString watched = name;
    if (setup == QLatin1String("underFile")) {
        writeBytes(path("plain"), original);
        name = path("plain/p.ini");
        watched = path("plain");
    } else if (setup == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(name));
    } else if (setup == QLatin1String("readOnly")) {
        QVERIFY(QDir().mkpath(path("ro")));
        name = watched = path("ro/p.ini");
        writeBytes(name, original);
        QVERIFY(QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (QFileInfo(path("ro")).isWritable() || QFile(path("ro/probe")).open(QIODevice::WriteOnly)) {
            QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore folder permissions");
        }
    } else if (setup == QLatin1String("bareName")) {
        // The profile folder's place is taken by a regular file, so it cannot be created.
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        writeBytes(path("cfg"), original);
        qputenv("XDG_CONFIG_HOME", path("cfg").toLocal8Bit());
        name = QStringLiteral("OMBRYQuote.ini");
        watched = path("cfg");
        bool thrown = false;
        try {
            TIniFile(name).WriteText(section, key, value);
        } catch (const EIniFileException &e) {
            thrown = true;
            QCOMPARE(e.message(), QStringLiteral("Unable to write to OMBRYQuote.ini"));
        }
        qputenv("XDG_CONFIG_HOME", configHome);
        QVERIFY(thrown);
        QCOMPARE(readBytes(watched), original);
        return;
    } else {
        writeBytes(name, original);
    }

    bool thrown = false;
    try {
        TIniFile file(name);
        file.WriteText(section, key, value);
    } catch (const EIniFileException &e) {
        thrown = true;
        QCOMPARE(e.message(), QStringLiteral("Unable to write to ") + name);
        QCOMPARE(QString::fromUtf8(e.what()), e.message());
    }
    if (setup == QLatin1String("readOnly"))
        QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(thrown);
    if (setup == QLatin1String("folder"))
        QVERIFY(QFileInfo(name).isDir());
    else
        QCOMPARE(readBytes(watched), original);
}

void tst_inifile::profileFilePath_data()
{
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bareNameLowerCased") << "/cfg" << "OMBRYQuote.ini" << "/cfg/ombryquote/ombryquote.ini";
    QTest::newRow("noExtension") << "/cfg" << "OmbryQuote" << "/cfg/ombryquote/ombryquote";
    QTest::newRow("onlyAsciiLowered") << "/cfg" << QString::fromUtf8("\u00C4.INI")
                                      << QString::fromUtf8("/cfg/ombryquote/\u00C4.ini");
    QTest::newRow("absoluteAsGiven") << "/cfg" << "/tmp/Some.INI" << "/tmp/Some.INI";
    QTest::newRow("relativeFolderAsGiven") << "/cfg" << "sub/Some.INI" << "sub/Some.INI";
    QTest::newRow("unsetConfigHome") << "" << "control.ini" << QDir::homePath() + "/.config/ombryquote/control.ini";
    QTest::newRow("relativeConfigHomeIgnored") << "rel" << "x" << QDir::homePath() + "/.config/ombryquote/x";
}

void tst_inifile::profileFilePath()
{
    QFETCH(QString, configHome);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
    const QString actual = oq::profileFilePath(name);
    qputenv("XDG_CONFIG_HOME", saved);
    QCOMPARE(actual, expected);
}

void tst_inifile::twoProcesses_writingAtOnce_loseNoKey()
{
    const QString name = path("race.ini");
    writeBytes(name, "; written by two copies at once\n[other]\nkeep=yes\n");
    QProcess writers[2];
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(WriterFileEnv), name);
        env.insert(QLatin1String(WriterIdEnv), QString::number(i));
        writers[i].setProcessEnvironment(env);
        writers[i].setProcessChannelMode(QProcess::ForwardedChannels);
        writers[i].start(QCoreApplication::applicationFilePath(), {});
    }
    for (QProcess &writer : writers) {
        QVERIFY(writer.waitForFinished(240000));
        QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer.exitCode(), 0);
    }

    TIniFile file(name);
    QStringList keys;
    file.ListKeys("shared", keys);
    QCOMPARE(keys.size(), 2 * KeysPerWriter);
    for (int id = 0; id < 2; ++id) {
        for (int i = 0; i < KeysPerWriter; ++i)
            QCOMPARE(file.ReadNumber("shared", QStringLiteral("w%1_%2").arg(id).arg(i), -1), i);
    }
    QCOMPARE(file.ReadText("other", "keep", {}), QStringLiteral("yes"));
    QVERIFY(!QFileInfo::exists(name + QStringLiteral(".lock")));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(WriterFileEnv))
        return runWriter();
    tst_inifile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inifile.moc"
