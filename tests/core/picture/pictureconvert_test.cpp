// The depth conversion's tables against its per-pixel definition: the same bytes for every
// source and target format, those that take a table and those that fall back.
#include "picturetestutil.h"

#include "kxpicture.h"
#include "kxpixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

const PICTUREFORMAT sources[] = {
    {1, {0, 0, 0, 0}},
    {1, {0, 0, 0, 0}, 2},
    {4, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {4, {0, 0, 0, 0}, 16},
    {4, {0, 0, 0, 0}, 5}, // indices past the palette read as grey
    {8, {0, 0, 0, 0}},
    {8, {0, 0, 0, 0}, 256},
    {8, {0, 0, 0, 0}, 10},
    {16, {0x1F, 0x7E0, 0xF800, 0}},
    {16, {0xF800, 0x7E0, 0x1F, 0}},
    {16, {0x7C00, 0x3E0, 0x1F, 0}},
    {16, {0xF00, 0xF0, 0xF, 0xF000}},
    {24, {0xFF0000, 0xFF00, 0xFF, 0}},
    {24, {0xFF, 0xFF00, 0xFF0000, 0}},
    {24, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {24, {0xF00000, 0xFF00, 0xFF, 0}}, // a narrow field: pixel by pixel
    {32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {32, {0xFF0000, 0xFF00, 0xFF, 0}},
    {32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}},
    {KXDEPTH_YCBCR24, {0xFF, 0xFF00, 0xFF0000, 0}},
    {KXDEPTH_YCBCR32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
};

const PICTUREFORMAT targets[] = {
    {32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, // what the viewer shows
    {32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {32, {0xFF0000, 0xFF00, 0xFF, 0}},
    {32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}},
    {32, {0xFFFF, 0xFF00, 0xFF0000, 0}}, // overlapping: pixel by pixel
    {24, {0xFF0000, 0xFF00, 0xFF, 0}},   // what the bitmap writer stores
    {24, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {16, {0x1F, 0x7E0, 0xF800, 0}},
    {16, {0x7C00, 0x3E0, 0x1F, 0x8000}},
    {KXDEPTH_YCBCR24, {0xFF, 0xFF00, 0xFF0000, 0}},
    {KXDEPTH_YCBCR32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
};

std::vector<std::uint8_t> ConvertedPerPixel(const KXPICTURE& from, const PICTUREFORMAT& to)
{
    KXPICTURE target;
    target.Create(from.GetWidth(), from.GetHeight(), to.depth);
    const kxpixel::PIXELSOURCE source{from.GetData(), from.GetDepth(), from.GetPalette(),
                                      from.GetPaletteSize()};
    const KXMASKS masks{to.masks[0], to.masks[1], to.masks[2], to.masks[3]};
    kxpixel::ConvertPerPixel(source, from.GetMasks(), {target.GetData(), to.depth, masks},
                             from.GetWidth() * from.GetHeight());
    return PixelBytes(target);
}

// 16-bit pictures take their table from 65536 pixels on, so one size lies above that.
// Pixels that keep their size are converted in place, in the buffer they are in.
TEST(PictureConvert, EveryFormatGivesThePerPixelBytes)
{
    std::mt19937 random(6);
    for (const PICTUREFORMAT& from : sources) {
        for (const PICTUREFORMAT& to : targets) {
            const KXMASKS toMasks{to.masks[0], to.masks[1], to.masks[2], to.masks[3]};
            const KXMASKS fromMasks{from.masks[0], from.masks[1], from.masks[2], from.masks[3]};
            if (from.depth == to.depth && fromMasks == toMasks)
                continue; // nothing to convert
            const bool sameSize =
                KXPICTURE::StorageBits(from.depth) == KXPICTURE::StorageBits(to.depth);
            for (const auto& [width, height] : {std::pair{33u, 7u}, std::pair{257u, 256u}}) {
                if (from.depth != 16 && width > 33)
                    continue;
                KXPICTURE p;
                MakeRandom(p, width, height, from, random);
                const std::vector<std::uint8_t> expected = ConvertedPerPixel(p, to);
                const std::uint8_t* before = p.GetData();
                ASSERT_TRUE(
                    p.ConvertDepth(to.depth, to.masks[0], to.masks[1], to.masks[2], to.masks[3]));
                EXPECT_EQ(p.GetData() == before, sameSize) << from.depth << " -> " << to.depth;
                EXPECT_EQ(PixelBytes(p), expected)
                    << from.depth << "/" << std::hex << from.masks[0] << " -> " << std::dec
                    << to.depth << "/" << std::hex << to.masks[0] << " " << std::dec << width;
            }
        }
    }
}

// A picture made with room for deeper pixels converts to them in its own buffer, back to
// front: the per-pixel bytes for every source format into every format at least as deep,
// at odd widths, and at sizes of one pixel, of less than one run of the conversion, of
// several runs and a part (2051 × 3), and for 16 bits of one that takes the table.
TEST(PictureConvert, DeeperPixelsInTheRoomOfTheirOwnBuffer)
{
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {1, 1}, {33, 7}, {2051, 3}, {257, 256}};
    std::mt19937 random(21);
    for (const PICTUREFORMAT& from : sources) {
        for (const PICTUREFORMAT& to : targets) {
            const unsigned fromBits = KXPICTURE::StorageBits(from.depth);
            if (KXPICTURE::StorageBits(to.depth) <= fromBits)
                continue;
            for (const auto& [width, height] : sizes) {
                if (from.depth != 16 && width == 257)
                    continue;
                KXPICTURE p;
                ASSERT_TRUE(p.CreateWithPalette(width, height, from.depth, from.paletteSize,
                                                to.depth));
                ASSERT_GT(p.GetDataCapacity(), p.GetDataSize());
                FillRandom(p.GetData(), p.GetDataCapacity(), random);
                FillRandom(p.GetPalette(), 4 * std::size_t{from.paletteSize}, random);
                p.SetMasks(from.masks[0], from.masks[1], from.masks[2], from.masks[3]);
                const std::vector<std::uint8_t> expected = ConvertedPerPixel(p, to);
                const std::uint8_t* before = p.GetData();
                ASSERT_TRUE(
                    p.ConvertDepth(to.depth, to.masks[0], to.masks[1], to.masks[2], to.masks[3]));
                EXPECT_EQ(p.GetData(), before);
                EXPECT_EQ(PixelBytes(p), expected)
                    << from.depth << "/" << std::hex << from.masks[0] << " -> " << std::dec
                    << to.depth << "/" << std::hex << to.masks[0] << " " << std::dec << width
                    << "x" << height;
            }
        }
    }
}

// Pixels of 1 and 4 bits convert a whole source byte at a time: the per-pixel bytes for
// every target, with palettes of none, one, fewer entries than the pixels can index and
// every one (and one longer than that), at every width from 1 to 33, so that the last
// byte of a picture holds each number of pixels, and 1 to 3 rows, which start inside a
// byte. Each converts into a buffer of its own and in the room of its own buffer; the
// bits past the last pixel are random and belong to no pixel.
TEST(PictureConvert, SubBytePixelsAWholeByteAtATime)
{
    const std::uint32_t paletteSizes[] = {0, 1, 2, 5, 16, 256};
    std::mt19937 random(26);
    for (const std::uint16_t depth : {std::uint16_t{1}, std::uint16_t{4}}) {
        for (const std::uint32_t paletteSize : paletteSizes) {
            if (depth == 1 && paletteSize == 5)
                continue;
            const PICTUREFORMAT from{depth, {0, 0, 0, 0}, paletteSize};
            for (const PICTUREFORMAT& to : targets) {
                for (std::uint32_t height = 1; height <= 3; ++height) {
                    for (std::uint32_t width = 1; width <= 33; ++width) {
                        for (const bool inRoom : {false, true}) {
                            KXPICTURE p;
                            if (inRoom) {
                                ASSERT_TRUE(p.CreateWithPalette(width, height, depth,
                                                                paletteSize, to.depth));
                                FillRandom(p.GetData(), p.GetDataCapacity(), random);
                                FillRandom(p.GetPalette(), 4 * std::size_t{paletteSize}, random);
                                p.SetMasks(0, 0, 0, 0);
                            } else {
                                MakeRandom(p, width, height, from, random);
                            }
                            const std::vector<std::uint8_t> expected = ConvertedPerPixel(p, to);
                            const std::uint8_t* before = p.GetData();
                            ASSERT_TRUE(p.ConvertDepth(to.depth, to.masks[0], to.masks[1],
                                                       to.masks[2], to.masks[3]));
                            ASSERT_EQ(p.GetData() == before, inRoom);
                            ASSERT_EQ(PixelBytes(p), expected)
                                << depth << " bits, palette " << paletteSize << " -> "
                                << to.depth << "/" << std::hex << to.masks[0] << std::dec
                                << " " << width << "x" << height << (inRoom ? " in room" : "");
                        }
                    }
                }
            }
        }
    }
}

// Channels of eight bits that start inside a byte, against the common layouts, at sizes
// of one pixel, one row, one column and an odd width: every road through the conversion
// gives the per-pixel bytes.
TEST(PictureConvert, MasksOffByteBoundariesAndThinPictures)
{
    const PICTUREFORMAT formats[] = {
        {32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
        {32, {0xFF0, 0xFF000, 0xFF00000, 0xF0000000}},
        {32, {0x1FE, 0x1FE00, 0x1FE0000, 0}},
        {24, {0xFF, 0xFF00, 0xFF0000, 0}},
        {24, {0x1FE, 0x1FE00, 0xF, 0}},
        {24, {0xFF0, 0xF, 0xFF000, 0}},
        {16, {0xFF0, 0xF, 0xF000, 0}},
        {16, {0x1F, 0x7E0, 0xF800, 0}},
        {KXDEPTH_YCBCR24, {0x1FE, 0x1FE00, 0xF, 0}},
        {KXDEPTH_YCBCR32, {0xFF0, 0xFF000, 0xFF00000, 0}},
    };
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {33, 7}};
    std::mt19937 random(19);
    for (const PICTUREFORMAT& from : formats) {
        for (const PICTUREFORMAT& to : formats) {
            if (&from == &to)
                continue;
            for (const auto& [width, height] : sizes) {
                KXPICTURE p;
                MakeRandom(p, width, height, from, random);
                const std::vector<std::uint8_t> expected = ConvertedPerPixel(p, to);
                ASSERT_TRUE(
                    p.ConvertDepth(to.depth, to.masks[0], to.masks[1], to.masks[2], to.masks[3]));
                EXPECT_EQ(PixelBytes(p), expected)
                    << from.depth << "/" << std::hex << from.masks[0] << " -> " << std::dec
                    << to.depth << "/" << std::hex << to.masks[0] << " " << std::dec << width << "x"
                    << height;
            }
        }
    }
}

// One pixel of each kind, as the viewer converts what the bitmap loader read.
TEST(PictureConvert, LoadedPicturesToTheViewersLayout)
{
    KXPICTURE paletted;
    paletted.Create(2, 1, 8);
    paletted.SetMasks(0, 0, 0, 0);
    paletted.SetPaletteSize(256);
    std::memset(paletted.GetPalette(), 0, 1024);
    const std::uint8_t entry[] = {10, 20, 30, 0}; // blue, green, red
    std::memcpy(paletted.GetPalette() + 4 * 7, entry, 4);
    paletted.GetData()[0] = 7;
    paletted.GetData()[1] = 8;
    ASSERT_TRUE(paletted.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
    EXPECT_EQ(PixelBytes(paletted), (std::vector<std::uint8_t>{10, 20, 30, 0, 0, 0, 0, 0}));

    KXPICTURE direct;
    direct.Create(1, 1, 16);
    direct.SetMasks(0xF800, 0x7E0, 0x1F, 0);
    kxpixel::Write16(direct.GetData(), 0xF81F); // red and blue full, green 0
    ASSERT_TRUE(direct.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
    EXPECT_EQ(PixelBytes(direct), (std::vector<std::uint8_t>{255, 0, 255, 0}));

    KXPICTURE shown;
    shown.Create(1, 1, 32);
    shown.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    const std::uint8_t bgra[] = {1, 2, 3, 4};
    std::memcpy(shown.GetData(), bgra, 4);
    ASSERT_TRUE(shown.ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0));
    EXPECT_EQ(PixelBytes(shown), (std::vector<std::uint8_t>{1, 2, 3}));
}

} // namespace
