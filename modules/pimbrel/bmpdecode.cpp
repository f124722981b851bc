// Reading BMP files. Every field that decides where the reader looks is checked against
// the file's size, and run-length data are walked once to the end, before the picture is
// touched: a file is either read whole or refused with the picture as it was, and a
// refused file costs no more than reading it. From a file, the headers are read first and
// the pixels then go piece by piece through a small staging buffer into the picture's new
// buffer: nothing the size of the file is held beside the picture.
#include "bmpcodec.h"
#include "bmpcursor.h"
#include "bmplayout.h"
#include "bmpmasks.h"
#include "bmprows.h"

#include "kxassert.h"
#include "kxmemmod.h"
#include "kxpixels.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace bmp {
namespace {

namespace L = layout;

// The depth a picture read for its owner gets room for in its buffer: the one its owner
// converts it to right after a load, if any (the viewer shows pictures at 32 bits). A
// read with room for that form converts to it in its own buffer, so a file opened for
// display costs one fresh buffer rather than two, and a picture that is never converted
// keeps no more than its file's depth.
std::uint16_t RoomDepthFor(const KXPICTURE& picture)
{
    return picture.GetLoadForm().depth;
}

// Whether the owner's form changes pixels of the file's depth and masks: a form the
// picture cannot be converted to, or one that ConvertDepth leaves as it is (the same
// depth and masks, or the file's own palette depth), is no reason to convert on the way.
bool ChangesPixels(const KXLOADFORM& form, unsigned bits, const KXMASKS& fileMasks)
{
    if (!kxpixel::IsWritableDepth(form.depth))
        return false;
    return form.depth != bits || (form.masks != fileMasks && kxpixel::IsWritableDepth(bits));
}

// The pieces a file's pixels are read in: the system reads ahead while each piece is
// placed, where one read of everything waits for every piece in turn (a 12 MB file came
// in 2.6 ms against 6.3 ms). Each piece goes into a small buffer that stays in the cache
// and is placed from there: fresh pages that the system fills first cost the program far
// more on their next touch than pages it fills itself (36 MB read straight into a new
// picture took 44 ms to be read once more afterwards, against 1 ms when copied in piece
// by piece), and the viewer touches every pixel again to show it.
constexpr std::size_t kPiece = std::size_t{64} << 10;

// What the reader takes from the headers, all of it checked against the file.
struct LAYOUT {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    unsigned bits = 0;
    std::uint32_t compression = L::kRgb;
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
    std::size_t fileSize = 0;

    bool IsRunLength() const { return compression == L::kRle8 || compression == L::kRle4; }
};

class READER {
public:
    // The headers are read from the file's first headSize bytes; the palette and the
    // pixels are placed within the whole file's fileSize.
    READER(const std::uint8_t* head, std::size_t headSize, std::size_t fileSize)
        : file(head, headSize), fileSize(head != nullptr ? fileSize : 0)
    {}

    REFUSAL ReadLayout(LAYOUT& layout);

private:
    REFUSAL ReadCoreHeader(LAYOUT& layout);
    REFUSAL ReadInfoHeader(std::uint32_t headerSize, LAYOUT& layout);
    REFUSAL ReadCompression(std::uint32_t headerSize, LAYOUT& layout);
    REFUSAL ReadMasks(std::uint32_t headerSize, LAYOUT& layout);
    void PlacePalette(std::uint32_t colorsUsed, std::uint32_t pixelOffset, LAYOUT& layout) const;
    REFUSAL PlacePixels(std::uint32_t pixelOffset, std::uint32_t imageSize, LAYOUT& layout) const;

