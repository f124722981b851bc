#include "kxcopy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Every size around the point where the copy changes its method, from every alignment:
// exactly the bytes asked for arrive, and nothing beyond them is touched.
TEST(CopyBytes, CopiesExactlyTheBytesAskedFor)
{
    constexpr std::size_t guard = 64;
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, kxcopy::kStringMoveFrom - 1,
                                    kxcopy::kStringMoveFrom, kxcopy::kStringMoveFrom + 1,
                                    std::size_t{(1 << 20) + 3}}) {
        for (const std::size_t shift : {0, 1, 7}) {
            std::vector<std::uint8_t> from(count + shift);
            for (std::size_t i = 0; i < from.size(); ++i)
                from[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
            std::vector<std::uint8_t> to(count + 2 * guard + shift, 0xEE);
            kxcopy::CopyBytes(to.data() + guard + (shift ^ 1), from.data() + shift, count);
            for (std::size_t i = 0; i < to.size(); ++i) {
                const std::size_t start = guard + (shift ^ 1);
                const std::uint8_t expected =
                    i >= start && i < start + count ? from[shift + i - start] : 0xEE;
                ASSERT_EQ(to[i], expected) << "byte " << i << " of a copy of " << count;
            }
        }
    }
}

} // namespace
