#include "kxpixels.h"

#include "kxassert.h"
#include "kxpicture.h"
#include "kxsys.h"

#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <vector>


#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kxpixel {

namespace {

// Below this many pixels a 16-bit picture converts faster one by one than through a
// table of all 65536 values.
constexpr std::uint32_t smallestTabled16 = 65536;

unsigned BytesPerPixel(std::uint16_t depth)
{
    return KXPICTURE::StorageBits(depth) / 8;
}

// The raw value of pixel i of a depth whose pixels take few values.
std::uint32_t RawValue(const std::uint8_t* data, std::uint16_t depth, std::uint32_t i)
{
    switch (depth) {
    case 8:
        return data[i];
    case 16:
        return Read16(data + 2 * std::size_t{i});
    default:
        return SubByteValue(data, depth, i);
    }
}

void SetRawValue(std::uint8_t* data, std::uint16_t depth, std::uint32_t i, std::uint32_t v)
{
    switch (depth) {
    case 8:
        data[i] = static_cast<std::uint8_t>(v);
        break;
    case 16:
        Write16(data + 2 * std::size_t{i}, v);
        break;
    default:
        SetSubByteValue(data, depth, i, v);
        break;
    }
}

// The table of a source of 1 or 4 bits, from the converted bytes of each of its values:
// for each byte of the source, the converted bytes of the pixels it carries, in the
// picture's order (the first pixel in the lowest bits).
std::vector<std::uint8_t> PerByte(const std::vector<std::uint8_t>& perValue, unsigned bits,
                                  unsigned size)
{
    const unsigned perByte = 8 / bits;
    const std::size_t entry = std::size_t{perByte} * size;
    std::vector<std::uint8_t> table(256 * entry);
    for (unsigned byte = 0; byte < 256; ++byte) {
        const auto pixels = static_cast<std::uint8_t>(byte);
        for (unsigned k = 0; k < perByte; ++k)
            std::memcpy(table.data() + byte * entry + std::size_t{k} * size,
                        perValue.data() + std::size_t{SubByteValue(&pixels, bits, k)} * size,
                        size);
    }
    return table;
}

// Pixels of 1 or 4 bits a whole source byte at a time, through the table PerByte makes:
// one copy of a fixed size per byte. The conversion reads a picture's pixels as one
// sequence (its rows are unpadded, so a row may start inside a byte, which changes
// nothing here), and every run it hands over starts on a byte of its own: pixel 0, or a
// multiple of 8 pixels in ConvertWithin. The pixels after the last whole byte are the
// first ones of that byte's entry; the bits past them belong to no pixel.
template <unsigned size, unsigned bits>
void CopyBytesFromTable(const std::uint8_t* in, const std::uint8_t* table, std::uint8_t* out,
                        std::uint32_t count)
{
    constexpr unsigned perByte = 8 / bits;
    constexpr std::size_t entry = std::size_t{perByte} * size;
    const std::uint32_t whole = count / perByte;
    for (std::uint32_t b = 0; b < whole; ++b)
        std::memcpy(out + b * entry, table + std::size_t{in[b]} * entry, entry);
    if (const std::uint32_t rest = count - whole * perByte; rest > 0)
        std::memcpy(out + whole * entry, table + std::size_t{in[whole]} * entry,
                    std::size_t{rest} * size);
}

template <unsigned size>
void CopyFromTable(const PIXELSOURCE& source, const std::uint8_t* table, std::uint8_t* out,
                   std::uint32_t count)
{
    if (source.depth == 1) {
        CopyBytesFromTable<size, 1>(source.data, table, out, count);
        return;
    }
    if (source.depth == 4) {
        CopyBytesFromTable<size, 4>(source.data, table, out, count);
        return;
    }
    // Palette indices of 8 bits into 32-bit pixels, the viewer's display form: a plain
    // lookup per byte.
    if constexpr (size == 4) {
        if (source.depth == 8) {
            std::uint32_t words[256];
            std::memcpy(words, table, sizeof words);
            // Four indices read as one word and two pixels written as one: the loop is
            // bound by its loads and stores, not by the lookups.
            std::uint32_t i = 0;
            for (; std::endian::native == std::endian::little && i + 4 <= count; i += 4) {
                std::uint32_t indices = 0;
                std::memcpy(&indices, source.data + i, 4);
                const std::uint64_t pair[2] = {
                    words[indices & 0xFF] | std::uint64_t{words[indices >> 8 & 0xFF]} << 32,
                    words[indices >> 16 & 0xFF] | std::uint64_t{words[indices >> 24]} << 32};
                std::memcpy(out + std::size_t{i} * 4, pair, sizeof pair);
            }
            for (; i < count; ++i)
                std::memcpy(out + std::size_t{i} * 4, &words[source.data[i]], 4);
            return;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i)
        std::memcpy(out + std::size_t{i} * size,
                    table + std::size_t{RawValue(source.data, source.depth, i)} * size, size);
}

} // namespace

// The packed fields of each channel value in a target of 16, 24 or 32 bits whose masks do
// not overlap, so that a pixel is the OR of its channels' entries. The channels a depth
// does not pack (alpha at 16 bits) stay 0.
struct ENCODER {
    std::uint32_t field[4][256];

