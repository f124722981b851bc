// The bit fields a BMP file may give its 16- and 32-bit pixels, as the reader takes them
// and the writer writes them.
#pragma once

#include <bit>
#include <cstdint>

namespace bmp {

// Each mask one run of bits or none, overlapping none of the others, inside a pixel of
// that many bits; and some colour among red, green and blue (masks[0..2]; masks[3] is
// alpha).
inline bool MasksAreSound(const std::uint32_t (&masks)[4], unsigned bits)
{
    const std::uint64_t pixelBits = (std::uint64_t{1} << bits) - 1;
    std::uint32_t seen = 0;
    for (std::uint32_t mask : masks) {
        const std::uint32_t shifted = mask == 0 ? 0 : mask >> std::countr_zero(mask);
        if ((shifted & (shifted + 1)) != 0 || (mask & seen) != 0 || mask > pixelBits)
            return false;
        seen |= mask;
    }
    return (masks[0] | masks[1] | masks[2]) != 0;
}

} // namespace bmp
