// Writing BMP files: rows padded to 4 bytes, the leftmost of several pixels in a byte's
// highest bits, the whole palette of a paletted depth, 16- and 32-bit pixels with bit
// fields that name the picture's own masks, or the standard ones where the picture's are
// the standard fields in another order. A 16-bit picture whose fields no file can carry
// is stored as 24 bits, blue, green, red.
#include "bmpcodec.h"
#include "bmplayout.h"
#include "bmpmasks.h"

#include "kxendian.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace bmp {
namespace {

bool IsWritable(std::uint16_t depth)
{
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// True when the picture's buffer holds every pixel of its size and depth: a picture whose
// width or height was raised without a new buffer is refused rather than read past its
// end.
bool HoldsPixels(const KXPICTURE& picture)
{
    const unsigned bits = KXPICTURE::StorageBits(picture.GetDepth());
    const std::uint64_t pixels = std::uint64_t{picture.GetWidth()} * picture.GetHeight();
    if (picture.GetData() == nullptr || pixels > (UINT64_MAX - 7) / bits)
        return false;
    return (pixels * bits + 7) / 8 <= picture.GetDataSize();
}

bool HasBgrMasks(const KXPICTURE& picture)
{
    return picture.GetRedMask() == 0xFF0000 && picture.GetGreenMask() == 0xFF00 &&
           picture.GetBlueMask() == 0xFF;
}

// The palette entries the file gets: all count of them, each as the picture shows that
// index. The picture's own entries go in as they are; an index beyond them, or every
// index of a picture without a palette, reads as the grey of its level (black and white
// at 1 bit), so other readers must find that grey in the file rather than guess.
void PutPalette(const KXPICTURE& picture, std::uint32_t count, std::uint8_t* out)
{
    const std::uint32_t own = std::min(picture.GetPaletteSize(), count);
    if (own > 0)
        std::memcpy(out, picture.GetPalette(), std::size_t{own} * 4);
    for (std::uint32_t v = own; v < count; ++v) {
        const std::uint32_t grey = v * 255 / (count - 1);
        std::memset(out + 4 * v, static_cast<int>(grey), 3);
        out[4 * v + 3] = 0;
    }
}

// Where a 16-bit picture's fields go in the file. Other readers take bit fields only in
// the two standard layouts, red at the top: a picture whose fields have the widths of
// one of them (the masks a new picture gets have red in the low bits) is re-packed into
// it, which loses nothing; any other set of fields is written as it is.
struct FIELDS16 {
    std::uint32_t from[3]; // the picture's red, green and blue masks
    std::uint32_t to[3];   // the file's

    void MoveTo(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
    {
        to[0] = red;
        to[1] = green;
        to[2] = blue;
    }
    bool Moves() const { return from[0] != to[0] || from[1] != to[1] || from[2] != to[2]; }
    std::uint16_t Repack(std::uint32_t pixel) const
    {
        std::uint32_t value = 0;
        for (int c = 0; c < 3; ++c)
            value |= (pixel & from[c]) >> std::countr_zero(from[c]) << std::countr_zero(to[c]);
        return static_cast<std::uint16_t>(value);
    }
};

// Whether a file can carry the three masks as 16-bit fields that every reader, this
// system's own among them, takes: the fields the reader itself checks a file's against.
bool CarriesFields16(const std::uint32_t (&masks)[3])
{
    return MasksAreSound({masks[0], masks[1], masks[2], 0}, 16);
}

bool AreDistinctFields(const std::uint32_t (&masks)[3])
{
    return CarriesFields16(masks) && masks[0] != 0 && masks[1] != 0 && masks[2] != 0;
}

FIELDS16 FileFields16(const KXPICTURE& picture)
{
    const std::uint32_t red = picture.GetRedMask();
    const std::uint32_t green = picture.GetGreenMask();
    const std::uint32_t blue = picture.GetBlueMask();
    FIELDS16 fields{{red, green, blue}, {red, green, blue}};
    if (!AreDistinctFields(fields.from) || std::popcount(red) != 5 || std::popcount(blue) != 5)
        return fields;
    if (std::popcount(green) == 6)
        fields.MoveTo(0xF800, 0x7E0, 0x1F);
    else if (std::popcount(green) == 5)
        fields.MoveTo(0x7C00, 0x3E0, 0x1F);
    return fields;
}

// The bits a pixel takes in the file: the picture's own, but 24 for a 16-bit picture whose
// fields no file can carry (they overlap, have gaps, reach past the pixel or hold no
// colour), so that the file reads back with the colours the picture shows.
std::uint16_t FileBits(const KXPICTURE& picture)
{
    const std::uint32_t masks[3] = {picture.GetRedMask(), picture.GetGreenMask(),
                                    picture.GetBlueMask()};
    if (picture.GetDepth() == 16 && !CarriesFields16(masks))
        return 24;
    return picture.GetDepth();
}

// One row of 1- or 4-bit pixels, from the picture's order into the file's.
void PackRow(const KXPICTURE& picture, std::uint32_t y, std::uint8_t* out)
{
    const unsigned bits = picture.GetDepth();
    const unsigned perByte = 8 / bits;
    const std::uint8_t* data = picture.GetData();
    const std::size_t first = std::size_t{picture.GetWidth()} * y;
    for (std::uint32_t x = 0; x < picture.GetWidth(); ++x) {
        const std::size_t i = first + x;
        const unsigned v =
            bits == 1 ? data[i / 8] >> (i % 8) & 1 : data[i / 2] >> (i % 2 == 0 ? 0 : 4) & 0xF;
        out[x / perByte] |= static_cast<std::uint8_t>(v << (8 - bits * (x % perByte + 1)));
    }
}

// One row of 24-bit file pixels from a picture that does not hold them so (other masks,
// or 16 bits): each pixel is decoded through the picture's masks and stored blue,
// green, red.
void ConvertRow(const KXPICTURE& picture, std::uint32_t y, std::uint8_t* out)
{
    KXCOLOR colour;
    colour.SetMasks(picture.GetRedMask(), picture.GetGreenMask(), picture.GetBlueMask(), 0);
    const std::uint32_t first = picture.GetWidth() * y;
    for (std::uint32_t x = 0; x < picture.GetWidth(); ++x) {
        picture.GetPixel(first + x, colour);
        out[3 * x] = colour.GetB();
        out[3 * x + 1] = colour.GetG();
        out[3 * x + 2] = colour.GetR();
    }
}

// One row of 16-bit pixels with their fields moved to where the file has them.
void RepackRow(const KXPICTURE& picture, const FIELDS16& fields, std::uint32_t y, std::uint8_t* out)
{
    const std::uint8_t* data = picture.GetData() + std::size_t{2} * picture.GetWidth() * y;
    for (std::uint32_t x = 0; x < picture.GetWidth(); ++x)
        kxendian::Write16(out + 2 * x, fields.Repack(kxendian::Read16(data + 2 * x)));
}

// Appends the rows, bottom row first, each padded with zeros to stride bytes. Rows the
// picture holds as the file stores them go in as one block: nothing is written twice.
void AppendRows(const KXPICTURE& picture, unsigned bits, std::size_t stride,
                std::vector<std::uint8_t>& out)
{
    const std::size_t rowBytes = std::size_t{picture.GetWidth()} * bits / 8;
    const FIELDS16 fields = FileFields16(picture);
    const bool repack = bits == 16 && fields.Moves();
    const bool convert =
        (bits == 24 && (picture.GetDepth() != 24 || !HasBgrMasks(picture))) || repack;
    const std::uint8_t* data = picture.GetData();
    if (bits >= 8 && !convert && rowBytes == stride) {
        out.insert(out.end(), data, data + stride * picture.GetHeight());
        return;
    }
    std::vector<std::uint8_t> row(stride);
    for (std::uint32_t y = 0; y < picture.GetHeight(); ++y) {
        std::fill(row.begin(), row.end(), 0);
        if (bits < 8)
            PackRow(picture, y, row.data());
        else if (repack)
            RepackRow(picture, fields, y, row.data());
        else if (convert)
            ConvertRow(picture, y, row.data());
        else
            std::memcpy(row.data(), data + rowBytes * y, rowBytes);
        out.insert(out.end(), row.begin(), row.end());
    }
}

// The file header, the information header, the bit fields and the palette: offset bytes
// from h on, which start zeroed.
void PutHeaders(const KXPICTURE& picture, std::uint16_t bits, std::uint64_t offset,
                std::uint64_t imageSize, std::uint32_t paletteCount, std::uint8_t* h)
{
    namespace L = layout;
    const bool bitFields = bits == 16 || bits == 32;
    h[L::kSignature] = 'B';
    h[L::kSignature + 1] = 'M';
    kxendian::Write32(h + L::kFileSize, static_cast<std::uint32_t>(offset + imageSize));
    kxendian::Write32(h + L::kPixelOffset, static_cast<std::uint32_t>(offset));
    kxendian::Write32(h + L::kHeaderSize, L::kInfoHeader);
    kxendian::Write32(h + L::kWidth, picture.GetWidth());
    kxendian::Write32(h + L::kHeight, picture.GetHeight());
    kxendian::Write16(h + L::kPlanes, 1);
    kxendian::Write16(h + L::kBitCount, bits);
    kxendian::Write32(h + L::kCompression, bitFields ? L::kBitFields : L::kRgb);
    kxendian::Write32(h + L::kImageSize, static_cast<std::uint32_t>(imageSize));
    kxendian::Write32(h + L::kXResolution,
                      static_cast<std::uint32_t>(picture.GetXResolution()));
    kxendian::Write32(h + L::kYResolution,
                      static_cast<std::uint32_t>(picture.GetYResolution()));
    kxendian::Write32(h + L::kColorsUsed, paletteCount);
    kxendian::Write32(h + L::kColorsImportant, paletteCount);
    if (bits == 16) {
        const FIELDS16 fields = FileFields16(picture);
        kxendian::Write32(h + L::kRedMask, fields.to[0]);
        kxendian::Write32(h + L::kGreenMask, fields.to[1]);
        kxendian::Write32(h + L::kBlueMask, fields.to[2]);
    } else if (bitFields) {
        kxendian::Write32(h + L::kRedMask, picture.GetRedMask());
        kxendian::Write32(h + L::kGreenMask, picture.GetGreenMask());
        kxendian::Write32(h + L::kBlueMask, picture.GetBlueMask());
    }
    if (paletteCount > 0)
        PutPalette(picture, paletteCount, h + L::kInfoHeaderEnd);
}

} // namespace

bool Encode(const KXPICTURE& picture, std::vector<std::uint8_t>& out)
{
    namespace L = layout;
    out.clear();
    if (!IsWritable(picture.GetDepth()) || picture.GetWidth() == 0 || picture.GetHeight() == 0 ||
        !HoldsPixels(picture))
        return false;
    const std::uint16_t bits = FileBits(picture);

    const bool bitFields = bits == 16 || bits == 32;
    std::uint32_t paletteCount = 0;
    if (bits <= 8)
        paletteCount = 1u << bits;
    const std::uint64_t offset =
        L::kInfoHeaderEnd + (bitFields ? 12 : 0) + 4 * std::uint64_t{paletteCount};
    const std::uint64_t stride = (std::uint64_t{picture.GetWidth()} * bits + 31) / 32 * 4;
    const std::uint64_t imageSize = stride * picture.GetHeight();
    if (offset + imageSize > 0xFFFFFFFFu)
        return false;

    try {
        out.reserve(offset + imageSize);
        out.resize(offset);
        PutHeaders(picture, bits, offset, imageSize, paletteCount, out.data());
        AppendRows(picture, bits, stride, out);
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
    return true;
}

} // namespace bmp
