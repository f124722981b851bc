#include "kxpicture.h"
#include "kxspareblocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const KXPICTURE& picture)
{
    return {picture.GetData(), picture.GetData() + picture.GetDataSize()};
}

void ExpectMasks(const KXPICTURE& p, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                 std::uint32_t a)
{
    EXPECT_EQ(p.GetRedMask(), r);
    EXPECT_EQ(p.GetGreenMask(), g);
    EXPECT_EQ(p.GetBlueMask(), b);
    EXPECT_EQ(p.GetAlphaMask(), a);
}

TEST(Picture, NewPictureIsEmpty)
{
    KXPICTURE p;
    EXPECT_STREQ(p.GetName(), "KXPICTURE");
    EXPECT_EQ(p.GetWidth(), 0u);
    EXPECT_EQ(p.GetHeight(), 0u);
    EXPECT_EQ(p.GetDepth(), 0);
    EXPECT_EQ(p.GetDataSize(), 0u);
    EXPECT_EQ(p.GetPaletteSize(), 0u);
    EXPECT_EQ(p.GetData(), nullptr);
    EXPECT_EQ(p.GetPalette(), nullptr);
    ExpectMasks(p, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    EXPECT_EQ(p.GetLoaderSet().GetOwner(), &p);
}

TEST(Picture, CreateSizesTheBufferAndSetsMasksByDepth)
{
    struct Case {
        std::uint32_t width, height;
        std::uint16_t depth;
        std::uint32_t size;
        std::uint32_t masks[4];
    };
    const Case cases[] = {
        {3, 1, 1, 1, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
        {3, 3, 4, 5, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
        {10, 10, 8, 100, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
        {10, 10, 16, 200, {0x1F, 0x7E0, 0xF800, 0}},
        {10, 10, 24, 300, {0xFF, 0xFF00, 0xFF0000, 0}},
        {10, 10, 280, 300, {0xFF, 0xFF00, 0xFF0000, 0}},
        {10, 10, 32, 400, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
        {0, 5, 32, 0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    };
    for (const Case& c : cases) {
        KXPICTURE p;
        p.SetMasks(1, 2, 4, 8);
        EXPECT_TRUE(p.Create(c.width, c.height, c.depth));
        EXPECT_EQ(p.GetDataSize(), c.size) << c.depth;
        EXPECT_EQ(p.GetData() != nullptr, c.size > 0) << c.depth;
        ExpectMasks(p, c.masks[0], c.masks[1], c.masks[2], c.masks[3]);
    }
}

TEST(Picture, SizesBeyondTheMemoryManagerAreRefused)
{
    KXPICTURE p;
    EXPECT_FALSE(p.Create(100000, 100000, 32));
    EXPECT_EQ(p.GetData(), nullptr);
    EXPECT_EQ(p.GetWidth(), 0u);
    EXPECT_EQ(p.GetDataSize(), 0u);
    EXPECT_FALSE(p.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 32));
    EXPECT_EQ(p.GetHeight(), 0u);
}

// A loader fills the pixels first; the picture takes them only when it can take them all,
// and otherwise stays as it was, the buffer still the loader's.
TEST(Picture, CreateWithPixelsTakesAFilledBufferOrNothing)
{
    KXPICTURE p;
    ASSERT_TRUE(p.Create(1, 1, 24));
    const std::uint8_t* before = p.GetData();
    std::uint8_t* pixels = nullptr;
    std::uint32_t bytes = 0;
    ASSERT_TRUE(KXPICTURE::NewPixelBuffer(3, 2, 8, pixels, bytes));
    ASSERT_EQ(bytes, 6u);
    std::memcpy(pixels, "abcdef", 6);
    EXPECT_FALSE(p.CreateWithPixels(3, 2, 8, 0x20000000, pixels)); // no such palette
    EXPECT_FALSE(p.CreateWithPixels(100000, 100000, 32, 0, pixels));
    EXPECT_EQ(p.GetData(), before);
    EXPECT_EQ(p.GetWidth(), 1u);
    EXPECT_EQ(p.GetDepth(), 24);

    ASSERT_TRUE(p.CreateWithPixels(3, 2, 8, 256, pixels));
    EXPECT_EQ(p.GetData(), pixels);
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(p.GetWidth(), 3u);
    EXPECT_EQ(p.GetHeight(), 2u);
    EXPECT_EQ(p.GetDepth(), 8);
    EXPECT_EQ(p.GetPaletteSize(), 256u);
    EXPECT_NE(p.GetPalette(), nullptr);
}

// A picture made again at the size it holds keeps its buffer (a file read again, the next
// picture of the same size); one that cannot have its palette stays as it was.
TEST(Picture, CreateWithPaletteKeepsABufferOfTheSameSize)
{
    KXPICTURE p;
    ASSERT_TRUE(p.Create(4, 3, 24)); // 36 bytes
    const std::uint8_t* buffer = p.GetData();
    EXPECT_FALSE(p.CreateWithPalette(9, 4, 8, 0x20000000)); // 36 bytes, no such palette
    EXPECT_EQ(p.GetData(), buffer);
    EXPECT_EQ(p.GetDataSize(), 36u);
    EXPECT_EQ(p.GetWidth(), 4u);
    EXPECT_EQ(p.GetDepth(), 24);

    ASSERT_TRUE(p.CreateWithPalette(9, 4, 8, 256));
    EXPECT_EQ(p.GetData(), buffer);
    EXPECT_EQ(p.GetWidth(), 9u);
    EXPECT_EQ(p.GetHeight(), 4u);
    EXPECT_EQ(p.GetDepth(), 8);
    EXPECT_EQ(p.GetPaletteSize(), 256u);

    ASSERT_TRUE(p.CreateWithPalette(10, 4, 8, 0));
    EXPECT_EQ(p.GetDataSize(), 40u);
    EXPECT_EQ(p.GetPaletteSize(), 0u);
}

// A picture gives its buffers back with the sizes it made them with, so that a deliverable
// that keeps large blocks for reuse (the viewer while it works) keeps them under exactly
// those sizes, and the next picture of the size gets the block again.
TEST(Picture, ItsPixelBufferIsKeptUnderTheSizeItWasMadeWith)
{
    SpareBlocks().Open();
    SpareBlocks().ReleaseAll();
    KXPICTURE p;
    // 3,000,000 bytes of pixels in a buffer with room for their 32-bit form.
    ASSERT_TRUE(p.CreateWithPalette(1000, 1000, 24, 0, 32));
    ASSERT_EQ(p.GetDataCapacity(), 4000000u);
    const std::uint8_t* buffer = p.GetData();
    p.Reset();
    EXPECT_EQ(SpareBlocks().KeptBlocks(), 1u);
    EXPECT_EQ(SpareBlocks().KeptBytes(), 4000000u);
    KXPICTURE next;
    ASSERT_TRUE(next.Create(1000, 1000, 32));
    EXPECT_EQ(next.GetData(), buffer);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), 0u);
    next.Reset();
    EXPECT_EQ(SpareBlocks().KeptBytes(), 4000000u);
    SpareBlocks().ReleaseAll();
}

// The room a loader makes is the picture's own setting, which the loader passes on when it
// makes the buffer: none for a new picture, so that one read and never converted holds
// its file's depth only. A picture set to 32 bits (the viewer's) keeps the setting through
// every read, which empties the picture first, so each read has the room and converts in
// the buffer it was read into.
TEST(Picture, TheRoomALoadMakesIsThePicturesOwnSetting)
{
    KXPICTURE plain;
    EXPECT_EQ(plain.GetLoadForm().depth, 0);
    ASSERT_TRUE(plain.CreateWithPalette(1000, 700, 8, 256, plain.GetLoadForm().depth));
    EXPECT_EQ(plain.GetDataCapacity(), plain.GetDataSize());

    KXPICTURE shown;
    shown.SetLoadForm(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
    for (int read = 0; read < 3; ++read) {
        // A loader that reads the pixels before the picture changes.
        std::uint8_t* pixels = nullptr;
        std::uint32_t bytes = 0;
        ASSERT_TRUE(KXPICTURE::NewPixelBuffer(1000, 700, 8, pixels, bytes,
                                              shown.GetLoadForm().depth));
        ASSERT_TRUE(shown.CreateWithPixels(1000, 700, 8, 256, pixels, bytes)) << read;
        std::memset(shown.GetData(), 7, shown.GetDataSize());
        std::memset(shown.GetPalette(), 9, 1024);
        EXPECT_EQ(shown.GetDataCapacity(), 2800000u) << read;
        ASSERT_TRUE(shown.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
        EXPECT_EQ(shown.GetData(), pixels) << read;
        // A loader that decodes into the picture.
        ASSERT_TRUE(shown.CreateWithPalette(999, 700, 4, 16, shown.GetLoadForm().depth));
        EXPECT_EQ(shown.GetDataCapacity(), 2797200u) << read;
        shown.Reset();
    }
    EXPECT_EQ(shown.GetLoadForm().depth, 32);
}

TEST(Picture, PaletteLookups)
{
    KXPICTURE p;
    p.SetPaletteSize(2);
    const std::uint8_t entries[] = {10, 20, 30, 40, 1, 2, 3, 4};
    std::memcpy(p.GetPalette(), entries, sizeof entries);
    std::uint32_t value = 0;
    EXPECT_TRUE(p.LookupPalette(0, value));
    EXPECT_EQ(value, 30u | 20u << 8 | 10u << 16);
    KXCOLOR colour;
    EXPECT_TRUE(p.GetPaletteColor(1, colour));
    EXPECT_EQ(colour.GetR(), 3);
    EXPECT_EQ(colour.GetB(), 1);
    EXPECT_EQ(colour.ToPixel32(), 0x04010203u);
    EXPECT_FALSE(p.LookupPalette(2, value));
    EXPECT_FALSE(p.GetPaletteColor(2, colour));
}

TEST(Picture, ReadingWithoutAPalette)
{
    KXPICTURE grey;
    grey.Create(2, 1, 8);
    grey.GetData()[0] = 0x40;
    EXPECT_EQ(grey.GetPixelPacked(0), 0x404040u);

    KXPICTURE bits;
    bits.Create(8, 1, 1);
    bits.GetData()[0] = 0x02;
    for (std::uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(bits.GetPixelPacked(i), i == 1 ? 0xFFFFFFu : 0u) << i;

    KXPICTURE nibbles;
    nibbles.Create(2, 1, 4);
    nibbles.GetData()[0] = 0xF1; // pixel 0 in the low nibble
    EXPECT_EQ(nibbles.GetPixelPacked(0), 0x111111u);
    EXPECT_EQ(nibbles.GetPixelPacked(1), 0xFFFFFFu);

    KXPICTURE direct;
    direct.Create(1, 1, 16);
    direct.SetPaletteSize(1);
    std::memset(direct.GetPalette(), 0x55, 4);
    direct.GetData()[0] = 0x34;
    direct.GetData()[1] = 0x12;
    EXPECT_EQ(direct.GetPixelPacked(0), 0x1234u); // a 16-bit value is never a palette index
}

TEST(Picture, WritingAndReadingThroughTheMasks)
{
    KXPICTURE p;
    p.Create(2, 1, 24);
    p.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    KXCOLOR colour;
    colour.Set(1, 2, 3, 0);
    p.SetPixel(0, colour);
    EXPECT_EQ(Bytes(p)[0], 3);
    EXPECT_EQ(Bytes(p)[1], 2);
    EXPECT_EQ(Bytes(p)[2], 1);
    KXCOLOR back;
    back.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    p.GetPixel(0, back);
    EXPECT_EQ(back.GetR(), 1);
    EXPECT_EQ(back.GetB(), 3);

    p.SetPixelPacked(1, 0x00ABCDEF); // the default layout: red EF
    EXPECT_EQ(Bytes(p)[3], 0xAB);
    EXPECT_EQ(Bytes(p)[5], 0xEF);

    KXPICTURE paletted;
    paletted.Create(1, 1, 8);
    paletted.GetData()[0] = 7;
    paletted.SetMasks(0, 0, 0, 0);
    KXCOLOR untouched;
    paletted.SetPixel(0, untouched);
    EXPECT_EQ(paletted.GetData()[0], 7);
    untouched.Set(255, 255, 255, 255);
    EXPECT_EQ(untouched.ToPixel32(), 0u); // the colour took the picture's masks
}

TEST(Picture, YCbCrPixels)
{
    KXPICTURE p;
    p.Create(1, 1, KXDEPTH_YCBCR24);
    KXCOLOR white;
    white.Set(255, 255, 255, 0);
    p.SetPixel(0, white);
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{128, 128, 255})); // Cr, Cb, Y
    EXPECT_EQ(p.GetPixelPacked(0), 0xFF8080u);
}

TEST(Picture, ConvertDepth)
{
    KXPICTURE p;
    p.Create(2, 1, 24);
    p.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    const std::uint8_t bgr[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(p.GetData(), bgr, sizeof bgr);
    p.SetPaletteSize(3);

    EXPECT_TRUE(p.ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0));
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6})); // nothing to do
    // The same depth with other masks is re-encoded.
    EXPECT_TRUE(p.ConvertDepth(24, 0xFF, 0xFF00, 0xFF0000, 0));
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_TRUE(p.ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0));
    ExpectMasks(p, 0xFF0000, 0xFF00, 0xFF, 0);

    EXPECT_TRUE(p.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
    EXPECT_EQ(p.GetDepth(), 32);
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{1, 2, 3, 0, 4, 5, 6, 0}));
    ExpectMasks(p, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    EXPECT_EQ(p.GetPaletteSize(), 3u);

    // A depth that cannot be written is refused and the picture stays as it was.
    EXPECT_FALSE(p.ConvertDepth(8, 0xFF, 0xFF00, 0xFF0000, 0));
    EXPECT_EQ(p.GetDepth(), 32);
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{1, 2, 3, 0, 4, 5, 6, 0}));
}

