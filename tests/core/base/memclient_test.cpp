#include "kxmemmod.h"

#include <gtest/gtest.h>

namespace {

// The tests run where no memory manager lies: every allocation uses the local heap.
TEST(MemClient, UnboundClientAllocatesLocally)
{
    EXPECT_FALSE(GetMemClient().IsBound());
    void* block = nullptr;
    MemAlloc(&block, 40);
    ASSERT_NE(block, nullptr);
    static_cast<char*>(block)[39] = 'x';
    MemFree(&block);
    EXPECT_EQ(block, nullptr);
    MemFree(&block); // already null: nothing happens
    EXPECT_EQ(block, nullptr);
    MemFree(nullptr);
}

TEST(MemClient, NegativeSizeGivesNull)
{
    void* block = &block;
    MemAlloc(&block, -1);
    EXPECT_EQ(block, nullptr);
}

TEST(MemClient, ReleaseByKind)
{
    KXMEMMODCLIENT& client = GetMemClient();
    void* block = nullptr;
    MemAlloc(&block, 8);
    // Unknown kinds do nothing: the block is still ours afterwards.
    client.ReleaseByKind({&block, 0});
    client.ReleaseByKind({&block, 4});
    EXPECT_NE(block, nullptr);
    client.ReleaseByKind({&block, 1});
    EXPECT_EQ(block, nullptr);

    MemAlloc(&block, 8);
    client.ReleaseByKind({block, 2}); // frees the block itself; the variable is not cleared
    block = nullptr;

    KXOBJECT* array = nullptr;
    client.ReleaseByKind({&array, 3});
    EXPECT_EQ(array, nullptr);
}

} // namespace
