// SPDX-License-Identifier: MIT
#include "controls/versioninfo.h"
#include "oq_config.h"

#include "versionblockwriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace versionblockwriter;

namespace {

// A minimal ELF file whose section 'name' holds payload.
struct ElfOptions
{
    bool is64 = true;
    bool bigEndian = false;
    QByteArray name = ".ombry_version";
    quint32 type = 1; // PROGBITS
};

QByteArray makeElf(const QByteArray &payload, const ElfOptions &o = {})
{
    auto put = [&](QByteArray &out, quint64 v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (o.bigEndian ? bytes - 1 - i : i);
            out.append(char(v >> shift & 0xFF));
        }
    };
    const int headerSize = o.is64 ? 64 : 52;
    const int entrySize = o.is64 ? 64 : 40;
    const QByteArray names = QByteArray("\0.shstrtab\0.text\0", 17) + o.name + '\0';
    const quint64 payloadAt = quint64(headerSize);
    const quint64 namesAt = payloadAt + quint64(payload.size());
    quint64 tableAt = namesAt + quint64(names.size());
    tableAt = (tableAt + 7) & ~quint64(7);

    QByteArray out;
    out.append("\x7f"
               "ELF",
        4);
    out.append(char(o.is64 ? 2 : 1)).append(char(o.bigEndian ? 2 : 1)).append(char(1));
    out.append(QByteArray(9, '\0'));
    put(out, 2, 2); // e_type: executable
    put(out, 62, 2); // e_machine
    put(out, 1, 4); // e_version
    const int word = o.is64 ? 8 : 4;
    put(out, 0, word); // e_entry
    put(out, 0, word); // e_phoff
    put(out, tableAt, word); // e_shoff
    put(out, 0, 4); // e_flags
    put(out, quint64(headerSize), 2);
    put(out, 0, 2);
    put(out, 0, 2);
    put(out, quint64(entrySize), 2);
    put(out, 4, 2); // e_shnum
    put(out, 1, 2); // e_shstrndx
    out.append(payload).append(names);
    out.append(QByteArray(int(tableAt) - out.size(), '\0'));

    auto section = [&](quint32 name, quint32 type, quint64 offset, quint64 size) {
        put(out, name, 4);
        put(out, type, 4);
        put(out, 0, word); // flags
        put(out, 0, word); // addr
        put(out, offset, word);
        put(out, size, word);
        put(out, 0, 4); // link
        put(out, 0, 4); // info
        put(out, 1, word); // addralign
        put(out, 0, word); // entsize
    };
    section(0, 0, 0, 0);
    section(1, 3, namesAt, quint64(names.size()));
    section(11, 8, 0, 4096); // .text, no bits
    section(17, o.type, payloadAt, quint64(payload.size()));
    return out;
}

struct Answers
{
    bool valid;
    QString translation;
    QString productName;
    QString fileVersion;
};

void checkAnswers(const TVersionInfo &info, const Answers &want)
{
    QCOMPARE(info.Valid(), want.valid);
    QCOMPARE(info.Translation(), want.translation);
    QCOMPARE(info.StringValue(QStringLiteral("ProductName")), want.productName);
    QCOMPARE(info.FileVersion(), want.fileVersion);
    QCOMPARE(info.StringValue(QStringLiteral("NoSuchKey")), QString());
}

} // namespace

Q_DECLARE_METATYPE(Answers)

class tst_versioninfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void block_data();
    void block();
    void elfFile_data();
    void elfFile();
    void blockSize_isTheSectionSize();
    void fixedFileVersion_isMostSignificantFirst();
    void fileDate_isLocalInTwoSecondSteps();
    void missingFile_givesNullDateAndNothingElse();
    void programFile_holdsItsOwnBlock();
};