// A size raised after the buffer was made: the buffer holds fewer pixels than the size
// says, so converting would read past its end. Refused, the picture as it was, whichever
// road the conversion would take (in place or into a new buffer).
TEST(Picture, ConvertDepthRefusesASizeItsBufferDoesNotHold)
{
    struct Case {
        std::uint16_t from;
        std::uint16_t to;
        bool wider; // width raised, else height
    };
    const Case cases[] = {{24, 32, true}, {24, 24, true}, {32, 32, false}, {8, 32, true},
                          {16, 24, false}, {1, 24, true}, {32, KXDEPTH_YCBCR24, false}};
    for (const Case c : cases) {
        KXPICTURE p;
        ASSERT_TRUE(p.Create(3, 2, c.from));
        for (std::uint32_t i = 0; i < p.GetDataSize(); ++i)
            p.GetData()[i] = static_cast<std::uint8_t>(i * 29 + 1);
        p.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
        const std::vector<std::uint8_t> before = Bytes(p);
        const std::uint8_t* buffer = p.GetData();
        if (c.wider)
            p.SetWidth(7);
        else
            p.SetHeight(5);
        EXPECT_FALSE(p.ConvertDepth(c.to, 0xFF, 0xFF00, 0xFF0000, 0)) << c.from << "->" << c.to;
        EXPECT_EQ(p.GetDepth(), c.from);
        EXPECT_EQ(p.GetData(), buffer);
        EXPECT_EQ(Bytes(p), before);
        ExpectMasks(p, 0xFF0000, 0xFF00, 0xFF, 0);
        // Back at the size the buffer was made for, it converts.
        p.SetWidth(3);
        p.SetHeight(2);
        EXPECT_TRUE(p.ConvertDepth(c.to, 0xFF, 0xFF00, 0xFF0000, 0)) << c.from << "->" << c.to;
    }
}

