// SPDX-License-Identifier: MIT
#pragma once

#include "xorshift.h"

#include <QByteArray>

#include <cstdint>

// Writes `count` quotes shaped like the ones people collect in fortune files:
// one or two sentences of varied words and punctuation, wrapped at about 64
// columns, mostly followed by an attribution line; now and then a quotation
// mark, a tab, a question or a number before the first word, and words with
// letters outside ASCII in about one quote in twelve. About 170 bytes a
// quote, in the program's format (CR LF, two empty lines between quotes).
// The same count always gives the same bytes.
inline QByteArray generateFortuneLikeFile(int count)
{
    // clang-format off
    static const char *const words[] = {
        "the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as", "was", "with", "be", "by", "on", "not",
        "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "they", "you", "we", "all",
        "one", "there", "what", "when", "who", "will", "more", "no", "if", "out", "so", "said", "up", "never",
        "always", "nothing", "everyone", "nobody", "someone", "little", "great", "old", "young", "wise", "foolish",
        "happy", "honest", "strange", "quiet", "long", "short", "wisdom", "virtue", "time", "truth", "nature",
        "friend", "mind", "heart", "world", "life", "man", "woman", "reason", "fear", "hope", "power", "justice",
        "peace", "honour", "beauty", "patience", "love", "death", "fool", "art", "speech", "labour", "money",
        "computer", "program", "bug", "user", "manager", "meeting", "coffee", "cat", "dog", "morning", "evening",
        "river", "mountain", "city", "book", "letter", "door", "don't", "can't", "it's", "isn't", "you're", "won't",
        "I'm", "let's", "o'clock", "well-known", "so-called", "twenty", "three", "seven", "1984", "42", "99%", "2.0",
        "learned", "forgot", "believed", "discovered", "wrote", "found", "lost", "wanted", "knew", "God", "Paris",
        "London", "Monday", "English", "Rome", "Socrates", "UNIX", "Murphy", "café", "naïve", "Zürich", "déjà",
        "façade", "über", "Dvořák", "señor", "Æsop",
    };
    constexpr int wordCount = sizeof(words) / sizeof(words[0]);
    constexpr int asciiWords = wordCount - 9; // the last nine hold letters outside ASCII
    static const char *const names[] = {
        "Mark Twain", "Oscar Wilde", "Seneca", "Ambrose Bierce", "Dorothy Parker", "G. B. Shaw", "Anonymous",
        "Confucius", "Lao Tse", "Voltaire", "Epictetus", "Benjamin Franklin", "Will Rogers", "H. L. Mencken",
        "Mae West", "Yogi Berra", "Albert Einstein", "Groucho Marx", "Emily Dickinson", "Samuel Johnson",
        "Jane Austen", "Goethe", "Heinrich Heine", "Blaise Pascal",
    };
    // clang-format on
    constexpr int nameCount = sizeof(names) / sizeof(names[0]);
    static const char *const openers[] = { "\"", "\t", "Q: ", "1) ", "... ", "'", "(", "-- " };
    static const char ends[] = { '.', '.', '.', '!', '?', ';' };

    XorShift32 next { 88172645u };
    QByteArray out;
    out.reserve(qsizetype(count) * 185);
    QByteArray line;
    for (int q = 0; q < count; ++q) {
        const bool foreign = next() % 12 == 0;
        const int sentences = 1 + int(next() % 3);
        line.clear();
        if (next() % 6 == 0)
            line += openers[next() % (sizeof(openers) / sizeof(openers[0]))];
        int columns = 0;
        for (int s = 0; s < sentences; ++s) {
            const int n = 5 + int(next() % (sentences == 1 ? 26 : 14));
            for (int w = 0; w < n; ++w) {
                const bool pickForeign = foreign && next() % 5 == 0;
                const char *word = pickForeign ? words[asciiWords + next() % 9] : words[next() % asciiWords];
                QByteArray piece(word);
                if (w == 0 && piece.at(0) >= 'a' && piece.at(0) <= 'z')
                    piece[0] = char(piece.at(0) - 32);
                if (w + 1 == n)
                    piece += ends[next() % sizeof(ends)];
                else if (next() % 9 == 0)
                    piece += next() % 2 ? ',' : ':';
                // Wrapped like a fortune: lines of at most about 64 columns.
                if (columns > 0 && columns + 1 + piece.size() > 64) {
                    out += line + "\r\n";
                    line.clear();
                    columns = 0;
                }
                if (columns > 0 || !line.isEmpty()) {
                    if (!line.isEmpty() && !line.endsWith('\t') && !line.endsWith(' ') && !line.endsWith('"')
                        && !line.endsWith('\'') && !line.endsWith('('))
                        line += ' ';
                }
                line += piece;
                columns = int(line.size());
            }
        }
        if (line.endsWith('(') == false && line.startsWith('('))
            line += ')';
        out += line + "\r\n";
        switch (next() % 4) {
        case 0:
            break;
        case 1:
            out += "\t\t-- ";
            out += names[next() % nameCount];
            out += "\r\n";
            break;
        default:
            out += "\xe2\x80\x94 "; // an em dash
            out += names[next() % nameCount];
            out += ", Letters, ";
            out += QByteArray::number(1 + int(next() % 124));
            out += "\r\n";
            break;
        }
        out += "\r\n\r\n";
    }
    return out;
}