    bool From(const PIXELTARGET& target)
    {
        const std::uint16_t d = target.depth;
        if (d != 16 && d != 24 && d != 32)
            return false;
        const std::uint32_t masks[4] = {target.masks.red, target.masks.green, target.masks.blue,
                                        d == 16 ? 0 : target.masks.alpha};
        for (int c = 0; c < 4; ++c) {
            for (int other = c + 1; other < 4; ++other)
                if ((masks[c] & masks[other]) != 0)
                    return false;
        }
        for (int c = 0; c < 4; ++c) {
            for (unsigned v = 0; v < 256; ++v) {
                field[c][v] = 0;
                KXCOLOR::PackChannel(field[c][v], masks[c], static_cast<std::uint8_t>(v));
            }
        }
        return true;
    }

    std::uint32_t Pack(const BYTEFIELDS& from, std::uint32_t pixel) const
    {
        return field[0][from.Channel(pixel, 0)] | field[1][from.Channel(pixel, 1)] |
               field[2][from.Channel(pixel, 2)] | field[3][from.Channel(pixel, 3)];
    }
};

namespace {

template <unsigned size> std::uint32_t ReadSized(const std::uint8_t* p)
{
    if constexpr (size == 4)
        return Read32(p);
    else if constexpr (size == 3)
        return Read24(p);
    else
        return Read16(p);
}

template <unsigned inSize, unsigned outSize>
void ConvertFields(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count,
                   const BYTEFIELDS& from, const ENCODER& to)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t pixel = ReadSized<inSize>(in + std::size_t{i} * inSize);
        const std::uint32_t packed = to.Pack(from, pixel);
        std::uint8_t* p = out + std::size_t{i} * outSize;
        if constexpr (outSize == 4)
            Write32(p, packed);
        else if constexpr (outSize == 3)
            Write24(p, packed);
        else
            Write16(p, packed);
    }
}

template <unsigned inSize>
void ConvertFieldsTo(const std::uint8_t* in, const PIXELTARGET& target, std::uint32_t count,
                     const BYTEFIELDS& from, const ENCODER& to)
{
    switch (BytesPerPixel(target.depth)) {
    case 2:
        ConvertFields<inSize, 2>(in, target.data, count, from, to);
        break;
    case 3:
        ConvertFields<inSize, 3>(in, target.data, count, from, to);
        break;
    default:
        ConvertFields<inSize, 4>(in, target.data, count, from, to);
        break;
    }
}

// Both sides of 24 or 32 bits with byte masks: every channel is a byte moved from one
// place to another, the commonest conversions (file layouts to the viewer's and back).
// The bits of the channels that sit in the same place on both sides, and whether every
// other channel is missing from the source or from the target: then a pixel converts by
// keeping those bits.
bool SamePlaces(const BYTEFIELDS& from, const BYTEFIELDS& to, std::uint32_t& kept)
{
    kept = 0;
    for (int c = 0; c < 4; ++c) {
        if (from.keep[c] == 0 || to.keep[c] == 0)
            continue;
        if (from.shift[c] != to.shift[c])
            return false;
        kept |= 0xFFu << from.shift[c];
    }
    return true;
}

#if defined(__x86_64__)
// The same four pixels at a time with one byte shuffle, on processors that have it (every
// x86-64 processor of the last fifteen years). It reads 16 bytes for 12, so it stops
// while 4 bytes beyond the last four pixels remain in the buffer.
__attribute__((target("ssse3"))) std::uint32_t WidenKeepingShuffled(const std::uint8_t* in,
                                                                    std::uint8_t* out,
                                                                    std::uint32_t count,
                                                                    std::uint32_t kept)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i keep = _mm_set1_epi32(static_cast<int>(kept & 0xFFFFFFu));
    std::uint32_t i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i bytes =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + std::size_t{i} * 3));
        const __m128i pixels = _mm_and_si128(_mm_shuffle_epi8(bytes, spread), keep);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + std::size_t{i} * 4), pixels);
    }
    return i;
}

