// The bitmap loader as the viewer meets it: one module in a picture's image loaders,
// reading and writing files through them.
#include "bmptest.h"
#include "tempdir.h"

#include "kxloadermodule.h"
#include "kxobject3d.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    std::string PathOf(const char* name) const { return (dir.Path() / name).string(); }

    ScopedTempDir dir;
};

TEST_F(LoaderTest, OffersOneImageLoaderForBitmaps)
{
    KXPICTURE picture;
    KXLOADERSET& loaders = picture.GetLoaderSet();
    ASSERT_EQ(loaders.GetCount(), 1);
    KXMODULE* module = loaders[0];
    EXPECT_STREQ(module->GetName(), "PIMBRELMOD");
    EXPECT_TRUE(module->GetDisplayName() == "Bitmap loader");
    EXPECT_TRUE(module->GetKind() == "Image Loader");
    EXPECT_TRUE(module->GetSupportedFiles() == "All");
    KXCOLLECTION<KXSTRING> filters;
    EXPECT_EQ(loaders.GetFilterList(filters), 1);
    EXPECT_STREQ(filters[0].GetText(), "Bitmap|bmp");
}

TEST_F(LoaderTest, SavesAndLoadsThroughThePicture)
{
    KXPICTURE picture;
    picture.Create(5, 2, 24);
    picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("out.BMP").c_str()));

    KXPICTURE back;
    ASSERT_TRUE(back.GetLoaderSet().LoadFile(PathOf("out.BMP").c_str()));
    ASSERT_EQ(back.GetDataSize(), picture.GetDataSize());
    EXPECT_EQ(std::memcmp(back.GetData(), picture.GetData(), picture.GetDataSize()), 0);
    EXPECT_FALSE(QImage(QString::fromStdString(PathOf("out.BMP")), "BMP").isNull());
}

// A 32-bit picture is stored as 24 bits, and is itself 24-bit afterwards.
TEST_F(LoaderTest, SavingA32BitPictureConvertsIt)
{
    KXPICTURE picture;
    picture.Create(2, 1, 32);
    KXCOLOR colour;
    colour.Set(10, 20, 30, 40);
    picture.SetPixel(0, colour);
    picture.SetPixel(1, colour);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("deep.bmp").c_str()));
    EXPECT_EQ(picture.GetDepth(), 24);
    EXPECT_EQ(picture.GetRedMask(), 0xFF0000u);
    EXPECT_EQ(picture.GetBlueMask(), 0xFFu);
    const std::vector<std::uint8_t> file = ReadBytes(dir.Path() / "deep.bmp");
    ASSERT_GE(file.size(), 60u);
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(file[54], 30); // blue, green, red
    EXPECT_EQ(file[55], 20);
    EXPECT_EQ(file[56], 10);
}

TEST_F(LoaderTest, FailedSavesLeaveNoFile)
{
    KXPICTURE empty;
    EXPECT_FALSE(empty.GetLoaderSet().SaveFile(PathOf("empty.bmp").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "empty.bmp"));

    KXPICTURE picture;
    picture.Create(2, 2, 8);
    EXPECT_FALSE(picture.GetLoaderSet().SaveFile(PathOf("missing/dir.bmp").c_str()));
    EXPECT_FALSE(picture.GetLoaderSet().SaveFile(PathOf("picture.png").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "picture.png"));
}

TEST_F(LoaderTest, RefusedFilesLeaveThePictureAsItWas)
{
    std::filesystem::create_directory(dir.Path() / "folder.bmp");
    KXPICTURE picture;
    picture.Create(3, 1, 8);
    picture.GetData()[2] = 9;
    for (const char* name : {"folder.bmp", "absent.bmp"})
        EXPECT_FALSE(picture.GetLoaderSet().LoadFile(PathOf(name).c_str())) << name;
    EXPECT_EQ(picture.GetWidth(), 3u);
    EXPECT_EQ(picture.GetData()[2], 9);
}

// The loader is handed the set of another kind, whose owner is no picture: it refuses the
// set rather than take its owner for a picture and write one over it.
TEST_F(LoaderTest, SetOfAnotherKindIsRefused)
{
    KXPICTURE picture;
    picture.Create(2, 1, 24);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("two.bmp").c_str()));
    ASSERT_EQ(picture.GetLoaderSet().GetCount(), 1);
    auto* loader = static_cast<KXLOADERMODULE*>(picture.GetLoaderSet()[0]);

    KXOBJECT3D notAPicture;
    const std::string name = notAPicture.GetName();
    KXLOADERSET& objects = notAPicture.GetLoaderSet();
    EXPECT_FALSE(loader->Load(&objects, PathOf("two.bmp").c_str()));
    EXPECT_FALSE(loader->Save(&objects, PathOf("back.bmp").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "back.bmp"));
    EXPECT_EQ(notAPicture.GetName(), name) << "the owner is left as it was";
}

} // namespace
