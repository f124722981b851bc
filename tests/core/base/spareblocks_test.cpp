#include "kxmemmod.h"
#include "kxspareblocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr std::size_t MiB = std::size_t{1} << 20;

// A shelf of its own for each test, open. The blocks are small real ones that the test
// claims to be large: the shelf trusts the size it is told, and what it releases it
// gives to operator delete.
class SpareBlocksTest : public ::testing::Test {
protected:
    SpareBlocksTest() { shelf.Open(); }
    ~SpareBlocksTest() override { shelf.ReleaseAll(); }

    void* Keep(std::size_t size)
    {
        void* block = ::operator new(16);
        if (!shelf.Keep(block, size)) {
            ::operator delete(block);
            return nullptr;
        }
        return block;
    }

    KXSPAREBLOCKS shelf;
};

TEST_F(SpareBlocksTest, KeepsOnlyLargeBlocksWithinItsLimit)
{
    EXPECT_EQ(Keep(MiB - 1), nullptr);
    EXPECT_EQ(Keep(KXSPAREBLOCKS::kMostBytes + 1), nullptr);
    EXPECT_FALSE(shelf.Keep(nullptr, 4 * MiB));
    EXPECT_EQ(shelf.KeptBlocks(), 0u);
    EXPECT_NE(Keep(MiB), nullptr);
    EXPECT_NE(Keep(KXSPAREBLOCKS::kMostBytes), nullptr);
    // The second filled the shelf's bytes: the first made room for it.
    EXPECT_EQ(shelf.KeptBlocks(), 1u);
    EXPECT_EQ(shelf.KeptBytes(), KXSPAREBLOCKS::kMostBytes);
}

// A request gets the smallest kept block that holds it with at most an eighth to spare.
TEST_F(SpareBlocksTest, HandsOutTheSmallestBlockThatFitsClosely)
{
    struct CASE {
        std::size_t kept;
        std::size_t wanted;
        bool given;
    };
    const CASE cases[] = {
        {8 * MiB, 8 * MiB, true},
        {9 * MiB, 8 * MiB, true},            // an eighth more
        {9 * MiB + 1, 8 * MiB, false},       // more than an eighth
        {8 * MiB, 8 * MiB + 1, false},       // too small
        {MiB, MiB - 1, false},               // the request is the heap's own business
    };
    for (const CASE& c : cases) {
        void* block = Keep(c.kept);
        ASSERT_NE(block, nullptr);
        void* taken = shelf.Take(c.wanted);
        EXPECT_EQ(taken == block, c.given) << c.kept << " kept, " << c.wanted << " wanted";
        EXPECT_EQ(shelf.KeptBlocks(), c.given ? 0u : 1u);
        if (taken != nullptr)
            ::operator delete(taken);
        shelf.ReleaseAll();
    }

    void* larger = Keep(9 * MiB);
    void* closer = Keep(8 * MiB + MiB / 2);
    EXPECT_EQ(shelf.Take(8 * MiB), closer);
    EXPECT_EQ(shelf.Take(8 * MiB), larger);
    EXPECT_EQ(shelf.Take(8 * MiB), nullptr);
    EXPECT_EQ(shelf.KeptBytes(), 0u);
    ::operator delete(larger);
    ::operator delete(closer);
}

TEST_F(SpareBlocksTest, ReleasesTheBlocksKeptLongestToMakeRoom)
{
    std::vector<void*> blocks;
    for (std::size_t n = 1; n <= KXSPAREBLOCKS::kMostBlocks + 1; ++n)
        blocks.push_back(Keep(n * MiB));
    EXPECT_EQ(shelf.KeptBlocks(), KXSPAREBLOCKS::kMostBlocks);
    EXPECT_EQ(shelf.Take(MiB), nullptr); // the first kept went back to the heap
    EXPECT_EQ(shelf.Take(2 * MiB), blocks[1]);
    ::operator delete(blocks[1]);
}

