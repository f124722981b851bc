// The library's random generator, written out independently: tests compare the
// library's draws with it.
#pragma once

#include <cstdint>

struct LCGMODEL {
    std::uint32_t state;

    std::uint32_t Next()
    {
        state = state * 214013u + 2531011u;
        return (state >> 16) & 0x7FFFu;
    }
};
