// Every deliverable links its own copy of the library: two plug-ins loaded into one
// process must each keep their own memory-manager client and random generator.
#include "lcgmodel.h"
#include "probe.h"
#include "tempdir.h"

#include "kxmemmod.h"
#include "kxrandom.h"
#include "kxsys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;
const std::filesystem::path probeA = fixtures / "probe_a.dll";
const std::filesystem::path probeB = fixtures / "probe_b.dll";
const std::filesystem::path fakeStowel = fixtures / "fake_stowel" / "stowel.dll";

// A probe plug-in loaded from a path, released through its own "ReleaseMod".
class LoadedProbe {
public:
    explicit LoadedProbe(const std::filesystem::path& path)
        : library(kxsys::LoadLibrary(path.c_str()))
    {
        if (library == nullptr)
            return;
        auto create = reinterpret_cast<KXCREATEPROBEPROC>(kxsys::FindExport(library, "CreateMod"));
        probe = create != nullptr ? create() : nullptr;
    }

    ~LoadedProbe()
    {
        auto release =
            reinterpret_cast<KXRELEASEPROBEPROC>(kxsys::FindExport(library, "ReleaseMod"));
        if (probe != nullptr && release != nullptr)
            release(probe);
        kxsys::FreeLibrary(library);
    }

    LoadedProbe(const LoadedProbe&) = delete;
    LoadedProbe& operator=(const LoadedProbe&) = delete;

    KXPROBE* Get() const { return probe; }
    bool Loaded() const { return probe != nullptr; }

private:
    kxsys::LibraryHandle library;
    KXPROBE* probe = nullptr;
};

// The number of live blocks of the stand-in memory manager that lies in dir.
int LiveBlocksOfManagerIn(const std::filesystem::path& dir)
{
    kxsys::LibraryHandle library = kxsys::LoadLibrary((dir / "stowel.dll").c_str());
    auto liveBlocks = reinterpret_cast<KXLIVEBLOCKSPROC>(kxsys::FindExport(library, "LiveBlocks"));
    const int count = liveBlocks != nullptr ? liveBlocks() : -1;
    kxsys::FreeLibrary(library);
    return count;
}

// The generator's first values after seeding, computed here independently.
std::vector<unsigned short> Sequence(std::uint32_t seed, int count)
{
    LCGMODEL model{seed};
    std::vector<unsigned short> values;
    for (int i = 0; i < count; ++i)
        values.push_back(static_cast<unsigned short>(model.Next()));
    return values;
}

// The two probe plug-ins, each loaded while the directory it is taken from is current, so
// that it binds the memory manager it finds there. The probes are released before their
// directories go.
class Isolation : public testing::Test {
protected:
    // Both probes from one directory, with the stand-in memory manager beside them or not.
    void LoadBothFromOneDirectory(bool withManager)
    {
        if (withManager)
            dir.Copy({fakeStowel});
        dir.Copy({probeA, probeB});
        Load(dir, dir);
    }

    // Probe A beside the stand-in memory manager, probe B from a directory without one.
    void LoadFromTwoDirectories()
    {
        dir.Copy({fakeStowel, probeA});
        other.Copy({probeB});
        Load(dir, other);
    }

    ScopedTempDir dir;
    ScopedTempDir other;
    KXPROBE* a = nullptr;
    KXPROBE* b = nullptr;

private:
    void Load(ScopedTempDir& forA, ScopedTempDir& forB)
    {
        forA.Enter();
        loadedA.emplace(forA.Path() / "probe_a.dll");
        // A directory entered twice would be its own previous one, and stay current after
        // it is removed.
        if (&forB != &forA)
            forB.Enter();
        loadedB.emplace(forB.Path() / "probe_b.dll");
        ASSERT_TRUE(loadedA->Loaded());
        ASSERT_TRUE(loadedB->Loaded());
        a = loadedA->Get();
        b = loadedB->Get();
    }

    std::optional<LoadedProbe> loadedA;
    std::optional<LoadedProbe> loadedB;
};

TEST_F(Isolation, EachPluginHasItsOwnMemClient)
{
    ASSERT_NO_FATAL_FAILURE(LoadBothFromOneDirectory(false));

    EXPECT_NE(a->MemClient(), b->MemClient());
    EXPECT_NE(a->MemClient(), &GetMemClient());
    EXPECT_NE(b->MemClient(), &GetMemClient());
    // No memory manager in the directory: both fall back to their own heap, silently.
    EXPECT_FALSE(a->MemClientBound());
    EXPECT_FALSE(b->MemClientBound());
    void* block = a->Alloc(64);
    EXPECT_NE(block, nullptr);
    a->Free(block);
}

TEST_F(Isolation, PluginBindsTheMemoryManagerOfTheCurrentDirectoryAtLoad)
{
    ASSERT_NO_FATAL_FAILURE(LoadFromTwoDirectories());

    EXPECT_TRUE(a->MemClientBound());
    EXPECT_FALSE(b->MemClientBound());
    EXPECT_FALSE(GetMemClient().IsBound());

    const int before = LiveBlocksOfManagerIn(dir.Path());
    void* fromA = a->Alloc(32);
    EXPECT_EQ(LiveBlocksOfManagerIn(dir.Path()), before + 1);
    void* fromB = b->Alloc(32);
    EXPECT_EQ(LiveBlocksOfManagerIn(dir.Path()), before + 1);
    a->Free(fromA);
    b->Free(fromB);
    EXPECT_EQ(LiveBlocksOfManagerIn(dir.Path()), before);
}

TEST_F(Isolation, BlockAllocatedInOnePluginIsFreedInAnotherThroughTheManager)
{
    ASSERT_NO_FATAL_FAILURE(LoadBothFromOneDirectory(true));
    ASSERT_TRUE(a->MemClientBound());
    ASSERT_TRUE(b->MemClientBound());
    // Both clients hold their own manager object, yet allocate in the one library.
    EXPECT_NE(a->MemClient(), b->MemClient());

    const int before = LiveBlocksOfManagerIn(dir.Path());
    void* block = a->Alloc(100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(LiveBlocksOfManagerIn(dir.Path()), before + 1);
    b->Free(block);
    EXPECT_EQ(LiveBlocksOfManagerIn(dir.Path()), before);
}

TEST_F(Isolation, EachPluginHasItsOwnRandomGenerator)
{
    ASSERT_NO_FATAL_FAILURE(LoadBothFromOneDirectory(false));
    KXRANDOM own;

    const std::vector<unsigned short> seven = Sequence(7, 6);
    const std::vector<unsigned short> three = Sequence(3, 2);
    b->SeedRandom(7);
    own.SetSeed(3);
    std::vector<unsigned short> fromB;
    for (int i = 0; i < 3; ++i)
        fromB.push_back(b->DrawRandom());
    // Seeding and drawing in A, and in the program itself, leave B's sequence alone.
    a->SeedRandom(1);
    EXPECT_EQ(a->DrawRandom(), 41);
    EXPECT_EQ(own.RandomShort(32768), three[0]);
    for (int i = 0; i < 3; ++i)
        fromB.push_back(b->DrawRandom());
    EXPECT_EQ(fromB, seven);
    EXPECT_EQ(own.RandomShort(32768), three[1]);
}

} // namespace
