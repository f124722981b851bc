#include "kxclock.h"

#include <chrono>

namespace {

// Null means the system clock.
constinit KXCLOCKSOURCE clockSource = nullptr;

std::int64_t SystemClockSeconds()
{
    using namespace std::chrono;
    return floor<seconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

void SetClockSource(KXCLOCKSOURCE source)
{
    clockSource = source;
}

std::int64_t ClockSeconds()
{
    return clockSource != nullptr ? clockSource() : SystemClockSeconds();
}
