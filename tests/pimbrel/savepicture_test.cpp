// What a save writes: a picture whose buffer does not hold its pixels is refused with the
// old file untouched, and a 16-bit picture whose fields no file can carry is stored so
// that it reads back, here and in another reader, with the colours it shows, the picture
// itself unchanged.
#include "bmptest.h"
#include "tempdir.h"

#include "bmplayout.h"
#include "kxendian.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class SavePictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({fs::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    fs::path PathOf(const std::string& name) const { return dir.Path() / name; }

    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScopedTempDir dir;
};

// Every depth, with a size raised past what its buffer holds: the save is refused, the
// file it would replace keeps its bytes and nothing is left beside it.
TEST_F(SavePictureTest, APictureWhoseBufferIsShortIsNotSaved)
{
    const std::string old = "an older picture";
    std::ofstream(PathOf("kept.bmp"), std::ios::binary) << old;
    const std::vector<std::string> before = Listing();
    const struct {
        std::uint32_t width, height;
    } raised[] = {{64, 64}, {4000, 50}, {2, 4096}};
    for (std::uint16_t depth = 1; depth <= 32; ++depth) {
        for (const auto& size : raised) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << ", " << size.width << " x "
                                            << size.height);
            KXPICTURE picture;
            ASSERT_TRUE(picture.Create(2, 2, depth));
            std::fill_n(picture.GetData(), picture.GetDataSize(), std::uint8_t{0x5A});
            picture.SetWidth(size.width);
            picture.SetHeight(size.height);
            EXPECT_FALSE(picture.GetLoaderSet().SaveFile(PathOf("kept.bmp").c_str()));
            EXPECT_EQ(ReadBytes(PathOf("kept.bmp")), std::vector<std::uint8_t>(old.begin(), old.end()));
            EXPECT_EQ(Listing(), before);
        }
    }
}

// Sixteen-bit masks that overlap, have a gap, reach past bit 15 or hold no colour are no
// bit fields a file can carry: such a picture is stored as 24 bits, and reads back with
// the colours it shows; masks a file carries stay 16 bits. The picture keeps its depth,
// masks and pixels.
TEST_F(SavePictureTest, SixteenBitFieldsNoFileCarriesAreStoredAsTwentyFourBits)
{
    const struct {
        const char* what;
        std::uint32_t masks[3];
        std::uint16_t fileBits;
    } cases[] = {
        {"a byte each, from a conversion", {0xFF, 0xFF00, 0xFF0000}, 24},
        {"green and blue the same bits", {0x1F, 0x7E0, 0x7E0}, 24},
        {"red over green", {0xFC00, 0x7E0, 0x1F}, 24},
        {"a gap in blue", {0x7C00, 0x3E0, 0x801F}, 24},
        {"no colour", {0, 0, 0}, 24},
        {"the standard five bits", {0x7C00, 0x3E0, 0x1F}, 16},
        {"no green", {0xF800, 0, 0x1F}, 16},
    };
    std::mt19937 random(24);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KXPICTURE picture;
        ASSERT_TRUE(picture.Create(7, 3, 16));
        for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
            picture.GetData()[i] = static_cast<std::uint8_t>(random());
        picture.SetMasks(c.masks[0], c.masks[1], c.masks[2], 0);
        const std::vector<std::uint8_t> pixels(picture.GetData(),
                                               picture.GetData() + picture.GetDataSize());

        ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("saved.bmp").c_str()));
        EXPECT_EQ(picture.GetDepth(), 16);
        EXPECT_EQ(picture.GetMasks(), KXMASKS({c.masks[0], c.masks[1], c.masks[2], 0}));
        EXPECT_EQ(std::vector<std::uint8_t>(picture.GetData(),
                                            picture.GetData() + picture.GetDataSize()),
                  pixels);

        const std::vector<std::uint8_t> file = ReadBytes(PathOf("saved.bmp"));
        ASSERT_GT(file.size(), bmp::layout::kBitCount + 2);
        EXPECT_EQ(kxendian::Read16(file.data() + bmp::layout::kBitCount), c.fileBits);
        KXPICTURE back;
        ASSERT_TRUE(back.GetLoaderSet().LoadFile(PathOf("saved.bmp").c_str()));
        const QImage shown = Displayed(picture);
        EXPECT_EQ(LargestDifference(Displayed(back), shown), 0);
        QImage qt;
        ASSERT_TRUE(qt.load(QString::fromStdString(PathOf("saved.bmp").string()), "BMP"));
        // Another reader widens five- and six-bit fields with its own rounding.
        const int largest = LargestDifference(qt, shown);
        EXPECT_GE(largest, 0);
        EXPECT_LE(largest, c.fileBits == 16 ? 8 : 0);
    }
}

} // namespace
