#include "bmprows.h"

#include "bmpbitorder.h"
#include "bmpcopy.h"

#include "kxassert.h"
#include "kxpixels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace bmp {

PACKEDWRITER::PACKEDWRITER(std::uint8_t* pixels, std::size_t size, unsigned bits)
    : data(pixels), dataSize(size), bits(bits)
{}

void PACKEDWRITER::Begin(std::uint64_t first, std::uint64_t count)
{
    const std::uint64_t bit = first * bits;
    KX_CHECK(bits == 1 || bits == 4, bits);
    KX_CHECK(count > 0 && (bit + count * bits + 7) / 8 <= dataSize, first, count, dataSize);
    out = data + bit / 8;
    shift = static_cast<unsigned>(bit % 8);
    left = count * bits;
    // The bits below the stretch in its first byte go back as they were.
    carry = shift == 0 ? 0 : *out & ((1u << shift) - 1);
}

void PACKEDWRITER::Put(const std::uint8_t* bytes, std::size_t count)
{
    KX_CHECK(count <= (left + 7) / 8, count, left);
    // The stretch's state in locals: the bytes written could alias the writer's members,
    // which would be stored and loaded again at every step.
    std::uint8_t* to = out;
    std::uint64_t bitsLeft = left;
    std::uint64_t over = carry;
    // A stretch that starts on a byte boundary takes whole bytes as they come, many at a
    // time, all but its last byte.
    if (shift == 0 && count > 0 && bitsLeft > 8) {
        const std::size_t whole =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, (bitsLeft - 1) / 8));
        ToPictureOrder(bytes, to, whole, bits);
        bytes += whole;
        to += whole;
        count -= whole;
        bitsLeft -= std::uint64_t{whole} * 8;
    }
    // Whole words while more than one word's bits are left, so that the eight bytes
    // written hold nothing but the stretch's pixels. A little-endian word holds the
    // bytes' bits in the order the picture keeps pixels.
    if constexpr (std::endian::native == std::endian::little) {
        for (; count >= 8 && bitsLeft > 64; count -= 8, bytes += 8, to += 8, bitsLeft -= 64) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes, 8);
            word = ToPictureOrder(word, bits);
            const std::uint64_t placed = over | word << shift;
            std::memcpy(to, &placed, 8);
            over = shift == 0 ? 0 : word >> (64 - shift);
        }
    }
    for (; count > 0 && bitsLeft > 8; --count, ++bytes, bitsLeft -= 8) {
        const std::uint64_t placed = over | ToPictureOrder(*bytes, bits) << shift;
        *to++ = static_cast<std::uint8_t>(placed);
        over = placed >> 8;
    }
    out = to;
    left = bitsLeft;
    carry = over;
    if (count == 0)
        return;
    // The stretch's last byte: only its first left bits are pixels, and the bits of the
    // picture's byte beyond them belong to other pixels.
    std::uint64_t placed = carry | (ToPictureOrder(*bytes, bits) & ((1u << left) - 1)) << shift;
    std::uint64_t pending = shift + left;
    if (pending >= 8) {
        *out++ = static_cast<std::uint8_t>(placed);
        placed >>= 8;
        pending -= 8;
    }
    if (pending > 0)
        *out |= static_cast<std::uint8_t>(placed);
    left = 0;
}

ROWPLACER::ROWPLACER(const ROWSHAPE& shape, std::uint8_t* pixels, std::size_t size)
    : shape(shape), data(pixels), stride(shape.Stride()), rowBytes(shape.RowBytes()),
      fileBytes(shape.FileBytes()),
      contiguous(!shape.topDown && shape.bits >= 8 && stride == rowBytes),
      wholeBytes(shape.bits < 8 && std::uint64_t{shape.width} * shape.bits % 8 == 0),
      packed(pixels, size, shape.bits)
{
    KX_CHECK(shape.height > 0 && shape.PictureBytes() <= size, shape.height, shape.PictureBytes(),
             size);
    if (shape.bits < 8 && !wholeBytes)
        ClearRowEnds();
}

ROWPLACER::ROWPLACER(const ROWSHAPE& shape, const kxpixel::CONVERSION& conversion,
                     unsigned outBytes, std::uint8_t* pixels, std::size_t size)
    : shape(shape), data(pixels), stride(shape.Stride()), rowBytes(shape.RowBytes()),
      fileBytes(shape.FileBytes()), contiguous(false), wholeBytes(false), packed(pixels, size, 1),
      conversion(&conversion), outBytes(outBytes)
{
    // Converted rows are written whole by the conversion: the packed writer is not used.
    KX_CHECK(shape.height > 0 && (shape.bits % 8 == 0 || shape.bits == 1 || shape.bits == 4) &&
                 std::uint64_t{shape.width} * shape.height * outBytes <= size,
             shape.height, shape.bits, outBytes, size);
}