// Palette indices are not encoded through masks: at its own palette depth a picture has
// nothing to convert, whatever masks are asked for.
TEST(Picture, ConvertDepthToItsOwnPaletteDepthChangesNothing)
{
    for (const std::uint16_t depth : {1, 4, 8}) {
        KXPICTURE p;
        ASSERT_TRUE(p.Create(5, 3, depth));
        std::memset(p.GetData(), 0xA5, p.GetDataSize());
        p.SetPaletteSize(2);
        const std::vector<std::uint8_t> before = Bytes(p);
        const std::uint8_t* buffer = p.GetData();
        EXPECT_TRUE(p.ConvertDepth(depth, 0xFF0000, 0xFF00, 0xFF, 0)) << depth;
        EXPECT_EQ(p.GetDepth(), depth);
        EXPECT_EQ(p.GetData(), buffer);
        EXPECT_EQ(Bytes(p), before);
        ExpectMasks(p, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
        EXPECT_EQ(p.GetPaletteSize(), 2u);
    }
}

// A paletted picture converts through its own palette, whatever masks its loader set.
TEST(Picture, ConvertDepthReadsThroughThePalette)
{
    KXPICTURE p;
    p.Create(3, 1, 8);
    p.SetMasks(0, 0, 0, 0);
    p.SetPaletteSize(2);
    const std::uint8_t entries[] = {0, 0, 255, 0, 255, 0, 0, 0}; // red, blue
    std::memcpy(p.GetPalette(), entries, sizeof entries);
    const std::uint8_t indices[] = {0, 1, 9}; // 9 has no entry: grey
    std::memcpy(p.GetData(), indices, sizeof indices);

    ASSERT_TRUE(p.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
    EXPECT_EQ(Bytes(p), (std::vector<std::uint8_t>{0, 0, 255, 0, 255, 0, 0, 0, 9, 9, 9, 0}));

    KXPICTURE bits;
    bits.Create(2, 1, 1);
    bits.GetData()[0] = 0x02;
    ASSERT_TRUE(bits.ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0));
    EXPECT_EQ(Bytes(bits), (std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255}));
}

TEST(Picture, ResetKeepsTheResolutions)
{
    KXPICTURE p;
    p.Create(4, 4, 32);
    p.SetPaletteSize(4);
    p.SetXResolution(2835);
    p.SetYResolution(-1);
    ASSERT_NE(p.AllocWorkBuffer(), nullptr);
    ASSERT_NE(p.AllocWorkBuffer(), nullptr); // the old one is freed, not lost
    p.Reset();
    EXPECT_EQ(p.GetData(), nullptr);
    EXPECT_EQ(p.GetPaletteSize(), 0u);
    EXPECT_EQ(p.GetXResolution(), 2835);
    EXPECT_EQ(p.GetYResolution(), -1);
    EXPECT_EQ(p.AllocWorkBuffer(), nullptr);
}

} // namespace
