// The 5-point smoothing pass over 32-bit pixels, sixteen rows side by side in 512-bit
// vectors, where the processor has them. Internal to the core library.
//
// The pass reads each pixel's left neighbour and the pixel below it as already smoothed,
// so along a row every pixel waits for the one before it. Sixteen rows go at once
// instead, each two columns behind the row below it: every pixel then finds the row below
// smoothed past its own column and the row above still as it was, as in the per-pixel
// order, and the sixteen pixels of one step need nothing of each other. One vector lane
// holds one row's channel value, so the pass's arithmetic is done exactly as the per-pixel
// pass does it, with doubles, in its order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kxpixel {

// The rows a wide block smooths at once.
inline constexpr std::uint32_t wideRows = 16;

// The steps of a block of rows: at step s, the row k rows above the lowest smooths the
// pixel at lowest + s pixels + k rows - 2 k pixels. The rows below the block's and its
// lowest row's pixels left of its first are smoothed; the rest of the block, the row
// above it and the pixels right of every step's are as they were.
struct WIDEBLOCK {
    std::uint8_t* lowest;    // the lowest row's pixel at the first step
    std::ptrdiff_t rowBytes; // from a row to the one above it, at most INT32_MAX / wideRows
    std::uint32_t steps;
    unsigned place[3];   // the byte of each colour channel in a 4-byte pixel
    const double* units; // c / 255.0 by channel value c
};

// Whether the processor runs the wide road.
bool SmoothsWide();

// Smooths the block's steps with the 5-point pass; the spare byte of every smoothed pixel
// is cleared. Only where SmoothsWide holds.
void SmoothWide(const WIDEBLOCK& block);

} // namespace kxpixel
