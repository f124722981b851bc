// Putting the pixels of a BMP file's uncompressed rows into a picture's pixel buffer, as
// they come: the whole data at once from memory, or piece by piece from a file, in the
// file's order, as they are or converted to another form. The file pads each row to 4 bytes and packs 1- and 4-bit pixels with the
// leftmost in a byte's highest bits; the picture keeps its rows one after the other,
// bottom row first, without padding, and the first pixel of a byte in its lowest bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kxpixel {
class CONVERSION;
}

namespace bmp {

// Puts 1- or 4-bit pixels packed as a file packs them into a picture's packed pixels:
// the bytes are turned into the picture's order (the bits of each byte reversed at 1 bit,
// its halves swapped at 4) and shifted to where the stretch starts, which need not be a
// byte boundary; eight bytes at a time where it is not, many where it is.
class PACKEDWRITER {
public:
    PACKEDWRITER(std::uint8_t* pixels, std::size_t size, unsigned bits);

    // Starts a stretch of count pixels from pixel index first. The bits of its first and
    // last byte that lie outside the stretch are kept as they are, so each must already
    // hold either zero or the pixels that belong there.
    void Begin(std::uint64_t first, std::uint64_t count);
    // The stretch's next bytes as the file packs them, no more than it has left; the bits
    // of its last byte beyond its last pixel are no pixels and are left out.
    void Put(const std::uint8_t* bytes, std::size_t count);

private:
    std::uint8_t* const data;
    const std::size_t dataSize;
    const unsigned bits;
    std::uint8_t* out = nullptr; // the byte that takes the next bits
    std::uint64_t left = 0;      // the bits the stretch has yet to take
    unsigned shift = 0;          // where in a byte of the picture the stretch's bits start
    std::uint64_t carry = 0;     // the bits for out that the last step left over
};

// The rows of an uncompressed file as the reader's headers describe them.
struct ROWSHAPE {
    std::uint32_t width;
    std::uint32_t height;
    unsigned bits;
    bool topDown;

    // The bytes of one row in the file, with and without its padding.
    std::uint64_t Stride() const { return (RowBits() + 31) / 32 * 4; }
    std::uint64_t RowBytes() const { return (RowBits() + 7) / 8; }
    // The file's pixel data: every row but the last with its padding.
    std::uint64_t FileBytes() const { return Stride() * (height - 1) + RowBytes(); }
    // The picture's pixel data.
    std::uint64_t PictureBytes() const { return (RowBits() * height + 7) / 8; }

private:
    std::uint64_t RowBits() const { return std::uint64_t{width} * bits; }
};

// Puts the file's pixel data, handed over in pieces in the file's order, into a new
// picture's pixel buffer of the shape's size: the padding is left out, top-down rows go
// in bottom row first and packed pixels into the picture's order. Given a conversion, it
// puts each row's pixels through it instead, into a buffer of the converted pixels
// (outBytes each): the picture's owner gets its own form without a second pass.
class ROWPLACER {
public:
    ROWPLACER(const ROWSHAPE& shape, std::uint8_t* pixels, std::size_t size);
    ROWPLACER(const ROWSHAPE& shape, const kxpixel::CONVERSION& conversion, unsigned outBytes,
              std::uint8_t* pixels, std::size_t size);

    // The next count bytes of the file's pixel data.
    void Place(const std::uint8_t* bytes, std::size_t count);
    // True once the whole pixel data were placed.
    bool IsWhole() const { return at == fileBytes; }

private:
    void PlaceInRow(std::uint64_t row, std::uint64_t column, const std::uint8_t* bytes,
                    std::size_t count);
    void ClearRowEnds();
    void ConvertInRow(std::uint64_t y, std::uint64_t column, const std::uint8_t* bytes,
                      std::size_t count);
    void ConvertPacked(std::uint8_t* out, std::uint64_t pixel, const std::uint8_t* bytes,
                       std::size_t count);

    const ROWSHAPE shape;
    std::uint8_t* const data;
    const std::uint64_t stride;
    const std::uint64_t rowBytes;
    const std::uint64_t fileBytes;
    // Rows the picture holds byte for byte as the file stores them.
    const bool contiguous;
    // Packed rows that fill whole bytes: each row starts on a byte of its own and every
    // byte of it is written whole, its pixels turned into the picture's order many bytes
    // at a time.
    const bool wholeBytes;
    PACKEDWRITER packed;
    std::uint64_t at = 0; // where in the file's pixel data the next piece starts
    const kxpixel::CONVERSION* const conversion = nullptr;
    const unsigned outBytes = 0;
    // The first bytes of a pixel that the last piece cut, at 16, 24 and 32 bits.
    std::uint8_t pending[4] = {};
    unsigned pendingBytes = 0;
};

} // namespace bmp
