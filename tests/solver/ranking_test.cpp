// Ranking: the order of each mode, ties, duplicate rejection and crowding replacement,
// on populations whose genomes and values a scripted fitness function chooses.
#include "kxgeneticsolver.h"

#include "fakeclock.h"
#include "solver_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct ISBETTERCASE {
    std::uint16_t flags;
    double ranked;
    double candidate;
    bool expected;
};

// Arrival i has the genome {i}, so the ranking names the arrivals in rank order.
struct FILLINGCASE {
    std::uint16_t flags;
    std::vector<double> values;
    GENOME expectedArrivals;
};

std::vector<SCRIPTEDCALL> NumberedArrivals(const std::vector<double>& values)
{
    std::vector<SCRIPTEDCALL> arrivals;
    for (std::size_t i = 0; i < values.size(); ++i)
        arrivals.push_back({{static_cast<std::uint8_t>(i)}, values[i]});
    return arrivals;
}

std::vector<GENOME> OneByteGenomes(const GENOME& bytes)
{
    std::vector<GENOME> genomes;
    for (std::uint8_t byte : bytes)
        genomes.push_back({byte});
    return genomes;
}

} // namespace

TEST(GeneticSolver, ReportsItsClassName)
{
    KXGENETICSOLVER solver;
    EXPECT_STREQ(solver.GetName(), "KXGENETICSOLVER");
}

TEST(IsBetter, OrdersByTheHighBitsOfTheMode)
{
    const ISBETTERCASE cases[] = {
        {0x10, 2.0, 1.0, true},
        {0x10, 1.0, 2.0, false},
        {0x10, 1.0, 1.0, false},
        {0x20, 1.0, 2.0, true},
        {0x20, 2.0, 1.0, false},
        {0x20, 1.0, 1.0, false},
        {0x00, -1.0, 2.0, true},
        {0x00, -3.0, 2.0, false},
        {0x00, 2.0, -2.0, false},
        {0x00, 0.5, -0.75, true},
        {0x30, 2.0, 1.0, false},
        {0x30, 1.0, 2.0, false},
        {0x40, 2.0, 1.0, false},
        {0xF0, -1.0, 2.0, false},
        // The low bits are ignored.
        {0x1F, 2.0, 1.0, true},
        {0x2F, 1.0, 2.0, true},
        {0x0F, -1.0, 2.0, true},
        {0x130, 1.0, 2.0, false},
    };
    for (const ISBETTERCASE& c : cases) {
        KXGENETICSOLVER solver;
        solver.Setup(1, 8, c.flags);
        EXPECT_EQ(solver.IsBetter(c.ranked, c.candidate), c.expected)
            << "flags " << c.flags << ", " << c.ranked << " against " << c.candidate;
    }
}

// While the population fills, each arrival goes behind those better than it and ahead
// of those equal or worse, so among equals the later arrival ranks first.
TEST(Filling, RanksArrivalsByModeWithLaterArrivalsAheadOfEquals)
{
    const FILLINGCASE cases[] = {
        {KXGS_LARGEST, {10, 30, 20, 30}, {3, 1, 2, 0}},
        {KXGS_SMALLEST, {10, 30, 20, 10}, {3, 0, 2, 1}},
        {KXGS_CLOSESTTOZERO, {-3, 1, -1, 2}, {2, 1, 3, 0}},
        {KXGS_NEWEST, {1, 5, 3, 2}, {3, 2, 1, 0}},
        {0xC0, {4, 3, 2, 1}, {3, 2, 1, 0}},
    };
    for (const FILLINGCASE& c : cases) {
        KXGENETICSOLVER solver;
        BuildScriptedPopulation(solver, c.flags, NumberedArrivals(c.values));
        EXPECT_EQ(RankedGenomes(solver, 4, 1), OneByteGenomes(c.expectedArrivals))
            << "flags " << c.flags;
    }
}

TEST(Filling, AdmitsDuplicates)
{
    KXGENETICSOLVER solver;
    BuildScriptedPopulation(solver, KXGS_LARGEST, {{{0x42}, 1.0}, {{0x42}, 1.0}, {{0x42}, 1.0}});
    EXPECT_EQ(RankedGenomes(solver, 3, 1), OneByteGenomes({0x42, 0x42, 0x42}));
    EXPECT_EQ(solver.GetIndividual(3), nullptr);
}

// A child into the full population A = 0x00 (40), B = 0x0F (30), C = 0x3F (20),
// D = 0xFF (10), largest first.
struct CROWDINGCASE {
    const char* what;
    std::uint8_t child;
    double value;
    std::uint32_t expectedRank;
    GENOME expectedRanking;
};

