// The memory-guarding checks: active in every build (this program is also built with
// NDEBUG), and a failed one names its condition and values before it aborts.
#include "kxassert.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(MemoryCheck, HoldingInvariantPassesSilently)
{
    const std::uint32_t first = 2;
    const std::uint32_t size = 5;
    KX_CHECK(first < size, first, size);
    KX_CHECK(first < size);
}

TEST(MemoryCheckDeathTest, BrokenInvariantNamesItsValuesInEveryBuild)
{
    const std::uint32_t first = 7;
    const std::int64_t offset = -3;
    const std::uint64_t size = 5;
    EXPECT_DEATH(KX_CHECK(first + offset <= size - 2, first, offset, size),
                 "invariant broken: first \\+ offset <= size - 2 \\(first, offset, size = 7, "
                 "-3, 5\\)");
    EXPECT_DEATH(KX_CHECK(first < size), "invariant broken: first < size\n");
}

} // namespace
