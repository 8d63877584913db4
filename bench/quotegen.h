// SPDX-License-Identifier: MIT
#pragma once

#include "xorshift.h"

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstdint>

// Writes a quote file of `count` quotes in the program's format: a few lines
// of words, an author line, two empty lines; about 180 bytes a quote, so
// 33,000 quotes make about 6 MB. The same count always gives the same bytes.
inline QByteArray generateQuoteFile(int count)
{
    static const char *const words[] = {
        "the",    "of",     "and",   "to",      "in",     "a",       "is",    "that",   "for",    "it",
        "as",     "was",    "with",  "be",      "by",     "on",      "not",   "he",     "this",   "are",
        "or",     "his",    "from",  "at",      "which",  "but",     "have",  "an",     "they",   "you",
        "wisdom", "virtue", "time",  "truth",   "nature", "friend",  "mind",  "heart",  "world",  "life",
        "man",    "reason", "fear",  "hope",    "power",  "justice", "peace", "honour", "beauty", "patience",
        "love",   "death",  "fool",  "learned", "silent", "courage", "art",   "speech", "happy",  "labour",
    };
    constexpr int wordCount = sizeof(words) / sizeof(words[0]);
    XorShift32 next { 2463534242u };
    QByteArray out;
    out.reserve(qsizetype(count) * 190);
    for (int q = 0; q < count; ++q) {
        const int lines = 2 + int(next() % 3);
        for (int l = 0; l < lines; ++l) {
            const int n = 7 + int(next() % 7);
            for (int w = 0; w < n; ++w) {
                const char *word = words[next() % wordCount];
                if (w == 0 && l == 0)
                    out += char(word[0] - 32), out += word + 1;
                else
                    out += word;
                out += w + 1 < n ? ' ' : (l + 1 < lines ? ',' : '.');
            }
            out += "\r\n";
        }
        out += "    -- Author ";
        out += QByteArray::number(q % 977);
        out += "\r\n\r\n\r\n";
    }
    return out;
}

// The same quotes as a file joined from an old Windows collection and a new
// UTF-8 one: one text line in every hundred begins with Windows-1252 bytes
// ("Café – "), and another one in every hundred with UTF-8 ("Café — ").
inline QByteArray generateMixedQuoteFile(int count)
{
    const QByteArray plain = generateQuoteFile(count);
    QByteArray out;
    out.reserve(plain.size() + plain.size() / 200);
    int textLine = 0;
    qsizetype start = 0;
    while (start < plain.size()) {
        const qsizetype end = plain.indexOf("\r\n", start) + 2; // every line ends in CR LF
        if (end - start > 2) {
            if (textLine % 100 == 0)
                out += "Caf\xE9 \x96 ";
            else if (textLine % 100 == 50)
                out += "Caf\xC3\xA9 \xE2\x80\x94 ";
            ++textLine;
        }
        out += QByteArrayView(plain).sliced(start, end - start);
        start = end;
    }
    return out;
}

// The same quotes as a fortune file: LF line ends, each entry followed by a
// line holding "%".
inline QByteArray generateFortuneFile(int count)
{
    QByteArray text = generateQuoteFile(count);
    text.replace("\r\n\r\n\r\n", "\n%\n");
    text.replace("\r\n", "\n");
    return text;
}

// A strfile index (version 2) of a fortune file whose entries each end with
// a "%" line: the header, then an offset at the start of every entry and one
// at the end of the text.
inline QByteArray generateStrfileIndex(const QByteArray &text)
{
    QList<quint32> offsets{0};
    for (qsizetype pos = text.indexOf("\n%\n"); pos >= 0; pos = text.indexOf("\n%\n", pos + 1))
        offsets << quint32(pos + 3);
    if (offsets.last() != quint32(text.size()))
        offsets << quint32(text.size());
    quint32 longest = 0;
    quint32 shortest = 0xffffffffu;
    for (qsizetype i = 0; i + 1 < offsets.size(); ++i) {
        longest = std::max(longest, offsets[i + 1] - offsets[i]);
        shortest = std::min(shortest, offsets[i + 1] - offsets[i]);
    }
    QByteArray out(24 + 4 * offsets.size(), '\0');
    const quint32 header[5] = {2, quint32(offsets.size() - 1), longest, offsets.size() > 1 ? shortest : 0, 0};
    for (int i = 0; i < 5; ++i)
        qToBigEndian(header[i], out.data() + 4 * i);
    out[20] = '%';
    for (qsizetype i = 0; i < offsets.size(); ++i)
        qToBigEndian(offsets[i], out.data() + 24 + 4 * i);
    return out;
}
