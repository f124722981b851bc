// What the bitmap loader's tests share: reading a picture the way the viewer shows it,
// and comparing it with an independent decoding.
#pragma once

#include "bmpcodec.h"
#include "kxpicture.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);

// The picture converted as the viewer converts it after every load (blue, green, red,
// alpha bytes), as an image with its top row first; opaque unless the picture has an
// alpha mask.
QImage Displayed(KXPICTURE& picture);

// The largest difference of any red, green or blue channel between the two images, and
// of alpha when the reference has it (pixels transparent in both have no colour to
// compare); -1 when their sizes differ.
int LargestDifference(const QImage& ours, const QImage& reference);

// Decodes a whole file's bytes.
bmp::REFUSAL Read(const std::vector<std::uint8_t>& file, KXPICTURE& picture);

// A picture holding one known pixel, to show that a refused file leaves it as it was.
void MakeSentinel(KXPICTURE& picture);
bool IsSentinel(const KXPICTURE& picture);

// Forms an owner may ask its loads for: the viewer's, another byte order of 32 bits
// without alpha, and narrower ones (24 bits, 16 bits of 5, 6 and 5), so that every depth
// of file is widened, narrowed, kept or re-masked by one of them.
std::vector<KXLOADFORM> LoadForms();

// Reads the file at path into a picture that asks for the form, and into one that does
// not and is then converted to it: the same refusal with the picture untouched, or the
// same picture field by field and byte for byte (depth, size, masks, palette, resolutions,
// data size and capacity, pixels), on which a conversion to the form changes nothing.
// Run-length files are read in their own form and match once the owner converts them.
::testing::AssertionResult ReadsInForm(const std::filesystem::path& path, const KXLOADFORM& form);

// Little-endian fields written into a file under construction.
void Put16(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value);
void Put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value);

namespace bmp {
// Refusals print by name in test messages.
void PrintTo(REFUSAL refusal, std::ostream* out);
} // namespace bmp
