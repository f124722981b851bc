// The BMP writer and reader against each other and against an independent decoder.
#include "bmptest.h"
#include "tempdir.h"

#include "bmpcodec.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> Pixels(const KXPICTURE& picture)
{
    return {picture.GetData(), picture.GetData() + picture.GetDataSize()};
}

// A picture of random pixels; paletted depths get a random palette of every entry.
void MakeRandom(KXPICTURE& picture, std::uint32_t width, std::uint32_t height, std::uint16_t depth,
                std::mt19937& random)
{
    ASSERT_TRUE(picture.Create(width, height, depth));
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(random());
    if (depth <= 8) {
        picture.SetPaletteSize(1u << depth);
        for (std::uint32_t i = 0; i < 4 * picture.GetPaletteSize(); ++i)
            picture.GetPalette()[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 0 : random());
    }
    // The bits beyond the last pixel of a 1- or 4-bit picture are no pixels.
    const std::uint64_t usedBits = std::uint64_t{width} * height * (depth & 0xFF);
    if (usedBits % 8 != 0)
        picture.GetData()[picture.GetDataSize() - 1] &=
            static_cast<std::uint8_t>((1u << (usedBits % 8)) - 1);
    if (depth == 16)
        picture.SetMasks(0xF800, 0x7E0, 0x1F, 0);
    if (depth == 24 || depth == 32)
        picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
}

// The same file stored top-down: negative height, rows in the other order.
std::vector<std::uint8_t> TopDown(const std::vector<std::uint8_t>& file, std::uint32_t height)
{
    std::vector<std::uint8_t> flipped = file;
    const std::uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24;
    const std::size_t stride = (file.size() - offset) / height;
    const std::int32_t negative = -static_cast<std::int32_t>(height);
    std::memcpy(flipped.data() + 22, &negative, 4);
    for (std::uint32_t row = 0; row < height; ++row)
        std::memcpy(flipped.data() + offset + stride * row,
                    file.data() + offset + stride * (height - 1 - row), stride);
    return flipped;
}

QImage ReadWithQt(const std::vector<std::uint8_t>& file)
{
    QImage image;
    image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP");
    return image;
}

// Every depth at widths around the byte and word boundaries round-trips byte for byte,
// stored bottom-up and top-down, and the independent decoder sees the same colours.
TEST(Codec, EveryDepthRoundTrips)
{
    std::mt19937 random(7);
    for (std::uint16_t depth : {1, 4, 8, 16, 24, 32}) {
        for (std::uint32_t width : {1u, 2u, 3u, 4u, 5u, 31u, 32u, 33u}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " width " << width);
            KXPICTURE original;
            MakeRandom(original, width, 3, depth, random);
            original.SetXResolution(2835);
            original.SetYResolution(3780);
            std::vector<std::uint8_t> file;
            ASSERT_TRUE(bmp::Encode(original, file));
            const std::size_t stride = (width * (depth & 0xFF) + 31) / 32 * 4;
            EXPECT_EQ(file.size() % 2, 0u);
            EXPECT_GE(file.size(), 54 + 3 * stride);

            for (const std::vector<std::uint8_t>& stored : {file, TopDown(file, 3)}) {
                KXPICTURE back;
                ASSERT_TRUE(bmp::Decode(stored.data(), stored.size(), back));
                EXPECT_EQ(back.GetWidth(), width);
                EXPECT_EQ(back.GetHeight(), 3u);
                EXPECT_EQ(back.GetDepth(), depth);
                EXPECT_EQ(back.GetXResolution(), 2835);
                EXPECT_EQ(back.GetYResolution(), 3780);
                EXPECT_EQ(Pixels(back), Pixels(original));
                EXPECT_EQ(back.GetPaletteSize(), original.GetPaletteSize());
            }
            KXPICTURE shown;
            ASSERT_TRUE(bmp::Decode(file.data(), file.size(), shown));
            const QImage qt = ReadWithQt(file);
            ASSERT_FALSE(qt.isNull());
            // Five- and six-bit channels widen to bytes by another rounding in the peer.
            EXPECT_LE(LargestDifference(Displayed(shown), qt), depth == 16 ? 8 : 0);
            EXPECT_GE(LargestDifference(Displayed(shown), qt), 0);
        }
    }
}

TEST(Codec, RowsArePaddedToFourBytes)
{
    KXPICTURE picture;
    picture.Create(3, 3, 24);
    std::memset(picture.GetData(), 0xAB, picture.GetDataSize());
    picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(bmp::Encode(picture, file));
    EXPECT_EQ(file.size(), 54u + 36u);
    EXPECT_EQ(file[10], 54);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(file[54 + 12 * row + 8], 0xAB);
        EXPECT_EQ(file[54 + 12 * row + 9], 0) << "padding of row " << row;
    }
}

// The leftmost pixel of a byte is its highest bits in the file, its lowest in a picture.
TEST(Codec, PackedPixelsChangeTheirOrderWithinAByte)
{
    KXPICTURE picture;
    picture.Create(8, 1, 1);
    picture.GetData()[0] = 0x01; // pixel 0 set
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(bmp::Encode(picture, file));
    EXPECT_EQ(file[54 + 8], 0x80);
    KXPICTURE nibbles;
    nibbles.Create(2, 1, 4);
    nibbles.GetData()[0] = 0x21; // pixel 0 is 1, pixel 1 is 2
    ASSERT_TRUE(bmp::Encode(nibbles, file));
    EXPECT_EQ(file[54 + 64], 0x12);
}

