// The BMP writer and reader against each other and against an independent decoder.
#include "bmptest.h"
#include "tempdir.h"

#include "bmpcodec.h"
#include "bmplayout.h"
#include "kxendian.h"

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
    namespace L = bmp::layout;
    std::vector<std::uint8_t> flipped = file;
    const std::uint32_t offset = kxendian::Read32(file.data() + L::kPixelOffset);
    const std::size_t stride = (file.size() - offset) / height;
    Put32(flipped, L::kHeight, static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)));
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
            EXPECT_GE(file.size(), bmp::layout::kInfoHeaderEnd + 3 * stride);

            for (const std::vector<std::uint8_t>& stored : {file, TopDown(file, 3)}) {
                KXPICTURE back;
                ASSERT_EQ(Read(stored, back), bmp::REFUSAL::NONE);
                EXPECT_EQ(back.GetWidth(), width);
                EXPECT_EQ(back.GetHeight(), 3u);
                EXPECT_EQ(back.GetDepth(), depth);
                EXPECT_EQ(back.GetXResolution(), 2835);
                EXPECT_EQ(back.GetYResolution(), 3780);
                EXPECT_EQ(Pixels(back), Pixels(original));
                EXPECT_EQ(back.GetPaletteSize(), original.GetPaletteSize());
            }
            KXPICTURE shown;
            ASSERT_EQ(Read(file, shown), bmp::REFUSAL::NONE);
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
    const std::size_t pixels = bmp::layout::kInfoHeaderEnd;
    EXPECT_EQ(file.size(), pixels + 36u);
    EXPECT_EQ(kxendian::Read32(file.data() + bmp::layout::kPixelOffset), pixels);
    for (std::size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(file[pixels + 12 * row + 8], 0xAB);
        EXPECT_EQ(file[pixels + 12 * row + 9], 0) << "padding of row " << row;
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
    EXPECT_EQ(file[bmp::layout::kInfoHeaderEnd + 8], 0x80); // after two palette entries
    KXPICTURE nibbles;
    nibbles.Create(2, 1, 4);
    nibbles.GetData()[0] = 0x21; // pixel 0 is 1, pixel 1 is 2
    ASSERT_TRUE(bmp::Encode(nibbles, file));
    EXPECT_EQ(file[bmp::layout::kInfoHeaderEnd + 64], 0x12); // after sixteen
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
        ASSERT_EQ(Read(file, back), bmp::REFUSAL::NONE);
        const std::uint32_t last = (1u << depth) - 1;
        std::uint32_t white = 0;
        ASSERT_TRUE(back.LookupPalette(last, white));
        EXPECT_EQ(white, 0xFFFFFFu) << depth;
        std::uint32_t black = 1;
        ASSERT_TRUE(back.LookupPalette(0, black));
        EXPECT_EQ(black, 0u) << depth;
    }
}

// A palette shorter than its depth holds is written whole: every index, listed or not,
// shows in another reader and in ours as it shows in the picture (the indices beyond the
// palette as the grey of their level, black and white at 1 bit).
TEST(Codec, ShortPalettesAreWrittenAsThePictureShowsThem)
{
    const struct {
        std::uint16_t depth;
        std::uint32_t entries;
    } cases[] = {{1, 1}, {4, 3}, {8, 5}, {8, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << ", " << c.entries << " entries");
        const std::uint32_t indices = 1u << c.depth;
        KXPICTURE picture; // one pixel of every index, bottom row first
        ASSERT_TRUE(picture.Create(16, indices / 16 + 1, c.depth));
        std::memset(picture.GetData(), 0, picture.GetDataSize());
        for (std::uint32_t v = 0; v < indices; ++v) {
            if (c.depth == 8)
                picture.GetData()[v] = static_cast<std::uint8_t>(v);
            else
                picture.GetData()[v * c.depth / 8] |=
                    static_cast<std::uint8_t>(v << (v * c.depth % 8));
        }
        picture.SetPaletteSize(c.entries);
        for (std::uint32_t i = 0; i < 4 * c.entries; ++i)
            picture.GetPalette()[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 0 : 40 + 7 * i);

        std::vector<std::uint8_t> file;
        ASSERT_TRUE(bmp::Encode(picture, file));
        EXPECT_EQ(kxendian::Read32(file.data() + bmp::layout::kColorsUsed), indices);
        const QImage qt = ReadWithQt(file);
        ASSERT_FALSE(qt.isNull());
        KXPICTURE back;
        ASSERT_EQ(Read(file, back), bmp::REFUSAL::NONE);
        for (std::uint32_t v = 0; v < indices; ++v) {
            const std::uint32_t shown = picture.GetPixelPacked(v);
            const QRgb expected = qRgb(shown & 0xFF, shown >> 8 & 0xFF, shown >> 16 & 0xFF);
            const int row = static_cast<int>(picture.GetHeight() - 1 - v / 16);
            EXPECT_EQ(qt.pixel(static_cast<int>(v % 16), row), expected) << "index " << v;
            EXPECT_EQ(back.GetPixelPacked(v), shown) << "index " << v;
        }
    }
}

