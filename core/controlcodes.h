// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

namespace oq {

// Text written for terminals and line printers, as old fortune entries are:
// "b\bbo\bol\bld" for bold, "_\bu" or "___\b\b\bnot" for underlined letters,
// "'\be" for an accented letter, "ESC[1;31m" for colour, a bell here and
// there. A window has no use for the codes and shows them as boxes.
//
// Returns the line as a terminal would leave it on paper: a backspace moves
// one character back and what is written next overstrikes the character
// there (an underscore gives way to the other character, an accent mark
// joins its letter, otherwise the later character stays); escape sequences
// and the other control characters (below U+0020 but tab, DEL, U+0080 to
// U+009F) are left out. A line without control characters comes back as it is.
QString withoutControlCodes(QStringView line);

} // namespace oq