void tst_versioninfo::block_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Answers>("want");

    const Answers usual { true, "040904E4", "Demo Product", "1.2.3.4" };
    const Answers empty { false, {}, {}, {} };
    const Answers fixedOnly { true, {}, {}, "1.2.3.4" };
    const QByteArray fixed = fixedInfo(0x00010002, 0x00030004);
    const Node trans = varInfo(translation(0x0409, 1252));

    QTest::newRow("no FileVersion string: the fixed numbers") << write(usualRoot()) << usual;
    {
        QList<Node> strings = usualStrings();
        strings.append(textNode("FileVersion", "2.5 beta"));
        QTest::newRow("FileVersion string differs from the fixed record")
            << write(root(fixed, { stringInfo("040904E4", strings), trans }))
            << Answers { true, "040904E4", "Demo Product", "2.5 beta" };
    }
    {
        QList<Node> strings = usualStrings();
        strings.append(textNode("FileVersion", ""));
        QTest::newRow("empty FileVersion string: the fixed numbers")
            << write(root(fixed, { stringInfo("040904E4", strings), trans })) << usual;
    }
    QTest::newRow("numbers are unsigned")
        << write(root(fixedInfo(0xFFFF0000, 0x012C8007), { stringInfo("040904E4", usualStrings()), trans }))
        << Answers { true, "040904E4", "Demo Product", "65535.0.300.32775" };
    QTest::newRow("translation digits are upper case")
        << write(root(fixed, { stringInfo("0C0A04B0", usualStrings()), varInfo(translation(0x0C0A, 0x04B0)) }))
        << Answers { true, "0C0A04B0", "Demo Product", "1.2.3.4" };
    QTest::newRow("first of two translations") << write(root(fixed,
        { stringInfo("040904E4", usualStrings()), varInfo(translation(0x0409, 1252) + translation(0x0407, 1252)) }))
                                               << usual;
    QTest::newRow("no translation table")
        << write(root(fixed, { stringInfo("040904E4", usualStrings()) })) << fixedOnly;
    QTest::newRow("empty translation table")
        << write(root(fixed, { stringInfo("040904E4", usualStrings()), varInfo({}) })) << fixedOnly;
    QTest::newRow("short translation entry")
        << write(root(fixed, { stringInfo("040904E4", usualStrings()), varInfo(QByteArray("\x09\x04", 2)) }))
        << fixedOnly;
    QTest::newRow("translation without its table")
        << write(root(fixed, { stringInfo("040904E4", usualStrings()), varInfo(translation(0x0407, 1252)) }))
        << Answers { true, "040704E4", {}, "1.2.3.4" };
    QTest::newRow("no children at all") << write(root(fixed, {})) << fixedOnly;
    QTest::newRow("no fixed record, no string") << write(root({}, {})) << Answers { true, {}, {}, {} };
    QTest::newRow("fixed record with a wrong signature")
        << write(root(fixedInfo(0x00010002, 0x00030004, 0x12345678), {})) << Answers { true, {}, {}, {} };
    QTest::newRow("fixed record cut short") << write(root(fixed.left(40), {})) << Answers { true, {}, {}, {} };
    {
        Node r = usualRoot();
        r.children[0].children[0].children[1] = textNode("PRODUCTNAME", "Shouting");
        QTest::newRow("keys compare without case") << write(r) << Answers { true, "040904E4", "Shouting", "1.2.3.4" };
    }
    {
        Node r = usualRoot();
        r.children[0].children[0].children[1].valueLength = 2 * int(r.children[0].children[0].children[1].value.size());
        QTest::newRow("text length counted in bytes") << write(r) << usual;
    }
    {
        Node r = usualRoot();
        r.children[0].children[0].children[1].valueLength = 0;
        QTest::newRow("text length zero") << write(r) << Answers { true, "040904E4", {}, "1.2.3.4" };
    }
    {
        Node r = usualRoot();
        Node &name = r.children[0].children[0].children[1];
        name.value.chop(2); // no NUL after the text
        r.children[0].children[0].children = { r.children[0].children[0].children[0], name };
        QTest::newRow("text without its terminator") << write(r) << usual;
    }
    {
        Node r = usualRoot();
        r.children[0].children[0].children[0].length = 0;
        QTest::newRow("zero-length string ends its table") << write(r) << Answers { true, "040904E4", {}, "1.2.3.4" };
    }
    {
        Node r = usualRoot();
        r.children[0].children[0].children[0].length = 5;
        QTest::newRow("string shorter than its header") << write(r) << Answers { true, "040904E4", {}, "1.2.3.4" };
    }
    {
        Node r = usualRoot();
        r.children[0].children[0].length = 0xFFF0;
        QTest::newRow("table longer than its parent") << write(r) << Answers { true, "040904E4", {}, "1.2.3.4" };
    }
    {
        Node r = usualRoot();
        r.children[0].children[0].children[1].keyTerminator = false;
        r.children[0].children[0].children[1].value.clear();
        r.children[0].children[0].children = { r.children[0].children[0].children[1] };
        QTest::newRow("key without its terminator") << write(r) << Answers { true, "040904E4", {}, "1.2.3.4" };
    }
    {
        Node r = usualRoot();
        r.children[1].children[0].valueLength = 400;
        QTest::newRow("translation length past its node") << write(r) << usual;
    }
    {
        QByteArray bytes = write(usualRoot());
        bytes.append('\x55'); // an odd size: trailing bytes are ignored
        QTest::newRow("trailing odd byte") << bytes << usual;
    }
    const QByteArray whole = write(usualRoot());
    QTest::newRow("truncated block") << whole.left(whole.size() / 2) << empty;
    QTest::newRow("truncated in the root's key") << whole.left(20) << empty;
    {
        QByteArray bytes = whole;
        qToLittleEndian<quint16>(quint16(bytes.size() + 1), bytes.data());
        QTest::newRow("root longer than the block") << bytes << empty;
    }
    {
        QByteArray bytes = whole;
        qToLittleEndian<quint16>(0, bytes.data());
        QTest::newRow("root length zero") << bytes << empty;
    }
    {
        Node r = usualRoot();
        r.key = "VS_VERSION_INFX";
        QTest::newRow("wrong root key") << write(r) << empty;
    }
    QTest::newRow("empty") << QByteArray() << empty;
    QTest::newRow("text") << QByteArray("Just some text, not a version block at all.\n") << empty;
    QTest::newRow("NUL bytes") << QByteArray(300, '\0') << empty;
}