TEST_F(SpareBlocksTest, AClosedShelfReleasesAllAndKeepsNothingMore)
{
    Keep(4 * MiB);
    Keep(5 * MiB);
    shelf.Close();
    EXPECT_EQ(shelf.KeptBlocks(), 0u);
    EXPECT_EQ(shelf.KeptBytes(), 0u);
    EXPECT_EQ(Keep(4 * MiB), nullptr);
}

// Blocks leave a shelf through the release it was made with, never before it is opened.
std::vector<void*> released;
void RecordRelease(void* block)
{
    released.push_back(block);
    ::operator delete(block);
}

TEST(SpareBlocks, KeepsNothingUntilOpenedAndGivesBackThroughItsRelease)
{
    released.clear();
    KXSPAREBLOCKS shelf(&RecordRelease);
    void* block = ::operator new(16);
    EXPECT_FALSE(shelf.Keep(block, 4 * MiB));
    EXPECT_EQ(shelf.KeptBlocks(), 0u);
    shelf.Open();
    ASSERT_TRUE(shelf.Keep(block, 4 * MiB));
    EXPECT_TRUE(shelf.ReleaseAll());
    EXPECT_EQ(released, std::vector<void*>{block});
    EXPECT_FALSE(shelf.ReleaseAll());
    // A shelf closed for good is not opened again.
    shelf.Close();
    shelf.Open();
    EXPECT_FALSE(shelf.IsOpen());
}

// The allocation through the memory manager puts the deliverable's shelf to work once it
// is open: a large block given back with its size is kept under exactly that size (not
// what the C library's bookkeeping would report, which may be more, and which a memory
// manager with an allocator of its own does not keep), and the next request of its size
// gets it, whole and writable.
TEST(LocalHeap, ALargeBlockGivenBackIsHandedOutAgain)
{
    SpareBlocks().Open();
    const std::size_t keptBefore = SpareBlocks().KeptBlocks();
    const std::size_t bytesBefore = SpareBlocks().KeptBytes();
    const int size = 6 * static_cast<int>(MiB) + 5;
    void* first = nullptr;
    MemAlloc(&first, size);
    ASSERT_NE(first, nullptr);
    MemFreeSized(&first, static_cast<std::uint64_t>(size));
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), keptBefore + 1);
    EXPECT_EQ(SpareBlocks().KeptBytes(), bytesBefore + static_cast<std::size_t>(size));

    void* second = nullptr;
    MemAlloc(&second, size);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), keptBefore);
    std::memset(second, 0x5A, static_cast<std::size_t>(size));
    MemFreeSized(&second, static_cast<std::uint64_t>(size));
    EXPECT_TRUE(SpareBlocks().ReleaseAll());
}

// A block whose size its caller does not give goes back to the memory manager, however
// large: the shelf would have to ask an allocator, and the block need not be one of the
// C library's.
TEST(LocalHeap, ABlockOfUnknownSizeIsNotKept)
{
    SpareBlocks().Open();
    const std::size_t keptBefore = SpareBlocks().KeptBlocks();
    void* block = nullptr;
    MemAlloc(&block, 6 * static_cast<int>(MiB));
    ASSERT_NE(block, nullptr);
    MemFree(&block);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), keptBefore);
}

// The local routines are what the memory manager runs for every deliverable, which no
// program can ask to give kept blocks back: they keep none, open shelf or not.
TEST(LocalHeap, TheLocalRoutinesKeepNothing)
{
    const int size = 6 * static_cast<int>(MiB);
    void* block = nullptr;
    SpareBlocks().Open();
    const std::size_t keptBefore = SpareBlocks().KeptBlocks();
    MemAllocLocal(&block, size);
    ASSERT_NE(block, nullptr);
    MemFreeLocal(&block);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), keptBefore);
}

TEST(LocalHeap, SmallAndEmptyBlocksAreBlocksOfTheirOwn)
{
    void* a = nullptr;
    void* b = nullptr;
    MemAllocLocal(&a, 0);
    MemAllocLocal(&b, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    const std::size_t keptBefore = SpareBlocks().KeptBlocks();
    MemFreeLocal(&a);
    MemFreeLocal(&b);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), keptBefore);
}

} // namespace
