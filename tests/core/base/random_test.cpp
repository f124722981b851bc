#include "kxrandom.h"

#include "fakeclock.h"
#include "lcgmodel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using RandomClockTest = FakeClockTest;

// The raw values of the generator: a bound of 32768 or more returns them unchanged.
std::vector<std::uint32_t> RawDraws(KXRANDOM& random, int count)
{
    std::vector<std::uint32_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(random.RandomShort(32768));
    return values;
}

// The number of draws after seeding with 1 until the model gives wanted.
int DrawsBefore(std::uint32_t wanted)
{
    LCGMODEL model{1};
    int count = 0;
    while (model.Next() != wanted)
        ++count;
    return count;
}

} // namespace

TEST(RandomGenerator, SeedOneGivesTheClassicSequence)
{
    KXRANDOM random;
    random.SetSeed(1);
    EXPECT_EQ(RawDraws(random, 5), (std::vector<std::uint32_t>{41, 18467, 6334, 26500, 19169}));

    // Any bound of 32768 or more leaves the values as they are.
    random.SetSeed(1);
    EXPECT_EQ(random.RandomShort(65535), 41);
    random.SetSeed(1);
    EXPECT_EQ(random.RandomIndex(0xFFFFFFFFu), (41u << 4) | 18467u);
}

TEST(RandomGenerator, StartsAsIfSeededWithOne)
{
    // Other tests have moved the generator by now; a freshly started copy of this
    // program, running only this statement, shows the state at start-up.
    const std::string previousStyle = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            KXRANDOM random;
            const bool first = random.RandomShort(32768) == 41;
            const bool second = random.RandomShort(32768) == 18467;
            std::exit(first && second ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, previousStyle);
}

TEST(RandomGenerator, EveryObjectSharesOneGenerator)
{
    KXRANDOM first;
    KXRANDOM second;
    first.SetSeed(1);
    EXPECT_EQ(second.RandomShort(32768), 41);
    EXPECT_EQ(first.RandomShort(32768), 18467);
    // A new object does not reseed.
    KXRANDOM third;
    EXPECT_EQ(third.RandomShort(32768), 6334);
}

TEST(RandomGenerator, EachSeedStartsItsOwnSequence)
{
    // Each 16-bit seed starts its own sequence: compare with the model.
    KXRANDOM random;
    for (std::uint32_t seed : {0u, 2u, 12345u, 65535u}) {
        LCGMODEL model{seed};
        random.SetSeed(static_cast<std::uint16_t>(seed));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(random.RandomShort(32768), model.Next()) << "seed " << seed;
    }
}

TEST(RandomDraws, SmallBoundsTakeTheRemainder)
{
    KXRANDOM random;
    random.SetSeed(1);
    EXPECT_EQ(random.RandomShort(100), 41);
    EXPECT_EQ(random.RandomShort(100), 67);
    EXPECT_EQ(random.RandomShort(100), 34);

    random.SetSeed(1);
    EXPECT_EQ(random.RandomIndex(1000), 123u);
}

TEST(RandomDraws, IndexShiftsTheFirstDrawByFourBits)
{
    KXRANDOM random;
    for (std::uint32_t seed : {1u, 7u, 40000u}) {
        LCGMODEL model{seed};
        random.SetSeed(static_cast<std::uint16_t>(seed));
        for (int i = 0; i < 8; ++i) {
            const std::uint32_t r1 = model.Next();
            const std::uint32_t r2 = model.Next();
            const std::uint32_t combined = (r1 << 4) | r2;
            // Alternate a bound above the combined range (the value itself) and one
            // that takes a remainder.
            const std::uint32_t bound = i % 2 == 0 ? 524288u : 977u;
            EXPECT_EQ(random.RandomIndex(bound), combined % bound) << "seed " << seed;
        }
    }
}

TEST(RandomDraws, ShortStaysBelowItsBound)
{
    KXRANDOM random;
    random.SetSeed(3);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(random.RandomShort(1), 0);

    // The genetic solver's mask bytes: 0 to 254, every one of them, never 255.
    std::vector<bool> seen(256, false);
    for (int i = 0; i < 100000; ++i)
        seen[random.RandomShort(255)] = true;
    EXPECT_FALSE(seen[255]);
    EXPECT_TRUE(seen[0]);
    EXPECT_TRUE(seen[254]);
}

TEST(RandomDraws, ZeroBoundsGiveZeroAndUseTheirDraws)
{
    KXRANDOM random;
    random.SetSeed(1);
    EXPECT_EQ(random.RandomShort(0), 0);
    EXPECT_EQ(random.RandomShort(32768), 18467);

    random.SetSeed(1);
    EXPECT_EQ(random.RandomIndex(0), 0u);
    EXPECT_EQ(random.RandomShort(32768), 6334);
}

TEST(RandomDraws, RealRunsFromZeroToTheBoundInclusive)
{
    struct CASE {
        std::uint32_t draw;
        double x;
        double expected;
    };
    const CASE cases[] = {
        {0, 2.0, 0.0},
        {32767, 2.0, 2.0},
        {32767, -5.5, -5.5},
        // The product comes before the division: with 0.1 the other order differs in
        // the last bit.
        {41, 0.1, 41.0 * 0.1 / 32767.0},
    };
    KXRANDOM random;
    for (const CASE& c : cases) {
        random.SetSeed(1);
        for (int skipped = DrawsBefore(c.draw); skipped > 0; --skipped)
            random.RandomShort(32768);
        EXPECT_EQ(random.RandomReal(c.x), c.expected) << "draw " << c.draw << ", x " << c.x;
    }
}

TEST(RandomObject, ReportsTheRootClassName)
{
    KXRANDOM random;
    EXPECT_STREQ(random.GetName(), "KXOBJECT");
}

TEST_F(RandomClockTest, TimeSeedKeepsTheLow32Bits)
{
    struct CASE {
        std::int64_t now;
        std::int32_t expected;
    };
    const CASE cases[] = {
        {0, 0},
        {1700000000, 1700000000},
        {2147483647, 2147483647},
        {2147483648LL, -2147483647 - 1},
        {4294967296LL + 5, 5},
        {5000000000LL, 705032704},
    };
    for (const CASE& c : cases) {
        SetNow(c.now);
        EXPECT_EQ(KXRANDOM::TimeSeed(), c.expected) << "clock " << c.now;
    }
}

TEST_F(RandomClockTest, RandomizeSeedsWithTheLow16BitsOfTheClock)
{
    KXRANDOM randomized;
    KXRANDOM seeded;
    for (std::int64_t k : {0LL, 1LL, 25000LL, 32768LL, 65536LL, 100000LL}) {
        for (std::uint16_t s : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{65535}}) {
            SetNow(65536 * k + s);
            randomized.Randomize();
            const std::vector<std::uint32_t> got = RawDraws(randomized, 3);
            seeded.SetSeed(s);
            EXPECT_EQ(got, RawDraws(seeded, 3)) << "k " << k << ", s " << s;
        }
    }
}

TEST_F(RandomClockTest, NullSourceReadsTheSystemClock)
{
    SetNow(5);
    SetClockSource(nullptr);
    // Bracketed by the same clock: time() reads a coarser copy of it that can lag by a tick,
    // which just after a second's turn put the reading outside the bracket.
    const auto seconds = [] {
        using namespace std::chrono;
        return floor<std::chrono::seconds>(system_clock::now().time_since_epoch()).count();
    };
    const std::int64_t before = seconds();
    const std::int64_t now = ClockSeconds();
    const std::int64_t after = seconds();
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}