TEST(Codec, PictureWithoutPaletteGetsTheGreysItsPixelsReadAs)
{
    for (std::uint16_t depth : {1, 4, 8}) {
        KXPICTURE picture;
        picture.Create(2, 1, depth);
        std::memset(picture.GetData(), 0, picture.GetDataSize());
        std::vector<std::uint8_t> file;
        ASSERT_TRUE(bmp::Encode(picture, file));
        KXPICTURE back;
        ASSERT_TRUE(bmp::Decode(file.data(), file.size(), back));
        const std::uint32_t last = (1u << depth) - 1;
        std::uint32_t white = 0;
        ASSERT_TRUE(back.LookupPalette(last, white));
        EXPECT_EQ(white, 0xFFFFFFu) << depth;
        std::uint32_t black = 1;
        ASSERT_TRUE(back.LookupPalette(0, black));
        EXPECT_EQ(black, 0u) << depth;
    }
}

// Sixteen-bit pixels keep the picture's own masks through bit fields; a 24-bit picture
// in another channel order is stored blue, green, red.
TEST(Codec, MasksSurviveWriting)
{
    KXPICTURE direct;
    direct.Create(1, 1, 16); // red in the low five bits
    KXCOLOR red;
    red.Set(255, 0, 0, 0);
    direct.SetPixel(0, red);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(bmp::Encode(direct, file));
    const QRgb five = ReadWithQt(file).pixel(0, 0);
    EXPECT_GE(qRed(five), 248); // five bits of red, widened
    EXPECT_EQ(qGreen(five), 0);
    EXPECT_EQ(qBlue(five), 0);

    KXPICTURE rgb;
    rgb.Create(1, 1, 24); // red in the low byte
    rgb.SetPixel(0, red);
    ASSERT_TRUE(bmp::Encode(rgb, file));
    EXPECT_EQ(ReadWithQt(file).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(file[54 + 2], 255);
}

TEST(Codec, PicturesItCannotWriteAreRefused)
{
    std::vector<std::uint8_t> file{1, 2, 3};
    KXPICTURE empty;
    EXPECT_FALSE(bmp::Encode(empty, file));
    EXPECT_TRUE(file.empty());
    KXPICTURE ycbcr;
    ycbcr.Create(2, 2, KXDEPTH_YCBCR24);
    EXPECT_FALSE(bmp::Encode(ycbcr, file));
}

// Truncations and corruptions of a good file: each is refused with the picture as it
// was, or read whole.
TEST(Codec, DamagedHeadersAreRefused)
{
    KXPICTURE source;
    source.Create(4, 4, 8);
    std::memset(source.GetData(), 3, source.GetDataSize());
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(bmp::Encode(source, good));

    auto refused = [](std::vector<std::uint8_t> file) {
        KXPICTURE picture;
        picture.Create(1, 1, 8);
        picture.GetData()[0] = 42;
        const bool read = bmp::Decode(file.data(), file.size(), picture);
        return !read && picture.GetWidth() == 1 && picture.GetData()[0] == 42;
    };
    auto with = [&good](std::size_t at, std::uint32_t value, int bytes) {
        std::vector<std::uint8_t> file = good;
        std::memcpy(file.data() + at, &value, static_cast<std::size_t>(bytes));
        return file;
    };
    for (std::size_t length : {0u, 2u, 14u, 30u, 53u})
        EXPECT_TRUE(refused({good.begin(), good.begin() + static_cast<long>(length)})) << length;
    EXPECT_TRUE(refused({good.begin(), good.end() - 1}));
    EXPECT_TRUE(refused(with(0, 'X', 1)));         // signature
    EXPECT_TRUE(refused(with(14, 41, 4)));         // header size
    EXPECT_TRUE(refused(with(18, 0, 4)));          // width 0
    EXPECT_TRUE(refused(with(18, 0xFFFFFFFF, 4))); // negative width
    EXPECT_TRUE(refused(with(22, 0, 4)));          // height 0
    EXPECT_TRUE(refused(with(22, 0x80000000, 4))); // the most negative height
    EXPECT_TRUE(refused(with(28, 2, 2)));          // 2 bits per pixel
    EXPECT_TRUE(refused(with(30, 4, 4)));          // embedded JPEG
    EXPECT_TRUE(refused(with(10, 0xFFFFFFF0, 4))); // pixel data beyond the file
    EXPECT_TRUE(refused(with(18, 0x7FFFFFFF, 4))); // a width the file cannot hold

    // A few bytes of run-length data claiming a picture of a gigabyte.
    std::vector<std::uint8_t> runs = with(30, 1, 4);
    const std::uint32_t side = 20000;
    std::memcpy(runs.data() + 18, &side, 4);
    std::memcpy(runs.data() + 22, &side, 4);
    EXPECT_TRUE(refused(runs));
}

} // namespace