void tst_versioninfo::block()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Answers, want);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const TVersionInfo info(buffer);
    checkAnswers(info, want);
    QCOMPARE(info.FileDate(), TVersionInfo::NullDate());

    // The same bytes as a file, and inside a program file.
    QTemporaryDir dir;
    const QString path = dir.filePath("block.bin");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    checkAnswers(TVersionInfo(path), want);

    QByteArray program = makeElf(bytes);
    QBuffer elf(&program);
    QVERIFY(elf.open(QIODevice::ReadOnly));
    checkAnswers(TVersionInfo(elf), bytes.isEmpty() ? Answers { false, {}, {}, {} } : want);
}

void tst_versioninfo::elfFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    const QByteArray block = write(usualRoot());
    const QByteArray elf = makeElf(block);
    QTest::newRow("64-bit, little-endian") << elf << true;
    QTest::newRow("64-bit, big-endian") << makeElf(block, { true, true }) << true;
    QTest::newRow("32-bit, little-endian") << makeElf(block, { false, false }) << true;
    QTest::newRow("32-bit, big-endian") << makeElf(block, { false, true }) << true;
    QTest::newRow("no version section") << makeElf(block, { true, false, ".data" }) << false;
    QTest::newRow("longer section name") << makeElf(block, { true, false, ".ombry_version2" }) << false;
    QTest::newRow("section without bits") << makeElf(block, { true, false, ".ombry_version", 8 }) << false;
    QTest::newRow("section is not a block") << makeElf("nothing to see here") << false;
    for (int cut : { 3, 16, 40, 63, 64, 100, int(elf.size()) - 200, int(elf.size()) - 64, int(elf.size()) - 1 })
        QTest::addRow("cut at %d", cut) << elf.left(cut) << false;
    {
        QByteArray bytes = elf;
        bytes[4] = 7;
        QTest::newRow("unknown class") << bytes << false;
    }
    {
        QByteArray bytes = elf;
        bytes[5] = 0;
        QTest::newRow("unknown byte order") << bytes << false;
    }
    {
        QByteArray bytes = elf;
        qToLittleEndian<quint16>(9, bytes.data() + 62);
        QTest::newRow("name table index past the sections") << bytes << false;
    }
    {
        QByteArray bytes = elf;
        qToLittleEndian<quint16>(0xFFFF, bytes.data() + 60);
        QTest::newRow("section count past the file") << bytes << false;
    }
    {
        QByteArray bytes = elf;
        qToLittleEndian<quint16>(8, bytes.data() + 58);
        QTest::newRow("section entries too small") << bytes << false;
    }
    {
        QByteArray bytes = elf;
        qToLittleEndian<quint64>(Q_UINT64_C(0xFFFFFFFFFFFFFF00), bytes.data() + 40);
        QTest::newRow("section table offset overflows") << bytes << false;
    }
    {
        // Section 3's offset and size, each moved out of the file.
        QByteArray bytes = elf;
        const qsizetype entry = bytes.size() - 64;
        qToLittleEndian<quint64>(Q_UINT64_C(0xFFFFFFFFFFFFFFF0), bytes.data() + entry + 24);
        QTest::newRow("section offset past the file") << bytes << false;
        bytes = elf;
        qToLittleEndian<quint64>(Q_UINT64_C(0xFFFFFFFFFFFFFFF0), bytes.data() + entry + 32);
        QTest::newRow("section size past the file") << bytes << false;
    }
    {
        // Name offset far outside the name table.
        QByteArray bytes = elf;
        qToLittleEndian<quint32>(0xFFFFFFF0, bytes.data() + bytes.size() - 64);
        QTest::newRow("section name outside the name table") << bytes << false;
    }
}

