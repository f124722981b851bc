// Turning 1- and 4-bit pixels packed as a BMP file packs them (the leftmost pixel in a
// byte's highest bits) into the order a picture keeps them in (the first pixel in a
// byte's lowest bits): at 1 bit the bits of each byte are reversed, at 4 its halves are
// swapped. Each byte keeps its place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmp {

// Each of the eight bytes of a word in the picture's order.
std::uint64_t ToPictureOrder(std::uint64_t word, unsigned bits);

// count bytes from from, turned into the picture's order, into to. The two may be the
// same bytes, or to may lie before from (a row moved down over the padding of the rows
// before it): every byte is read before a byte at or after it is written.
void ToPictureOrder(const std::uint8_t* from, std::uint8_t* to, std::size_t count, unsigned bits);

// The ways of turning many bytes at a time, from the plainest: eight bytes in a word,
// sixteen with SSE2, thirty-two with AVX2, thirty-two with one Galois-field instruction
// per step. The reader takes the fastest this processor has; every one gives the same
// bytes.
enum class BITORDERROAD { portable, sse2, avx2, gfni };

// Whether this processor can take road.
bool CanTake(BITORDERROAD road);

// The same through road, one this processor can take. Counts too small for its steps go
// the way of the next plainer road that has steps that small.
void ToPictureOrder(const std::uint8_t* from, std::uint8_t* to, std::size_t count, unsigned bits,
                    BITORDERROAD road);

} // namespace bmp
