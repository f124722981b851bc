#include "kxrandom.h"

#include "kxclock.h"

namespace {

// The generator's state. Constant-initialised and with internal linkage, so each
// deliverable that links the core library has its own, ready before any static
// constructor runs. Starting at 1 is the same as seeding with 1.
constinit std::uint32_t generatorState = 1;

void SeedGenerator(std::uint32_t value)
{
    generatorState = value;
}

// One value from 0 to 32767. The library keeps its own generator rather than the C
// runtime's: the bounds of the draws count on values of at most 15 bits, and seeded
// runs must give the same sequence on every platform.
std::uint32_t NextValue()
{
    generatorState = generatorState * 214013u + 2531011u; // wraps modulo 2^32
    return (generatorState >> 16) & 0x7FFFu;
}

} // namespace

void KXRANDOM::SetSeed(std::uint16_t newSeed)
{
    seed = newSeed;
    SeedGenerator(newSeed);
}

std::int32_t KXRANDOM::TimeSeed()
{
    // Since C++20 the narrowing keeps the low 32 bits; whoever needs the full count
    // reads ClockSeconds.
    return static_cast<std::int32_t>(ClockSeconds());
}

void KXRANDOM::Randomize()
{
    SetSeed(static_cast<std::uint16_t>(TimeSeed()));
}

double KXRANDOM::RandomReal(double x)
{
    const double r = NextValue();
    return r * x / 32767.0;
}

std::uint16_t KXRANDOM::RandomShort(std::uint16_t n)
{
    const std::uint32_t r = NextValue();
    // A bound of 0 has no value below it; it still uses its draw, like every call.
    if (n == 0)
        return 0;
    return static_cast<std::uint16_t>(r % n);
}

std::uint32_t KXRANDOM::RandomIndex(std::uint32_t n)
{
    // Two statements: the first draw must be the shifted one.
    const std::uint32_t r1 = NextValue();
    const std::uint32_t r2 = NextValue();
    if (n == 0)
        return 0;
    return ((r1 << 4) | r2) % n;
}
