// SPDX-License-Identifier: MIT
// The program's dealings with the system's memory pages.
#pragma once

#include <cstddef>

namespace oq {

// Sets the heap up for the program's large blocks, such as a quote file's
// text and bytes: each is mapped on its own and given back when freed. Call
// once, before the first thread starts.
void tuneHeapForLargeBlocks();

// Maps the pages of [begin, begin + bytes) ready for writing in one call, so
// that filling a large new buffer does not stop at every page for the system
// to supply it (on some virtual machines that costs more than the writing).
// The pages are resident afterwards, so call it only for room about to be
// written. Does nothing where the system cannot do it.
void prefaultForWriting(void *begin, std::size_t bytes);

// Gives the heap's free pages back to the system (where the C library can).
void releaseFreeHeap();

} // namespace oq
