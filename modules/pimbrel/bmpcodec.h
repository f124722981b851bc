// The BMP file format: reading a file's bytes into a picture and writing a picture as
// a file's bytes, as every other reader and writer of the format understands it.
#pragma once

#include "kxpicture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bmp {

// Reads the bytes of a BMP file into picture. False, with the picture untouched, for a
// file that is not a BMP file this reader can read whole.
bool Decode(const std::uint8_t* bytes, std::size_t size, KXPICTURE& picture);

// The bytes of a BMP file holding picture. False, with out empty, for a picture without
// pixels or of a depth other than 1, 4, 8, 16, 24 and 32.
bool Encode(const KXPICTURE& picture, std::vector<std::uint8_t>& out);

// The whole content of the regular file at path; false for anything else, or for a file
// larger than any picture this reader accepts.
bool ReadFile(const char* path, std::vector<std::uint8_t>& bytes);

// Writes bytes to path; false, with no file left behind, when it cannot write them all.
bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes);

} // namespace bmp
