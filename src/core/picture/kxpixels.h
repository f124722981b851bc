// Pixel storage as the picture's own code shares it: pixels of every depth read as packed
// values and written from colours, and whole buffers converted from one depth and set of
// masks to another. Internal to the core library. The conversion has a per-pixel path
// through KXCOLOR, which defines the result, and faster paths through tables that must
// give the same bytes; both stay callable so that the tests can hold one to the other.
#pragma once

#include "kxcolor.h"
#include "kxendian.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class KXPICTURE;

namespace kxpixel {

// Pixel buffers are little-endian whatever the machine.
using kxendian::Read16;
using kxendian::Read24;
using kxendian::Read32;
using kxendian::Write16;
using kxendian::Write24;
using kxendian::Write32;

// The depths a colour can be written into.
inline bool IsWritableDepth(std::uint16_t depth)
{
    return depth == 16 || depth == 24 || depth == 32 || depth == KXDEPTH_YCBCR24 ||
           depth == KXDEPTH_YCBCR32;
}

// The palette depths, whose values come in the default layout.
inline bool IsPaletteDepth(std::uint16_t depth)
{
    return depth == 1 || depth == 4 || depth == 8;
}

// Pixel i's palette index (1 and 4 bits) in the picture's order: least significant first.
inline std::uint32_t SubByteValue(const std::uint8_t* data, unsigned bits, std::uint64_t i)
{
    const std::uint64_t bit = i * bits;
    return (data[bit / 8] >> (bit % 8)) & ((1u << bits) - 1);
}

inline void SetSubByteValue(std::uint8_t* data, unsigned bits, std::uint64_t i, std::uint32_t v)
{
    const std::uint64_t bit = i * bits;
    const unsigned shift = bit % 8;
    const unsigned field = ((1u << bits) - 1) << shift;
    std::uint8_t& byte = data[bit / 8];
    byte = static_cast<std::uint8_t>((byte & ~field) | ((v << shift) & field));
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
        const std::uint8_t* entry = palette + 4 * std::size_t{index};
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
            const std::uint32_t v = SubByteValue(data, 1, i);
            return Indexed(v, v != 0 ? 0xFFFFFFu : 0u);
        }
        case 4: {
            // Without a palette a nibble reads as the grey of its level.
            const std::uint32_t v = SubByteValue(data, 4, i);
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

// Writes pixel i of a buffer of the depth from a colour that has the picture's masks;
// the palette depths and unknown codes are not written.
void WritePixel(std::uint8_t* data, std::uint16_t depth, std::uint32_t i, const KXCOLOR& colour);

// A buffer being converted into: its depth and the masks its pixels are packed through.
struct PIXELTARGET {
    std::uint8_t* data;
    std::uint16_t depth;
    KXMASKS masks;
};

// Converts count pixels one by one through a colour: pixels of the palette depths are
// taken in the default layout, the others decoded through sourceMasks; each is encoded
// through the target's masks. This defines the conversion.
void ConvertPerPixel(const PIXELSOURCE& source, const KXMASKS& sourceMasks,
                     const PIXELTARGET& target, std::uint32_t count);

// The same bytes as ConvertPerPixel, through tables wherever the formats allow; when
// memory for a table runs out, pixel by pixel. It never fails.
void Convert(const PIXELSOURCE& source, const KXMASKS& sourceMasks, const PIXELTARGET& target,
             std::uint32_t count);

// The same bytes as Convert, written into the source's own buffer of capacity bytes: the
// target's data is the source's, its pixels take at least as many bits, and the buffer
// has room for all of them (checked). Wider pixels are converted from the last one back,
// so that none is written over before it is read.
void ConvertWithin(const PIXELSOURCE& source, const KXMASKS& sourceMasks, const PIXELTARGET& target,
                   std::uint32_t count, std::uint64_t capacity);

// Masks that are each 0 or eight contiguous bits, pairwise apart: every channel of such
// a pixel is one byte moved by a shift, so no field needs scaling.
struct BYTEFIELDS {
    unsigned shift[4];
    std::uint32_t keep[4]; // 0xFF, or 0 for a channel the pixel does not hold

    // False when the masks are not of that kind.
    bool From(const KXMASKS& masks);
    std::uint32_t Channel(std::uint32_t pixel, int c) const
    {
        return (pixel >> shift[c]) & keep[c];
    }
    std::uint32_t Pack(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) const
    {
        return (r & keep[0]) << shift[0] | (g & keep[1]) << shift[1] | (b & keep[2]) << shift[2] |
               (a & keep[3]) << shift[3];
    }
};

struct ENCODER;

// A conversion from one format to another made ready once: its tables are built before
// any pixel is written, and it then converts any run of pixels, each run read as pixels
// 0, 1, 2, ... of the source's depth (1- and 4-bit pixels in the picture's order, from a
// whole byte), through the source's palette and masks, into a target of a writable depth.
// Convert is one run of it over a whole buffer; a loader runs one over the pieces of a
// file as they come. The source's and the target's data pointers are not used.
class CONVERSION {
public:
    // The road the formats allow, for a conversion of count pixels in all; pixel by
    // pixel, which needs no memory, when a table cannot be had.
    CONVERSION(const PIXELSOURCE& source, const KXMASKS& sourceMasks, const PIXELTARGET& target,
               std::uint32_t count);
    ~CONVERSION();
    CONVERSION(const CONVERSION&) = delete;
    CONVERSION& operator=(const CONVERSION&) = delete;

    // Converts count pixels at in into out: distinct buffers, or the same one when the
    // pixels keep their size.
    void Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const;

private:
    enum class ROAD : std::uint8_t { PERPIXEL, TABLE, MOVE, FIELDS };

    // Sources of 1, 4, 8 and 16 bits: every value the source can hold is converted once,
    // by the per-pixel path, and each pixel is then a copy of its value's converted bytes;
    // at 1 and 4 bits each source byte is one copy of its pixels' bytes.
    bool MakeTable(std::uint32_t count);
    // Both sides of 24 or 32 bits with byte masks: every channel is a byte moved from one
    // place to another, the commonest conversions (file layouts to the viewer's and back).
    bool MakeMove();
    // Sources of 24 and 32 bits whose masks are whole bytes: a channel needs no scaling on
    // the way in, and the packing into the target comes from a table per channel.
    bool MakeFields();

    PIXELSOURCE source;
    KXMASKS sourceMasks;
    std::uint16_t targetDepth;
    KXMASKS targetMasks;
    unsigned inSize;
    unsigned outSize;
    ROAD road = ROAD::PERPIXEL;
    std::vector<std::uint8_t> table;
    BYTEFIELDS from{};
    BYTEFIELDS to{};
    // Held on the heap: four tables of 256 entries are too large for a comfortable frame.
    std::unique_ptr<ENCODER> encoder;
};

// One averaging pass: the pixels averaged for each one, as steps in x and y in the order
// they are added up, the divisor, and the first row and column it smooths; it always
// stops one short of the last row and column.
struct SMOOTHPASS {
    unsigned first;
    int count;
    int dx[9];
    int dy[9];
    double divisor;
};

// The pass over 3, 5 or 9 pixels.
const SMOOTHPASS& SmoothPass(int points);

// The passes and the red-blue swap as they are defined: pixel by pixel through a colour
// that has the picture's masks. The picture must hold all its pixels (checked once a
// call).
void SmoothPerPixel(KXPICTURE& picture, const SMOOTHPASS& pass);
void SwapRedBluePerPixel(KXPICTURE& picture);
// The same, reading and writing the bytes directly where the masks allow it.
void Smooth(KXPICTURE& picture, const SMOOTHPASS& pass);
void SwapRedBlue(KXPICTURE& picture);

} // namespace kxpixel
