#include "picturetestutil.h"

#include "kxpicture.h"
#include "kxpixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace {

// Every depth the picture stores, with the masks it gets on creation.
const PICTUREFORMAT everyDepth[] = {
    {1, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {4, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {8, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {16, {0x1F, 0x7E0, 0xF800, 0}},
    {24, {0xFF, 0xFF00, 0xFF0000, 0}},
    {32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {KXDEPTH_YCBCR24, {0xFF, 0xFF00, 0xFF0000, 0}},
    {KXDEPTH_YCBCR32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
};

std::vector<std::uint32_t> Packed(const KXPICTURE& picture)
{
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t i = 0; i < picture.GetWidth() * picture.GetHeight(); ++i)
        pixels.push_back(picture.GetPixelPacked(i));
    return pixels;
}

std::vector<int> Contents(KXCOLLECTION<int>& list)
{
    std::vector<int> items;
    for (int i = 0; i < list.GetCount(); ++i)
        items.push_back(list[i]);
    return items;
}

KXCOLOR Colour(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    KXCOLOR colour;
    colour.Set(r, g, b, a);
    return colour;
}

void Fill32(KXPICTURE& picture, std::uint32_t width, std::uint32_t height, std::uint32_t value)
{
    picture.Create(width, height, 32);
    for (std::uint32_t i = 0; i < width * height; ++i)
        kxpixel::Write32(picture.GetData() + 4 * i, value);
}

// Smooths one copy of the picture in place and doubles another with the pass, and holds
// both against the per-pixel pass (the doubling against the resize followed by it).
testing::AssertionResult SmoothsAndDoublesAsPerPixel(const KXPICTURE& original, int points)
{
    const kxpixel::SMOOTHPASS& pass = kxpixel::SmoothPass(points);
    KXPICTURE fast;
    KXPICTURE reference;
    KXPICTURE doubled;
    KXPICTURE doubledReference;
    for (KXPICTURE* copy : {&fast, &reference, &doubled, &doubledReference})
        CopyPicture(original, *copy);
    kxpixel::Smooth(fast, pass);
    kxpixel::SmoothPerPixel(reference, pass);
    if (!doubled.DoubleSize(points) ||
        !doubledReference.Resize(2 * original.GetWidth(), 2 * original.GetHeight()))
        return testing::AssertionFailure() << "not doubled";
    kxpixel::SmoothPerPixel(doubledReference, pass);
    if (PixelBytes(fast) != PixelBytes(reference))
        return testing::AssertionFailure() << "smoothed in place";
    if (PixelValues(doubled) != PixelValues(doubledReference))
        return testing::AssertionFailure() << "doubled";
    return testing::AssertionSuccess();
}

// --- vertical flip

TEST(PictureFlip, EveryDepthAndWidthSwapsRowsPixelForPixel)
{
    std::mt19937 random(1);
    for (const PICTUREFORMAT& format : everyDepth) {
        for (std::uint32_t width : {1u, 3u, 5u, 8u, 16u, 17u}) {
            for (std::uint32_t height : {1u, 2u, 3u, 4u}) {
                KXPICTURE p;
                MakeRandom(p, width, height, format, random);
                const std::vector<std::uint32_t> before = Packed(p);
                const std::vector<std::uint8_t> bytes = PixelBytes(p);
                p.VFlip();
                const std::vector<std::uint32_t> after = Packed(p);
                for (std::uint32_t y = 0; y < height; ++y)
                    for (std::uint32_t x = 0; x < width; ++x)
                        ASSERT_EQ(after[x + y * width], before[x + (height - 1 - y) * width])
                            << format.depth << " " << width << "x" << height;
                p.VFlip();
                EXPECT_EQ(PixelBytes(p), bytes) << format.depth << " " << width << "x" << height;
            }
        }
    }
}

// Rows of 1- and 4-bit pixels that share bytes move pixel by pixel: 3 × 2 pixels of
// 4 bits are the nibbles 0 1 | 2 3 | 4 5, rows (0, 1, 2) and (3, 4, 5).
TEST(PictureFlip, RowsThatShareBytes)
{
    KXPICTURE p;
    p.Create(3, 2, 4);
    const std::uint8_t nibbles[] = {0x10, 0x32, 0x54};
    std::memcpy(p.GetData(), nibbles, sizeof nibbles);
    p.VFlip();
    EXPECT_EQ(PixelBytes(p), (std::vector<std::uint8_t>{0x43, 0x05, 0x21}));

    KXPICTURE bits;
    bits.Create(5, 3, 1); // rows 11000, 00100, 00011 from pixel 0
    bits.GetData()[0] = 0b10000011;
    bits.GetData()[1] = 0b01100000;
    bits.VFlip();
    EXPECT_EQ(PixelBytes(bits), (std::vector<std::uint8_t>{0b10011000, 0b00001100}));
}

TEST(PictureFlip, PicturesWithoutAllTheirPixelsAreLeftAlone)
{
    KXPICTURE empty;
    empty.VFlip();
    EXPECT_EQ(empty.GetData(), nullptr);

    KXPICTURE grown; // a size set without a new buffer: flipping would read past its end
    grown.Create(2, 2, 8);
    const std::uint8_t rows[] = {1, 2, 3, 4};
    std::memcpy(grown.GetData(), rows, sizeof rows);
    grown.SetHeight(50);
    grown.VFlip();
    EXPECT_EQ(PixelBytes(grown), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

// --- resize

// Each new pixel's source column for a picture one row high whose pixel x holds x.
TEST(PictureResize, NearestSourceKeepsTheCentre)
{
    struct Case {
        std::uint32_t from, to;
        std::vector<std::uint8_t> sources;
    };
    const Case cases[] = {
        {2, 4, {0, 0, 1, 1}}, {4, 2, {0, 2}},    {3, 2, {0, 1}},
        {1, 3, {0, 0, 0}},    {5, 3, {0, 2, 3}}, {3, 6, {0, 0, 0, 1, 1, 2}},
        {4, 1, {2}},
    };
    for (const Case& c : cases) {
        KXPICTURE p;
        p.Create(c.from, 1, 8);
        for (std::uint32_t x = 0; x < c.from; ++x)
            p.GetData()[x] = static_cast<std::uint8_t>(x);
        ASSERT_TRUE(p.Resize(c.to, 1));
        EXPECT_EQ(PixelBytes(p), c.sources) << c.from << " -> " << c.to;
    }
}

TEST(PictureResize, TwoByTwoToFourByFourAndBack)
{
    KXPICTURE p;
    Fill32(p, 2, 2, 0);
    for (std::uint32_t i = 0; i < 4; ++i)
        kxpixel::Write32(p.GetData() + 4 * i, 10 + i);
    ASSERT_TRUE(p.Resize(4, 4));
    EXPECT_EQ(p.GetWidth(), 4u);
    EXPECT_EQ(p.GetDataSize(), 64u);
    const std::vector<std::uint32_t> expected = {10, 10, 11, 11, 10, 10, 11, 11,
                                                 12, 12, 13, 13, 12, 12, 13, 13};
    EXPECT_EQ(Packed(p), expected);
    ASSERT_TRUE(p.Resize(2, 2)); // columns and rows 0 and 2
    EXPECT_EQ(Packed(p), (std::vector<std::uint32_t>{10, 11, 12, 13}));
}

// Every depth copies its pixels, 4-bit ones included, and keeps its masks: a 24-bit
// picture read from a file stays blue, green, red.
TEST(PictureResize, EveryDepthCopiesPixelsAndKeepsMasks)
{
    std::mt19937 random(2);
    for (PICTUREFORMAT format : everyDepth) {
        format.masks[0] = 0xFF0000; // not the depth's defaults
        format.masks[2] = 0xFF;
        KXPICTURE p;
        MakeRandom(p, 5, 3, format, random);
        const std::vector<std::uint32_t> before = Packed(p);
        ASSERT_TRUE(p.Resize(7, 2));
        EXPECT_EQ(p.GetDepth(), format.depth);
        EXPECT_EQ(p.GetRedMask(), 0xFF0000u);
        EXPECT_EQ(p.GetBlueMask(), 0xFFu);
        const std::uint32_t columns[] = {0, 0, 1, 2, 2, 3, 4}; // 2 + (j - 3) × 5 / 7
        const std::uint32_t rows[] = {0, 1};                   // 1 + (i - 1) × 1.5
        for (std::uint32_t i = 0; i < 2; ++i)
            for (std::uint32_t j = 0; j < 7; ++j)
                EXPECT_EQ(p.GetPixelPacked(j + 7 * i), before[columns[j] + 5 * rows[i]])
                    << format.depth << " " << j << "," << i;
    }
}

TEST(PictureResize, SameSizeEmptyPictureAndRefusedSizes)
{
    KXPICTURE p;
    Fill32(p, 3, 3, 7);
    const std::uint8_t* buffer = p.GetData();
    EXPECT_TRUE(p.Resize(3, 3));
    EXPECT_EQ(p.GetData(), buffer);

    EXPECT_FALSE(p.Resize(100000, 100000)); // more than the memory manager hands out
    EXPECT_EQ(p.GetWidth(), 3u);
    EXPECT_EQ(p.GetData(), buffer);

    // Below one pixel in either direction there is nothing to resample into.
    const std::vector<std::uint8_t> bytes = PixelBytes(p);
    for (const auto& [width, height] : {std::pair{0u, 4u}, std::pair{4u, 0u}, std::pair{0u, 0u}}) {
        EXPECT_FALSE(p.Resize(width, height)) << width << "x" << height;
        EXPECT_EQ(p.GetWidth(), 3u);
        EXPECT_EQ(p.GetHeight(), 3u);
        EXPECT_EQ(p.GetData(), buffer);
        EXPECT_EQ(PixelBytes(p), bytes);
    }

    KXPICTURE empty;
    empty.Create(0, 5, 32);
    EXPECT_TRUE(empty.Resize(4, 4));
    EXPECT_EQ(empty.GetWidth(), 0u);
    EXPECT_EQ(empty.GetHeight(), 5u);
    EXPECT_EQ(empty.GetData(), nullptr);
}

// --- smoothing and doubling

TEST(PictureSmooth, UniformWhiteStaysWhiteWithAlphaZeroInside)
{
    struct Case {
        int points;
        std::uint32_t first;
    };
    for (const Case c : {Case{3, 0}, Case{5, 1}, Case{9, 1}}) {
        KXPICTURE p;
        Fill32(p, 5, 4, 0xFFFFFFFF);
        if (c.points == 3)
            p.Smooth3();
        else if (c.points == 5)
            p.Smooth5();
        else
            p.Smooth9();
        for (std::uint32_t y = 0; y < 4; ++y) {
            for (std::uint32_t x = 0; x < 5; ++x) {
                const bool smoothed = x >= c.first && y >= c.first && x < 4 && y < 3;
                EXPECT_EQ(p.GetPixelPacked(x + 5 * y), smoothed ? 0x00FFFFFFu : 0xFFFFFFFFu)
                    << c.points << " " << x << "," << y;
            }
        }
    }
}

// The pass writes into the pixels it reads: (2, 1) averages (1, 1) after it was smoothed.
TEST(PictureSmooth, EarlierPixelsAreAlreadySmoothed)
{
    KXPICTURE p;
    Fill32(p, 4, 3, 0);
    kxpixel::Write32(p.GetData() + 4 * 4, 255); // red 255 at (0, 1)
    p.Smooth5();
    EXPECT_EQ(p.GetPixelPacked(5), 51u); // 255 / 5
    EXPECT_EQ(p.GetPixelPacked(6), 10u); // 51 / 5, truncated
    EXPECT_EQ(p.GetPixelPacked(4), 255u);
}

// Every pixel, the first included, is read through the picture's masks.
TEST(PictureSmooth, ReadsThroughThePicturesMasks)
{
    KXPICTURE p;
    p.Create(3, 3, 24);
    p.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    KXCOLOR colour = Colour(200, 100, 50, 0);
    p.Fill(colour);
    p.Smooth5();
    KXCOLOR centre;
    centre.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    p.GetPixel(4, centre);
    EXPECT_NEAR(centre.GetR(), 200, 1);
    EXPECT_NEAR(centre.GetG(), 100, 1);
    EXPECT_NEAR(centre.GetB(), 50, 1);
}

TEST(PictureSmooth, PicturesTooSmallToSmoothStayAsTheyAre)
{
    struct Case {
        std::uint32_t width, height;
        int points;
    };
    const Case cases[] = {{1, 1, 3}, {1, 5, 3}, {5, 1, 3}, {2, 2, 5}, {2, 9, 9}, {9, 2, 5}};
    for (const Case& c : cases) {
        KXPICTURE p;
        Fill32(p, c.width, c.height, 0x80FF0000);
        kxpixel::Smooth(p, kxpixel::SmoothPass(c.points));
        for (std::uint32_t v : Packed(p))
            EXPECT_EQ(v, 0x80FF0000u) << c.width << "x" << c.height;
    }
    KXPICTURE empty;
    empty.Smooth3();
    empty.Smooth9();
    EXPECT_EQ(empty.GetData(), nullptr);
}

TEST(PictureSmooth, SixteenBitPixelsGoThroughTheirFields)
{
    KXPICTURE p;
    p.Create(3, 3, 16);
    KXCOLOR white = Colour(255, 255, 255, 0);
    p.Fill(white);
    p.Smooth9();
    EXPECT_EQ(p.GetPixelPacked(4), 0xFFFFu);
}

TEST(PictureDoubleSize, ResizesThenRunsTheChosenPass)
{
    struct Case {
        int filter;
        int points;
    };
    std::mt19937 random(3);
    for (const Case c : {Case{5, 5}, Case{9, 9}, Case{3, 3}, Case{7, 3}, Case{0, 3}}) {
        KXPICTURE doubled;
        MakeRandom(doubled, 3, 3, {32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}}, random);
        KXPICTURE expected;
        CopyPicture(doubled, expected);
        ASSERT_TRUE(doubled.DoubleSize(c.filter));
        EXPECT_EQ(doubled.GetWidth(), 6u);
        EXPECT_EQ(doubled.GetHeight(), 6u);
        expected.Resize(6, 6);
        const std::vector<std::uint32_t> unsmoothed = Packed(expected);
        kxpixel::SmoothPerPixel(expected, kxpixel::SmoothPass(c.points));
        EXPECT_EQ(PixelBytes(doubled), PixelBytes(expected)) << c.filter;
        for (std::uint32_t i = 0; i < 36; ++i) {
            const std::uint32_t x = i % 6;
            const std::uint32_t y = i / 6;
            const std::uint32_t first = c.points == 3 ? 0 : 1;
            if (x >= first && y >= first && x < 5 && y < 5)
                EXPECT_EQ(doubled.GetPixelPacked(i) >> 24, 0u) << c.filter << " " << i;
            else
                EXPECT_EQ(doubled.GetPixelPacked(i), unsmoothed[i]) << c.filter << " " << i;
        }
    }
    KXPICTURE empty;
    EXPECT_TRUE(empty.DoubleSize(5));
    EXPECT_EQ(empty.GetWidth(), 0u);
}

// The direct passes give the bytes of the per-pixel ones for every arrangement of byte
// masks; the others go pixel by pixel anyway.
TEST(PictureSmooth, FastPassesMatchThePerPixelOnes)
{
    const PICTUREFORMAT formats[] = {
        {32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
        {32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
        {32, {0xFF000000, 0xFF0000, 0xFF00, 0}},
        {32, {0xFF0000, 0xFF00, 0xFF, 0}},
        {24, {0xFF0000, 0xFF00, 0xFF, 0}},
        {24, {0xFF, 0xFF00, 0xFF0000, 0}},
        {24, {0xFF, 0, 0xFF0000, 0xFF000000}},
        {16, {0xF800, 0x7E0, 0x1F, 0}},
        {32, {0xFFFF, 0xFF00, 0xFF0000, 0}}, // overlapping: pixel by pixel
        {KXDEPTH_YCBCR32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    };
    std::mt19937 random(4);
    for (const PICTUREFORMAT& format : formats) {
        for (int points : {3, 5, 9}) {
            KXPICTURE fast;
            MakeRandom(fast, 37, 23, format, random);
            KXPICTURE reference;
            CopyPicture(fast, reference);
            kxpixel::Smooth(fast, kxpixel::SmoothPass(points));
            kxpixel::SmoothPerPixel(reference, kxpixel::SmoothPass(points));
            EXPECT_EQ(PixelBytes(fast), PixelBytes(reference))
                << format.depth << " " << std::hex << format.masks[0] << " " << points;
        }
        KXPICTURE fast;
        MakeRandom(fast, 37, 23, format, random);
        KXPICTURE reference;
        CopyPicture(fast, reference);
        fast.SwapRedBlue();
        kxpixel::SwapRedBluePerPixel(reference);
        EXPECT_EQ(PixelBytes(fast), PixelBytes(reference)) << format.depth << " swap";
    }
}

// Every depth, with channels on and off byte boundaries and the spare byte of a 32-bit
// pixel in each place, at the sizes where a pass has one row or column, none, or an odd
// number: the passes, the doubling and the red-blue swap give the per-pixel pixels. A
// channel of eight bits that starts inside a byte is not a byte of the pixel. The doubling
// smooths each row as it resamples it, so it must also match where new rows and columns
// repeat old ones unevenly (odd sizes).
TEST(PictureSmooth, EveryMaskAndSizeGivesThePerPixelPixels)
{
    const PICTUREFORMAT formats[] = {
        {1, {0, 0, 0, 0}, 2},
        {4, {0, 0, 0, 0}, 16},
        {8, {0, 0, 0, 0}, 256},
        {32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
        {32, {0xFF000000, 0xFF0000, 0xFF00, 0}},
        {32, {0xFF, 0xFF0000, 0xFF000000, 0xFF00}},
        {32, {0xFF000000, 0xFF, 0xFF00, 0}},
        {32, {0xFF0, 0xFF000, 0xFF00000, 0xF0000000}},
        {32, {0x1FE, 0x1FE00, 0x1FE0000, 0}},
        {32, {0xFF00, 0xFF, 0x7F800000, 0}},
        {24, {0xFF, 0xFF00, 0xFF0000, 0}},
        {24, {0x1FE, 0x1FE00, 0xF, 0}},
        {24, {0xFF0, 0xF, 0xFF000, 0}},
        {16, {0x1F, 0x7E0, 0xF800, 0}},
        {16, {0xFF0, 0xF, 0xF000, 0}},
        {KXDEPTH_YCBCR24, {0xFF, 0xFF00, 0xFF0000, 0}},
        {KXDEPTH_YCBCR32, {0xFF0, 0xFF000, 0xFF00000, 0}},
    };
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 3}, {5, 4}, {13, 7}, {4, 9}, {21, 2}};
    std::mt19937 random(19);
    for (const PICTUREFORMAT& format : formats) {
        for (const auto& [width, height] : sizes) {
            for (int points : {3, 5, 9}) {
                KXPICTURE original;
                MakeRandom(original, width, height, format, random);
                EXPECT_TRUE(SmoothsAndDoublesAsPerPixel(original, points))
                    << format.depth << " " << std::hex << format.masks[0] << " "
                    << format.masks[1] << std::dec << " " << width << "x" << height << " "
                    << points;
            }
            KXPICTURE swapped;
            MakeRandom(swapped, width, height, format, random);
            KXPICTURE swappedReference;
            CopyPicture(swapped, swappedReference);
            swapped.SwapRedBlue();
            kxpixel::SwapRedBluePerPixel(swappedReference);
            EXPECT_EQ(PixelBytes(swapped), PixelBytes(swappedReference))
                << format.depth << " " << std::hex << format.masks[0] << " " << format.masks[1]
                << std::dec << " " << width << "x" << height << " swapped";
        }
    }
}

// The layouts of the smoothing's direct road: the spare byte of a 32-bit pixel in each
// place, and 24-bit pixels in two channel orders.
const PICTUREFORMAT directFormats[] = {
    {32, {0xFF00, 0xFF0000, 0xFF000000, 0xFF}},
    {32, {0xFF, 0xFF0000, 0xFF000000, 0xFF00}},
    {32, {0xFF, 0xFF00, 0xFF000000, 0xFF0000}},
    {32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {24, {0xFF0000, 0xFF00, 0xFF, 0}},
    {24, {0xFF00, 0xFF, 0xFF0000, 0}},
};

// The direct road walks rows in groups side by side, each a few pixels behind the one
// below, and ends a picture with whatever rows are left: every width where the walk's
// start, lag or end leaves a remainder, every height that leaves a group short, each
// place of the spare byte, each pass, smoothed in place and doubled.
TEST(PictureSmooth, EveryRemainderOfTheRowWalkGivesThePerPixelPixels)
{
    std::vector<std::uint32_t> widths;
    for (std::uint32_t w = 1; w <= 12; ++w)
        widths.push_back(w);
    widths.insert(widths.end(), {17, 31, 64, 67});
    std::mt19937 random(26);
    for (const PICTUREFORMAT& format : directFormats) {
        for (const std::uint32_t width : widths) {
            for (std::uint32_t height = 1; height <= 9; ++height) {
                for (int points : {3, 5, 9}) {
                    KXPICTURE original;
                    MakeRandom(original, width, height, format, random);
                    ASSERT_TRUE(SmoothsAndDoublesAsPerPixel(original, points))
                        << format.depth << " " << std::hex << format.masks[3] << std::dec
                        << " " << width << "x" << height << " " << points;
                }
            }
        }
    }
}

// A width × height area of each channel value v smoothed by the pass and by the
// per-pixel pass, which must give the same bytes; how many values the per-pixel pass made
// darker at pixel probe.
int DarkerUniformAreas(int points, std::uint32_t width, std::uint32_t height, std::uint32_t probe)
{
    int darker = 0;
    for (std::uint32_t v = 0; v < 256; ++v) {
        KXPICTURE fast;
        Fill32(fast, width, height, v | (255 - v) << 8 | (v / 2) << 16 | 0xFF000000);
        KXPICTURE reference;
        CopyPicture(fast, reference);
        kxpixel::Smooth(fast, kxpixel::SmoothPass(points));
        kxpixel::SmoothPerPixel(reference, kxpixel::SmoothPass(points));
        EXPECT_EQ(PixelBytes(fast), PixelBytes(reference))
            << points << " points, " << width << " x " << height << ", value " << v;
        if ((reference.GetPixelPacked(probe) & 0xFF) != v)
            ++darker;
    }
    return darker;
}

// Where the mean of a channel is a whole number, the doubles of the per-pixel pass can
// land just below it, and a uniform area comes out one unit darker. The direct passes
// carry the sums in integers: over every channel value of a uniform area they must still
// give the per-pixel bytes, the darker ones included (and there must be darker ones, or
// the case is not exercised).
TEST(PictureSmooth, WholeMeansRoundAsThePerPixelPass)
{
    for (int points : {3, 5, 9})
        EXPECT_GT(DarkerUniformAreas(points, 4, 4, 5), 0) << points;
}

// Pixels whose channels sit near one value, so that the sums of the points fall on and
// just beside whole means, where the doubles decide: base + 0..spread per byte, each
// picture its own base. A spread of 255 gives random pixels.
void MakeNearlyUniform(KXPICTURE& picture, std::uint32_t width, std::uint32_t height,
                       const PICTUREFORMAT& format, std::uint32_t spread, std::mt19937& random)
{
    MakeRandom(picture, width, height, format, random);
    const std::uint32_t base = random() % (256 - spread);
    std::uint8_t* data = picture.GetData();
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        data[i] = static_cast<std::uint8_t>(base + random() % (spread + 1));
}

// Areas of one value and of values one apart give whole means at every other pixel, and
// a row of them carries a pixel come out darker into its right neighbour's sum. Over
// widths around every step a row walk may take at once (4, 8, 16, 32, 64 and 128 pixels),
// each place of the spare byte and each pass, smoothed in place and doubled, the direct
// road gives the per-pixel bytes.
TEST(PictureSmooth, SumsOnAndBesideWholeMeansGiveThePerPixelPixels)
{
    std::vector<std::uint32_t> widths;
    for (const std::uint32_t step : {4u, 8u, 16u, 32u, 64u, 128u}) {
        for (std::uint32_t w = step - 2; w <= step + 3; ++w) {
            if (widths.empty() || w > widths.back())
                widths.push_back(w);
        }
    }
    std::mt19937 random(27);
    for (const PICTUREFORMAT& format : directFormats) {
        for (const std::uint32_t width : widths) {
            for (const std::uint32_t height : {2u, 3u, 6u}) {
                for (const std::uint32_t spread : {0u, 1u, 2u, 255u}) {
                    for (int points : {3, 5, 9}) {
                        KXPICTURE original;
                        MakeNearlyUniform(original, width, height, format, spread, random);
                        ASSERT_TRUE(SmoothsAndDoublesAsPerPixel(original, points))
                            << format.depth << " " << std::hex << format.masks[3] << std::dec
                            << " " << width << "x" << height << " spread " << spread << " "
                            << points;
                    }
                }
            }
        }
    }
}

// The 5-point pass over 32-bit pixels goes sixteen rows at a time, each two columns
// behind the row below, on processors with the vectors for it, and leaves each row's ends
// to the pixel-at-a-time road. Around the narrowest rows it takes (62 pixels) and the
// fewest rows that make a block (19) or two, each place of the spare byte, areas of near
// values and random ones, smoothed in place and doubled: the per-pixel bytes.
TEST(PictureSmooth, SixteenRowsAtOnceGiveThePerPixelPixels)
{
    std::mt19937 random(28);
    for (const PICTUREFORMAT& format : directFormats) {
        if (format.depth != 32)
            continue;
        for (const std::uint32_t width : {61u, 62u, 63u, 64u, 97u}) {
            for (const std::uint32_t height : {18u, 19u, 20u, 35u, 36u, 52u}) {
                for (const std::uint32_t spread : {0u, 1u, 255u}) {
                    KXPICTURE original;
                    MakeNearlyUniform(original, width, height, format, spread, random);
                    ASSERT_TRUE(SmoothsAndDoublesAsPerPixel(original, 5))
                        << std::hex << format.masks[3] << std::dec << " " << width << "x"
                        << height << " spread " << spread;
                }
            }
        }
    }
}

// Uniform areas of every channel value give every whole mean, where the pass's doubles
// may land just below it: sixteen rows at a time round them as the per-pixel pass does.
TEST(PictureSmooth, SixteenRowsAtOnceRoundWholeMeansAsThePerPixelPass)
{
    EXPECT_GT(DarkerUniformAreas(5, 64, 19, 64 * 9 + 30), 0);
}

// --- fill and red-blue swap

TEST(PictureFill, EveryPixelTakesTheColour)
{
    for (const PICTUREFORMAT& format : everyDepth) {
        KXPICTURE p;
        p.Create(3, 2, format.depth);
        std::memset(p.GetData(), 0x5A, p.GetDataSize());
        KXPICTURE one;
        one.Create(1, 1, format.depth);
        std::memset(one.GetData(), 0x5A, one.GetDataSize());
        KXCOLOR colour = Colour(10, 20, 30, 40);
        p.Fill(colour);
        KXCOLOR same = Colour(10, 20, 30, 40);
        one.SetPixel(0, same);
        if (kxpixel::IsPaletteDepth(format.depth)) { // palette indices are never written
            EXPECT_EQ(PixelBytes(p), std::vector<std::uint8_t>(p.GetDataSize(), 0x5A));
            continue;
        }
        for (std::uint32_t i = 0; i < 6; ++i)
            EXPECT_EQ(p.GetPixelPacked(i), one.GetPixelPacked(0)) << format.depth;
    }
    KXPICTURE p;
    p.Create(2, 1, 24);
    p.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    KXCOLOR colour = Colour(1, 2, 3, 4);
    p.Fill(colour);
    EXPECT_EQ(PixelBytes(p), (std::vector<std::uint8_t>{3, 2, 1, 3, 2, 1}));
    colour.Set(0, 0, 255, 0);
    EXPECT_EQ(colour.ToPixel32(), 0xFFu); // the colour keeps the picture's masks
}

TEST(PictureSwapRedBlue, EveryPixelThroughThePicturesMasks)
{
    struct Case {
        PICTUREFORMAT format;
        std::vector<std::uint8_t> before, after;
    };
    const Case cases[] = {
        {{24, {0xFF0000, 0xFF00, 0xFF, 0}}, {3, 2, 1, 6, 5, 4}, {1, 2, 3, 4, 5, 6}},
        {{32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
         {3, 2, 1, 9, 6, 5, 4, 8},
         {1, 2, 3, 9, 4, 5, 6, 8}},
        {{16, {0x1F, 0x7E0, 0xF800, 0}}, {0x1F, 0x00, 0xE0, 0x07}, {0x00, 0xF8, 0xE0, 0x07}},
        {{8, {0, 0, 0, 0}}, {1, 2}, {1, 2}},
    };
    for (const Case& c : cases) {
        KXPICTURE p;
        p.Create(2, 1, c.format.depth);
        p.SetMasks(c.format.masks[0], c.format.masks[1], c.format.masks[2], c.format.masks[3]);
        std::memcpy(p.GetData(), c.before.data(), c.before.size());
        p.SwapRedBlue();
        EXPECT_EQ(PixelBytes(p), c.after) << c.format.depth;
    }
}

// --- region contour

int Index5(int x, int y)
{
    return x + 5 * y;
}

TEST(PictureTrace, UniformFiveByFive)
{
    KXPICTURE p;
    Fill32(p, 5, 5, 0x00808080);
    KXCOLLECTION<int> list;
    EXPECT_EQ(p.TraceRegion(list, 2, 2, 0.9), 12);
    const std::vector<int> expected = {Index5(4, 2), Index5(4, 3), Index5(4, 4), Index5(3, 4),
                                       Index5(2, 4), Index5(1, 4), Index5(1, 3), Index5(1, 2),
                                       Index5(1, 1), Index5(2, 1), Index5(3, 1), Index5(4, 1)};
    EXPECT_EQ(Contents(list), expected);
    EXPECT_EQ(p.TraceRegion(list, 2, 2, 0.9), 12); // the work buffer is cleared in full
    EXPECT_EQ(Contents(list), expected);
}

TEST(PictureTrace, BlackSquareOnWhite)
{
    KXPICTURE p;
    Fill32(p, 7, 7, 0xFFFFFFFF);
    for (std::uint32_t y = 2; y <= 4; ++y)
        for (std::uint32_t x = 2; x <= 4; ++x)
            kxpixel::Write32(p.GetData() + 4 * (x + 7 * y), 0);
    KXCOLLECTION<int> list;
    EXPECT_EQ(p.TraceRegion(list, 3, 3, 0.9), 8);
    const auto at = [](int x, int y) { return x + 7 * y; };
    EXPECT_EQ(Contents(list), (std::vector<int>{at(4, 3), at(4, 4), at(3, 4), at(2, 4), at(2, 3),
                                                at(2, 2), at(3, 2), at(4, 2)}));
}

TEST(PictureTrace, SeedsAtTheEdgesAndOutside)
{
    KXPICTURE p;
    Fill32(p, 5, 5, 0x00808080);
    KXCOLLECTION<int> list;
    EXPECT_EQ(p.TraceRegion(list, 0, 0, 0.9), 1);
    EXPECT_EQ(Contents(list), std::vector<int>{0});
    struct Case {
        std::uint32_t x, y;
        double threshold;
    };
    for (const Case c :
         {Case{5, 0, 0.9}, Case{0, 5, 0.9}, Case{2, 2, 1.01}, Case{2, 2, std::nan("")}}) {
        list.Add(99);
        EXPECT_EQ(p.TraceRegion(list, c.x, c.y, c.threshold), 0) << c.x << "," << c.y;
        EXPECT_EQ(list.GetCount(), 0);
    }
    KXPICTURE empty;
    EXPECT_EQ(empty.TraceRegion(list, 0, 0, 0.5), 0);
    // Without the work buffer a trace prepares, a lone step walks nothing.
    KXPICTURE fresh;
    Fill32(fresh, 3, 3, 0);
    KXCOLOR seed;
    EXPECT_EQ(fresh.TraceStep(list, 1, 1, seed, 0.5, 0), 0);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(PictureTrace, WorkBufferFollowsTheSize)
{
    KXPICTURE p;
    Fill32(p, 5, 5, 0x00808080);
    KXCOLLECTION<int> list;
    EXPECT_EQ(p.TraceRegion(list, 2, 2, 0.9), 12);
    ASSERT_TRUE(p.Resize(9, 9));
    EXPECT_EQ(p.TraceRegion(list, 4, 4, 0.9), 28); // the border of columns and rows 1..8
}

// The walk as a recursion over pixels: the order the explicit stack must reproduce.
class RECURSIVEWALK {
public:
    RECURSIVEWALK(const KXPICTURE& picture, double threshold)
        : picture(picture), threshold(threshold), w(picture.GetWidth()), h(picture.GetHeight()),
          work(w * h, 0)
    {}

    std::vector<int> Trace(int x, int y)
    {
        picture.GetPixelXY(x, y, seed);
        Step(x, y, 0);
        return recorded;
    }

private:
    bool Inside(int x, int y) const { return x > 0 && y > 0 && x < w && y < h; }

    void Record(int p)
    {
        if (work[p] != 2) {
            work[p] = 2;
            recorded.push_back(p);
        }
    }

    int Step(int x, int y, int d)
    {
        static const int dx[4] = {1, 0, -1, 0};
        static const int dy[4] = {0, 1, 0, -1};
        const int p = x + y * w;
        if (work[p] != 0)
            return 0;
        KXCOLOR colour;
        picture.GetPixel(p, colour);
        if (!(seed.Distance(colour) >= threshold))
            return -1;
        if (d == 5)
            return 1;
        work[p] = 1;
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[(k + d) % 4];
            const int ny = y + dy[(k + d) % 4];
            if (Inside(nx, ny)) {
                const int px = x + dx[(k + d + 3) % 4];
                const int py = y + dy[(k + d + 3) % 4];
                d = Inside(px, py) && Step(px, py, 5) >= 0 ? (d + k) % 4 : (d + k + 3) % 4;
                if (Step(nx, ny, d) < 0)
                    Record(p);
            } else {
                Record(p);
                if (y == 0)
                    d = 3;
            }
        }
        return 0;
    }

    const KXPICTURE& picture;
    const double threshold;
    const int w;
    const int h;
    std::vector<int> work;
    std::vector<int> recorded;
    KXCOLOR seed;
};

TEST(PictureTrace, SameOrderAsTheRecursiveWalkOnRandomRegions)
{
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        const std::uint32_t width = 3 + random() % 18;
        const std::uint32_t height = 3 + random() % 18;
        KXPICTURE p;
        Fill32(p, width, height, 0);
        for (std::uint32_t i = 0; i < width * height; ++i)
            if (random() % 3 == 0)
                kxpixel::Write32(p.GetData() + 4 * i, 0xFFFFFFFF);
        const std::uint32_t x = random() % width;
        const std::uint32_t y = random() % height;
        KXCOLLECTION<int> list;
        p.TraceRegion(list, x, y, 0.9);
        EXPECT_EQ(Contents(list), RECURSIVEWALK(p, 0.9).Trace(x, y))
            << width << "x" << height << " from " << x << "," << y;
    }
}

// A region of 2000 × 2000 pixels nests four million steps deep: no call stack holds that.
TEST(PictureTrace, HugeRegionDoesNotExhaustTheStack)
{
    KXPICTURE p;
    Fill32(p, 2001, 2001, 0x00336699);
    KXCOLLECTION<int> list;
    ASSERT_EQ(p.TraceRegion(list, 1000, 1000, 0.9), 4 * 2000 - 4);
    std::set<int> unique;
    for (int i = 0; i < list.GetCount(); ++i) {
        const int x = list[i] % 2001;
        const int y = list[i] / 2001;
        EXPECT_TRUE(x == 1 || y == 1 || x == 2000 || y == 2000) << x << "," << y;
        unique.insert(list[i]);
    }
    EXPECT_EQ(unique.size(), 4u * 2000 - 4);
}

} // namespace
