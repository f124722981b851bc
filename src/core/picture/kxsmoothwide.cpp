#include "kxsmoothwide.h"

#include "kxsys.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KX_SMOOTHS_WIDE 1
// The compiler's own 512-bit conversions start from a deliberately undefined register,
// which some versions then report as used uninitialized.
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace kxpixel {

#if defined(KX_SMOOTHS_WIDE)

namespace {

#define KX_WIDE __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl,fma")))

// A channel's values in sixteen rows: lanes of the eight lowest rows, and of the eight
// above them.
struct LANES {
    __m512d low;
    __m512d high;
};

// c / 255.0 rounded as the division rounds it: q = c × (1 / 255) lies within a unit in
// the last place of the quotient, so its remainder c - 255 q is a double and one fused
// step gives it exactly; adding the remainder's share in one more fused step rounds to
// the quotient itself (a reciprocal rounded to nearest is all that correction needs).
// Every channel value, and every sum of five channel values that the pass can form in its
// order (5,163 doubles), was checked to give the quotient; the tests hold the road
// against the per-pixel pass.
KX_WIDE inline __m512d UnitsOf(__m512d c)
{
    const __m512d reciprocal = _mm512_set1_pd(1.0 / 255.0);
    const __m512d q = _mm512_mul_pd(c, reciprocal);
    const __m512d remainder = _mm512_fnmadd_pd(q, _mm512_set1_pd(255.0), c);
    return _mm512_fmadd_pd(remainder, reciprocal, q);
}

// The per-pixel pass's channel before truncation: (units / 5.0) × 255.0, the division
// made exact in the same way.
KX_WIDE inline __m512d ScaledMean(__m512d units)
{
    const __m512d fifth = _mm512_set1_pd(0.2);
    const __m512d q = _mm512_mul_pd(units, fifth);
    const __m512d remainder = _mm512_fnmadd_pd(q, _mm512_set1_pd(5.0), units);
    return _mm512_mul_pd(_mm512_fmadd_pd(remainder, fifth, q), _mm512_set1_pd(255.0));
}

// The channel a scaled mean gives: the truncation. A scaled mean of channel values lies
// between 0 and just above 255, where the per-pixel pass's limits change nothing.
KX_WIDE inline __m512d Truncated(__m512d scaled)
{
    return _mm512_roundscale_pd(scaled, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

// The units of one channel of sixteen pixels; pick moves the channel's byte of each
// pixel to the bottom of its lane and clears the rest.
KX_WIDE inline LANES ChannelUnits(__m512i pixels, __m512i pick)
{
    const __m512i values = _mm512_shuffle_epi8(pixels, pick);
    return {UnitsOf(_mm512_cvtepi32_pd(_mm512_castsi512_si256(values))),
            UnitsOf(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(values, 1)))};
}

// Lane k takes lane k - 1 of rows; the lowest lane takes lowest.
KX_WIDE inline LANES MovedUp(const LANES& rows, double lowest)
{
    const __m512i low = _mm512_castpd_si512(rows.low);
    return {_mm512_castsi512_pd(
                _mm512_alignr_epi64(low, _mm512_castpd_si512(_mm512_set1_pd(lowest)), 7)),
            _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(rows.high), low, 7))};
}

// Lane k takes lane k + 1 of rows; the highest lane takes highest.
KX_WIDE inline LANES MovedDown(const LANES& rows, double highest)
{
    const __m512i high = _mm512_castpd_si512(rows.high);
    return {_mm512_castsi512_pd(_mm512_alignr_epi64(high, _mm512_castpd_si512(rows.low), 1)),
            _mm512_castsi512_pd(
                _mm512_alignr_epi64(_mm512_castpd_si512(_mm512_set1_pd(highest)), high, 1))};
}

KX_WIDE inline __m512d Sum(__m512d centre, __m512d right, __m512d left, __m512d above,
                           __m512d below)
{
    // In the per-pixel pass's order of points: each addition rounds.
    return _mm512_add_pd(_mm512_add_pd(_mm512_add_pd(_mm512_add_pd(centre, right), left), above),
                         below);
}

// What the block carries from one step to the next for one channel: the units of each
// row's pixel at the step and of its right neighbour (read a step before), of its left
// neighbour as smoothed, and of the left neighbour's left neighbour, which the row above
// takes as the pixel below it at the step.
struct CARRIED {
    LANES centre;
    LANES right;
    LANES left;
    LANES beforeLeft;
};

// What every step of a block uses, copied out of the block and the tables once: the
// steps then keep it in registers, where the pixels they write could not change it.
struct STEPPING {
    std::ptrdiff_t rowBytes;
    std::ptrdiff_t highest; // from the lowest row's pixel to the highest row's
    const double* units;    // c / 255.0 by channel value c
    unsigned place[3];
    __m512i offsets; // from the lowest row's pixel to each row's
    __m512i pick[3];
    __m512d placeValue[3];
};

KX_WIDE inline STEPPING SteppingOf(const WIDEBLOCK& block)
{
    STEPPING stepping{block.rowBytes,
                      (wideRows - 1) * (block.rowBytes - 8),
                      block.units,
                      {block.place[0], block.place[1], block.place[2]},
                      {},
                      {},
                      {}};
    alignas(64) std::int32_t offset[wideRows];
    for (std::uint32_t k = 0; k < wideRows; ++k)
        offset[k] = static_cast<std::int32_t>(k * (block.rowBytes - 8));
    stepping.offsets = _mm512_load_si512(offset);
    for (int c = 0; c < 3; ++c) {
        alignas(64) std::int32_t bytes[wideRows];
        for (std::uint32_t d = 0; d < wideRows; ++d)
            bytes[d] = static_cast<std::int32_t>(0x80808000u | (4 * (d % 4) + block.place[c]));
        stepping.pick[c] = _mm512_load_si512(bytes);
        stepping.placeValue[c] = _mm512_set1_pd(static_cast<double>(1u << (8 * block.place[c])));
    }
    return stepping;
}

KX_WIDE inline __m512i Gathered(const STEPPING& stepping, const std::uint8_t* p)
{
    return _mm512_i32gather_epi32(stepping.offsets, p, 1);
}

// One step. Each row's pixel above its own is the pixel right of the row above's at the
// next step: the right neighbours are read a step ahead, and the highest row reads the
// row above the block.
KX_WIDE inline void Step(const STEPPING& stepping, std::uint8_t* p, CARRIED (&carried)[3])
{
    const __m512i nextRight = Gathered(stepping, p + 8);
    const std::uint8_t* below = p - stepping.rowBytes;
    const std::uint8_t* aboveHighest = p + stepping.highest + stepping.rowBytes;
    // The smoothed pixels, put together from their channels in doubles: each channel
    // times its byte's place value, all whole numbers below 2^32, so exact.
    LANES pixels{_mm512_setzero_pd(), _mm512_setzero_pd()};
    // Written out, so that the channels' chains run side by side from registers.
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c) {
        CARRIED& k = carried[c];
        const unsigned place = stepping.place[c];
        const LANES r = k.right;
        const LANES next = ChannelUnits(nextRight, stepping.pick[c]);
        const LANES a = MovedDown(next, stepping.units[aboveHighest[place]]);
        const LANES b = MovedUp(k.beforeLeft, stepping.units[below[place]]);
        const LANES smoothed{
            Truncated(ScaledMean(Sum(k.centre.low, r.low, k.left.low, a.low, b.low))),
            Truncated(ScaledMean(Sum(k.centre.high, r.high, k.left.high, a.high, b.high)))};
        pixels = {_mm512_fmadd_pd(smoothed.low, stepping.placeValue[c], pixels.low),
                  _mm512_fmadd_pd(smoothed.high, stepping.placeValue[c], pixels.high)};
        k.beforeLeft = k.left;
        k.left = {UnitsOf(smoothed.low), UnitsOf(smoothed.high)};
        k.centre = r;
        k.right = next;
    }
    const __m512i packed =
        _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvttpd_epu32(pixels.low)),
                           _mm512_cvttpd_epu32(pixels.high), 1);
    _mm512_i32scatter_epi32(p, stepping.offsets, packed, 1);
}

KX_WIDE void Run(const WIDEBLOCK& block)
{
    const STEPPING stepping = SteppingOf(block);
    std::uint8_t* p = block.lowest;
    CARRIED carried[3];
    const __m512i centre = Gathered(stepping, p);
    const __m512i right = Gathered(stepping, p + 4);
    const __m512i left = Gathered(stepping, p - 4);
    const __m512i beforeLeft = Gathered(stepping, p - 8);
    for (int c = 0; c < 3; ++c) {
        const __m512i pick = stepping.pick[c];
        carried[c] = {ChannelUnits(centre, pick), ChannelUnits(right, pick),
                      ChannelUnits(left, pick), ChannelUnits(beforeLeft, pick)};
    }
    const std::uint32_t steps = block.steps;
    for (std::uint32_t s = 0; s < steps; ++s, p += 4)
        Step(stepping, p, carried);
}

} // namespace

bool SmoothsWide()
{
    return kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::avx512);
}

void SmoothWide(const WIDEBLOCK& block)
{
    Run(block);
}

#else

bool SmoothsWide()
{
    return false;
}

void SmoothWide(const WIDEBLOCK&) {}

#endif

} // namespace kxpixel