TEST(Crowding, ChildReplacesTheMostSimilarAtOrBelowItsRank)
{
    const CROWDINGCASE cases[] = {
        {"most like D", 0xFC, 25, 2, {0x00, 0x0F, 0xFC, 0x3F}},
        {"most like C", 0x3E, 25, 2, {0x00, 0x0F, 0x3E, 0xFF}},
        {"as like C as D: the better-ranked goes", 0x7F, 25, 2, {0x00, 0x0F, 0x7F, 0xFF}},
        {"most like A, which ranks above it", 0xC0, 25, 2, {0x00, 0x0F, 0xC0, 0x3F}},
        {"equal to B's value: ahead of B", 0xFE, 30, 1, {0x00, 0xFE, 0x0F, 0x3F}},
        {"equal to D, which is not at its rank", 0xFF, 25, 2, {0x00, 0x0F, 0xFF, 0x3F}},
        {"best, equal to B", 0x0F, 50, 0, {0x0F, 0x00, 0x3F, 0xFF}},
        {"worse than all", 0x55, 5, 4, {0x00, 0x0F, 0x3F, 0xFF}},
        {"equal to C, at its rank", 0x3F, 25, 4, {0x00, 0x0F, 0x3F, 0xFF}},
        {"equal to A, at its rank", 0x00, 45, 4, {0x00, 0x0F, 0x3F, 0xFF}},
    };
    for (const CROWDINGCASE& c : cases) {
        KXGENETICSOLVER solver;
        BuildScriptedPopulation(solver, KXGS_LARGEST,
                                {{{0xFF}, 10}, {{0x3F}, 20}, {{0x0F}, 30}, {{0x00}, 40}});
        SCRIPTEDFITNESS::Reset(1, {{{}, c.value}});
        std::uint8_t child = c.child;
        EXPECT_EQ(solver.Insert(&child, 0), c.expectedRank) << c.what;
        EXPECT_EQ(RankedGenomes(solver, 4, 1), OneByteGenomes(c.expectedRanking)) << c.what;
    }
}

// The values move with their genomes: after a replacement the next newcomer still ranks
// by the values that the ranks now hold.
TEST(Crowding, ValuesMoveWithTheirGenomes)
{
    KXGENETICSOLVER solver;
    BuildScriptedPopulation(solver, KXGS_LARGEST,
                            {{{0xFF}, 10}, {{0x3F}, 20}, {{0x0F}, 30}, {{0x00}, 40}});
    // 0xFC (25) replaces D: C moves to rank 3 with its 20, so the values are now 40, 30,
    // 25, 20.
    SCRIPTEDFITNESS::Reset(1, {{{}, 25}, {{}, 15}, {{}, 22}, {{}, 26}});
    std::uint8_t child = 0xFC;
    ASSERT_EQ(solver.Insert(&child, 0), 2u);
    // 15 is worse than every value held: rejected.
    child = 0x01;
    EXPECT_EQ(solver.Insert(&child, 0), 4u);
    // 22 goes behind 25 and ahead of 20: rank 3, replacing C, the only one at or below.
    EXPECT_EQ(solver.Insert(&child, 0), 3u);
    // 26 goes ahead of 25 and replaces 0x01, the one most like it.
    child = 0x02;
    EXPECT_EQ(solver.Insert(&child, 0), 2u);
    EXPECT_EQ(RankedGenomes(solver, 4, 1), OneByteGenomes({0x00, 0x0F, 0x02, 0xFC}));
}

// The solver keeps, ranks and compares the genome as the fitness function rewrote it.
namespace {

double SortedSum(std::uint8_t* genome)
{
    std::sort(genome, genome + 4);
    return genome[0] + genome[1] + genome[2] + genome[3];
}

} // namespace

using FitnessRewrite = FakeClockTest;

TEST_F(FitnessRewrite, PopulationKeepsTheRewrittenGenomes)
{
    SetNow(1700000000);
    KXGENETICSOLVER solver;
    solver.fitnessFunction = &SortedSum;
    solver.Setup(20, 32, KXGS_LARGEST);
    solver.Run(5);
    const std::vector<GENOME> ranked = RankedGenomes(solver, 20, 4);
    ASSERT_EQ(ranked.size(), 20u);
    for (const GENOME& genome : ranked)
        EXPECT_TRUE(std::is_sorted(genome.begin(), genome.end()));

    // The best genome reversed sorts back into the best genome: a duplicate at its rank.
    GENOME reversed(ranked[0].rbegin(), ranked[0].rend());
    ASSERT_NE(reversed, ranked[0]);
    EXPECT_EQ(solver.Insert(reversed.data(), 0), 20u);
    EXPECT_EQ(RankedGenomes(solver, 20, 4), ranked);
}
