// KXRANDOM, the library's random draws.
#pragma once

#include "kxobject.h"

#include <cstdint>

// Draws from the library's own generator: the classic linear congruential one with
// values 0 to 32767. Its state is one per deliverable (each carries its own copy of the
// core library) and every KXRANDOM of a deliverable shares it. Before the first seed the
// generator runs as if seeded with 1.
class KXRANDOM : public KXOBJECT {
public:
    // Neither seeds the generator nor touches its state: draws continue where the
    // deliverable's generator stands.
    KXRANDOM() = default;

    // Keeps the seed and restarts the generator from it.
    void SetSeed(std::uint16_t newSeed);
    // The clock's seconds since 1 January 1970 00:00:00 UTC, cut to their low 32 bits.
    static std::int32_t TimeSeed();
    // Seeds from the clock: the low 16 bits of its seconds.
    void Randomize();

    // 0 to x inclusive: one draw r, then r * x / 32767.
    double RandomReal(double x);
    // One draw modulo n; a bound of 0 gives 0.
    std::uint16_t RandomShort(std::uint16_t n);
    // Two draws r1 then r2, ((r1 << 4) | r2) modulo n; a bound of 0 gives 0. The bits
    // overlap, so the values are not uniform: the genetic solver's runs depend on
    // exactly this form and order.
    std::uint32_t RandomIndex(std::uint32_t n);

private:
    std::uint16_t seed = 0;
};