// The fields of a 16-bit picture that are the standard ones in another order (a new
// picture's have red in the low bits) are moved into the standard order that other
// readers take, without losing a bit; the standard orders and fields of other widths
// are written as the picture has them.
TEST(Codec, SixteenBitFieldsAreWrittenInAStandardOrder)
{
    const struct {
        std::uint32_t picture[3], file[3];
    } cases[] = {
        {{0x1F, 0x7E0, 0xF800}, {0xF800, 0x7E0, 0x1F}}, // as Create gives them
        {{0x7C0, 0x3F, 0xF800}, {0xF800, 0x7E0, 0x1F}}, // green at the bottom
        {{0x1F, 0x3E0, 0x7C00}, {0x7C00, 0x3E0, 0x1F}}, // five bits each, red low
        {{0x3E, 0x7C0, 0xF800}, {0x7C00, 0x3E0, 0x1F}}, // and the spare bit low
        {{0xF800, 0x7E0, 0x1F}, {0xF800, 0x7E0, 0x1F}}, // standard already
        {{0x7C00, 0x3E0, 0x1F}, {0x7C00, 0x3E0, 0x1F}}, // standard already
        {{0xF, 0xF0, 0xF00}, {0xF, 0xF0, 0xF00}},       // no standard widths
    };
    std::mt19937 random(19);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "red " << c.picture[0] << " green "
                                        << c.picture[1] << " blue " << c.picture[2]);
        KXPICTURE picture;
        ASSERT_TRUE(picture.Create(5, 3, 16));
        for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
            picture.GetData()[i] = static_cast<std::uint8_t>(random());
        picture.SetMasks(c.picture[0], c.picture[1], c.picture[2], 0);
        std::vector<std::uint8_t> file;
        ASSERT_TRUE(bmp::Encode(picture, file));
        for (int f = 0; f < 3; ++f)
            EXPECT_EQ(kxendian::Read32(file.data() + bmp::layout::kRedMask + 4 * f), c.file[f])
                << "field " << f;

        KXPICTURE back;
        ASSERT_EQ(Read(file, back), bmp::REFUSAL::NONE);
        KXCOLOR ours, theirs;
        ours.SetMasks(c.picture[0], c.picture[1], c.picture[2], 0);
        theirs.SetMasks(back.GetRedMask(), back.GetGreenMask(), back.GetBlueMask(), 0);
        for (std::uint32_t i = 0; i < 15; ++i) {
            picture.GetPixel(i, ours);
            back.GetPixel(i, theirs);
            EXPECT_EQ(theirs.GetR(), ours.GetR()) << "pixel " << i;
            EXPECT_EQ(theirs.GetG(), ours.GetG()) << "pixel " << i;
            EXPECT_EQ(theirs.GetB(), ours.GetB()) << "pixel " << i;
        }
        // Another reader shows the standard fields; it widens them with its own rounding.
        if (c.file[0] == 0xF800 || c.file[0] == 0x7C00) {
            const QImage qt = ReadWithQt(file);
            ASSERT_FALSE(qt.isNull());
            EXPECT_LE(LargestDifference(Displayed(picture), qt), 8);
        }
    }
}

