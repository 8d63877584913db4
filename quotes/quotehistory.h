// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/quoteindex.h"

#include <array>
#include <optional>

namespace oq {

// The stack of shown quotes: slots 1 to HistoryTop hold quote indices,
// oldest first; the top entry is the quote on display. Slot 0 is unused.
class QuoteHistory
{
public:
    QuoteHistory() { History.fill(0); }

    std::array<qint32, QuoteSlots> History;
    qint32 HistoryTop = 0;

    // Records a shown quote. When all 33,000 entries are taken the oldest is
    // dropped, so the newest is never lost and no slot past the table is used.
    void push(qint32 index);
    // One step back: the quote to show now (it is pushed again when shown),
    // or nothing when only one entry is left.
    std::optional<qint32> back();
    // The quote on display kept through a reload of its file, which now holds
    // quoteCount quotes: `index` while that number still exists, its top entry
    // taken off so that showing it again records it once; else nothing.
    std::optional<qint32> keepOnReload(qint32 index, qint32 quoteCount);
};

// The process's random source: a linear congruential generator whose draws
// take the upper 32 bits of n times the state.
class RandomSource
{
public:
    quint32 state = 0;

    // From the system's entropy: copies started in the same moment, and runs
    // one after another, draw independently of each other.
    void seedFromSystem();
    // A draw among n values: 0 to n - 1, and 0 when n is 0.
    quint32 draw(quint32 n);
};

// Navigation rules of the quote on display.
inline bool canStepPrevious(qint32 current) { return current > 0; }
inline bool canStepNext(qint32 current, qint32 quoteCount) { return current < quoteCount - 1; }
inline bool previousEnabled(qint32 current) { return current != 0; }
inline bool nextEnabled(qint32 current, qint32 quoteCount) { return current != quoteCount - 1; }

} // namespace oq
