// The module classes as every plug-in derives them: class name and texts, deletion
// through the virtual destructor, and the loader's test of a file's extension.
#include "kxloadermodule.h"
#include "kxmanager.h"

#include <gtest/gtest.h>

namespace {

int destroyed = 0;

class TESTLOADER final : public KXLOADERMODULE {
public:
    TESTLOADER() : KXLOADERMODULE("TESTLOADER") {}
    ~TESTLOADER() override { ++destroyed; }
    bool Load(KXLOADERSET*, const char*) override { return false; }
    bool Save(KXLOADERSET*, const char*) override { return false; }
};

TEST(Module, NewModuleIsUnboundWithEmptyTexts)
{
    TESTLOADER module;
    EXPECT_STREQ(module.GetName(), "TESTLOADER");
    EXPECT_EQ(*module.GetHandlePtr(), nullptr);
    EXPECT_EQ(module.GetDisplayName().GetLength(), 0);
    EXPECT_EQ(module.GetKind().GetLength(), 0);
    EXPECT_EQ(module.GetSupportedFiles().GetLength(), 0);
    EXPECT_EQ(module.GetFilterName().GetLength(), 0);
    EXPECT_EQ(module.GetExtension().GetLength(), 0);
}

TEST(Module, SettersFillTheTextsAndLeaveTheClassName)
{
    TESTLOADER module;
    module.SetName(KXSTRING("Bitmap loader"));
    module.SetKind(KXSTRING(KXKIND_IMAGELOADER));
    module.SetSupportedFiles(KXSTRING("All"));
    module.SetFilterName("Bitmap");
    module.SetExtension("BMP");
    EXPECT_STREQ(module.GetName(), "TESTLOADER");
    EXPECT_TRUE(module.GetDisplayName() == "Bitmap loader");
    EXPECT_TRUE(module.GetKind() == "Image Loader");
    EXPECT_TRUE(module.GetSupportedFiles() == "All");
    EXPECT_TRUE(module.GetFilterName() == "Bitmap");
    EXPECT_TRUE(module.GetExtension() == "bmp");

    int fake = 0;
    KXLIBRARY library = &fake;
    module.SetHandle(&library);
    EXPECT_EQ(*module.GetHandlePtr(), &fake);
}

TEST(Module, DeletingThroughTheBaseRunsTheDerivedDestructor)
{
    destroyed = 0;
    KXMODULE* module = new TESTLOADER;
    delete module;
    EXPECT_EQ(destroyed, 1);
}

TEST(LoaderModule, SupportsExtension)
{
    struct Case {
        const char* path;
        bool supported;
    };
    const Case cases[] = {
        {"picture.bmp", true},
        {"PICTURE.BMP", true},
        {"a.Bmp", true},
        {"/x.y/picture.bmp", true},
        {"two.dots.bmp", true},
        {"picture.bmpx", false},
        {"picture.bmp.txt", false},
        {"picture.", false},
        {"bmp", false},
        {".bmp", false},
        {"dir.bmp/file", false},
        {"", false},
    };
    TESTLOADER loader;
    loader.SetExtension("bmp");
    for (const Case& c : cases)
        EXPECT_EQ(loader.SupportsExtension(c.path), c.supported) << c.path;

    // Without an extension a module supports only paths that end in a dot.
    TESTLOADER bare;
    EXPECT_TRUE(bare.SupportsExtension("picture."));
    EXPECT_FALSE(bare.SupportsExtension("picture.bmp"));
    EXPECT_FALSE(bare.SupportsExtension("picture"));
}

TEST(PlainObject, ReportsTheRootName)
{
    KXPLAINOBJECT object;
    EXPECT_STREQ(object.GetName(), "KXOBJECT");
}

} // namespace
