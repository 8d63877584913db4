// SPDX-License-Identifier: MIT
#include "controls/versioninfo.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QTime>

#include <algorithm>

namespace oq::versionblock {

namespace {

constexpr quint32 FixedInfoSignature = 0xFEEF04BD;
constexpr qsizetype FixedInfoSize = 13 * 4;
constexpr qsizetype NodeHeaderSize = 6; // wLength, wValueLength, wType
constexpr char16_t RootKey[] = u"VS_VERSION_INFO";

// An ELF file has few sections; a header table or name table beyond these
// sizes is damage, not a program.
constexpr quint64 MaxSectionTableSize = 4 * 1024 * 1024;
constexpr quint64 MaxNameTableSize = 4 * 1024 * 1024;

quint16 u16le(QByteArrayView b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

quint32 u32le(QByteArrayView b, qsizetype at)
{
    return quint32(u16le(b, at)) | quint32(u16le(b, at + 2)) << 16;
}

// Offsets inside a block are aligned to 32 bits from the block's start.
qsizetype align4(qsizetype at)
{
    return (at + 3) & ~qsizetype(3);
}

// One node of the block: header, key, value, then child nodes up to its end.
struct Node
{
    qsizetype end = 0;
    qsizetype keyBegin = 0;
    qsizetype keyChars = 0;
    qsizetype valueBegin = 0;
    qsizetype valueSize = 0; // what the block really holds of the value
    qsizetype childrenBegin = 0;
    bool text = false;
};

// Reads the node at 'at', which must lie wholly before 'limit' (its parent's
// end). A length too short to hold the header, a length past the parent's end
// or a key without its terminator make the node unreadable.
bool readNode(QByteArrayView b, qsizetype at, qsizetype limit, Node *node)
{
    if (at < 0 || limit > b.size() || limit - at < NodeHeaderSize)
        return false;
    const qsizetype length = u16le(b, at);
    if (length < NodeHeaderSize || length > limit - at)
        return false;
    node->end = at + length;
    const quint16 valueLength = u16le(b, at + 2);
    node->text = u16le(b, at + 4) == 1;

    node->keyBegin = at + NodeHeaderSize;
    qsizetype p = node->keyBegin;
    while (p + 2 <= node->end && u16le(b, p) != 0)
        p += 2;
    if (p + 2 > node->end)
        return false;
    node->keyChars = (p - node->keyBegin) / 2;

    // A text value's length counts UTF-16 characters, a binary one bytes.
    const qsizetype declared = node->text ? qsizetype(valueLength) * 2 : qsizetype(valueLength);
    node->valueBegin = std::min(align4(p + 2), node->end);
    node->valueSize = std::min(declared, node->end - node->valueBegin);
    node->childrenBegin = align4(node->valueBegin + declared);
    return true;
}

bool keyEquals(QByteArrayView b, const Node &node, QStringView key)
{
    if (node.keyChars != key.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const QChar stored(u16le(b, node.keyBegin + 2 * i));
        if (stored != key[i] && stored.toCaseFolded() != key[i].toCaseFolded())
            return false;
    }
    return true;
}

bool findChild(QByteArrayView b, const Node &parent, QStringView key, Node *child)
{
    for (qsizetype at = parent.childrenBegin; at < parent.end; at = align4(child->end)) {
        if (!readNode(b, at, parent.end, child))
            return false; // the rest of the parent cannot be trusted
        if (keyEquals(b, *child, key))
            return true;
    }
    return false;
}

bool readRoot(QByteArrayView b, Node *root)
{
    return readNode(b, 0, b.size(), root) && keyEquals(b, *root, QStringView(RootKey));
}

// Reads exactly 'size' bytes at 'offset', or nothing.
QByteArray readAt(QIODevice &device, quint64 offset, quint64 size)
{
    const quint64 deviceSize = quint64(std::max<qint64>(device.size(), 0));
    if (offset > deviceSize || size > deviceSize - offset)
        return {};
    if (!device.seek(qint64(offset)))
        return {};
    QByteArray data = device.read(qint64(size));
    if (quint64(data.size()) != size)
        return {};
    return data;
}

// Reads the fields of an ELF file in the file's own byte order.
class ElfReader
{
public:
    explicit ElfReader(bool bigEndian)
        : m_bigEndian(bigEndian)
    { }

    quint64 get(QByteArrayView b, qsizetype at, int bytes) const
    {
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i) {
            const quint64 byte = quint8(b[at + (m_bigEndian ? i : bytes - 1 - i)]);
            value = value << 8 | byte;
        }
        return value;
    }

private:
    bool m_bigEndian;
};

struct Section
{
    quint32 name = 0;
    quint32 type = 0;
    quint64 offset = 0;
    quint64 size = 0;
    quint32 link = 0;
};

// Finds the version section of an ELF file: its offset and size in the file.
bool findElfSection(QIODevice &device, quint64 *offset, quint64 *size)
{
    const QByteArray ident = readAt(device, 0, 16);
    if (ident.size() != 16
        || !ident.startsWith("\x7f"
                             "ELF"))
        return false;
    const bool is64 = ident[4] == 2;
    if (!is64 && ident[4] != 1)
        return false;
    if (ident[5] != 1 && ident[5] != 2)
        return false;
    const ElfReader elf(ident[5] == 2);

    const QByteArray header = readAt(device, 0, is64 ? 64 : 52);
    if (header.isEmpty())
        return false;
    const quint64 shoff = is64 ? elf.get(header, 40, 8) : elf.get(header, 32, 4);
    const quint64 shentsize = elf.get(header, is64 ? 58 : 46, 2);
    quint64 shnum = elf.get(header, is64 ? 60 : 48, 2);
    quint64 shstrndx = elf.get(header, is64 ? 62 : 50, 2);
    const quint64 minEntry = is64 ? 64 : 40;
    if (shoff == 0 || shentsize < minEntry)
        return false;

    auto sectionAt = [&](QByteArrayView entry) {
        Section s;
        s.name = quint32(elf.get(entry, 0, 4));
        s.type = quint32(elf.get(entry, 4, 4));
        s.offset = is64 ? elf.get(entry, 24, 8) : elf.get(entry, 16, 4);
        s.size = is64 ? elf.get(entry, 32, 8) : elf.get(entry, 20, 4);
        s.link = quint32(is64 ? elf.get(entry, 40, 4) : elf.get(entry, 24, 4));
        return s;
    };

    // With very many sections the count and the name-table index live in
    // section 0 instead of the header.
    if (shnum == 0 || shstrndx == 0xFFFF) {
        const QByteArray first = readAt(device, shoff, shentsize);
        if (first.isEmpty())
            return false;
        const Section zero = sectionAt(first);
        if (shnum == 0)
            shnum = zero.size;
        if (shstrndx == 0xFFFF)
            shstrndx = zero.link;
    }
    if (shnum == 0 || shnum > MaxSectionTableSize / shentsize || shstrndx >= shnum)
        return false;
    const QByteArray table = readAt(device, shoff, shnum * shentsize);
    if (table.isEmpty())
        return false;
    auto section = [&](quint64 index) {
        return sectionAt(QByteArrayView(table).sliced(qsizetype(index * shentsize), qsizetype(minEntry)));
    };

    const Section names = section(shstrndx);
    if (names.size > MaxNameTableSize)
        return false;
    const QByteArray nameTable = readAt(device, names.offset, names.size);
    if (nameTable.isEmpty())
        return false;
    const QByteArrayView wanted(SectionName, qsizetype(sizeof SectionName)); // with its NUL
    for (quint64 i = 1; i < shnum; ++i) {
        const Section s = section(i);
        if (s.name > quint64(nameTable.size()) || quint64(nameTable.size()) - s.name < quint64(wanted.size()))
            continue;
        if (QByteArrayView(nameTable).sliced(s.name, wanted.size()) != wanted)
            continue;
        constexpr quint32 NoBits = 8; // a section that occupies no room in the file
        if (s.type == NoBits)
            return false;
        *offset = s.offset;
        *size = s.size;
        return true;
    }
    return false;
}

// A bare block begins with the root's header and key.
bool isBareBlock(QIODevice &device)
{
    constexpr qsizetype keyBytes = sizeof RootKey; // with its NUL
    const QByteArray head = readAt(device, 0, NodeHeaderSize + keyBytes);
    if (head.isEmpty())
        return false;
    for (qsizetype i = 0; i < keyBytes / 2; ++i) {
        if (u16le(head, NodeHeaderSize + 2 * i) != RootKey[i])
            return false;
    }
    return true;
}

} // namespace

quint32 blockSize(QIODevice &device, quint32 *handle)
{
    *handle = 0;
    if (!device.isOpen() || device.isSequential())
        return 0;
    const quint64 deviceSize = quint64(std::max<qint64>(device.size(), 0));
    quint64 offset = 0;
    quint64 size = 0;
    if (findElfSection(device, &offset, &size)) {
        size = std::min<quint64>(size, MaxBlockSize);
        if (size == 0 || offset > deviceSize || size > deviceSize - offset || offset > 0xFFFFFFFFu)
            return 0;
    } else if (isBareBlock(device)) {
        size = std::min<quint64>(deviceSize, MaxBlockSize);
    } else {
        return 0;
    }
    *handle = quint32(offset);
    return quint32(size);
}

bool readBlock(QIODevice &device, quint32 handle, quint32 size, QByteArray *block)
{
    block->clear();
    if (size == 0 || size > MaxBlockSize || !device.isOpen())
        return false;
    QByteArray data = readAt(device, handle, size);
    Node root;
    if (data.isEmpty() || !readRoot(data, &root))
        return false;
    *block = std::move(data);
    return true;
}

bool queryValue(QByteArrayView block, QStringView path, QByteArrayView *value, bool *isText)
{
    Node node;
    if (!readRoot(block, &node))
        return false;
    for (QStringView key : path.split(u'\\', Qt::SkipEmptyParts)) {
        Node child;
        if (!findChild(block, node, key, &child))
            return false;
        node = child;
    }
    *value = block.sliced(node.valueBegin, node.valueSize);
    if (isText)
        *isText = node.text;
    return true;
}

bool fixedFileVersion(QByteArrayView block, TFixedFileVersion *version)
{
    QByteArrayView value;
    if (!queryValue(block, u"\\", &value) || value.size() < FixedInfoSize || u32le(value, 0) != FixedInfoSignature)
        return false;
    // dwSignature, dwStrucVersion, then dwFileVersionMS and dwFileVersionLS.
    version->ms = u32le(value, 8);
    version->ls = u32le(value, 12);
    return true;
}

QString textValue(QByteArrayView value)
{
    QString text;
    text.reserve(value.size() / 2);
    for (qsizetype at = 0; at + 2 <= value.size(); at += 2) {
        const quint16 unit = u16le(value, at);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

} // namespace oq::versionblock

namespace vb = oq::versionblock;

TVersionInfo::TVersionInfo(const QString &fileName)
    : m_fileName(fileName)
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        readFrom(file);
}

TVersionInfo::TVersionInfo(QIODevice &device)
{
    readFrom(device);
}

void TVersionInfo::readFrom(QIODevice &device)
{
    m_valid = false;
    m_blockSize = vb::blockSize(device, &m_handle);
    if (m_blockSize == 0)
        return;
    m_valid = vb::readBlock(device, m_handle, m_blockSize, &m_block);
}

QString TVersionInfo::Translation() const
{
    if (!m_valid)
        return {};
    QByteArrayView value;
    if (!vb::queryValue(m_block, u"\\VarFileInfo\\Translation", &value) || value.size() < 4)
        return {};
    // Each entry is a language identifier, then a code page.
    const quint32 entry = vb::u32le(value, 0);
    return QString::asprintf("%04X%04X", unsigned(entry & 0xFFFF), unsigned(entry >> 16));
}

QString TVersionInfo::StringValue(const QString &key) const
{
    if (!m_valid)
        return {};
    const QString translation = Translation();
    if (translation.isEmpty())
        return {};
    QByteArrayView value;
    if (!vb::queryValue(m_block, QStringLiteral("\\StringFileInfo\\") + translation + QLatin1Char('\\') + key, &value))
        return {};
    return vb::textValue(value);
}

TFixedFileVersion TVersionInfo::FixedFileVersion() const
{
    TFixedFileVersion version;
    if (m_valid)
        vb::fixedFileVersion(m_block, &version);
    return version;
}

QString TVersionInfo::FileVersion() const
{
    QString version = StringValue(QStringLiteral("FileVersion"));
    TFixedFileVersion fixed;
    if (version.isEmpty() && m_valid && vb::fixedFileVersion(m_block, &fixed)) {
        version
            = QString::asprintf("%u.%u.%u.%u", fixed.ms >> 16, fixed.ms & 0xFFFF, fixed.ls >> 16, fixed.ls & 0xFFFF);
    }
    return version;
}

QDateTime TVersionInfo::FileDate() const
{
    if (m_fileName.isEmpty())
        return NullDate();
    const QFileInfo info(m_fileName);
    if (!info.exists())
        return NullDate();
    const QDateTime written = info.lastModified().toLocalTime();
    if (!written.isValid())
        return NullDate();
    // File dates are kept in 2-second steps.
    const QTime time = written.time();
    return written.addMSecs(-qint64(time.second() % 2 * 1000 + time.msec()));
}

QDateTime TVersionInfo::NullDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}
