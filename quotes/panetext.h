// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

namespace oq {

// The pane lays a line out whole, as one paragraph: a line of 20 MB (any
// text file opened as quotes may be one) would take seconds and most of a
// gigabyte. Longer lines are shown cut to this many characters.
inline constexpr qsizetype MaxPaneLineChars = 10000;
// What stands at the end of a line cut short.
inline constexpr char16_t CutMark = u'\u2026';

// The lines of a quote as the main window's pane shows them, and so as Copy,
// the favourites dialog and the screen-saver export take them: a byte-order
// mark at the start left out, control codes worked out to the letters they
// show (core/controlcodes.h), and a line longer
// than MaxPaneLineChars cut short with CutMark after it. The quote file and
// the index keep every character; the terminal mode prints lines as stored.
QStringList paneLines(const QStringList &quoteLines);

} // namespace oq
