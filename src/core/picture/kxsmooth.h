// The smoothing passes' direct road through the bytes of 24- and 32-bit pixels, which
// gives the per-pixel passes' pixels, and the rows it is fed: the doubling makes each row
// of the resampled picture just before the pass reads it, so both work in the cache.
// Internal to the core library.
#pragma once

#include "kxpixels.h"

#include <cstdint>

namespace kxpixel {

// Pixels being smoothed: an unpadded buffer, bottom row first, of 24- or 32-bit pixels
// laid out as masks says.
struct SMOOTHTARGET {
    std::uint8_t* data;
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t depth;
    KXMASKS masks;
};

// Makes rows of the pixels being smoothed ready. The pass reads rows in ascending order
// and calls Ready(row) before it reads any row up to that one; the rows it asks for never
// decrease (the last may be asked for again), and every row has been asked for when the
// pass ends.
class ROWFEED {
public:
    virtual void Ready(std::uint32_t row) = 0;

protected:
    ~ROWFEED() = default;
};

// Whether the direct road takes the pass over such pixels: one of the passes SmoothPass
// gives, over 24 or 32 bits whose three colour channels are each a whole byte.
bool SmoothsDirectly(const SMOOTHTARGET& target, const SMOOTHPASS& pass);
// The pass through the bytes, where SmoothsDirectly holds; it asks feed for the rows.
void SmoothDirectly(const SMOOTHTARGET& target, const SMOOTHPASS& pass, ROWFEED& feed);

} // namespace kxpixel
