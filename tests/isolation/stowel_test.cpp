// The memory manager library itself: every deliverable that finds it in the current
// directory allocates there.
#include "probe.h"
#include "tempdir.h"

#include "kxmemmod.h"
#include "kxobject.h"
#include "kxsys.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

namespace {

const std::filesystem::path stowel = std::filesystem::path(PELISK_BIN_DIR) / "stowel.dll";
const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;

class StowelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({stowel, fixtures / "probe_a.dll", fixtures / "probe_b.dll"});
        dir.Enter();
        library = kxsys::LoadLibrary((dir.Path() / "stowel.dll").c_str());
        ASSERT_NE(library, nullptr);
        create = reinterpret_cast<KXCREATEMEMMODPROC>(kxsys::FindExport(library, "CreateMemMod"));
        release =
            reinterpret_cast<KXRELEASEMEMMODPROC>(kxsys::FindExport(library, "ReleaseMemMod"));
        ASSERT_NE(create, nullptr);
        ASSERT_NE(release, nullptr);
    }

    void TearDown() override { kxsys::FreeLibrary(library); }

    ScopedTempDir dir;
    kxsys::LibraryHandle library = nullptr;
    KXCREATEMEMMODPROC create = nullptr;
    KXRELEASEMEMMODPROC release = nullptr;
};

TEST_F(StowelTest, EveryCallMakesAManagerAndAnyOfThemFreesWhatAnotherAllocated)
{
    KXMEMMOD* first = create();
    KXMEMMOD* second = create();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    void* block = nullptr;
    first->Alloc(&block, 64);
    ASSERT_NE(block, nullptr);
    second->Free(&block);
    EXPECT_EQ(block, nullptr);
    release(first);
    second->Alloc(&block, 8);
    second->Free(&block);
    release(second);
}

// Objects made by name are built by the manager library's own code, whichever manager
// object is asked, and any of them deletes them again.
TEST_F(StowelTest, ObjectsMadeByNameAreBuiltByItsOwnCode)
{
    KXMEMMOD* first = create();
    KXMEMMOD* second = create();
    KXOBJECT* vertices = nullptr;
    first->CreateObjectArray(&vertices, "KXVERTEX", 3);
    ASSERT_NE(vertices, nullptr);
    EXPECT_STREQ(vertices->GetName(), "KXVERTEX");
    Dl_info where{};
    ASSERT_NE(dladdr(*reinterpret_cast<void**>(vertices), &where), 0);
    EXPECT_EQ(std::filesystem::path(where.dli_fname).filename(), "stowel.dll");
    second->DeleteObjectArray(&vertices);
    EXPECT_EQ(vertices, nullptr);
    release(first);
    release(second);
}

TEST_F(StowelTest, PluginsInItsDirectoryShareIt)
{
    kxsys::LibraryHandle a = kxsys::LoadLibrary((dir.Path() / "probe_a.dll").c_str());
    kxsys::LibraryHandle b = kxsys::LoadLibrary((dir.Path() / "probe_b.dll").c_str());
    auto createA = reinterpret_cast<KXCREATEPROBEPROC>(kxsys::FindExport(a, "CreateMod"));
    auto createB = reinterpret_cast<KXCREATEPROBEPROC>(kxsys::FindExport(b, "CreateMod"));
    KXPROBE* probeA = createA();
    KXPROBE* probeB = createB();
    EXPECT_TRUE(probeA->MemClientBound());
    EXPECT_TRUE(probeB->MemClientBound());
    void* block = probeA->Alloc(256);
    ASSERT_NE(block, nullptr);
    probeB->Free(block);
    reinterpret_cast<KXRELEASEPROBEPROC>(kxsys::FindExport(a, "ReleaseMod"))(probeA);
    reinterpret_cast<KXRELEASEPROBEPROC>(kxsys::FindExport(b, "ReleaseMod"))(probeB);
    // Unloading a plug-in gives its manager back (the leak checker of the sanitizer build
    // would see it otherwise); the manager library stays for the others.
    kxsys::FreeLibrary(a);
    kxsys::FreeLibrary(b);
    KXMEMMOD* manager = create();
    void* another = nullptr;
    manager->Alloc(&another, 16);
    EXPECT_NE(another, nullptr);
    manager->Free(&another);
    release(manager);
}

} // namespace
