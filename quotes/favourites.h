// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace oq {

// The favourites file: "FavQuote.txt" in the folder the settings name, or in
// the user's data folder when none is named.
QString favouritesPath(const QString &installDir);

// Appends `text` as one entry and one empty entry to the favourites file and
// writes every entry followed by CR LF, in UTF-8. Line breaks inside the text
// become CR LF. Earlier lines keep their characters: each is read on its own,
// so UTF-8 lines are written back byte for byte and Windows-1252 lines are
// converted to UTF-8. An existing file that cannot be read is left alone ("Cannot
// open file %s"); the file is replaced only by a complete new one ("Cannot
// create file %s" when that fails). Throws oq::Exception.
void appendFavourite(const QString &path, const QString &text);

// Whether two names name the same file. When both exist, by identity (the
// same file on disk, however it is reached: relative names, links, hard
// links); otherwise by their resolved paths (absolute, with the links of the
// folders that exist resolved). An empty name names no file. Decides whether
// the open quote file is the favourites file, asked before the favourites
// file is written.
bool isSameFile(const QString &name, const QString &otherName);

} // namespace oq
