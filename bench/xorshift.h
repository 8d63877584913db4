// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// A small, fast pseudo-random source for the generated quote files: the same
// seed always gives the same sequence, on every platform.
struct XorShift32
{
    std::uint32_t state;

    std::uint32_t operator()()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};