void tst_versioninfo::elfFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const TVersionInfo info(buffer);
    checkAnswers(info, valid ? Answers { true, "040904E4", "Demo Product", "1.2.3.4" } : Answers { false, {}, {}, {} });
}

void tst_versioninfo::blockSize_isTheSectionSize()
{
    const QByteArray block = write(usualRoot());
    QByteArray elf = makeElf(block);
    QBuffer buffer(&elf);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    quint32 handle = 0;
    QCOMPARE(oq::versionblock::blockSize(buffer, &handle), quint32(block.size()));
    QCOMPARE(handle, 64u); // the section follows the ELF header
    QByteArray read;
    QVERIFY(oq::versionblock::readBlock(buffer, handle, quint32(block.size()), &read));
    QCOMPARE(read, block);
    QVERIFY(!oq::versionblock::readBlock(buffer, handle + 2, quint32(block.size()), &read));
    QVERIFY(read.isEmpty());
}

void tst_versioninfo::fixedFileVersion_isMostSignificantFirst()
{
    QByteArray bytes = write(root(fixedInfo(0x00070008, 0x0009000A), {}));
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const TFixedFileVersion fixed = TVersionInfo(buffer).FixedFileVersion();
    QCOMPARE(fixed.ms, 0x00070008u);
    QCOMPARE(fixed.ls, 0x0009000Au);
}

void tst_versioninfo::fileDate_isLocalInTwoSecondSteps()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("program");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(write(usualRoot()));
    QVERIFY(file.flush());
    const QDateTime written(QDate(2024, 3, 5), QTime(10, 20, 31, 500));
    QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();

    const TVersionInfo info(path);
    QVERIFY(info.Valid());
    QCOMPARE(info.FileDate(), QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30)));
    QCOMPARE(info.FileDate().timeSpec(), Qt::LocalTime);
}

void tst_versioninfo::missingFile_givesNullDateAndNothingElse()
{
    QTemporaryDir dir;
    const TVersionInfo info(dir.filePath("missing"));
    checkAnswers(info, { false, {}, {}, {} });
    QCOMPARE(info.blockSize(), 0u);
    QCOMPARE(info.FileDate(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    const TFixedFileVersion fixed = info.FixedFileVersion();
    QCOMPARE(fixed.ms, 0u);
    QCOMPARE(fixed.ls, 0u);

    // A folder is no program file either.
    const TVersionInfo folder(dir.path());
    QVERIFY(!folder.Valid());
}

void tst_versioninfo::programFile_holdsItsOwnBlock()
{
    const TVersionInfo info(QStringLiteral(OQ_PROGRAM_FILE));
    QVERIFY(info.Valid());
    QCOMPARE(info.Translation(), QStringLiteral("040904E4"));
    QCOMPARE(info.StringValue("ProductName"), QString::fromUtf8(OQ_PRODUCT_NAME));
    QCOMPARE(info.StringValue("LegalCopyright"), QString::fromUtf8(OQ_COPYRIGHT));
    QCOMPARE(info.StringValue("Comments"), QString::fromUtf8(OQ_COMMENTS));
    QCOMPARE(info.StringValue("CompanyName"), QString::fromUtf8(OQ_COMPANY_NAME));
    QCOMPARE(info.FileVersion(), QStringLiteral(OQ_VERSION));
    const QStringList parts = QStringLiteral(OQ_VERSION).split('.');
    const TFixedFileVersion fixed = info.FixedFileVersion();
    QCOMPARE(fixed.ms >> 16, parts.value(0).toUInt());
    QCOMPARE(fixed.ms & 0xFFFF, parts.value(1).toUInt());
    QCOMPARE(fixed.ls >> 16, parts.value(2).toUInt());
    QCOMPARE(fixed.ls & 0xFFFF, parts.value(3).toUInt());
    QVERIFY(info.FileDate() > QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
}

QTEST_GUILESS_MAIN(tst_versioninfo)
#include "tst_versioninfo.moc"
