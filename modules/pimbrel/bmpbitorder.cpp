#include "bmpbitorder.h"

#include "kxsys.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace bmp {
namespace {

#if defined(__x86_64__)
// Sixteen bytes with the word's masks and shifts (SSE2, which every x86-64 processor has).
__m128i ToPictureOrder(__m128i v, unsigned bits)
{
    if (bits == 1) {
        const __m128i ones = _mm_set1_epi8(0x55);
        const __m128i twos = _mm_set1_epi8(0x33);
        v = _mm_or_si128(_mm_and_si128(_mm_srli_epi64(v, 1), ones),
                         _mm_slli_epi64(_mm_and_si128(v, ones), 1));
        v = _mm_or_si128(_mm_and_si128(_mm_srli_epi64(v, 2), twos),
                         _mm_slli_epi64(_mm_and_si128(v, twos), 2));
    }
    const __m128i halves = _mm_set1_epi8(0x0F);
    return _mm_or_si128(_mm_and_si128(_mm_srli_epi64(v, 4), halves),
                        _mm_slli_epi64(_mm_and_si128(v, halves), 4));
}

// At least 16 bytes, sixteen at a time. The last sixteen are read first and written last,
// over bytes the steps before wrote with the same values: a count that is no multiple of
// sixteen needs no step of its own, and no byte is read after one before it is written.
void ToPictureOrderSse2(const std::uint8_t* from, std::uint8_t* to, std::size_t count,
                        unsigned bits)
{
    const std::size_t lastAt = count - 16;
    const __m128i last =
        ToPictureOrder(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + lastAt)), bits);
    for (std::size_t i = 0; i < lastAt; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), ToPictureOrder(v, bits));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + lastAt), last);
}

// Thirty-two bytes where the processor has AVX2: at 1 bit each half of a byte is reversed
// by a table lookup and the halves swapped, at 4 the halves are swapped.
__attribute__((target("avx2"))) __m256i ToPictureOrderAvx2(const std::uint8_t* from, unsigned bits)
{
    // A half byte reversed, in the low half of a byte (high) and in its high half (low).
    const __m256i high = _mm256_setr_epi8(0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5,
                                          0xD, 0x3, 0xB, 0x7, 0xF, 0x0, 0x8, 0x4, 0xC, 0x2, 0xA,
                                          0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF);
    const __m256i low = _mm256_slli_epi16(high, 4);
    const __m256i halves = _mm256_set1_epi8(0x0F);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
    const __m256i lows = _mm256_and_si256(v, halves);
    const __m256i highs = _mm256_and_si256(_mm256_srli_epi16(v, 4), halves);
    if (bits == 1)
        return _mm256_or_si256(_mm256_shuffle_epi8(low, lows), _mm256_shuffle_epi8(high, highs));
    return _mm256_or_si256(_mm256_slli_epi16(lows, 4), highs);
}

// At least 32 bytes, thirty-two at a time, the last 32 read first and written last as
// above.
__attribute__((target("avx2"))) void ToPictureOrderAvx2(const std::uint8_t* from, std::uint8_t* to,
                                                        std::size_t count, unsigned bits)
{
    const std::size_t lastAt = count - 32;
    const __m256i last = ToPictureOrderAvx2(from + lastAt, bits);
    for (std::size_t i = 0; i < lastAt; i += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), ToPictureOrderAvx2(from + i, bits));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + lastAt), last);
}

// Thirty-two bytes where the processor has the Galois-field instructions: each byte is
// multiplied by a bit matrix. Bit i of a result is the parity of the source byte masked
// by byte 7 - i of the matrix, so a matrix whose byte 7 - i holds only bit 7 - i reverses
// the bits, and one whose byte 7 - i holds only bit (i + 4) % 8 swaps the halves.
__attribute__((target("avx2,gfni"))) __m256i ToPictureOrderGfni(const std::uint8_t* from,
                                                                __m256i matrix)
{
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
    return _mm256_gf2p8affine_epi64_epi8(v, matrix, 0);
}

// At least 32 bytes, thirty-two at a time, the last 32 read first and written last as
// above.
__attribute__((target("avx2,gfni"))) void
ToPictureOrderGfni(const std::uint8_t* from, std::uint8_t* to, std::size_t count, unsigned bits)
{
    const __m256i matrix = _mm256_set1_epi64x(bits == 1 ? 0x8040201008040201 : 0x1020408001020408);
    const std::size_t lastAt = count - 32;
    const __m256i last = ToPictureOrderGfni(from + lastAt, matrix);
    for (std::size_t i = 0; i < lastAt; i += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i),
                            ToPictureOrderGfni(from + i, matrix));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + lastAt), last);
}

#endif

void ToPictureOrderPortable(const std::uint8_t* from, std::uint8_t* to, std::size_t count,
                            unsigned bits)
{
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, from + i, 8);
        word = bmp::ToPictureOrder(word, bits);
        std::memcpy(to + i, &word, 8);
    }
    for (; i < count; ++i)
        to[i] = static_cast<std::uint8_t>(bmp::ToPictureOrder(from[i], bits));
}

// The fastest road, chosen once: the reader turns every row of a picture on its own, and
// asking again for each would cost more than turning a short row.
BITORDERROAD FastestRoad()
{
    static const BITORDERROAD fastest = [] {
        for (const BITORDERROAD road : {BITORDERROAD::gfni, BITORDERROAD::avx2, BITORDERROAD::sse2})
            if (CanTake(road))
                return road;
        return BITORDERROAD::portable;
    }();
    return fastest;
}

} // namespace

std::uint64_t ToPictureOrder(std::uint64_t word, unsigned bits)
{
    if (bits == 1) {
        word = (word >> 1 & 0x5555555555555555) | (word & 0x5555555555555555) << 1;
        word = (word >> 2 & 0x3333333333333333) | (word & 0x3333333333333333) << 2;
    }
    return (word >> 4 & 0x0F0F0F0F0F0F0F0F) | (word & 0x0F0F0F0F0F0F0F0F) << 4;
}

bool CanTake(BITORDERROAD road)
{
    switch (road) {
    case BITORDERROAD::portable:
        return true;
#if defined(__x86_64__)
    case BITORDERROAD::sse2:
        return true;
    case BITORDERROAD::avx2:
        return kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::avx2);
    case BITORDERROAD::gfni:
        return kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::avx2) &&
               kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::gfni);
#else
    case BITORDERROAD::sse2:
    case BITORDERROAD::avx2:
    case BITORDERROAD::gfni:
        return false;
#endif
    }
    return false;
}

void ToPictureOrder(const std::uint8_t* from, std::uint8_t* to, std::size_t count, unsigned bits,
                    BITORDERROAD road)
{
#if defined(__x86_64__)
    if (count >= 32 && road == BITORDERROAD::gfni) {
        ToPictureOrderGfni(from, to, count, bits);
        return;
    }
    if (count >= 32 && road == BITORDERROAD::avx2) {
        ToPictureOrderAvx2(from, to, count, bits);
        return;
    }
    if (count >= 16 && road != BITORDERROAD::portable) {
        ToPictureOrderSse2(from, to, count, bits);
        return;
    }
#endif
    ToPictureOrderPortable(from, to, count, bits);
}

void ToPictureOrder(const std::uint8_t* from, std::uint8_t* to, std::size_t count, unsigned bits)
{
    ToPictureOrder(from, to, count, bits, FastestRoad());
}

} // namespace bmp
