// How a memory-manager client finds the memory manager: in the current directory, under
// its base name and ".dll", whatever the length of the directory's path.
#include "tempdir.h"
#include "throwvariants.h"

#include "kxmemmod.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;
const std::filesystem::path fakeStowel = fixtures / "fake_stowel" / "stowel.dll";

bool IsLoaded(const std::filesystem::path& library)
{
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

TEST(MemClientBinding, BindsTheManagerOfTheCurrentDirectory)
{
    ScopedTempDir dir;
    dir.Copy({fakeStowel});
    dir.Enter();
    KXMEMMODCLIENT client(nullptr); // null means "stowel"
    EXPECT_TRUE(client.IsBound());
    void* block = nullptr;
    client.Alloc(&block, 16);
    EXPECT_NE(block, nullptr);
    client.Free(&block);
    EXPECT_EQ(block, nullptr);
    client.Release();
    EXPECT_FALSE(client.IsBound());
}

TEST(MemClientBinding, MissingLibraryLeavesTheClientUnbound)
{
    ScopedTempDir dir;
    dir.Enter();
    KXMEMMODCLIENT client("stowel");
    EXPECT_FALSE(client.IsBound());
    void* block = nullptr;
    client.Alloc(&block, 16);
    EXPECT_NE(block, nullptr);
    client.Free(&block);
    client.Release(); // nothing held: nothing happens
}

// A library under the manager's name that has no "CreateMemMod" provides no manager and
// is not kept loaded.
TEST(MemClientBinding, LibraryWithoutManagerIsFreedAgain)
{
    ScopedTempDir dir;
    dir.CopyAs(fixtures / "probe_a.dll", "nomanager.dll");
    dir.Enter();
    KXMEMMODCLIENT client("nomanager");
    EXPECT_FALSE(client.IsBound());
    EXPECT_FALSE(IsLoaded(dir.Path() / "nomanager.dll"));
}

// The throwing managers, each built to throw a standard exception and (_foreign) a type
// of its own that is none: whatever a manager lets out stops at the client.
class ThrowingManagerTest : public ::testing::TestWithParam<const char*> {
protected:
    std::string Manager(const char* name) const { return name + std::string(GetParam()); }

    // The client's blocks come and go, from the local heap once it holds no manager.
    static void ExpectBlocks(KXMEMMODCLIENT& client)
    {
        void* block = nullptr;
        client.Alloc(&block, 16);
        EXPECT_NE(block, nullptr);
        client.Free(&block);
        EXPECT_EQ(block, nullptr);
    }
};

INSTANTIATE_TEST_SUITE_P(StandardAndForeign, ThrowingManagerTest, ThrowVariants(),
                         ThrowVariantName);

// A manager whose "CreateMemMod" throws provides none: the client allocates locally and
// keeps nothing of the library.
TEST_P(ThrowingManagerTest, ManagerWhoseCreationThrowsLeavesTheClientUnbound)
{
    const std::string name = Manager("throwing_stowel");
    ScopedTempDir dir;
    dir.Copy({fixtures / (name + ".dll")});
    dir.Enter();
    KXMEMMODCLIENT client(name.c_str());
    EXPECT_FALSE(client.IsBound());
    EXPECT_FALSE(IsLoaded(dir.Path() / (name + ".dll")));
    ExpectBlocks(client);
}

// A "ReleaseMemMod" that throws has still taken the manager back: the client is unbound
// afterwards and allocates locally, whether it gave the manager back and kept the library
// or released both.
TEST_P(ThrowingManagerTest, ManagerWhoseReleaseThrowsStillLeavesTheClientUnbound)
{
    const std::string name = Manager("unreleasable_stowel");
    ScopedTempDir dir;
    dir.Copy({fixtures / (name + ".dll")});
    dir.Enter();
    KXMEMMODCLIENT keeping(name.c_str());
    ASSERT_TRUE(keeping.IsBound());
    keeping.GiveBackManager();
    EXPECT_FALSE(keeping.IsBound());
    ExpectBlocks(keeping);
    KXMEMMODCLIENT releasing(name.c_str());
    ASSERT_TRUE(releasing.IsBound());
    releasing.Release();
    EXPECT_FALSE(releasing.IsBound());
    keeping.Release(); // the library the first client kept
    EXPECT_FALSE(IsLoaded(dir.Path() / (name + ".dll")));
}

TEST(MemClientBinding, LongCurrentDirectory)
{
    ScopedTempDir dir;
    const std::filesystem::path deep = dir.MakeDeepFolder();
    std::filesystem::copy_file(fakeStowel, deep / "stowel.dll");
    ASSERT_GT(deep.string().size(), 300u);
    dir.Enter();
    std::filesystem::current_path(deep);
    KXMEMMODCLIENT client("stowel");
    EXPECT_TRUE(client.IsBound());
}

} // namespace
