// Every road that copies a file's rows into a picture against the bytes themselves, at
// every count around its steps and from ends at every alignment, and no byte written
// beyond the copy.
#include "bmpcopy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using bmp::COPYROAD;

struct NAMEDROAD {
    COPYROAD road;
    const char* name;
};

constexpr NAMEDROAD roads[] = {{COPYROAD::library, "library"}, {COPYROAD::avx2, "AVX2"}};

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::mt19937& random)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

void CheckCopied(const NAMEDROAD& road, std::size_t count, std::size_t fromAt, std::size_t toAt,
                 std::mt19937& random)
{
    const std::vector<std::uint8_t> from = RandomBytes(fromAt + count, random);
    std::vector<std::uint8_t> to = RandomBytes(toAt + count + 64, random);
    const std::vector<std::uint8_t> before = to;
    bmp::CopyBytes(to.data() + toAt, from.data() + fromAt, count, road.road);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < to.size(); ++i) {
        const bool copied = i >= toAt && i < toAt + count;
        wrong += to[i] != (copied ? from[fromAt + i - toAt] : before[i]) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u) << road.name << ", " << count << " bytes from " << fromAt << " to "
                         << toAt;
}

TEST(RowCopy, EveryRoadCopiesEveryByteAndNoMore)
{
    std::mt19937 random(17);
    std::vector<std::size_t> counts;
    for (std::size_t count = 0; count <= 300; ++count)
        counts.push_back(count);
    for (const std::size_t count : {3999u, 4000u, 5997u, 65536u, 65537u})
        counts.push_back(count);
    for (const NAMEDROAD& road : roads) {
        if (!bmp::CanTake(road.road)) {
            std::printf("the %s road is left out: this processor cannot take it\n", road.name);
            continue;
        }
        for (const std::size_t count : counts)
            for (const std::size_t fromAt : {0u, 1u, 31u})
                for (const std::size_t toAt : {0u, 3u, 32u})
                    CheckCopied(road, count, fromAt, toAt, random);
    }
}

} // namespace
