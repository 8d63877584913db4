// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace oq {

class QuoteIndex;

// Reads and indexes the quote file on a worker thread while the program
// builds its windows, so that the first load only takes the finished index
// (a machine has two cores or more). One read ahead per run.
namespace QuotePrefetch {

// Starts reading `fileName` in the background.
void start(const QString &fileName);
// When `fileName` is the file read ahead, waits for the read to end, moves its
// index into `index`, sets `read` to whether the file was read (as
// QuoteIndex::load returns it) and returns true; otherwise returns false and
// leaves both alone. Whatever was read ahead is given up either way.
bool take(const QString &fileName, QuoteIndex &index, bool *read = nullptr);

// Loads `fileName` into `index`: takes the read ahead when it is that file,
// else reads it now. Returns whether the file was read, as QuoteIndex::load
// does. The pages of the index replaced, and of the read ahead, are given
// back to the system.
bool load(const QString &fileName, QuoteIndex &index);

} // namespace QuotePrefetch

} // namespace oq
