// Reading BMP files. Every field that decides where the reader looks is checked against
// the file's size before the picture is touched: a file is either read whole or refused
// with the picture as it was.
#include "bmpcodec.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <utility>

namespace bmp {
namespace {

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint64_t largestRunLengthRatio = 1024;

std::uint32_t U16(const std::uint8_t* p)
{
    return p[0] | p[1] << 8;
}

std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t S32(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(U32(p));
}

// What the reader takes from the headers, all of it checked against the file.
struct LAYOUT {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    unsigned bits = 0;
    std::uint32_t compression = BI_RGB;
    std::int32_t xResolution = 0;
    std::int32_t yResolution = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    // The palette the picture gets, and how many of its entries the file supplies.
    std::uint32_t paletteCount = 0;
    std::uint32_t paletteRead = 0;
    std::size_t paletteStart = 0;
    std::size_t paletteEntrySize = 4;
    // The pixel data: [pixelStart, pixelEnd) of the file.
    std::size_t pixelStart = 0;
    std::size_t pixelEnd = 0;
};

class READER {
public:
    READER(const std::uint8_t* fileBytes, std::size_t fileSize) : bytes(fileBytes), size(fileSize)
    {}

    bool ReadLayout(LAYOUT& layout) const;

private:
    bool ReadCoreHeader(LAYOUT& layout) const;
    bool ReadInfoHeader(std::uint32_t headerSize, LAYOUT& layout) const;
    bool ReadMasks(std::uint32_t headerSize, LAYOUT& layout) const;
    void PlacePalette(std::uint32_t colorsUsed, std::uint32_t pixelOffset, LAYOUT& layout) const;
    bool PlacePixels(std::uint32_t pixelOffset, std::uint32_t imageSize, LAYOUT& layout) const;

