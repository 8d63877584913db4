// SPDX-License-Identifier: MIT
#pragma once

// A small writer of version blocks for tests, with knobs to damage them. It is
// written apart from the program's own generator, so the two check each other.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

namespace versionblockwriter {

struct Node
{
    explicit Node(const QString &nodeKey = {}, bool isText = false, const QByteArray &nodeValue = {})
        : key(nodeKey), text(isText), value(nodeValue)
    {
    }

    QString key;
    bool text = false;
    QByteArray value;
    int valueLength = -1; // -1: characters of a text value, bytes of a binary one
    int length = -1; // -1: the real length
    bool keyTerminator = true;
    QList<Node> children;
};

inline void put16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

inline void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v));
    put16(out, quint16(v >> 16));
}

inline void pad4(QByteArray &out)
{
    while (out.size() % 4)
        out.append('\0');
}

inline QByteArray write(const Node &node)
{
    QByteArray out(6, '\0');
    for (QChar c : node.key)
        put16(out, c.unicode());
    if (node.keyTerminator)
        put16(out, 0);
    pad4(out);
    out.append(node.value);
    for (const Node &child : node.children) {
        pad4(out);
        out.append(write(child));
    }
    const int valueLength = node.valueLength >= 0 ? node.valueLength
        : node.text                               ? int(node.value.size() / 2)
                                                  : int(node.value.size());
    qToLittleEndian<quint16>(quint16(node.length >= 0 ? node.length : out.size()), out.data());
    qToLittleEndian<quint16>(quint16(valueLength), out.data() + 2);
    qToLittleEndian<quint16>(node.text ? 1 : 0, out.data() + 4);
    return out;
}

inline Node textNode(const QString &key, const QString &value)
{
    Node n(key, true);
    for (QChar c : value)
        put16(n.value, c.unicode());
    put16(n.value, 0);
    return n;
}

inline QByteArray fixedInfo(quint32 ms, quint32 ls, quint32 signature = 0xFEEF04BD)
{
    QByteArray v;
    for (quint32 w : { signature, 0x10000u, ms, ls, ms, ls, 0x3Fu, 0u, 0u, 1u, 0u, 0u, 0u })
        put32(v, w);
    return v;
}

inline Node stringInfo(const QString &table, const QList<Node> &strings)
{
    Node t { table, true };
    t.children = strings;
    Node info { QStringLiteral("StringFileInfo"), true };
    info.children = { t };
    return info;
}

inline Node varInfo(const QByteArray &translations)
{
    Node var { QStringLiteral("Translation"), false, translations };
    Node info { QStringLiteral("VarFileInfo"), true };
    info.children = { var };
    return info;
}

inline QByteArray translation(quint16 language, quint16 codePage)
{
    QByteArray v;
    put16(v, language);
    put16(v, codePage);
    return v;
}

inline Node root(const QByteArray &fixed, const QList<Node> &children)
{
    Node r { QStringLiteral("VS_VERSION_INFO"), false, fixed };
    r.children = children;
    return r;
}

inline QList<Node> usualStrings()
{
    return { textNode("CompanyName", "Maker"), textNode("ProductName", "Demo Product"),
        textNode("LegalCopyright", "(c) Maker"), textNode("Comments", "Just a test") };
}

// The usual block: fixed 1.2.3.4, strings under 040904E4, one translation.
inline Node usualRoot()
{
    return root(fixedInfo(0x00010002, 0x00030004),
        { stringInfo("040904E4", usualStrings()), varInfo(translation(0x0409, 1252)) });
}

} // namespace versionblockwriter
