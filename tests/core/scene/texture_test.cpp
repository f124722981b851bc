// Tests of the texture: a picture of its own class name that reads itself from a file
// through the image loaders of the current directory.
#include "kxtexture.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

void ExpectEmptyTexture(KXTEXTURE& t)
{
    EXPECT_STREQ(t.GetName(), "KXTEXTURE");
    EXPECT_EQ(t.GetWidth(), 0u);
    EXPECT_EQ(t.GetHeight(), 0u);
    EXPECT_EQ(t.GetData(), nullptr);
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    ScopedTempDir dir;
};

TEST(Texture, WithoutAFileNameIsAnEmptyPicture)
{
    KXTEXTURE t;
    ExpectEmptyTexture(t);
    EXPECT_TRUE(t.GetLoaderSet().GetKind() == KXKIND_IMAGELOADER);
    EXPECT_EQ(t.GetLoaderSet().GetOwner(), &t);
}

TEST_F(TextureTest, ReadsAFileThatAnImageLoaderSupports)
{
    KXPICTURE picture;
    ASSERT_TRUE(picture.Create(3, 2, 24));
    // The file's own channel order, so the bytes go to the file and back unchanged.
    picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(i * 11);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile("wood.bmp"));

    KXTEXTURE t("wood.bmp");
    EXPECT_STREQ(t.GetName(), "KXTEXTURE");
    EXPECT_EQ(t.GetWidth(), 3u);
    EXPECT_EQ(t.GetHeight(), 2u);
    ASSERT_EQ(t.GetDataSize(), picture.GetDataSize());
    EXPECT_EQ(std::memcmp(t.GetData(), picture.GetData(), picture.GetDataSize()), 0);
}

TEST_F(TextureTest, AFileThatNoLoaderReadsLeavesItEmpty)
{
    for (const char* name : {"wood.tga", "missing.bmp", ""}) {
        KXTEXTURE t(name);
        ExpectEmptyTexture(t);
    }
}

} // namespace