// Eight pixels at a time, four in each half of a 256-bit register, where the processor
// has them. It reads 16 bytes at the fifth pixel, so it stops while 6 bytes beyond the
// last eight pixels remain in the buffer.
__attribute__((target("avx2"))) std::uint32_t WidenKeepingShuffledWide(const std::uint8_t* in,
                                                                       std::uint8_t* out,
                                                                       std::uint32_t count,
                                                                       std::uint32_t kept)
{
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,
                                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i keep = _mm256_set1_epi32(static_cast<int>(kept & 0xFFFFFFu));
    std::uint32_t i = 0;
    for (; i + 10 <= count; i += 8) {
        const std::uint8_t* from = in + std::size_t{i} * 3;
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12)), 1);
        const __m256i pixels = _mm256_and_si256(_mm256_shuffle_epi8(bytes, spread), keep);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + std::size_t{i} * 4), pixels);
    }
    return i;
}
#endif

// 24-bit pixels into 32-bit ones whose channels keep their places: four pixels at a
// time from three words, each pixel its three bytes with the bits kept.
std::uint32_t WidenKeeping(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count,
                           std::uint32_t kept)
{
    std::uint32_t i = 0;
#if defined(__x86_64__)
    if (kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::avx2))
        i = WidenKeepingShuffledWide(in, out, count, kept);
    if (kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::ssse3))
        i += WidenKeepingShuffled(in + std::size_t{i} * 3, out + std::size_t{i} * 4, count - i,
                                  kept);
#endif
    for (; i + 4 <= count; i += 4) {
        std::uint32_t w[3];
        std::memcpy(w, in + std::size_t{i} * 3, sizeof w);
        const std::uint32_t pixels[4] = {w[0], w[0] >> 24 | w[1] << 8, w[1] >> 16 | w[2] << 16,
                                         w[2] >> 8};
        for (std::uint32_t k = 0; k < 4; ++k) {
            const std::uint32_t moved = pixels[k] & 0xFFFFFFu & kept;
            std::memcpy(out + (std::size_t{i} + k) * 4, &moved, 4);
        }
    }
    return i;
}

template <unsigned inSize, unsigned outSize>
void MoveBytes(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count,
               const BYTEFIELDS& from, const BYTEFIELDS& to)
{
    std::uint32_t kept = 0;
    const bool inPlace = SamePlaces(from, to, kept);
    if constexpr (inSize == 3 && outSize == 4 && std::endian::native == std::endian::little) {
        if (inPlace) {
            const std::uint32_t done = WidenKeeping(in, out, count, kept);
            in += std::size_t{done} * 3;
            out += std::size_t{done} * 4;
            count -= done;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t pixel = ReadSized<inSize>(in + std::size_t{i} * inSize);
        const std::uint32_t moved = inPlace
                                        ? pixel & kept
                                        : to.Pack(from.Channel(pixel, 0), from.Channel(pixel, 1),
                                                  from.Channel(pixel, 2), from.Channel(pixel, 3));
        if constexpr (outSize == 4)
            Write32(out + std::size_t{i} * outSize, moved);
        else
            Write24(out + std::size_t{i} * outSize, moved);
    }
}

} // namespace

CONVERSION::CONVERSION(const PIXELSOURCE& source, const KXMASKS& sourceMasks,
                       const PIXELTARGET& target, std::uint32_t count)
    : source(source), sourceMasks(sourceMasks), targetDepth(target.depth),
      targetMasks(target.masks), inSize(BytesPerPixel(source.depth)),
      outSize(BytesPerPixel(target.depth))
{
    try {
        if (MakeTable(count))
            road = ROAD::TABLE;
        else if (MakeMove())
            road = ROAD::MOVE;
        else if (MakeFields())
            road = ROAD::FIELDS;
    } catch (const std::bad_alloc&) {
        road = ROAD::PERPIXEL;
    }
}

CONVERSION::~CONVERSION() = default;

bool CONVERSION::MakeTable(std::uint32_t count)
{
    const std::uint16_t depth = source.depth;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16)
        return false;
    if (depth == 16 && count < smallestTabled16)
        return false;
    if (outSize != 2 && outSize != 3 && outSize != 4)
        return false;
    const std::uint32_t values = 1u << depth;
    std::vector<std::uint8_t> every((std::size_t{values} * depth + 7) / 8);
    for (std::uint32_t v = 0; v < values; ++v)
        SetRawValue(every.data(), depth, v, v);
    table.resize(std::size_t{values} * outSize);
    const PIXELSOURCE allValues{every.data(), depth, source.palette, source.paletteCount};
    ConvertPerPixel(allValues, sourceMasks, {table.data(), targetDepth, targetMasks}, values);
    if (depth < 8)
        table = PerByte(table, depth, outSize);
    return true;
}

bool CONVERSION::MakeMove()
{
    return (inSize == 3 || inSize == 4) && (targetDepth == 24 || targetDepth == 32) &&
           from.From(sourceMasks) && to.From(targetMasks);
}

