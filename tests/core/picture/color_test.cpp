#include "kxcolor.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct RGBA {
    int r, g, b;
};

RGBA Channels(const KXCOLOR& c)
{
    return {c.GetR(), c.GetG(), c.GetB()};
}

bool operator==(const RGBA& x, const RGBA& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b;
}

std::ostream& operator<<(std::ostream& out, const RGBA& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

TEST(Color, NewColorIsBlackWithTheDefaultLayout)
{
    KXCOLOR c;
    EXPECT_STREQ(c.GetName(), "KXCOLOR");
    EXPECT_EQ(c.ToPixel32(), 0u);
    c.Set(1, 2, 3, 4);
    EXPECT_EQ(c.ToPixel32(), 0x04030201u);
}

TEST(Color, AssignmentCopiesChannelsButNotMasks)
{
    KXCOLOR source;
    source.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000).Set(1, 2, 3, 4);
    KXCOLOR target;
    target = source;
    EXPECT_EQ(target.ToPixel32(), 0x04030201u);
    const KXCOLOR copy(source);
    EXPECT_EQ(copy.ToPixel32(), source.ToPixel32());
}

TEST(Color, PackingThroughMasks)
{
    struct Case {
        std::uint32_t masks[4];
        RGBA colour;
        std::uint32_t packed;
    };
    const Case cases[] = {
        {{0xFF0000, 0xFF00, 0xFF, 0}, {1, 2, 3}, 0x010203},
        {{0x1F, 0x7E0, 0xF800, 0}, {255, 255, 255}, 0xFFFF},
        {{0x1F, 0x7E0, 0xF800, 0}, {0, 0, 0}, 0},
        {{0xF800, 0x7E0, 0x1F, 0}, {200, 0, 0}, 24u << 11},
        {{0x7C00, 0x3E0, 0x1F, 0}, {255, 9, 16}, 0x7C00 | 1u << 5 | 1u},
        {{0x3FF00000, 0xFFC00, 0x3FF, 0}, {255, 0, 255}, 0x3FF003FF},
    };
    for (const Case& c : cases) {
        KXCOLOR colour;
        colour.SetMasks(c.masks[0], c.masks[1], c.masks[2], c.masks[3]);
        colour.Set(static_cast<std::uint8_t>(c.colour.r), static_cast<std::uint8_t>(c.colour.g),
                   static_cast<std::uint8_t>(c.colour.b), 0);
        EXPECT_EQ(colour.ToPixel32(), c.packed) << c.colour;
    }
}

TEST(Color, UnpackingThroughMasks)
{
    KXCOLOR c;
    c.SetMasks(0x1F, 0x7E0, 0xF800, 0);
    c.SetFrom16(0xFFFF);
    EXPECT_EQ(Channels(c), (RGBA{255, 255, 255}));
    c.SetMasks(0xF800, 0x7E0, 0x1F, 0);
    c.SetFrom16(24u << 11);
    EXPECT_EQ(c.GetR(), 197); // the low bits are lost in five
    const std::uint8_t bytes[] = {3, 2, 1};
    c.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    c.SetFrom24(bytes);
    EXPECT_EQ(Channels(c), (RGBA{1, 2, 3}));
    // A field of the whole word unpacks without overflowing.
    EXPECT_EQ(KXCOLOR::ExtractChannel(0xFFFFFFFF, 0xFFFFFFFF), 255);
    EXPECT_EQ(KXCOLOR::ExtractChannel(0x80000000, 0xFFFFFFFF), 127);
    EXPECT_EQ(KXCOLOR::ExtractChannel(0x3FF00000, 0x3FF00000), 255);
}

TEST(Color, ZeroMaskOrZeroChannel)
{
    EXPECT_EQ(KXCOLOR::ExtractChannel(0xFFFFFFFF, 0), 0);
    std::uint32_t pixel = 0xABCD;
    KXCOLOR::PackChannel(pixel, 0xFF, 0);
    EXPECT_EQ(pixel, 0xABCDu);
    KXCOLOR::PackChannel(pixel, 0, 200);
    EXPECT_EQ(pixel, 0xABCDu);
    KXCOLOR::PackChannel(pixel, 0xFF, 0x12);
    EXPECT_EQ(pixel, 0xAB12u);
}