    LECURSOR file;
    std::size_t fileSize;
};

bool IsKnownDepth(unsigned bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The picture's own limit for every file, checked before anything is allocated.
REFUSAL CheckSize(const LAYOUT& layout)
{
    if (layout.width == 0 || layout.height == 0)
        return REFUSAL::DIMENSIONS;
    if (!KXPICTURE::CanHold(layout.width, layout.height, static_cast<std::uint16_t>(layout.bits)))
        return REFUSAL::TOOLARGE;
    return REFUSAL::NONE;
}

REFUSAL READER::ReadLayout(LAYOUT& layout)
{
    layout.fileSize = fileSize;
    if (!file.Holds(0, 2))
        return REFUSAL::TRUNCATED;
    if (file.U8(L::kSignature) != 'B' || file.U8(L::kSignature + 1) != 'M')
        return REFUSAL::SIGNATURE;
    const std::uint32_t headerSize = file.U32(L::kHeaderSize);
    if (file.IsShort())
        return REFUSAL::TRUNCATED;
    switch (headerSize) {
    case L::kCoreHeader:
        return ReadCoreHeader(layout);
    case L::kInfoHeader:
    case L::kInfoHeaderRgbMasks:
    case L::kInfoHeaderAllMasks:
    case L::kInfoHeaderColorSpace:
    case L::kInfoHeaderProfile:
        return ReadInfoHeader(headerSize, layout);
    default:
        return REFUSAL::HEADERSIZE;
    }
}

REFUSAL READER::ReadCoreHeader(LAYOUT& layout)
{
    if (!file.Holds(0, L::kFileHeaderSize + L::kCoreHeader))
        return REFUSAL::TRUNCATED;
    layout.width = file.U16(L::kCoreWidth);
    layout.height = file.U16(L::kCoreHeight);
    layout.bits = file.U16(L::kCoreBitCount);
    layout.paletteEntrySize = 3;
    layout.paletteStart = L::kFileHeaderSize + L::kCoreHeader;
    if (layout.bits == 16 || layout.bits == 32 || !IsKnownDepth(layout.bits))
        return REFUSAL::DEPTH;
    if (const REFUSAL size = CheckSize(layout); size != REFUSAL::NONE)
        return size;
    const std::uint32_t pixelOffset = file.U32(L::kPixelOffset);
    PlacePalette(0, pixelOffset, layout);
    return PlacePixels(pixelOffset, 0, layout);
}

REFUSAL READER::ReadInfoHeader(std::uint32_t headerSize, LAYOUT& layout)
{
    if (!file.Holds(0, L::kFileHeaderSize + headerSize))
        return REFUSAL::TRUNCATED;
    const std::int32_t width = file.S32(L::kWidth);
    const std::int32_t height = file.S32(L::kHeight);
    if (width <= 0 || height == 0 || height == INT_MIN)
        return REFUSAL::DIMENSIONS;
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
    layout.topDown = height < 0;
    layout.bits = file.U16(L::kBitCount);
    layout.compression = file.U32(L::kCompression);
    layout.xResolution = file.S32(L::kXResolution);
    layout.yResolution = file.S32(L::kYResolution);
    layout.paletteStart = L::kFileHeaderSize + headerSize;
    // Embedded pictures of other formats have no depth of their own.
    if (layout.compression > L::kBitFields)
        return REFUSAL::COMPRESSION;
    if (!IsKnownDepth(layout.bits))
        return REFUSAL::DEPTH;
    if (const REFUSAL compression = ReadCompression(headerSize, layout);
        compression != REFUSAL::NONE)
        return compression;
    if (const REFUSAL size = CheckSize(layout); size != REFUSAL::NONE)
        return size;
    const std::uint32_t pixelOffset = file.U32(L::kPixelOffset);
    PlacePalette(file.U32(L::kColorsUsed), pixelOffset, layout);
    return PlacePixels(pixelOffset, file.U32(L::kImageSize), layout);
}

REFUSAL READER::ReadCompression(std::uint32_t headerSize, LAYOUT& layout)
{
    switch (layout.compression) {
    case L::kRgb:
        return REFUSAL::NONE;
    case L::kRle8:
    case L::kRle4:
        // Run-length data are always stored bottom-up.
        if (layout.bits != (layout.compression == L::kRle8 ? 8u : 4u) || layout.topDown)
            return REFUSAL::COMPRESSION;
        return REFUSAL::NONE;
    case L::kBitFields:
        if (layout.bits != 16 && layout.bits != 32)
            return REFUSAL::COMPRESSION;
        return ReadMasks(headerSize, layout);
    default:
        return REFUSAL::COMPRESSION;
    }
}

// The masks lie in the header when it is long enough to hold them, else right after it.
REFUSAL READER::ReadMasks(std::uint32_t headerSize, LAYOUT& layout)
{
    if (headerSize == L::kInfoHeader)
        layout.paletteStart = L::kBlueMask + 4;
    layout.masks[0] = file.U32(L::kRedMask);
    layout.masks[1] = file.U32(L::kGreenMask);
    layout.masks[2] = file.U32(L::kBlueMask);
    layout.masks[3] = headerSize >= L::kInfoHeaderAllMasks ? file.U32(L::kAlphaMask) : 0;
    if (file.IsShort())
        return REFUSAL::TRUNCATED;
    return MasksAreSound(layout.masks, layout.bits) ? REFUSAL::NONE : REFUSAL::MASKS;
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
    std::size_t limit = fileSize;
    if (pixelOffset >= layout.paletteStart)
        limit = std::min<std::size_t>(limit, pixelOffset);
    const std::size_t available =
        limit > layout.paletteStart ? (limit - layout.paletteStart) / layout.paletteEntrySize : 0;
    layout.paletteRead = static_cast<std::uint32_t>(std::min<std::size_t>(wanted, available));
}

// Uncompressed rows are padded to 4 bytes; the last row needs no padding after it.
REFUSAL READER::PlacePixels(std::uint32_t pixelOffset, std::uint32_t imageSize,
                            LAYOUT& layout) const
{
    const std::size_t size = fileSize;
    if (pixelOffset > size)
        return REFUSAL::TRUNCATED;
    layout.pixelStart = pixelOffset;
    if (layout.IsRunLength()) {
        const std::size_t declared = imageSize != 0 ? pixelOffset + std::size_t{imageSize} : size;
        layout.pixelEnd = std::min(declared, size);
        return REFUSAL::NONE;
    }
    const std::uint64_t rowBits = std::uint64_t{layout.width} * layout.bits;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t needed = stride * (layout.height - 1) + (rowBits + 7) / 8;
    if (needed > size - pixelOffset)
        return REFUSAL::TRUNCATED;
    layout.pixelEnd = pixelOffset + needed;
    return REFUSAL::NONE;
}

// Run-length data in memory.
class MEMORYRUNS {
public:
    MEMORYRUNS(const LAYOUT& layout, const std::uint8_t* fileBytes)
        : p(fileBytes + layout.pixelStart), end(fileBytes + layout.pixelEnd)
    {}

    std::size_t Left() const { return static_cast<std::size_t>(end - p); }
    // The next count bytes, no more than are left.
    const std::uint8_t* Take(std::size_t count)
    {
        const std::uint8_t* bytes = p;
        p += count;
        return bytes;
    }
    void Finish() { p = end; }
    bool Failed() const { return false; }

private:
    const std::uint8_t* p;
    const std::uint8_t* const end;
};

// Run-length data read from a file a piece at a time into a window of its own.
class FILERUNS {
public:
    FILERUNS(const LAYOUT& layout, const READAT& readAt)
        : readAt(readAt), at(layout.pixelStart), end(layout.pixelEnd)
    {}

    std::size_t Left() const { return end - at; }
    // The next count bytes, no more than are left nor than one escape takes; null when
    // the file did not read.
    const std::uint8_t* Take(std::size_t count)
    {
        KX_CHECK(count <= Left() && count <= sizeof window, count, Left());
        if (count > held - used) {
            held = std::min(sizeof window, Left());
            used = 0;
            if (failed || !readAt(at, window, held)) {
                failed = true;
                held = 0;
                return nullptr;
            }
        }
        const std::uint8_t* bytes = window + used;
        used += count;
        at += count;
        return bytes;
    }
    void Finish() { at = end; }
    // True once a piece did not read whole.
    bool Failed() const { return failed; }

private:
    const READAT& readAt;
    std::size_t at;
    const std::size_t end;
    std::size_t held = 0;
    std::size_t used = 0;
    bool failed = false;
    std::uint8_t window[kPiece];
};

// A walk through run-length data, bottom row first. Every run, delta and end of line
// is checked against the picture; data that end early, or without an end of bitmap,
// leave the remaining pixels as they are. The walk hands each run and each absolute
// stretch to a sink: the first walk's sink does nothing, so that the data are known to
// fit before the picture is allocated; the second's writes into the picture's pixels.
// False for data that reach outside the picture, or that the source could not read.
template <class SOURCE, class SINK> class RLEWALK {
public:
    RLEWALK(const LAYOUT& layout, SOURCE& source, SINK& target)
        : width(layout.width), height(layout.height), nibbles(layout.compression == L::kRle4),
          data(source), sink(target)
    {}

    bool Walk();

private:
    bool Delta();
    bool Absolute(std::uint32_t count);
    bool Fits(std::uint32_t count) const { return y < height && count <= width - x; }

    const std::uint32_t width;
    const std::uint32_t height;
    const bool nibbles;
    SOURCE& data;
    SINK& sink;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

template <class SOURCE, class SINK> bool RLEWALK<SOURCE, SINK>::Walk()
{
    while (data.Left() >= 2) {
        const std::uint8_t* pair = data.Take(2);
        if (pair == nullptr)
            return false;
        const std::uint8_t count = pair[0];
        const std::uint8_t value = pair[1];
        if (count > 0) {
            if (!Fits(count))
                return false;
            sink.Run(std::size_t{y} * width + x, count, value);
            x += count;
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) {
            if (!Delta())
                return false;
        } else if (!Absolute(value)) {
            return false;
        }
    }
    return true;
}

// Moves right and up; a delta cut short by the end of the data ends the walk there.
template <class SOURCE, class SINK> bool RLEWALK<SOURCE, SINK>::Delta()
{
    if (data.Left() < 2) {
        data.Finish();
        return true;
    }
    const std::uint8_t* move = data.Take(2);
    if (move == nullptr)
        return false;
    const std::uint32_t dx = move[0];
    const std::uint32_t dy = move[1];
    if (dx > width - x || dy > height - y)
        return false;
    x += dx;
    y += dy;
    return true;
}

// Absolute stretches are padded to a whole number of 16-bit words; one cut short by the
// end of the data ends the walk there.
template <class SOURCE, class SINK> bool RLEWALK<SOURCE, SINK>::Absolute(std::uint32_t count)
{
    const std::size_t bytes = nibbles ? (count + 1) / 2 : count;
    if (!Fits(count))
        return false;
    if (data.Left() < bytes) {
        data.Finish();
        return true;
    }
    // The padding comes with the stretch where the data hold it.
    const std::size_t padding = std::min<std::size_t>(bytes & 1, data.Left() - bytes);
    const std::uint8_t* stretch = data.Take(bytes + padding);
    if (stretch == nullptr)
        return false;
    sink.Copy(std::size_t{y} * width + x, count, stretch);
    x += count;
    return true;
}

// The first walk's sink.
struct CHECKONLY {
    void Run(std::size_t, std::uint32_t, std::uint8_t) {}
    void Copy(std::size_t, std::uint32_t, const std::uint8_t*) {}
};

// The second walk's sink: palette indices straight into a picture's pixels, which it
// zeroes first, one byte per pixel at 8 bits, two pixels per byte (first in the low
// nibble) at 4.
class PICTURESINK {
public:
    PICTURESINK(std::uint8_t* pixels, std::size_t size, bool nibbles)
        : data(pixels), dataSize(size), nibbles(nibbles), packed(pixels, size, 4)
    {
        std::memset(data, 0, dataSize);
    }

    // A run of one index, or at 4 bits of two alternating indices: as many bytes of the
    // value as the run's pixels fill, packed as the file packs them.
    void Run(std::size_t first, std::uint32_t count, std::uint8_t value)
    {
        KX_CHECK(Holds(first, count), first, count, dataSize);
        if (!nibbles) {
            std::memset(data + first, value, count);
            return;
        }
        std::uint8_t repeated[128];
        std::memset(repeated, value, sizeof repeated);
        packed.Begin(first, count);
        packed.Put(repeated, (count + 1) / 2);
    }

    void Copy(std::size_t first, std::uint32_t count, const std::uint8_t* source)
    {
        KX_CHECK(Holds(first, count), first, count, dataSize);
        if (!nibbles) {
            std::memcpy(data + first, source, count);
            return;
        }
        packed.Begin(first, count);
        packed.Put(source, (count + 1) / 2);
    }

private:
    // The walk keeps every run inside the picture it checked the data against.
    bool Holds(std::size_t first, std::uint32_t count) const
    {
        return ((first + count) * (nibbles ? 4 : 8) + 7) / 8 <= dataSize;
    }

    std::uint8_t* const data;
    const std::size_t dataSize;
    const bool nibbles;
    PACKEDWRITER packed;
};

// The palette's first count entries (no more than it has), zero where the file holds
// none: the header's reading placed those it holds inside the file's bytes.
void PutPalette(const LAYOUT& layout, const std::uint8_t* fileBytes, std::uint8_t* entries,
                std::uint32_t count)
{
    std::memset(entries, 0, std::size_t{count} * 4);
    const std::uint8_t* source = fileBytes + layout.paletteStart;
    for (std::uint32_t i = 0; i < std::min(layout.paletteRead, count); ++i)
        std::memcpy(entries + 4 * i, source + layout.paletteEntrySize * i, layout.paletteEntrySize);
}

// The palette's entries, from the file's bytes or the head read from its start: the
// header's reading placed them inside both.
void CopyPalette(const LAYOUT& layout, const std::uint8_t* fileBytes, KXPICTURE& picture)
{
    std::uint8_t* entries = picture.GetPalette();
    if (entries == nullptr)
        return;
    // The header's reading placed the entries read inside the palette and the file.
    KX_CHECK(layout.paletteRead <= layout.paletteCount, layout.paletteRead, layout.paletteCount);
    KX_CHECK(layout.paletteRead == 0 ||
                 layout.paletteStart + layout.paletteEntrySize * layout.paletteRead <=
                     layout.fileSize,
             layout.paletteStart, layout.paletteEntrySize, layout.paletteRead, layout.fileSize);
    PutPalette(layout, fileBytes, entries, layout.paletteCount);
}

ROWSHAPE ShapeOf(const LAYOUT& layout)
{
    return {layout.width, layout.height, layout.bits, layout.topDown};
}

// The bytes the picture's pixels take.
std::size_t PixelBytes(const LAYOUT& layout)
{
    return static_cast<std::size_t>(ShapeOf(layout).PictureBytes());
}

// Uncompressed rows from the file's bytes, all in one piece.
void CopyRows(const LAYOUT& layout, const std::uint8_t* fileBytes, KXPICTURE& picture)
{
    const std::size_t bytes = layout.pixelEnd - layout.pixelStart;
    // The header's reading placed every row inside the file.
    KX_CHECK(bytes == ShapeOf(layout).FileBytes(), bytes, ShapeOf(layout).FileBytes());
    KX_CHECK(layout.pixelEnd <= layout.fileSize, layout.pixelEnd, layout.fileSize);
    ROWPLACER rows(ShapeOf(layout), picture.GetData(), picture.GetDataSize());
    rows.Place(fileBytes + layout.pixelStart, bytes);
}

// The masks through which the file's pixels decode.
KXMASKS MasksOf(const LAYOUT& layout)
{
    if (layout.compression == L::kBitFields)
        return {layout.masks[0], layout.masks[1], layout.masks[2], layout.masks[3]};
    if (layout.bits == 16)
        return {0x7C00, 0x3E0, 0x1F, 0};
    if (layout.bits == 24)
        return {0xFF0000, 0xFF00, 0xFF, 0};
    if (layout.bits == 32)
        return {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    return {0, 0, 0, 0};
}

void SetMasks(const KXMASKS& masks, KXPICTURE& picture)
{
    picture.SetMasks(masks.red, masks.green, masks.blue, masks.alpha);
}

// Uncompressed rows read from a file piece by piece into the placer's buffer.
REFUSAL ReadRows(const LAYOUT& layout, const READAT& readAt, ROWPLACER& rows)
{
    KX_CHECK(layout.pixelEnd - layout.pixelStart == ShapeOf(layout).FileBytes(), layout.pixelStart,
             layout.pixelEnd, ShapeOf(layout).FileBytes());
    std::uint8_t piece[kPiece];
    for (std::size_t at = layout.pixelStart; at < layout.pixelEnd;) {
        const std::size_t count = std::min(kPiece, layout.pixelEnd - at);
        if (!readAt(at, piece, count))
            return REFUSAL::UNREADABLE;
        rows.Place(piece, count);
        at += count;
    }
    KX_CHECK(rows.IsWhole());
    return REFUSAL::NONE;
}

// Uncompressed rows read from a file into pixels, a new buffer of size bytes: as the file
// holds them, or through the conversion to the owner's form made once for the picture,
// from the palette and masks the file gives it.
REFUSAL ReadRows(const LAYOUT& layout, const std::uint8_t* head, const KXLOADFORM* form,
                 const READAT& readAt, std::uint8_t* pixels, std::size_t size)
{
    if (form == nullptr) {
        ROWPLACER rows(ShapeOf(layout), pixels, size);
        return ReadRows(layout, readAt, rows);
    }
    // The palette depths look up no index above 255, and the other depths none at all.
    std::uint8_t entries[256 * 4];
    const std::uint32_t entryCount = std::min<std::uint32_t>(layout.paletteCount, 256);
    PutPalette(layout, head, entries, entryCount);
    const kxpixel::PIXELSOURCE source{nullptr, static_cast<std::uint16_t>(layout.bits),
                                      entryCount > 0 ? entries : nullptr, entryCount};
    const kxpixel::CONVERSION conversion(source, MasksOf(layout),
                                         {nullptr, form->depth, form->masks},
                                         layout.width * layout.height);
    ROWPLACER rows(ShapeOf(layout), conversion, KXPICTURE::StorageBits(form->depth) / 8, pixels,
                   size);
    return ReadRows(layout, readAt, rows);
}

// Walks a file's run-length data once to learn that they fit the picture.
REFUSAL CheckRuns(const LAYOUT& layout, const READAT& readAt)
{
    FILERUNS runs(layout, readAt);
    CHECKONLY nothing;
    if (RLEWALK<FILERUNS, CHECKONLY>(layout, runs, nothing).Walk())
        return REFUSAL::NONE;
    return runs.Failed() ? REFUSAL::UNREADABLE : REFUSAL::RUNLENGTH;
}

// Walks a file's run-length data, known to fit, into pixels, a new buffer of size bytes.
// A walk that fails now read other data than the first walk: the file changed meanwhile.
REFUSAL ReadRuns(const LAYOUT& layout, const READAT& readAt, std::uint8_t* pixels, std::size_t size)
{
    FILERUNS runs(layout, readAt);
    PICTURESINK sink(pixels, size, layout.compression == L::kRle4);
    if (!RLEWALK<FILERUNS, PICTURESINK>(layout, runs, sink).Walk())
        return REFUSAL::UNREADABLE;
    return REFUSAL::NONE;
}

// Gives a picture of the layout's size the file's palette and resolutions, and the masks
// its pixels are held in: the file's, or those of the form they were converted to.
void FinishPicture(const LAYOUT& layout, const std::uint8_t* fileBytes, const KXMASKS& masks,
                   KXPICTURE& picture)
{
    picture.SetXResolution(layout.xResolution);
    picture.SetYResolution(layout.yResolution);
    CopyPalette(layout, fileBytes, picture);
    SetMasks(masks, picture);
}

} // namespace

REFUSAL Decode(const std::uint8_t* bytes, std::size_t size, KXPICTURE& picture)
{
    LAYOUT layout;
    if (const REFUSAL refusal = READER(bytes, size, size).ReadLayout(layout);
        refusal != REFUSAL::NONE)
        return refusal;
    if (layout.IsRunLength()) {
        MEMORYRUNS runs(layout, bytes);
        CHECKONLY nothing;
        if (!RLEWALK<MEMORYRUNS, CHECKONLY>(layout, runs, nothing).Walk())
            return REFUSAL::RUNLENGTH;
    }

    // Everything is known to fit: only now is the picture touched, and only once both
    // its buffers exist.
    if (!picture.CreateWithPalette(layout.width, layout.height,
                                   static_cast<std::uint16_t>(layout.bits), layout.paletteCount,
                                   RoomDepthFor(picture)))
        return REFUSAL::NOMEMORY;
    FinishPicture(layout, bytes, MasksOf(layout), picture);
    if (layout.IsRunLength()) {
        MEMORYRUNS runs(layout, bytes);
        PICTURESINK sink(picture.GetData(), picture.GetDataSize(), layout.compression == L::kRle4);
        RLEWALK<MEMORYRUNS, PICTURESINK>(layout, runs, sink).Walk();
    } else {
        CopyRows(layout, bytes, picture);
    }
    return REFUSAL::NONE;
}

REFUSAL DecodeFile(const std::uint8_t* head, std::size_t headSize, std::size_t fileSize,
                   const READAT& readAt, KXPICTURE& picture)
{
    LAYOUT layout;
    if (const REFUSAL refusal = READER(head, headSize, fileSize).ReadLayout(layout);
        refusal != REFUSAL::NONE)
        return refusal;
    // The palette lies within the head the headers were read from.
    KX_CHECK(layout.paletteRead == 0 ||
                 layout.paletteStart + layout.paletteEntrySize * layout.paletteRead <= headSize,
             layout.paletteStart, layout.paletteEntrySize, layout.paletteRead, headSize);
    if (layout.IsRunLength()) {
        if (const REFUSAL refusal = CheckRuns(layout, readAt); refusal != REFUSAL::NONE)
            return refusal;
    }
    // Rows go straight into the owner's form where it changes them: the picture ends as
    // the file's form converted to it would, in a buffer of just its pixels, as a
    // conversion with room leaves it. Runs, and rows of the depth the owner keeps, are
    // read as the file holds them, with room.
    const KXLOADFORM& form = picture.GetLoadForm();
    const bool converts = !layout.IsRunLength() && layout.bits != form.keptDepth &&
                          ChangesPixels(form, layout.bits, MasksOf(layout));
    const auto depth = converts ? form.depth : static_cast<std::uint16_t>(layout.bits);
    std::uint8_t* pixels = nullptr;
    std::uint32_t capacity = 0;
    if (!KXPICTURE::NewPixelBuffer(layout.width, layout.height, depth, pixels, capacity,
                                   converts ? 0 : RoomDepthFor(picture)))
        return REFUSAL::NOMEMORY;
    // The header's reading placed the size within the picture's bound.
    const std::size_t size =
        converts ? std::size_t{layout.width} * layout.height * (KXPICTURE::StorageBits(depth) / 8)
                 : PixelBytes(layout);
    KX_CHECK(size > 0 && size <= capacity, size, capacity);
    REFUSAL refusal = layout.IsRunLength()
                          ? ReadRuns(layout, readAt, pixels, size)
                          : ReadRows(layout, head, converts ? &form : nullptr, readAt, pixels, size);
    if (refusal == REFUSAL::NONE &&
        !picture.CreateWithPixels(layout.width, layout.height, depth, layout.paletteCount, pixels,
                                  capacity))
        refusal = REFUSAL::NOMEMORY;
    if (refusal != REFUSAL::NONE) {
        MemFreeBuffer(pixels, capacity);
        return refusal;
    }
    FinishPicture(layout, head, converts ? form.masks : MasksOf(layout), picture);
    return REFUSAL::NONE;
}

} // namespace bmp