    const std::uint8_t* bytes;
    std::size_t size;
};

bool IsContiguous(std::uint32_t mask)
{
    if (mask == 0)
        return true;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// Bit-field masks must each be one run of bits, overlap none of the others and lie
// inside the pixel; and there must be some colour to read.
bool MasksAreSound(const std::uint32_t (&masks)[4], unsigned bits)
{
    const std::uint64_t pixelBits = (std::uint64_t{1} << bits) - 1;
    std::uint32_t seen = 0;
    for (std::uint32_t mask : masks) {
        if (!IsContiguous(mask) || (mask & seen) != 0 || mask > pixelBits)
            return false;
        seen |= mask;
    }
    return (masks[0] | masks[1] | masks[2]) != 0;
}

bool READER::ReadLayout(LAYOUT& layout) const
{
    if (size < fileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const std::uint32_t headerSize = U32(bytes + 14);
    if (headerSize == 12)
        return ReadCoreHeader(layout);
    if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
        headerSize == 124)
        return ReadInfoHeader(headerSize, layout);
    return false;
}

// The 12-byte header of the oldest files: 16-bit sizes and 3-byte palette entries.
bool READER::ReadCoreHeader(LAYOUT& layout) const
{
    if (size < fileHeaderSize + 12)
        return false;
    layout.width = U16(bytes + 18);
    layout.height = U16(bytes + 20);
    layout.bits = U16(bytes + 24);
    layout.paletteEntrySize = 3;
    layout.paletteStart = fileHeaderSize + 12;
    if (layout.width == 0 || layout.height == 0)
        return false;
    if (layout.bits != 1 && layout.bits != 4 && layout.bits != 8 && layout.bits != 24)
        return false;
    const std::uint32_t pixelOffset = U32(bytes + 10);
    PlacePalette(0, pixelOffset, layout);
    return PlacePixels(pixelOffset, 0, layout);
}

bool READER::ReadInfoHeader(std::uint32_t headerSize, LAYOUT& layout) const
{
    if (size < fileHeaderSize + headerSize)
        return false;
    const std::int32_t width = S32(bytes + 18);
    const std::int32_t height = S32(bytes + 22);
    if (width <= 0 || height == 0 || height == INT_MIN)
        return false;
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
    layout.topDown = height < 0;
    layout.bits = U16(bytes + 28);
    layout.compression = U32(bytes + 30);
    layout.xResolution = S32(bytes + 38);
    layout.yResolution = S32(bytes + 42);
    layout.paletteStart = fileHeaderSize + headerSize;

    const unsigned bits = layout.bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    switch (layout.compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
    case BI_RLE4:
        // Run-length data are always stored bottom-up.
        if (bits != (layout.compression == BI_RLE8 ? 8u : 4u) || layout.topDown)
            return false;
        break;
    case BI_BITFIELDS:
        if ((bits != 16 && bits != 32) || !ReadMasks(headerSize, layout))
            return false;
        break;
    default:
        return false;
    }
    const std::uint32_t pixelOffset = U32(bytes + 10);
    PlacePalette(U32(bytes + 46), pixelOffset, layout);
    return PlacePixels(pixelOffset, U32(bytes + 34), layout);
}

// The masks lie in the header when it is long enough to hold them, else right after it.
bool READER::ReadMasks(std::uint32_t headerSize, LAYOUT& layout) const
{
    const std::size_t at = fileHeaderSize + 40;
    if (headerSize == 40) {
        if (size < at + 12)
            return false;
        layout.paletteStart = at + 12;
    }
    for (int i = 0; i < 3; ++i)
        layout.masks[i] = U32(bytes + at + 4 * i);
    layout.masks[3] = headerSize >= 56 ? U32(bytes + at + 12) : 0;
    return MasksAreSound(layout.masks, layout.bits);
}

// A paletted picture always gets its full palette; the file supplies the entries its
// colours-used field names, never more than 256, and never from beyond the pixel data
// or the end of the file.
void READER::PlacePalette(std::uint32_t colorsUsed, std::uint32_t pixelOffset, LAYOUT& layout) const
{
    std::uint32_t wanted = 0;
    if (layout.bits <= 8) {
        layout.paletteCount = 1u << layout.bits;
        wanted = colorsUsed == 0 ? layout.paletteCount : std::min(colorsUsed, layout.paletteCount);
    } else {
        layout.paletteCount = std::min<std::uint32_t>(colorsUsed, 256);
        wanted = layout.paletteCount;
    }
    std::size_t limit = size;
    if (pixelOffset >= layout.paletteStart)
        limit = std::min<std::size_t>(limit, pixelOffset);
    const std::size_t available =
        limit > layout.paletteStart ? (limit - layout.paletteStart) / layout.paletteEntrySize : 0;
    layout.paletteRead = static_cast<std::uint32_t>(std::min<std::size_t>(wanted, available));
}

// Uncompressed rows are padded to 4 bytes; the last row needs no padding after it.
bool READER::PlacePixels(std::uint32_t pixelOffset, std::uint32_t imageSize, LAYOUT& layout) const
{
    if (!KXPICTURE::CanHold(layout.width, layout.height, static_cast<std::uint16_t>(layout.bits)) ||
        pixelOffset > size)
        return false;
    layout.pixelStart = pixelOffset;
    if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) {
        const std::size_t declared = imageSize != 0 ? pixelOffset + std::size_t{imageSize} : size;
        layout.pixelEnd = std::min(declared, size);
        // A few bytes of runs must not claim a picture of gigabytes: real run-length data
        // stay far below this many pixels per byte.
        const std::uint64_t pixels = std::uint64_t{layout.width} * layout.height;
        return pixels <= largestRunLengthRatio * (layout.pixelEnd - layout.pixelStart);
    }
    const std::uint64_t rowBits = std::uint64_t{layout.width} * layout.bits;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t needed = stride * (layout.height - 1) + (rowBits + 7) / 8;
    if (needed > size - pixelOffset)
        return false;
    layout.pixelEnd = pixelOffset + needed;
    return true;
}

// Run-length data decode into one palette index per pixel, bottom row first. Every run,
// delta and end of line is checked against the picture; data that end early leave the
// remaining pixels at index 0, as they stop without an end of bitmap.
class RLEDECODER {
public:
    RLEDECODER(const LAYOUT& layout, const std::uint8_t* fileBytes)
        : width(layout.width), height(layout.height), nibbles(layout.compression == BI_RLE4),
          p(fileBytes + layout.pixelStart), end(fileBytes + layout.pixelEnd),
          indices(std::size_t{layout.width} * layout.height, 0)
    {}

