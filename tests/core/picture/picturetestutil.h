// Pictures for the tests of the picture operations and conversions: random pixels and
// palettes, copies, and the pixels' bytes.
#pragma once

#include "kxpicture.h"
#include "kxpixels.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

struct PICTUREFORMAT {
    std::uint16_t depth;
    std::uint32_t masks[4];
    std::uint32_t paletteSize = 0;
};

inline std::vector<std::uint8_t> PixelBytes(const KXPICTURE& picture)
{
    if (picture.GetData() == nullptr)
        return {};
    return {picture.GetData(), picture.GetData() + picture.GetDataSize()};
}

// The pixels' bytes; for pixels smaller than a byte, their palette indices (the bits past
// the last pixel of a row or of a new buffer belong to no pixel).
inline std::vector<std::uint32_t> PixelValues(const KXPICTURE& picture)
{
    const unsigned bits = KXPICTURE::StorageBits(picture.GetDepth());
    if (bits >= 8 || picture.GetData() == nullptr) {
        const std::vector<std::uint8_t> bytes = PixelBytes(picture);
        return {bytes.begin(), bytes.end()};
    }
    std::vector<std::uint32_t> indices;
    for (std::uint32_t i = 0; i < picture.GetWidth() * picture.GetHeight(); ++i)
        indices.push_back(kxpixel::SubByteValue(picture.GetData(), bits, i));
    return indices;
}

inline void FillRandom(std::uint8_t* bytes, std::size_t size, std::mt19937& random)
{
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(random());
}

// A picture of the format with random pixels and a random palette of its size.
inline void MakeRandom(KXPICTURE& picture, std::uint32_t width, std::uint32_t height,
                       const PICTUREFORMAT& format, std::mt19937& random)
{
    picture.Create(width, height, format.depth);
    FillRandom(picture.GetData(), picture.GetDataSize(), random);
    picture.SetMasks(format.masks[0], format.masks[1], format.masks[2], format.masks[3]);
    if (format.paletteSize > 0) {
        picture.SetPaletteSize(format.paletteSize);
        FillRandom(picture.GetPalette(), 4 * std::size_t{format.paletteSize}, random);
    }
}

// The same size, depth, masks, pixels and palette.
inline void CopyPicture(const KXPICTURE& from, KXPICTURE& to)
{
    to.Create(from.GetWidth(), from.GetHeight(), from.GetDepth());
    if (from.GetDataSize() > 0)
        std::memcpy(to.GetData(), from.GetData(), from.GetDataSize());
    to.SetMasks(from.GetRedMask(), from.GetGreenMask(), from.GetBlueMask(), from.GetAlphaMask());
    if (from.GetPaletteSize() > 0) {
        to.SetPaletteSize(from.GetPaletteSize());
        std::memcpy(to.GetPalette(), from.GetPalette(), 4 * std::size_t{from.GetPaletteSize()});
    }
}
