#include "kxpicture.h"

#include "kxmemmod.h"

#include <climits>
#include <cstring>

namespace {

// The largest buffer the memory manager hands out, and the largest pixel count, so that
// pixel indices and the work buffer's size stay within 32 bits.
constexpr std::uint64_t largestBuffer = INT_MAX;
constexpr std::uint64_t largestPixelCount = INT_MAX / 4;

template <class T> void Release(T*& buffer)
{
    void* block = buffer;
    MemFree(&block);
    buffer = nullptr;
}

template <class T> T* Allocate(std::uint64_t bytes)
{
    void* block = nullptr;
    if (bytes > 0 && bytes <= largestBuffer)
        MemAlloc(&block, static_cast<int>(bytes));
    return static_cast<T*>(block);
}

// Bytes for width × height pixels of the given storage bits, rounded up to a whole byte;
// 0 for a size the picture refuses.
std::uint64_t DataSizeFor(std::uint32_t width, std::uint32_t height, unsigned bits, bool& fits)
{
    const std::uint64_t pixels = std::uint64_t{width} * height;
    const std::uint64_t bytes = (pixels * bits + 7) / 8;
    fits = pixels <= largestPixelCount && bytes <= largestBuffer;
    return fits ? bytes : 0;
}

bool IsWritableDepth(std::uint16_t depth)
{
    return depth == 16 || depth == 24 || depth == 32 || depth == KXDEPTH_YCBCR24 ||
           depth == KXDEPTH_YCBCR32;
}

// The palette and the default masks a palette depth's values are given in.
bool IsPaletteDepth(std::uint16_t depth)
{
    return depth == 1 || depth == 4 || depth == 8;
}

std::uint32_t Read16(const std::uint8_t* p)
{
    return p[0] | p[1] << 8;
}

std::uint32_t Read24(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16;
}

std::uint32_t Read32(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Write16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Write24(std::uint8_t* p, std::uint32_t v)
{
    Write16(p, v);
    p[2] = static_cast<std::uint8_t>(v >> 16);
}

void Write32(std::uint8_t* p, std::uint32_t v)
{
    Write24(p, v);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// A picture's pixels as the reading rules see them: they also serve a buffer that the
// picture is converting away from.
struct PIXELSOURCE {
    const std::uint8_t* data;
    std::uint16_t depth;
    const std::uint8_t* palette;
    std::uint32_t paletteCount;

    bool Lookup(std::uint32_t index, std::uint32_t& value) const
    {
        if (palette == nullptr || index >= paletteCount)
            return false;
        const std::uint8_t* entry = palette + 4 * index;
        value = entry[2] | entry[1] << 8 | entry[0] << 16;
        return true;
    }

    // A palette index through the palette, or the fallback without an entry.
    std::uint32_t Indexed(std::uint32_t index, std::uint32_t fallback) const
    {
        std::uint32_t value = fallback;
        Lookup(index, value);
        return value;
    }

    std::uint32_t Packed(std::uint32_t i) const
    {
        switch (depth) {
        case 24:
        case KXDEPTH_YCBCR24:
            return Read24(data + 3 * std::size_t{i});
        case 32:
        case KXDEPTH_YCBCR32:
            return Read32(data + 4 * std::size_t{i});
        case 8: {
            const std::uint32_t v = data[i];
            return Indexed(v, v * 0x010101u);
        }
        case 1: {
            const std::uint32_t v = (data[i / 8] >> (i % 8)) & 1;
            return Indexed(v, v != 0 ? 0xFFFFFFu : 0u);
        }
        case 4: {
            // Without a palette a nibble reads as the grey of its level.
            const std::uint32_t v = (data[i / 2] >> (i % 2 == 0 ? 0 : 4)) & 0xF;
            return Indexed(v, v * 17 * 0x010101u);
        }
        case 16:
            // A direct-colour value: a palette that came with the file is no colour table
            // for it.
            return Read16(data + 2 * std::size_t{i});
        default:
            return 0;
        }
    }
};

// Writes pixel i of a buffer of the depth from a colour that has the picture's masks.
void WritePixel(std::uint8_t* data, std::uint16_t depth, std::uint32_t i, const KXCOLOR& colour)
{
    switch (depth) {
    case 16:
        Write16(data + 2 * std::size_t{i}, colour.ToPixel16());
        break;
    case 24:
        Write24(data + 3 * std::size_t{i}, colour.ToPixel32());
        break;
    case 32:
        Write32(data + 4 * std::size_t{i}, colour.ToPixel32());
        break;
    case KXDEPTH_YCBCR24: {
        std::uint8_t* p = data + 3 * std::size_t{i};
        p[2] = static_cast<std::uint8_t>(colour.GetY());
        p[1] = static_cast<std::uint8_t>(colour.GetCb());
        p[0] = static_cast<std::uint8_t>(colour.GetCr());
        break;
    }
    case KXDEPTH_YCBCR32:
        Write32(data + 4 * std::size_t{i}, colour.ToYCbCrAlpha());
        break;
    default:
        break;
    }
}

} // namespace

bool KXPICTURE::CanHold(std::uint32_t width, std::uint32_t height, std::uint16_t depth)
{
    bool fits = true;
    DataSizeFor(width, height, StorageBits(depth), fits);
    return fits;
}

KXPICTURE::KXPICTURE() : KXOBJECT("KXPICTURE"), loaders(KXKIND_IMAGELOADER)
{
    loaders.SetOwner(this);
    Reset();
}

KXPICTURE::~KXPICTURE()
{
    Reset();
}

KXPICTURE& KXPICTURE::Reset()
{
    Release(data);
    Release(work);
    Release(palette);
    workCount = 0;
    dataSize = 0;
    height = 0;
    width = 0;
    depth = 0;
    paletteCount = 0;
    return SetMasks(0xFF, 0xFF00, 0xFF0000, 0xFF000000);
}

bool KXPICTURE::Create(std::uint32_t newWidth, std::uint32_t newHeight, std::uint16_t newDepth)
{
    Reset();
    depth = newDepth;
    width = newWidth;
    height = newHeight;
    return AllocBuffer();
}

bool KXPICTURE::AllocBuffer()
{
    Release(data);
    const unsigned bits = StorageBits(depth);
    bool fits = true;
    const std::uint64_t bytes = DataSizeFor(width, height, bits, fits);
    dataSize = static_cast<std::uint32_t>(bytes);
    if (fits && bytes == 0)
        return true;
    if (fits) {
        if (bits == 16)
            SetMasks(0x1F, 0x7E0, 0xF800, 0);
        else if (bits == 24)
            SetMasks(0xFF, 0xFF00, 0xFF0000, 0);
        else if (bits == 32)
            SetMasks(0xFF, 0xFF00, 0xFF0000, 0xFF000000);
        data = Allocate<std::uint8_t>(bytes);
    }
    if (data == nullptr) {
        // Too large to hold: an empty picture, never one whose size the buffer belies.
        Reset();
        return false;
    }
    return true;
}

std::uint32_t* KXPICTURE::AllocWorkBuffer()
{
    Release(work);
    workCount = 0;
    if (data == nullptr)
        return nullptr;
    const std::uint32_t pixels = width * height;
    work = Allocate<std::uint32_t>(std::uint64_t{pixels} * 4);
    workCount = work != nullptr ? pixels : 0;
    return work;
}

void KXPICTURE::SetPaletteSize(std::uint32_t n)
{
    Release(palette);
    palette = Allocate<std::uint8_t>(std::uint64_t{n} * 4);
    paletteCount = palette != nullptr ? n : 0;
}

bool KXPICTURE::GetPaletteColor(std::uint32_t index, KXCOLOR& colour) const
{
    if (palette == nullptr || index >= paletteCount)
        return false;
    const std::uint8_t* entry = palette + 4 * std::size_t{index};
    colour.Set(entry[2], entry[1], entry[0], entry[3]);
    return true;
}

bool KXPICTURE::LookupPalette(std::uint32_t index, std::uint32_t& value) const
{
    return PIXELSOURCE{data, depth, palette, paletteCount}.Lookup(index, value);
}

KXPICTURE& KXPICTURE::SetMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                               std::uint32_t alpha)
{
    redMask = red;
    greenMask = green;
    blueMask = blue;
    alphaMask = alpha;
    return *this;
}

std::uint32_t KXPICTURE::GetPixelPacked(std::uint32_t i) const
{
    return PIXELSOURCE{data, depth, palette, paletteCount}.Packed(i);
}

void KXPICTURE::GetPixel(std::uint32_t i, KXCOLOR& colour) const
{
    colour.SetFromPixel(GetPixelPacked(i));
}

void KXPICTURE::GetPixelXY(std::uint32_t x, std::uint32_t y, KXCOLOR& colour) const
{
    GetPixel(x + y * width, colour);
}

void KXPICTURE::SetPixel(std::uint32_t i, KXCOLOR& colour)
{
    colour.SetMasks(redMask, greenMask, blueMask, alphaMask);
    WritePixel(data, depth, i, colour);
}

void KXPICTURE::SetPixelPacked(std::uint32_t i, std::uint32_t value)
{
    KXCOLOR colour;
    colour.SetFromPixel(value);
    SetPixel(i, colour);
}

bool KXPICTURE::ConvertDepth(std::uint16_t newDepth, std::uint32_t red, std::uint32_t green,
                             std::uint32_t blue, std::uint32_t alpha)
{
    // Pixels already of that depth are re-encoded only when their masks differ: a 32-bit
    // file with bit fields of its own still shows its colours once the viewer converts it.
    if (newDepth == depth && red == redMask && green == greenMask && blue == blueMask &&
        alpha == alphaMask)
        return true;
    if (!IsWritableDepth(newDepth))
        return false;
    bool fits = true;
    const std::uint64_t bytes = DataSizeFor(width, height, StorageBits(newDepth), fits);
    std::uint8_t* converted = bytes > 0 ? Allocate<std::uint8_t>(bytes) : nullptr;
    if (!fits || (bytes > 0 && converted == nullptr))
        return false;

    // Pixels of the palette depths come through this picture's palette, in the default
    // layout; the others are decoded through the masks they were stored with. Each is
    // encoded through the new masks.
    const PIXELSOURCE source{data, depth, palette, paletteCount};
    KXCOLOR from;
    if (!IsPaletteDepth(depth))
        from.SetMasks(redMask, greenMask, blueMask, alphaMask);
    KXCOLOR colour;
    colour.SetMasks(red, green, blue, alpha);
    const std::uint32_t pixels = width * height;
    for (std::uint32_t i = 0; i < pixels; ++i) {
        from.SetFromPixel(source.Packed(i));
        colour = from;
        WritePixel(converted, newDepth, i, colour);
    }

    Release(data);
    data = converted;
    dataSize = static_cast<std::uint32_t>(bytes);
    depth = newDepth;
    SetMasks(red, green, blue, alpha);
    return true;
}