// The last row of uncompressed pixels may end without its padding, at the end of the
// file: such a file is read whole, at every depth.
TEST(Codec, TheLastRowNeedsNoPadding)
{
    std::mt19937 random(248);
    for (std::uint16_t depth : {1, 4, 8, 16, 24}) {
        SCOPED_TRACE(testing::Message() << "depth " << depth);
        KXPICTURE picture;
        MakeRandom(picture, 3, 2, depth, random);
        std::vector<std::uint8_t> file;
        ASSERT_TRUE(bmp::Encode(picture, file));
        const std::size_t stride = (3 * depth + 31) / 32 * 4;
        file.resize(file.size() - (stride - (3 * depth + 7) / 8));
        KXPICTURE back;
        ASSERT_EQ(Read(file, back), bmp::REFUSAL::NONE);
        EXPECT_EQ(Pixels(back), Pixels(picture));
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
    EXPECT_EQ(file[bmp::layout::kInfoHeaderEnd + 2], 255);
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

// A picture whose width or height was raised past what its buffer holds is refused at
// every depth, however far: the writer never reads beyond the buffer. The same picture
// at the size of its buffer is written.
TEST(Codec, PicturesWhoseBufferIsShortAreRefused)
{
    const struct {
        std::uint32_t width, height;
    } raised[] = {{9, 9}, {64, 64}, {4000, 50}, {3, 1u << 20}, {0xFFFFFFFF, 0xFFFFFFFF}};
    for (std::uint16_t depth = 1; depth <= 32; ++depth) {
        KXPICTURE picture;
        ASSERT_TRUE(picture.Create(2, 2, depth));
        std::memset(picture.GetData(), 0x5A, picture.GetDataSize());
        std::vector<std::uint8_t> file;
        const bool writable = bmp::Encode(picture, file);
        EXPECT_EQ(writable, depth == 1 || depth == 4 || depth == 8 || depth == 16 ||
                                depth == 24 || depth == 32)
            << "depth " << depth;
        for (const auto& size : raised) {
            picture.SetWidth(size.width);
            picture.SetHeight(size.height);
            file = {1, 2, 3};
            EXPECT_FALSE(bmp::Encode(picture, file))
                << "depth " << depth << ", " << size.width << " x " << size.height;
            EXPECT_TRUE(file.empty());
        }
    }
}

// Truncations and corruptions of a good file: each is refused for its own reason, with
// the picture as it was.
TEST(Codec, DamagedHeadersAreRefusedForTheirReason)
{
    namespace L = bmp::layout;
    using bmp::REFUSAL;
    KXPICTURE source;
    source.Create(4, 4, 8);
    std::memset(source.GetData(), 3, source.GetDataSize());
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(bmp::Encode(source, good));
    KXPICTURE deep; // bit fields right after a 40-byte header
    deep.Create(2, 2, 32);
    std::vector<std::uint8_t> fields;
    ASSERT_TRUE(bmp::Encode(deep, fields));

    const auto cut = [](const std::vector<std::uint8_t>& file, std::size_t length) {
        return std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<long>(length));
    };
    const auto with = [](std::vector<std::uint8_t> file, std::size_t at, std::uint32_t value,
                         int bytes) {
        if (bytes == 1)
            file.at(at) = static_cast<std::uint8_t>(value);
        else if (bytes == 2)
            Put16(file, at, value);
        else
            Put32(file, at, value);
        return file;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> file;
        REFUSAL reason;
    } cases[] = {
        {"empty", {}, REFUSAL::TRUNCATED},
        {"signature only", cut(good, 2), REFUSAL::TRUNCATED},
        {"file header only", cut(good, 14), REFUSAL::TRUNCATED},
        {"half a header", cut(good, 30), REFUSAL::TRUNCATED},
        {"header less a byte", cut(good, 53), REFUSAL::TRUNCATED},
        {"pixels less a byte", cut(good, good.size() - 1), REFUSAL::TRUNCATED},
        {"masks cut", cut(fields, 60), REFUSAL::TRUNCATED},
        {"signature", with(good, L::kSignature, 'X', 1), REFUSAL::SIGNATURE},
        {"header size", with(good, L::kHeaderSize, 41, 4), REFUSAL::HEADERSIZE},
        {"width 0", with(good, L::kWidth, 0, 4), REFUSAL::DIMENSIONS},
        {"negative width", with(good, L::kWidth, 0xFFFFFFFF, 4), REFUSAL::DIMENSIONS},
        {"height 0", with(good, L::kHeight, 0, 4), REFUSAL::DIMENSIONS},
        {"most negative height", with(good, L::kHeight, 0x80000000, 4), REFUSAL::DIMENSIONS},
        {"2 bits per pixel", with(good, L::kBitCount, 2, 2), REFUSAL::DEPTH},
        {"embedded JPEG", with(good, L::kCompression, 4, 4), REFUSAL::COMPRESSION},
        {"runs of 8 bits at 4", with(good, L::kCompression, L::kRle4, 4), REFUSAL::COMPRESSION},
        {"bit fields at 8 bits", with(good, L::kCompression, L::kBitFields, 4),
         REFUSAL::COMPRESSION},
        {"overlapping masks", with(fields, L::kGreenMask, 0x00FFFF00, 4), REFUSAL::MASKS},
        {"mask with a gap", with(fields, L::kGreenMask, 0x0000F0F0, 4), REFUSAL::MASKS},
        {"no colour",
         with(with(with(fields, L::kRedMask, 0, 4), L::kGreenMask, 0, 4), L::kBlueMask, 0, 4),
         REFUSAL::MASKS},
        {"pixel data beyond the file", with(good, L::kPixelOffset, 0xFFFFFFF0, 4),
         REFUSAL::TRUNCATED},
        {"a width the file cannot hold", with(good, L::kWidth, 0x7FFFFFFF, 4), REFUSAL::TOOLARGE},
    };
    for (const auto& c : cases) {
        KXPICTURE picture;
        MakeSentinel(picture);
        EXPECT_EQ(Read(c.file, picture), c.reason) << c.what;
        EXPECT_TRUE(IsSentinel(picture)) << c.what << " touched the picture";
    }
}

} // namespace
