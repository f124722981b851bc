// The clock of the library: what seeds the random generator, what KXTIME reads as "now"
// and what the world's frame counters count. Tests set it through its one seam.
#pragma once

#include <cstdint>

// The clock in seconds since 1 January 1970 00:00:00 UTC, read as 64 bits so that it
// stays right after 2038. The source can be replaced only so that tests can set the
// clock; null restores the system clock.
using KXCLOCKSOURCE = std::int64_t (*)();
void SetClockSource(KXCLOCKSOURCE source);
std::int64_t ClockSeconds();
