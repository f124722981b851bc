// The reader on small files built by hand, where the expected picture is worked out by
// hand: run-length data, the masks of each kind of file, the palette, and the one
// picture limit.
#include "bmptest.h"

#include "bmpcodec.h"
#include "bmplayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

namespace L = bmp::layout;
using bmp::REFUSAL;

// A file with a 40-byte header (or a longer one, zero-filled beyond 40 bytes), a
// palette of paletteEntries entries whose entry i is blue i, green 2i, red 3i, and data
// right after it.
std::vector<std::uint8_t> MakeFile(std::int32_t width, std::int32_t height, unsigned bits,
                                   std::uint32_t compression, std::uint32_t paletteEntries,
                                   const std::vector<std::uint8_t>& data,
                                   std::uint32_t headerSize = L::kInfoHeader)
{
    const std::size_t offset = L::kFileHeaderSize + headerSize + 4 * std::size_t{paletteEntries};
    std::vector<std::uint8_t> file(offset, 0);
    file[L::kSignature] = 'B';
    file[L::kSignature + 1] = 'M';
    Put32(file, L::kFileSize, static_cast<std::uint32_t>(offset + data.size()));
    Put32(file, L::kPixelOffset, static_cast<std::uint32_t>(offset));
    Put32(file, L::kHeaderSize, headerSize);
    Put32(file, L::kWidth, static_cast<std::uint32_t>(width));
    Put32(file, L::kHeight, static_cast<std::uint32_t>(height));
    Put16(file, L::kPlanes, 1);
    Put16(file, L::kBitCount, bits);
    Put32(file, L::kCompression, compression);
    Put32(file, L::kImageSize, static_cast<std::uint32_t>(data.size()));
    Put32(file, L::kColorsUsed, paletteEntries);
    for (std::uint32_t i = 0; i < paletteEntries; ++i) {
        const std::size_t entry = L::kFileHeaderSize + headerSize + 4 * std::size_t{i};
        file[entry] = static_cast<std::uint8_t>(i);
        file[entry + 1] = static_cast<std::uint8_t>(2 * i);
        file[entry + 2] = static_cast<std::uint8_t>(3 * i);
    }
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// The palette index of every pixel, bottom row first.
std::vector<std::uint8_t> Indices(const KXPICTURE& picture)
{
    std::vector<std::uint8_t> indices;
    const std::uint8_t* data = picture.GetData();
    for (std::uint32_t i = 0; i < picture.GetWidth() * picture.GetHeight(); ++i) {
        if (picture.GetDepth() == 8)
            indices.push_back(data[i]);
        else
            indices.push_back(static_cast<std::uint8_t>(data[i / 2] >> (i % 2 == 0 ? 0 : 4) & 0xF));
    }
    return indices;
}

// Runs, a delta that moves right and up, an end of line, an absolute stretch of odd
// length (padded to a 16-bit word) and data that end without an end of bitmap: each
// pixel where it belongs, every pixel the data skip at index 0.
TEST(RunLength, HandBuiltStreamsDecodeToTheIndicesWorkedOutByHand)
{
    const struct {
        const char* what;
        std::uint32_t width, height, compression;
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> expected; // bottom row first
    } cases[] = {
        {"8 bits",
         5,
         4,
         L::kRle8,
         {
             3, 7,             // three of 7 at (0..2, 0)
             0, 2, 1, 1,       // delta to (4, 1)
             1, 9,             // one 9
             0, 0,             // end of line: (0, 2)
             0, 3, 10, 11, 12, // absolute 10, 11, 12, then a padding byte
             0,                //
             2, 5,             // two of 5 at (3..4, 2); the data end here
         },
         {
             7,  7,  7,  0, 0, //
             0,  0,  0,  0, 9, //
             10, 11, 12, 5, 5, //
             0,  0,  0,  0, 0, //
         }},
        {"4 bits",
         6,
         3,
         L::kRle4,
         {
             5, 0x12,                   // 1, 2, 1, 2, 1 at (0..4, 0)
             0, 2, 0, 1,                // delta to (5, 1)
             1, 0x30,                   // one 3
             0, 0,                      // end of line: (0, 2)
             0, 5, 0x45, 0x67, 0x80, 0, // absolute 4, 5, 6, 7, 8 in three bytes, then padding
             1, 0x90,                   // one 9; the data end here
         },
         {
             1, 2, 1, 2, 1, 0, //
             0, 0, 0, 0, 0, 3, //
             4, 5, 6, 7, 8, 9, //
         }},
    };
    for (const auto& c : cases) {
        const unsigned bits = c.compression == L::kRle8 ? 8 : 4;
        const std::vector<std::uint8_t> file =
            MakeFile(static_cast<std::int32_t>(c.width), static_cast<std::int32_t>(c.height), bits,
                     c.compression, 1u << bits, c.data);
        KXPICTURE picture;
        ASSERT_EQ(Read(file, picture), REFUSAL::NONE) << c.what;
        EXPECT_EQ(picture.GetWidth(), c.width) << c.what;
        EXPECT_EQ(picture.GetHeight(), c.height) << c.what;
        EXPECT_EQ(picture.GetDepth(), bits) << c.what;
        EXPECT_EQ(Indices(picture), c.expected) << c.what;
    }
}

// Data that would write outside the picture are refused, with the picture untouched.
TEST(RunLength, DataReachingOutsideThePictureAreRefused)
{
    const struct {
        const char* what;
        std::vector<std::uint8_t> data; // for a 4 × 2 picture of 8 bits
    } cases[] = {
        {"run past the end of the row", {5, 1}},
        {"run after a full row", {4, 1, 1, 1}},
        {"absolute stretch past the end of the row", {2, 1, 0, 3, 1, 2, 3, 0}},
        {"delta past the end of the row", {1, 1, 0, 2, 4, 0}},
        {"delta above the top", {0, 2, 0, 3}},
        {"run above the top", {0, 0, 0, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        KXPICTURE picture;
        MakeSentinel(picture);
        EXPECT_EQ(Read(MakeFile(4, 2, 8, L::kRle8, 256, c.data), picture), REFUSAL::RUNLENGTH)
            << c.what;
        EXPECT_TRUE(IsSentinel(picture)) << c.what;
    }
}

// One limit for every picture, however few bytes describe it: 2^27 pixels. A blank
// run-length picture is two bytes of data at any size up to it.
TEST(RunLength, OnePictureLimitForEveryFile)
{
    const std::vector<std::uint8_t> blank = {0, 1}; // end of bitmap
    const struct {
        std::int32_t width, height;
        unsigned bits;
        REFUSAL reason;
    } cases[] = {
        {160, 120, 8, REFUSAL::NONE},         {16384, 8192, 4, REFUSAL::NONE},
        {16384, 8193, 4, REFUSAL::TOOLARGE},  {8193, 16384, 8, REFUSAL::TOOLARGE},
        {23170, 23170, 8, REFUSAL::TOOLARGE}, {0x7FFFFFFF, 0x7FFFFFFF, 8, REFUSAL::TOOLARGE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const std::vector<std::uint8_t> file = MakeFile(
            c.width, c.height, c.bits, c.bits == 8 ? L::kRle8 : L::kRle4, 1u << c.bits, blank);
        KXPICTURE picture;
        ASSERT_EQ(Read(file, picture), c.reason);
        if (c.reason != REFUSAL::NONE)
            continue;
        EXPECT_EQ(picture.GetWidth(), static_cast<std::uint32_t>(c.width));
        const std::uint8_t* data = picture.GetData();
        EXPECT_EQ(data[0] | data[picture.GetDataSize() / 2] | data[picture.GetDataSize() - 1], 0);
    }
}

// The masks through which the pixels of each kind of file decode: the plain depths'
// own, or the bit fields (with alpha only where the header holds it).
TEST(Masks, EachKindOfFileGetsItsMasks)
{
    const std::vector<std::uint8_t> pixel(4, 0);
    const struct {
        const char* what;
        unsigned bits;
        std::uint32_t compression, headerSize;
        std::uint32_t masks[4];
    } cases[] = {
        {"plain 16 bits", 16, L::kRgb, 40, {0x7C00, 0x3E0, 0x1F, 0}},
        {"plain 24 bits", 24, L::kRgb, 40, {0xFF0000, 0xFF00, 0xFF, 0}},
        {"plain 32 bits", 32, L::kRgb, 40, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
        {"bit fields after a 40-byte header", 32, L::kBitFields, 40, {0xFF, 0xFF00, 0xFF0000, 0}},
        {"bit fields in a 52-byte header", 16, L::kBitFields, 52, {0xF, 0xF0, 0xF00, 0}},
        {"bit fields in a 56-byte header", 16, L::kBitFields, 56, {0xF, 0xF0, 0xF00, 0xF000}},
        {"bit fields in a 108-byte header",
         32,
         L::kBitFields,
         108,
         {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
        {"bit fields in a 124-byte header",
         32,
         L::kBitFields,
         124,
         {0xFF00, 0xFF0000, 0xFF000000, 0xFF}},
    };
    for (const auto& c : cases) {
        // The masks lie where the header's fields would, or right after a 40-byte header.
        std::vector<std::uint8_t> file =
            MakeFile(1, 1, c.bits, c.compression, 0, pixel, std::max(c.headerSize, 56u));
        Put32(file, L::kHeaderSize, c.headerSize);
        if (c.compression == L::kBitFields)
            for (int i = 0; i < 4; ++i)
                Put32(file, L::kRedMask + 4 * std::size_t(i), c.masks[i]);
        if (c.headerSize == 40)
            Put32(file, L::kPixelOffset, L::kInfoHeaderEnd + 16); // after the masks
        KXPICTURE picture;
        ASSERT_EQ(Read(file, picture), REFUSAL::NONE) << c.what;
        const std::uint32_t masks[4] = {picture.GetRedMask(), picture.GetGreenMask(),
                                        picture.GetBlueMask(), picture.GetAlphaMask()};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(masks[i], c.masks[i]) << c.what << ", mask " << i;
    }
}

// A paletted picture always gets the full palette of its depth, filled from the entries
// that colours-used names; a deeper one gets the colours-used entries, at most 256.
// Entries that would lie in the pixel data are not read.
TEST(Palette, ColoursUsedNamesTheEntriesReadUpToWhatTheDepthHolds)
{
    const struct {
        unsigned bits;
        std::uint32_t colorsUsed, entriesInFile;
        std::uint32_t paletteSize, entriesRead;
        std::uint32_t entriesBeforePixels = 0; // where the pixel data start; 0 after the palette
    } cases[] = {
        {8, 0, 256, 256, 256},
        {8, 2, 256, 256, 2},
        {8, 300, 300, 256, 256},
        {4, 0, 16, 16, 16},
        {1, 0, 2, 2, 2},
        {24, 0, 0, 0, 0},
        {24, 3, 3, 3, 3},
        {24, 1000, 1000, 256, 256},
        {8, 0, 256, 256, 100, 100},
        {24, 50, 50, 50, 7, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, colours used " << c.colorsUsed);
        const std::vector<std::uint8_t> pixels(4, 0);
        std::vector<std::uint8_t> file = MakeFile(1, 1, c.bits, L::kRgb, c.entriesInFile, pixels);
        Put32(file, L::kColorsUsed, c.colorsUsed);
        if (c.entriesBeforePixels != 0)
            Put32(file, L::kPixelOffset, L::kInfoHeaderEnd + 4 * c.entriesBeforePixels);
        KXPICTURE picture;
        ASSERT_EQ(Read(file, picture), REFUSAL::NONE);
        ASSERT_EQ(picture.GetPaletteSize(), c.paletteSize);
        for (std::uint32_t i = 0; i < c.paletteSize; ++i) {
            const std::uint8_t* entry = picture.GetPalette() + 4 * i;
            const std::uint32_t expected = i < c.entriesRead ? i : 0;
            ASSERT_EQ(entry[0], static_cast<std::uint8_t>(expected)) << "entry " << i;
            ASSERT_EQ(entry[2], static_cast<std::uint8_t>(3 * expected)) << "entry " << i;
        }
    }
}

} // namespace
