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

} // namespace bmp
