// A clock's reading as seconds in one number. The small programs that time one thing in a
// fresh process print the monotonic clock's readings, and the benchmark that started them
// subtracts its own reading of the same clock from them.
#pragma once

#include <ctime>

inline double ClockSeconds(clockid_t clock = CLOCK_MONOTONIC)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
