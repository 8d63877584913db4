// SPDX-License-Identifier: MIT
// Build tool: writes the program's version block (the VS_VERSIONINFO layout:
// fixed file information, a string table under one translation, and the
// translation table) from the values the build configuration passes in.
//
//   mkversionblock -o OUT --file-version A.B.C.D --product-version A.B.C.D
//                  --translation 040904E4 [--string Key=Value]...
//
// Values are UTF-8 and are stored as UTF-16LE. The file is rewritten only when
// its bytes change, so an unchanged block does not relink the program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "mkversionblock: %s\n", message.c_str());
    std::exit(1);
}

void put16(Bytes &out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8 & 0xFF));
}

void put32(Bytes &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void pad4(Bytes &out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

std::u16string utf16(const std::string &utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = utf8[i];
        int extra = 0;
        std::uint32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            extra = 3;
        } else {
            fail("value is not UTF-8: " + utf8);
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80)
                fail("value is not UTF-8: " + utf8);
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        static const std::uint32_t minimum[] = { 0, 0x80, 0x800, 0x10000 };
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            fail("value is not UTF-8: " + utf8);
        if (cp == 0)
            fail("value holds a NUL character");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += std::size_t(extra) + 1;
    }
    return out;
}

// One node of the block: a header (total length, value length, type), its key,
// its value and its children, each part starting on a 32-bit boundary.
struct Node
{
    std::string key;
    bool text = false;
    std::uint16_t valueLength = 0; // characters for text values, bytes otherwise
    Bytes value;
    std::vector<Node> children;
};

Bytes serialize(const Node &node)
{
    Bytes out;
    put16(out, 0); // the length, filled in below
    put16(out, node.valueLength);
    put16(out, node.text ? 1 : 0);
    for (char16_t c : utf16(node.key))
        put16(out, c);
    put16(out, 0);
    pad4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node &child : node.children) {
        pad4(out);
        const Bytes part = serialize(child);
        out.insert(out.end(), part.begin(), part.end());
    }
    if (out.size() > 0xFFFF)
        fail("the block is larger than 65535 bytes");
    out[0] = std::uint8_t(out.size() & 0xFF);
    out[1] = std::uint8_t(out.size() >> 8);
    return out;
}

Node textNode(const std::string &key, const std::string &value)
{
    Node node;
    node.key = key;
    node.text = true;
    const std::u16string chars = utf16(value);
    for (char16_t c : chars)
        put16(node.value, c);
    put16(node.value, 0);
    node.valueLength = std::uint16_t(chars.size() + 1);
    return node;
}

// "1.2.3.4" (missing parts are 0) as the two words of a fixed record.
std::pair<std::uint32_t, std::uint32_t> versionWords(const std::string &text)
{
    std::uint32_t part[4] = { 0, 0, 0, 0 };
    std::istringstream in(text);
    std::string item;
    int n = 0;
    while (std::getline(in, item, '.')) {
        if (n == 4 || item.empty() || item.find_first_not_of("0123456789") != std::string::npos || item.size() > 5)
            fail("not a version of up to four numbers: " + text);
        const unsigned long v = std::stoul(item);
        if (v > 0xFFFF)
            fail("version part above 65535: " + text);
        part[n++] = std::uint32_t(v);
    }
    if (n == 0)
        fail("empty version");
    return { part[0] << 16 | part[1], part[2] << 16 | part[3] };
}

} // namespace

int main(int argc, char **argv)
{
    std::string output, fileVersion, productVersion, translation = "040904E4";
    std::vector<std::pair<std::string, std::string>> strings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            fail("missing value after " + arg);
        const std::string value = argv[++i];
        if (arg == "-o") {
            output = value;
        } else if (arg == "--file-version") {
            fileVersion = value;
        } else if (arg == "--product-version") {
            productVersion = value;
        } else if (arg == "--translation") {
            translation = value;
        } else if (arg == "--string") {
            const std::size_t eq = value.find('=');
            if (eq == std::string::npos || eq == 0)
                fail("--string needs Key=Value: " + value);
            strings.emplace_back(value.substr(0, eq), value.substr(eq + 1));
        } else {
            fail("unknown option " + arg);
        }
    }
    if (output.empty() || fileVersion.empty())
        fail("usage: mkversionblock -o OUT --file-version A.B.C.D [--product-version A.B.C.D] "
             "[--translation LLLLCCCC] [--string Key=Value]...");
    if (productVersion.empty())
        productVersion = fileVersion;
    if (translation.size() != 8 || translation.find_first_not_of("0123456789ABCDEF") != std::string::npos)
        fail("translation must be 8 upper-case hex digits: " + translation);
    const std::uint32_t language = std::uint32_t(std::stoul(translation.substr(0, 4), nullptr, 16));
    const std::uint32_t codePage = std::uint32_t(std::stoul(translation.substr(4, 4), nullptr, 16));

    const auto file = versionWords(fileVersion);
    const auto product = versionWords(productVersion);
    Node root;
    root.key = "VS_VERSION_INFO";
    put32(root.value, 0xFEEF04BD); // signature
    put32(root.value, 0x00010000); // structure version 1.0
    put32(root.value, file.first);
    put32(root.value, file.second);
    put32(root.value, product.first);
    put32(root.value, product.second);
    put32(root.value, 0x3F); // flags mask
    put32(root.value, 0); // flags: a release build
    put32(root.value, 0); // operating system: not a Windows one
    put32(root.value, 1); // file type: an application
    put32(root.value, 0); // subtype
    put32(root.value, 0); // date, high word
    put32(root.value, 0); // date, low word
    root.valueLength = std::uint16_t(root.value.size());

    Node table;
    table.key = translation;
    table.text = true;
    for (const auto &[key, value] : strings)
        table.children.push_back(textNode(key, value));
    Node stringInfo;
    stringInfo.key = "StringFileInfo";
    stringInfo.text = true;
    stringInfo.children.push_back(std::move(table));

    Node translations;
    translations.key = "Translation";
    put16(translations.value, language);
    put16(translations.value, codePage);
    translations.valueLength = std::uint16_t(translations.value.size());
    Node varInfo;
    varInfo.key = "VarFileInfo";
    varInfo.text = true;
    varInfo.children.push_back(std::move(translations));

    root.children.push_back(std::move(stringInfo));
    root.children.push_back(std::move(varInfo));
    const Bytes block = serialize(root);

    {
        std::ifstream old(output, std::ios::binary);
        const Bytes existing((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
        if (old.is_open() && existing == block)
            return 0;
    }
    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(block.data()), std::streamsize(block.size()));
        if (!out.flush())
            fail("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0)
        fail("cannot rename " + temporary + " to " + output);
    return 0;
}