bool CONVERSION::MakeFields()
{
    if ((inSize != 3 && inSize != 4) || !from.From(sourceMasks))
        return false;
    encoder = std::make_unique<ENCODER>();
    return encoder->From({nullptr, targetDepth, targetMasks});
}

void CONVERSION::Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const
{
    const PIXELSOURCE run{in, source.depth, source.palette, source.paletteCount};
    const PIXELTARGET into{out, targetDepth, targetMasks};
    switch (road) {
    case ROAD::TABLE:
        if (outSize == 2)
            CopyFromTable<2>(run, table.data(), out, count);
        else if (outSize == 3)
            CopyFromTable<3>(run, table.data(), out, count);
        else
            CopyFromTable<4>(run, table.data(), out, count);
        break;
    case ROAD::MOVE:
        if (inSize == 3 && targetDepth == 24)
            MoveBytes<3, 3>(in, out, count, from, to);
        else if (inSize == 3)
            MoveBytes<3, 4>(in, out, count, from, to);
        else if (targetDepth == 24)
            MoveBytes<4, 3>(in, out, count, from, to);
        else
            MoveBytes<4, 4>(in, out, count, from, to);
        break;
    case ROAD::FIELDS:
        if (inSize == 3)
            ConvertFieldsTo<3>(in, into, count, from, *encoder);
        else
            ConvertFieldsTo<4>(in, into, count, from, *encoder);
        break;
    case ROAD::PERPIXEL:
        ConvertPerPixel(run, sourceMasks, into, count);
        break;
    }
}

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

void ConvertPerPixel(const PIXELSOURCE& source, const KXMASKS& sourceMasks,
                     const PIXELTARGET& target, std::uint32_t count)
{
    KXCOLOR from;
    if (!IsPaletteDepth(source.depth))
        from.SetMasks(sourceMasks.red, sourceMasks.green, sourceMasks.blue, sourceMasks.alpha);
    KXCOLOR colour;
    colour.SetMasks(target.masks.red, target.masks.green, target.masks.blue, target.masks.alpha);
    for (std::uint32_t i = 0; i < count; ++i) {
        from.SetFromPixel(source.Packed(i));
        colour = from;
        WritePixel(target.data, target.depth, i, colour);
    }
}

void Convert(const PIXELSOURCE& source, const KXMASKS& sourceMasks, const PIXELTARGET& target,
             std::uint32_t count)
{
    if (count == 0 || !IsWritableDepth(target.depth))
        return;
    CONVERSION(source, sourceMasks, target, count).Run(source.data, target.data, count);
}

void ConvertWithin(const PIXELSOURCE& source, const KXMASKS& sourceMasks, const PIXELTARGET& target,
                   std::uint32_t count, std::uint64_t capacity)
{
    if (count == 0 || !IsWritableDepth(target.depth))
        return;
    const unsigned inBits = KXPICTURE::StorageBits(source.depth);
    const unsigned outBits = KXPICTURE::StorageBits(target.depth);
    // Every converted pixel lands in the one buffer, each no narrower than it was.
    KX_CHECK(target.data == source.data && inBits <= outBits &&
                 (std::uint64_t{count} * outBits + 7) / 8 <= capacity,
             inBits, outBits, count, capacity);
    const CONVERSION conversion(source, sourceMasks, target, count);
    if (inBits == outBits) {
        conversion.Run(source.data, target.data, count);
        return;
    }
    // Back to front, a run at a time: each run's source bytes are copied aside first, and
    // its pixels then written where they belong, which covers only its own source bytes
    // and those of the runs after it, already converted. The runs start on whole bytes of
    // the source (a multiple of 8 pixels), so that 1- and 4-bit pixels start one too.
    constexpr std::uint32_t runPixels = 2048;
    static_assert(runPixels % 8 == 0);
    std::uint8_t aside[runPixels * 4];
    std::uint32_t first = (count - 1) / runPixels * runPixels;
    std::uint32_t end = count;
    for (;;) {
        const std::uint32_t n = end - first;
        std::memcpy(aside, source.data + std::size_t{first} * inBits / 8,
                    (std::size_t{n} * inBits + 7) / 8);
        conversion.Run(aside, target.data + std::size_t{first} * outBits / 8, n);
        if (first == 0)
            break;
        end = first;
        first -= runPixels;
    }
}

bool BYTEFIELDS::From(const KXMASKS& masks)
{
    const std::uint32_t all[4] = {masks.red, masks.green, masks.blue, masks.alpha};
    std::uint32_t taken = 0;
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t mask = all[c];
        const unsigned s = mask == 0 ? 0 : std::countr_zero(mask);
        if ((mask != 0 && (s > 24 || mask != 0xFFu << s)) || (taken & mask) != 0)
            return false;
        taken |= mask;
        shift[c] = s;
        keep[c] = mask == 0 ? 0 : 0xFF;
    }
    return true;
}

} // namespace kxpixel
