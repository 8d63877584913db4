// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the profile store as the text of a profile file and runs its reads, key listing,
// writes and removals in memory, checking that a written value reads back, that an edit changes no other key
// and that a removed key is gone.
#include "settings/inifile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmedBlanks(QByteArray bytes)
{
    while (!bytes.isEmpty() && isBlank(bytes.front()))
        bytes.remove(0, 1);
    while (!bytes.isEmpty() && isBlank(bytes.back()))
        bytes.chop(1);
    return bytes;
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a.at(i);
        char y = b.at(i);
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// A few section names that stand in the data, so that the edits below hit real sections.
QList<QByteArray> headerNames(const QByteArray &data, int max)
{
    QList<QByteArray> names;
    qsizetype pos = 0;
    while (pos < data.size() && names.size() < max) {
        qsizetype end = pos;
        while (end < data.size() && data.at(end) != '\n' && data.at(end) != '\r')
            ++end;
        const QByteArray line = trimmedBlanks(data.mid(pos, end - pos));
        const qsizetype close = line.indexOf(']');
        if (line.startsWith('[') && close > 0)
            names.append(trimmedBlanks(line.mid(1, close - 1)));
        pos = end + 1;
    }
    return names;
}

QList<QByteArray> withoutName(QList<QByteArray> names, const QByteArray &name)
{
    names.removeIf([&](const QByteArray &n) { return sameName(n, trimmedBlanks(name)); });
    return names;
}

// Keys and values of the other sections, to prove an edit leaves them alone.
QList<QByteArray> snapshot(const QByteArray &data, const QList<QByteArray> &sections, const QByteArray &except)
{
    QList<QByteArray> result;
    for (const QByteArray &section : sections) {
        if (sameName(section, trimmedBlanks(except)))
            continue;
        const QList<QByteArray> keys = oq::ini::keys(data, section);
        for (qsizetype i = 0; i < keys.size() && i < 8; ++i)
            result.append(section + '\0' + keys.at(i) + '\0' + oq::ini::value(data, section, keys.at(i)).value_or("?"));
        result.append(QByteArray::number(keys.size()));
    }
    return result;
}

void checkReads(const QByteArray &data, const QByteArray &section)
{
    const QList<QByteArray> keys = oq::ini::keys(data, section);
    const QList<QByteArray> limited = oq::ini::keys(data, section, 64);
    qsizetype used = 0;
    for (qsizetype i = 0; i < limited.size(); ++i) {
        require(limited.at(i) == keys.at(i));
        used += limited.at(i).size() + 1;
    }
    require(used <= 64);
    for (qsizetype i = 0; i < keys.size() && i < 8; ++i) {
        const std::optional<QByteArray> value = oq::ini::value(data, section, keys.at(i));
        require(value.has_value()); // every listed key reads as present
        const QString text = oq::ini::decode(*value);
        (void)oq::ini::toNumber(text);
    }
}

void checkWrite(const QByteArray &data, const QList<QByteArray> &sections, const QByteArray &section,
                const QByteArray &key, const QByteArray &value)
{
    const std::optional<oq::ini::Edit> edit = oq::ini::writeEdit(data, section, key, value);
    const bool storable =
        oq::ini::isStorableSection(section) && oq::ini::isStorableKey(key) && oq::ini::isStorableValue(value);
    require(edit.has_value() == storable);
    if (!edit)
        return;
    require(edit->position >= 0 && edit->length >= 0 && edit->position + edit->length <= data.size());

    const QByteArray written = edit->appliedTo(data);
    require(oq::ini::value(written, section, key) == value);

    // The section's key list is unchanged, or gains the new key at its end.
    const QList<QByteArray> keysBefore = oq::ini::keys(data, section);
    const QList<QByteArray> keysAfter = oq::ini::keys(written, section);
    const bool existed = oq::ini::value(data, section, key).has_value();
    require(keysAfter.size() == keysBefore.size() + (existed ? 0 : 1));
    for (qsizetype i = 0; i < keysBefore.size(); ++i)
        require(keysAfter.at(i) == keysBefore.at(i));
    if (!existed)
        require(sameName(keysAfter.back(), trimmedBlanks(key)));

    require(snapshot(written, sections, section) == snapshot(data, sections, section));

    // Writing the same value again changes nothing.
    const std::optional<oq::ini::Edit> again = oq::ini::writeEdit(written, section, key, value);
    require(again && again->appliedTo(written) == written);

    // Removing the key makes it read as missing and keeps the other keys in order.
    const QByteArray removed = oq::ini::withoutKey(written, section, key);
    require(!oq::ini::value(removed, section, key).has_value());
    QList<QByteArray> expected = keysAfter;
    expected.removeIf([&](const QByteArray &k) { return sameName(k, trimmedBlanks(key)); });
    require(oq::ini::keys(removed, section) == expected);
    require(snapshot(removed, sections, section) == snapshot(data, sections, section));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), qsizetype(size));

    QList<QByteArray> sections{"quotefile", "lastquote", "Position", ""};
    sections += headerNames(data, 4);
    for (const QByteArray &section : sections)
        checkReads(data, section);

    // Names and a value taken from the input itself, whatever they hold.
    const qsizetype tail = qMin<qsizetype>(12, data.size());
    const QByteArray value = data.right(tail);
    const QByteArray name = data.mid(data.size() / 2, qMin<qsizetype>(6, data.size() / 2));
    const uint8_t pick = size > 0 ? bytes[0] : 0;
    const QByteArray section = sections.at(pick % sections.size());

    const QList<QByteArray> existing = oq::ini::keys(data, section);
    if (!existing.isEmpty())
        checkWrite(data, withoutName(sections, section) << section, section, existing.at(pick % existing.size()),
                   value);
    checkWrite(data, sections, section, "FontSize", "12");
    checkWrite(data, sections, section, name, value);
    checkWrite(data, sections, name, "k", " quoted \"value\" ");
    checkWrite(data, sections, "new section", name, value);
    return 0;
}
