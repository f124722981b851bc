#include "kxpicture.h"

#include "kxmemmod.h"
#include "kxpixels.h"
#include "kxsys.h"

#include <algorithm>
#include <climits>

namespace {

// The largest buffer the memory manager hands out (its sizes are ints). The pixel bound
// keeps pixel indices and the work buffer's size within 32 bits as well.
constexpr std::uint64_t largestBuffer = INT_MAX;
static_assert(KXPICTURE::kLargestPicture * 4 <= largestBuffer);

// Bytes for width × height pixels of the given storage bits, rounded up to a whole byte;
// a size whose bits do not fit 64 bits needs more than any buffer holds.
std::uint64_t NeededBytes(std::uint32_t width, std::uint32_t height, unsigned bits)
{
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (bits != 0 && pixels > (UINT64_MAX - 7) / bits)
        return UINT64_MAX;
    return (pixels * bits + 7) / 8;
}

// The same, or 0 for a size the picture refuses.
std::uint64_t DataSizeFor(std::uint32_t width, std::uint32_t height, unsigned bits, bool& fits)
{
    const std::uint64_t pixels = std::uint64_t{width} * height;
    const std::uint64_t bytes = NeededBytes(width, height, bits);
    fits = pixels <= KXPICTURE::kLargestPicture && bytes <= largestBuffer;
    return fits ? bytes : 0;
}

} // namespace

using kxpixel::PIXELSOURCE;

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
    // The picture knows how large its buffers are, so the shelf may keep them.
    MemFreeBuffer(data, dataCapacity);
    MemFreeBuffer(work, std::uint64_t{workCount} * 4);
    MemFreeBuffer(palette);
    workCount = 0;
    dataSize = 0;
    dataCapacity = 0;
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
    MemFreeBuffer(data, dataCapacity);
    const unsigned bits = StorageBits(depth);
    bool fits = true;
    const std::uint64_t bytes = DataSizeFor(width, height, bits, fits);
    dataSize = static_cast<std::uint32_t>(bytes);
    dataCapacity = 0;
    if (fits && bytes == 0)
        return true;
    if (fits) {
        SetMasksFor(bits);
        data = MemAllocBuffer<std::uint8_t>(bytes);
        dataCapacity = data != nullptr ? dataSize : 0;
    }
    if (data == nullptr) {
        // Too large to hold: an empty picture, never one whose size the buffer belies.
        Reset();
        return false;
    }
    return true;
}

bool KXPICTURE::CreateWithPalette(std::uint32_t newWidth, std::uint32_t newHeight,
                                  std::uint16_t newDepth, std::uint32_t paletteEntries,
                                  std::uint16_t roomDepth)
{
    bool fits = true;
    const std::uint64_t size = DataSizeFor(newWidth, newHeight, StorageBits(newDepth), fits);
    const std::uint64_t capacity = std::max(size, RoomFor(newWidth, newHeight, roomDepth));
    if (fits && size > 0 && data != nullptr && capacity == dataCapacity) {
        // A picture read again, or replaced by one of the same size, keeps its buffer: its
        // pages are in place and in the cache. It is taken out of the picture while the
        // picture is made again, which on failure changes nothing else.
        std::uint8_t* own = data;
        data = nullptr;
        if (CreateWithPixels(newWidth, newHeight, newDepth, paletteEntries, own, dataCapacity))
            return true;
        data = own;
        return false;
    }
    std::uint8_t* pixels = nullptr;
    std::uint32_t bytes = 0;
    if (!NewPixelBuffer(newWidth, newHeight, newDepth, pixels, bytes, roomDepth))
        return false;
    if (CreateWithPixels(newWidth, newHeight, newDepth, paletteEntries, pixels, bytes))
        return true;
    MemFreeBuffer(pixels, bytes);
    return false;
}

bool KXPICTURE::CreateWithPixels(std::uint32_t newWidth, std::uint32_t newHeight,
                                 std::uint16_t newDepth, std::uint32_t paletteEntries,
                                 std::uint8_t* pixels, std::uint32_t capacity)
{
    bool fits = true;
    const auto bytes = static_cast<std::uint32_t>(
        DataSizeFor(newWidth, newHeight, StorageBits(newDepth), fits));
    if (!fits)
        return false;
    std::uint8_t* entries = nullptr;
    if (paletteEntries > 0) {
        entries = MemAllocBuffer<std::uint8_t>(std::uint64_t{paletteEntries} * 4);
        if (entries == nullptr)
            return false;
    }
    // Both buffers exist: only now does the picture change.
    Reset();
    width = newWidth;
    height = newHeight;
    depth = newDepth;
    if (bytes > 0)
        SetMasksFor(StorageBits(newDepth));
    ReplacePixelBuffer(pixels, bytes, capacity);
    palette = entries;
    paletteCount = paletteEntries;
    return true;
}

