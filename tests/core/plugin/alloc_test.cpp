// Plug-in discovery when memory runs out: the 1st, 2nd, ... allocation of a picture's
// construction (whose loader set scans the current directory) fails in turn. Each time the
// picture is made and holds some of the loaders, or none; never an exception or an abort,
// and once the picture is gone no library of the folder stays loaded.
#include "failnth.h"
#include "tempdir.h"

#include "kxmanager.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;

std::vector<std::string> Extensions(KXLOADERSET& set)
{
    std::vector<std::string> extensions;
    KXCOLLECTION<KXSTRING> filters;
    set.GetFilterList(filters);
    for (int i = 0; i < filters.GetCount(); ++i)
        extensions.emplace_back(filters[i].GetText() != nullptr ? filters[i].GetText() : "");
    return extensions;
}

// The libraries of the folder that are still loaded.
int LoadedLibraries(const std::filesystem::path& folder)
{
    int loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        void* library = dlopen(entry.path().c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (library != nullptr) {
            dlclose(library);
            ++loaded;
        }
    }
    return loaded;
}

TEST(PluginAllocation, PictureIsMadeWithWhatTheScanCouldLoad)
{
    ScopedTempDir dir;
    dir.CopyAs(fixtures / "loader_a.dll", "a.dll");
    dir.CopyAs(fixtures / "loader_b.dll", "b.dll");
    dir.CopyAs(fixtures / "loader_x.dll", "c.dll");
    dir.CopyAs(std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll", "pimbrel.dll");
    dir.Enter();
    std::vector<std::string> whole;
    {
        KXPICTURE unbroken;
        whole = Extensions(unbroken.GetLoaderSet());
        ASSERT_EQ(whole, (std::vector<std::string>{"Alpha|img", "Bitmap|bmp", "Beta|img"}));
    }
    int failures = 0;
    for (int n = 1;; ++n) {
        bool reached = false;
        std::uint16_t count = 0;
        {
            FAILNTH failing(n);
            KXPICTURE picture;
            count = picture.GetLoaderSet().GetCount();
            reached = FAILNTH::Reached();
        }
        if (!reached) {
            EXPECT_EQ(count, whole.size());
            break;
        }
        ++failures;
        EXPECT_LE(count, whole.size()) << "allocation " << n;
        EXPECT_EQ(LoadedLibraries(dir.Path()), 0) << "allocation " << n;
    }
    EXPECT_GE(failures, 10);

    // With every allocation from the nth on failing, the scan still ends.
    for (int n = 1; n < failures; n += 7) {
        FAILNTH failing(n, true);
        KXPICTURE picture;
        EXPECT_LE(picture.GetLoaderSet().GetCount(), whole.size()) << "from allocation " << n;
    }
}

} // namespace