TEST(Color, YCbCr)
{
    KXCOLOR c;
    c.Set(255, 255, 255, 0);
    EXPECT_EQ(c.GetY(), 255);
    c.Set(0, 0, 255, 0);
    EXPECT_EQ(c.GetCb(), 255);
    c.Set(255, 255, 0, 0);
    EXPECT_EQ(c.GetCb(), 0);
    c.Set(255, 0, 0, 9);
    EXPECT_EQ(c.ToYCbCr(),
              static_cast<std::uint32_t>(c.GetCr() | c.GetCb() << 8 | c.GetY() << 16 | 9 << 24));
    EXPECT_EQ(c.ToYCbCrAlpha(), c.ToYCbCr());

    // Round trips stay within a step or two; out-of-range results are clamped.
    for (RGBA rgb : {RGBA{0, 0, 0}, RGBA{255, 255, 255}, RGBA{200, 100, 50}, RGBA{10, 250, 120}}) {
        c.Set(static_cast<std::uint8_t>(rgb.r), static_cast<std::uint8_t>(rgb.g),
              static_cast<std::uint8_t>(rgb.b), 7);
        KXCOLOR back;
        back.SetFromYCbCr(c.ToYCbCr());
        EXPECT_NEAR(back.GetR(), rgb.r, 2) << rgb;
        EXPECT_NEAR(back.GetG(), rgb.g, 2) << rgb;
        EXPECT_NEAR(back.GetB(), rgb.b, 2) << rgb;
        EXPECT_EQ(back.ToPixel32() >> 24, 7u);
        back.SetFromYCbCrOpaque(c.ToYCbCr());
        EXPECT_EQ(back.ToPixel32() >> 24, 0u);
    }
    c.SetYCbCr(255, 128, 128, 0);
    EXPECT_EQ(Channels(c), (RGBA{255, 255, 255}));
    c.SetYCbCr(0, 128, 128, 0);
    EXPECT_EQ(Channels(c), (RGBA{0, 0, 0}));
}

TEST(Color, ArithmeticSaturates)
{
    struct Case {
        RGBA colour;
        double factor;
        RGBA scaled;
    };
    const Case cases[] = {{{255, 200, 1}, 0.5, {127, 100, 0}},
                          {{200, 100, 10}, 1.5, {255, 150, 15}},
                          {{200, 100, 10}, -1.0, {0, 0, 0}}};
    for (const Case& c : cases) {
        KXCOLOR colour;
        colour.Set(static_cast<std::uint8_t>(c.colour.r), static_cast<std::uint8_t>(c.colour.g),
                   static_cast<std::uint8_t>(c.colour.b), 33);
        colour.Scale(c.factor);
        EXPECT_EQ(Channels(colour), c.scaled) << c.factor;
        EXPECT_EQ(colour.ToPixel32() >> 24, 33u);
    }

    KXCOLOR a, b;
    a.Set(200, 0, 255, 100);
    b.Set(100, 5, 0, 200);
    EXPECT_EQ(Channels(KXCOLOR(a).AddSaturate(b)), (RGBA{255, 5, 255}));
    KXCOLOR product(a);
    product.MultiplySaturate(b);
    EXPECT_EQ(Channels(product), (RGBA{255, 0, 0}));
    KXCOLOR full, half;
    full.Set(255, 255, 0, 1);
    half.Set(128, 0, 255, 0);
    full.Modulate(half);
    EXPECT_EQ(Channels(full), (RGBA{128, 0, 0}));

    KXCOLOR fromDoubles;
    fromDoubles.SetFromDoubles(1.0, 0.5, 2.0, -0.5);
    EXPECT_EQ(fromDoubles.ToPixel32(), 0x00FF7FFFu);
}

TEST(Color, DistanceIsASimilarity)
{
    KXCOLOR black, white, grey;
    white.Set(255, 255, 255, 255);
    grey.Set(51, 51, 51, 0);
    EXPECT_DOUBLE_EQ(white.Distance(white), 1.0);
    EXPECT_DOUBLE_EQ(black.Distance(white), 0.0);
    EXPECT_DOUBLE_EQ(black.Distance(grey), 0.25 + 3 * (204 / 1020.0));
}

TEST(Color, FloatAccessAndSwap)
{
    KXCOLOR c;
    c.Set(255, 0, 51, 0);
    double r, g, b;
    c.GetRGBf(r, g, b);
    EXPECT_DOUBLE_EQ(r, 1.0);
    EXPECT_DOUBLE_EQ(g, 0.0);
    EXPECT_DOUBLE_EQ(b, 0.2);
    c.SwapRedBlue();
    EXPECT_EQ(Channels(c), (RGBA{51, 0, 255}));
}

} // namespace