    bool Decode();
    std::vector<std::uint8_t> TakeIndices() { return std::move(indices); }

private:
    bool Run(std::uint32_t count, std::uint8_t value);
    bool Absolute(std::uint32_t count);
    bool Fits(std::uint32_t count) const { return y < height && count <= width - x; }
    void Put(std::uint8_t index) { indices[std::size_t{y} * width + x++] = index; }

    const std::uint32_t width;
    const std::uint32_t height;
    const bool nibbles;
    const std::uint8_t* p;
    const std::uint8_t* const end;
    std::vector<std::uint8_t> indices;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

bool RLEDECODER::Decode()
{
    while (end - p >= 2) {
        const std::uint8_t count = p[0];
        const std::uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            if (!Run(count, value))
                return false;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (end - p < 2)
                return true;
            const std::uint32_t dx = p[0];
            const std::uint32_t dy = p[1];
            p += 2;
            if (dx > width - x || dy > height - y)
                return false;
            x += dx;
            y += dy;
        } else if (!Absolute(value)) {
            return false;
        }
    }
    return true;
}

bool RLEDECODER::Run(std::uint32_t count, std::uint8_t value)
{
    if (!Fits(count))
        return false;
    for (std::uint32_t k = 0; k < count; ++k)
        Put(nibbles ? static_cast<std::uint8_t>(k % 2 == 0 ? value >> 4 : value & 0xF) : value);
    return true;
}

bool RLEDECODER::Absolute(std::uint32_t count)
{
    const std::size_t bytes = nibbles ? (count + 1) / 2 : count;
    if (!Fits(count))
        return false;
    if (static_cast<std::size_t>(end - p) < bytes) {
        p = end; // cut short: what is there is all there is
        return true;
    }
    for (std::uint32_t k = 0; k < count; ++k)
        Put(nibbles ? static_cast<std::uint8_t>(k % 2 == 0 ? p[k / 2] >> 4 : p[k / 2] & 0xF)
                    : p[k]);
    // Absolute runs are padded to a whole number of 16-bit words.
    p += std::min<std::size_t>(bytes + (bytes & 1), static_cast<std::size_t>(end - p));
    return true;
}

bool DecodeRunLength(const LAYOUT& layout, const std::uint8_t* bytes,
                     std::vector<std::uint8_t>& indices)
{
    RLEDECODER decoder(layout, bytes);
    if (!decoder.Decode())
        return false;
    indices = decoder.TakeIndices();
    return true;
}

void SetPalette(const LAYOUT& layout, const std::uint8_t* fileBytes, KXPICTURE& picture)
{
    if (layout.paletteCount == 0)
        return;
    picture.SetPaletteSize(layout.paletteCount);
    std::uint8_t* entries = picture.GetPalette();
    std::memset(entries, 0, std::size_t{layout.paletteCount} * 4);
    const std::uint8_t* source = fileBytes + layout.paletteStart;
    for (std::uint32_t i = 0; i < layout.paletteRead; ++i)
        std::memcpy(entries + 4 * i, source + layout.paletteEntrySize * i, layout.paletteEntrySize);
}

// Puts palette index v at pixel i of a picture whose pixels take 1 or 4 bits: the
// picture holds the first pixel of a byte in its lowest bits.
void PutIndex(std::uint8_t* data, unsigned bits, std::size_t i, std::uint8_t v)
{
    if (bits == 1)
        data[i / 8] |= static_cast<std::uint8_t>((v & 1) << (i % 8));
    else
        data[i / 2] |= static_cast<std::uint8_t>((v & 0xF) << (i % 2 == 0 ? 0 : 4));
}

void CopyIndices(const std::vector<std::uint8_t>& indices, KXPICTURE& picture)
{
    std::uint8_t* data = picture.GetData();
    if (picture.GetDepth() == 8) {
        std::memcpy(data, indices.data(), indices.size());
        return;
    }
    std::memset(data, 0, picture.GetDataSize());
    for (std::size_t i = 0; i < indices.size(); ++i)
        PutIndex(data, 4, i, indices[i]);
}

// The file holds the leftmost pixel of a byte in its highest bits.
void CopyPackedRow(const std::uint8_t* source, unsigned bits, std::uint32_t width,
                   std::uint8_t* data, std::size_t first)
{
    const unsigned perByte = 8 / bits;
    const unsigned fieldMask = (1u << bits) - 1;
    for (std::uint32_t x = 0; x < width; ++x) {
        const unsigned shift = 8 - bits * (x % perByte + 1);
        PutIndex(data, bits, first + x,
                 static_cast<std::uint8_t>(source[x / perByte] >> shift & fieldMask));
    }
}

void CopyRows(const LAYOUT& layout, const std::uint8_t* fileBytes, KXPICTURE& picture)
{
    const std::uint64_t rowBits = std::uint64_t{layout.width} * layout.bits;
    const std::size_t stride = (rowBits + 31) / 32 * 4;
    const std::size_t rowBytes = rowBits / 8;
    std::uint8_t* data = picture.GetData();
    if (layout.bits < 8)
        std::memset(data, 0, picture.GetDataSize());
    for (std::uint32_t row = 0; row < layout.height; ++row) {
        const std::uint8_t* source = fileBytes + layout.pixelStart + stride * row;
        const std::uint32_t y = layout.topDown ? layout.height - 1 - row : row;
        if (layout.bits >= 8)
            std::memcpy(data + rowBytes * y, source, rowBytes);
        else
            CopyPackedRow(source, layout.bits, layout.width, data, std::size_t{layout.width} * y);
    }
}

// The masks through which the picture's pixels decode.
void SetMasks(const LAYOUT& layout, KXPICTURE& picture)
{
    if (layout.compression == BI_BITFIELDS)
        picture.SetMasks(layout.masks[0], layout.masks[1], layout.masks[2], layout.masks[3]);
    else if (layout.bits == 16)
        picture.SetMasks(0x7C00, 0x3E0, 0x1F, 0);
    else if (layout.bits == 24)
        picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    else if (layout.bits == 32)
        picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    else
        picture.SetMasks(0, 0, 0, 0);
}

} // namespace

bool Decode(const std::uint8_t* bytes, std::size_t size, KXPICTURE& picture)
{
    LAYOUT layout;
    if (bytes == nullptr || !READER(bytes, size).ReadLayout(layout))
        return false;
    const bool runLength = layout.compression == BI_RLE8 || layout.compression == BI_RLE4;
    std::vector<std::uint8_t> indices;
    if (runLength && !DecodeRunLength(layout, bytes, indices))
        return false;

    // Everything is known to fit: only now is the picture touched.
    if (!picture.Create(layout.width, layout.height, static_cast<std::uint16_t>(layout.bits)))
        return false;
    picture.SetXResolution(layout.xResolution);
    picture.SetYResolution(layout.yResolution);
    SetPalette(layout, bytes, picture);
    if (runLength)
        CopyIndices(indices, picture);
    else
        CopyRows(layout, bytes, picture);
    SetMasks(layout, picture);
    return true;
}

} // namespace bmp