void KXPICTURE::SetMasksFor(unsigned bits)
{
    if (bits == 16)
        SetMasks(0x1F, 0x7E0, 0xF800, 0);
    else if (bits == 24)
        SetMasks(0xFF, 0xFF00, 0xFF0000, 0);
    else if (bits == 32)
        SetMasks(0xFF, 0xFF00, 0xFF0000, 0xFF000000);
}

std::uint32_t* KXPICTURE::AllocWorkBuffer()
{
    MemFreeBuffer(work, std::uint64_t{workCount} * 4);
    workCount = 0;
    if (data == nullptr)
        return nullptr;
    const std::uint32_t pixels = width * height;
    work = MemAllocBuffer<std::uint32_t>(std::uint64_t{pixels} * 4);
    workCount = work != nullptr ? pixels : 0;
    return work;
}

void KXPICTURE::SetPaletteSize(std::uint32_t n)
{
    MemFreeBuffer(palette);
    palette = MemAllocBuffer<std::uint8_t>(std::uint64_t{n} * 4);
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
    masks = KXMASKS{red, green, blue, alpha};
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
    colour.SetMasks(masks.red, masks.green, masks.blue, masks.alpha);
    kxpixel::WritePixel(data, depth, i, colour);
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
    // Palette indices are never encoded through masks, so at their own depth there is
    // nothing to do whatever masks are asked for.
    const KXMASKS target{red, green, blue, alpha};
    if (newDepth == depth && (target == masks || !kxpixel::IsWritableDepth(depth)))
        return true;
    // Every pixel is read: a size raised without a new buffer would read past its end.
    if (!kxpixel::IsWritableDepth(newDepth) || !HoldsPixels())
        return false;
    // Pixels of the palette depths come through this picture's palette, in the default
    // layout; the others are decoded through the masks they were stored with. Each is
    // encoded through the new masks. The conversion itself cannot fail.
    const PIXELSOURCE source{data, depth, palette, paletteCount};
    const std::uint32_t count = width * height;
    const std::uint64_t newSize = NeededBytes(width, height, StorageBits(newDepth));
    if (count > 0 && StorageBits(newDepth) >= StorageBits(depth) && newSize <= dataCapacity) {
        // The buffer has room for the new pixels: no pixel reads another, so they convert
        // where they are and need no second buffer, whose first touch would cost as much
        // as the conversion (a file the bitmap loader read with room for its 32-bit form,
        // or a 32-bit file whose masks hold no alpha, shown by the viewer).
        kxsys::PrepareToFill(data, static_cast<std::size_t>(newSize));
        kxpixel::ConvertWithin(source, masks, {data, newDepth, target}, count, dataCapacity);
        dataSize = static_cast<std::uint32_t>(newSize);
    } else {
        std::uint32_t bytes = 0;
        std::uint8_t* converted = nullptr;
        if (!NewPixelBuffer(width, height, newDepth, converted, bytes))
            return false;
        kxpixel::Convert(source, masks, {converted, newDepth, target}, count);
        ReplacePixelBuffer(converted, bytes);
    }
    depth = newDepth;
    SetMasks(red, green, blue, alpha);
    return true;
}

bool KXPICTURE::NewPixelBuffer(std::uint32_t w, std::uint32_t h, std::uint16_t depthCode,
                               std::uint8_t*& buffer, std::uint32_t& bytes,
                               std::uint16_t roomDepth)
{
    bool fits = true;
    const std::uint64_t size = DataSizeFor(w, h, StorageBits(depthCode), fits);
    const std::uint64_t room = fits ? RoomFor(w, h, roomDepth) : 0;
    const std::uint64_t made = std::max(size, room);
    buffer = made > 0 ? MemAllocBuffer<std::uint8_t>(made) : nullptr;
    bytes = static_cast<std::uint32_t>(made);
    // Its caller writes every pixel: their pages come in place at once if they are fresh.
    // The room is written only by a conversion, which may never come.
    if (fits)
        kxsys::PrepareToFill(buffer, static_cast<std::size_t>(size));
    return fits && (size == 0 || buffer != nullptr);
}

std::uint64_t KXPICTURE::RoomFor(std::uint32_t w, std::uint32_t h, std::uint16_t depthCode)
{
    bool fits = true;
    const std::uint64_t room = DataSizeFor(w, h, StorageBits(depthCode), fits);
    return fits ? room : 0;
}

void KXPICTURE::ReplacePixelBuffer(std::uint8_t* buffer, std::uint32_t bytes,
                                   std::uint32_t capacity)
{
    MemFreeBuffer(data, dataCapacity);
    data = buffer;
    dataSize = bytes;
    dataCapacity = buffer != nullptr ? std::max(bytes, capacity) : 0;
}

bool KXPICTURE::HoldsPixels() const
{
    const std::uint64_t needed = NeededBytes(width, height, StorageBits(depth));
    return needed == 0 || (data != nullptr && dataSize >= needed);
}

bool KXPICTURE::HasPixels() const
{
    return NeededBytes(width, height, StorageBits(depth)) > 0 && HoldsPixels();
}
