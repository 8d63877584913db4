// SPDX-License-Identifier: MIT
#include "controlcodes.h"

#include <algorithm>
#include <string>
#include <vector>

namespace oq {

namespace {

constexpr char32_t Escape = 0x1B;
constexpr char32_t Backspace = 0x08;

bool isControl(char32_t c)
{
    return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F);
}

// The combining mark an accent character stands for when struck over a letter.
char32_t combiningMark(char32_t accent)
{
    switch (accent) {
    case U'\'':
        return 0x0301; // acute
    case U'`':
        return 0x0300; // grave
    case U'^':
        return 0x0302; // circumflex
    case U'~':
        return 0x0303; // tilde
    case U'"':
        return 0x0308; // diaeresis
    case U',':
        return 0x0327; // cedilla
    default:
        return 0;
    }
}

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

// One place on the line: a character and the mark struck over it, if any.
struct Cell
{
    char32_t c;
    char32_t mark = 0;
};

void overstrike(Cell &cell, char32_t c)
{
    if (c == U'_' || c == cell.c)
        return; // underlined, or bold
    if (cell.c == U'_') {
        cell.c = c;
        return;
    }
    if (isAsciiLetter(cell.c) && combiningMark(c)) {
        cell.mark = combiningMark(c);
        return;
    }
    if (isAsciiLetter(c) && combiningMark(cell.c)) {
        cell = Cell { c, combiningMark(cell.c) };
        return;
    }
    cell = Cell { c };
}

// Where the escape sequence that starts at `at` (an ESC) ends.
qsizetype skipEscape(const std::u32string &text, qsizetype at)
{
    const qsizetype n = qsizetype(text.size());
    qsizetype i = at + 1;
    if (i < n && text[size_t(i)] == U'[') {
        // Control sequence: parameter and intermediate bytes, then a final byte.
        for (++i; i < n; ++i) {
            if (text[size_t(i)] >= 0x40 && text[size_t(i)] <= 0x7E)
                return i + 1;
            if (text[size_t(i)] < 0x20 || text[size_t(i)] > 0x3F)
                return i; // not a sequence after all: the rest is text
        }
        return n;
    }
    if (i < n && text[size_t(i)] == U']') {
        // Operating-system command: up to BEL or ESC "\".
        for (++i; i < n; ++i) {
            if (text[size_t(i)] == 0x07)
                return i + 1;
            if (text[size_t(i)] == Escape)
                return i + 1 < n && text[size_t(i) + 1] == U'\\' ? i + 2 : i + 1;
        }
        return n;
    }
    while (i < n && text[size_t(i)] >= 0x20 && text[size_t(i)] <= 0x2F)
        ++i;
    return i < n && text[size_t(i)] >= 0x30 && text[size_t(i)] <= 0x7E ? i + 1 : i;
}

} // namespace

QString withoutControlCodes(QStringView line)
{
    if (std::none_of(line.begin(), line.end(), [](QChar c) { return isControl(c.unicode()); }))
        return line.toString();
    const std::u32string text = line.toString().toStdU32String();
    std::vector<Cell> cells;
    cells.reserve(text.size());
    qsizetype column = 0;
    bool marked = false;
    for (qsizetype i = 0; i < qsizetype(text.size());) {
        const char32_t c = text[size_t(i)];
        if (c == Escape) {
            i = skipEscape(text, i);
            continue;
        }
        ++i;
        if (c == Backspace) {
            column = std::max<qsizetype>(column - 1, 0);
            continue;
        }
        if (isControl(c))
            continue;
        if (column < qsizetype(cells.size())) {
            overstrike(cells[size_t(column)], c);
            marked = marked || cells[size_t(column)].mark;
        } else {
            cells.push_back(Cell { c });
        }
        ++column;
    }
    std::u32string out;
    out.reserve(cells.size());
    for (const Cell &cell : cells) {
        out += cell.c;
        if (cell.mark)
            out += cell.mark;
    }
    QString result = QString::fromStdU32String(out);
    return marked ? result.normalized(QString::NormalizationForm_C) : result;
}

} // namespace oq
