// Where the fields of a BMP file lie, named once for the reader, the writer and the
// tests. All fields are little-endian; offsets count from the start of the file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmp::layout {

// The file header: signature, file size, two reserved words, offset of the pixel data.
inline constexpr std::size_t kSignature = 0;
inline constexpr std::size_t kFileSize = 2;
inline constexpr std::size_t kReserved = 6;
inline constexpr std::size_t kPixelOffset = 10;
inline constexpr std::size_t kFileHeaderSize = 14;

// The information header starts right after the file header with its own size, which
// tells its kind.
inline constexpr std::size_t kHeaderSize = 14;

// The 12-byte header of the oldest files: 16-bit sizes and 3-byte palette entries.
inline constexpr std::size_t kCoreWidth = 18;
inline constexpr std::size_t kCoreHeight = 20;
inline constexpr std::size_t kCorePlanes = 22;
inline constexpr std::size_t kCoreBitCount = 24;

// The 40-byte header and the longer ones that begin like it.
inline constexpr std::size_t kWidth = 18;
inline constexpr std::size_t kHeight = 22;
inline constexpr std::size_t kPlanes = 26;
inline constexpr std::size_t kBitCount = 28;
inline constexpr std::size_t kCompression = 30;
inline constexpr std::size_t kImageSize = 34;
inline constexpr std::size_t kXResolution = 38;
inline constexpr std::size_t kYResolution = 42;
inline constexpr std::size_t kColorsUsed = 46;
inline constexpr std::size_t kColorsImportant = 50;
// The bit-field masks: red, green and blue inside the 52-byte and longer headers, or
// right after a 40-byte one; alpha only inside the 56-byte and longer headers.
inline constexpr std::size_t kRedMask = 54;
inline constexpr std::size_t kGreenMask = 58;
inline constexpr std::size_t kBlueMask = 62;
inline constexpr std::size_t kAlphaMask = 66;

// The header kinds, by their size.
inline constexpr std::uint32_t kCoreHeader = 12;
inline constexpr std::uint32_t kInfoHeader = 40;
inline constexpr std::uint32_t kInfoHeaderRgbMasks = 52;
inline constexpr std::uint32_t kInfoHeaderAllMasks = 56;
inline constexpr std::uint32_t kInfoHeaderColorSpace = 108;
inline constexpr std::uint32_t kInfoHeaderProfile = 124;

// Compression codes.
inline constexpr std::uint32_t kRgb = 0;
inline constexpr std::uint32_t kRle8 = 1;
inline constexpr std::uint32_t kRle4 = 2;
inline constexpr std::uint32_t kBitFields = 3;

// Where the palette or the masks of a file with a 40-byte header begin.
inline constexpr std::size_t kInfoHeaderEnd = kFileHeaderSize + kInfoHeader;

} // namespace bmp::layout