// The first and last byte of each row of packed pixels may hold pixels of the rows beside
// it, which the writer keeps: they start as zero. Every other byte is written whole.
void ROWPLACER::ClearRowEnds()
{
    const std::uint64_t rowBits = std::uint64_t{shape.width} * shape.bits;
    for (std::uint64_t y = 0; y < shape.height; ++y) {
        data[y * rowBits / 8] = 0;
        data[((y + 1) * rowBits - 1) / 8] = 0;
    }
}

void ROWPLACER::Place(const std::uint8_t* bytes, std::size_t count)
{
    KX_CHECK(count <= fileBytes - at, count, fileBytes, at);
    if (contiguous) {
        CopyBytes(data + at, bytes, count);
        at += count;
        return;
    }
    // Where the piece starts, then row by row from there.
    std::uint64_t row = at / stride;
    std::uint64_t column = at % stride;
    at += count;
    for (; count > 0; ++row, column = 0) {
        const std::size_t inRow =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, stride - column));
        if (column < rowBytes)
            PlaceInRow(row, column, bytes,
                       static_cast<std::size_t>(std::min<std::uint64_t>(inRow, rowBytes - column)));
        bytes += inRow;
        count -= inRow;
    }
}

void ROWPLACER::PlaceInRow(std::uint64_t row, std::uint64_t column, const std::uint8_t* bytes,
                           std::size_t count)
{
    const std::uint64_t y = shape.topDown ? shape.height - 1 - row : row;
    if (conversion != nullptr) {
        ConvertInRow(y, column, bytes, count);
        return;
    }
    if (shape.bits >= 8) {
        CopyBytes(data + y * rowBytes + column, bytes, count);
        return;
    }
    if (wholeBytes) {
        ToPictureOrder(bytes, data + y * rowBytes + column, count, shape.bits);
        return;
    }
    if (column == 0)
        packed.Begin(y * shape.width, shape.width);
    packed.Put(bytes, count);
}

// A stretch of row y's file bytes from column on, converted into the picture's row y. A
// pixel that a piece cuts waits in pending for the rest of its bytes; 1- and 4-bit pixels
// never straddle a byte.
void ROWPLACER::ConvertInRow(std::uint64_t y, std::uint64_t column, const std::uint8_t* bytes,
                             std::size_t count)
{
    std::uint8_t* out = data + y * shape.width * outBytes;
    if (shape.bits < 8) {
        ConvertPacked(out, column * 8 / shape.bits, bytes, count);
        return;
    }
    const unsigned size = shape.bits / 8;
    if (pendingBytes > 0) {
        const std::size_t take = std::min<std::size_t>(count, size - pendingBytes);
        std::memcpy(pending + pendingBytes, bytes, take);
        pendingBytes += static_cast<unsigned>(take);
        bytes += take;
        count -= take;
        column += take;
        if (pendingBytes < size)
            return;
        conversion->Run(pending, out + (column / size - 1) * outBytes, 1);
        pendingBytes = 0;
    }
    const std::size_t whole = count / size;
    if (whole > 0)
        conversion->Run(bytes, out + column / size * outBytes, static_cast<std::uint32_t>(whole));
    pendingBytes = static_cast<unsigned>(count - whole * size);
    std::memcpy(pending, bytes + whole * size, pendingBytes);
}

// Whole bytes of 1- or 4-bit pixels from pixel on, turned into the picture's order a
// small stretch at a time and converted from there; the bits of the row's last byte
// beyond its last pixel are left out.
void ROWPLACER::ConvertPacked(std::uint8_t* out, std::uint64_t pixel, const std::uint8_t* bytes,
                              std::size_t count)
{
    const unsigned perByte = 8 / shape.bits;
    std::uint8_t ordered[256];
    while (count > 0) {
        const std::size_t n = std::min(count, sizeof ordered);
        ToPictureOrder(bytes, ordered, n, shape.bits);
        const std::uint64_t pixels = std::min<std::uint64_t>(n * perByte, shape.width - pixel);
        conversion->Run(ordered, out + pixel * outBytes, static_cast<std::uint32_t>(pixels));
        pixel += pixels;
        bytes += n;
        count -= n;
    }
}

} // namespace bmp
