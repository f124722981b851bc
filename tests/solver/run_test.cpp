// Whole runs: seeding from the clock, the generation count and its limit, and the
// population's life across Setup, with sizes that cannot be built.
#include "kxgeneticsolver.h"

#include "fakeclock.h"
#include "lcgmodel.h"
#include "solver_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::int64_t SomeSecond = 1700000000;

// A fitness function that makes every genome unique by writing its call number into the
// first four bytes. Calls of the first admittedGenerations generations (and of the
// initial population) are valued by that number, so with the largest first each takes
// rank 0 and is let in; later calls are valued below everything and rejected.
struct SERIALFITNESS {
    static inline std::uint32_t calls = 0;
    static inline std::uint32_t populationSize = 0;
    static inline std::uint32_t admittedGenerations = 0;

    static void Reset(std::uint32_t size, std::uint32_t admitted)
    {
        calls = 0;
        populationSize = size;
        admittedGenerations = admitted;
    }

    static double Evaluate(std::uint8_t* genome)
    {
        const std::uint32_t call = calls++;
        std::memcpy(genome, &call, sizeof call);
        const std::uint32_t generation = call / populationSize; // 0: the initial population
        return generation <= admittedGenerations ? double(call) : -1e9;
    }

    // Generations run, not counting the initial population.
    static std::uint32_t Generations() { return calls / populationSize - 1; }
};

double FirstByteSigned(std::uint8_t* genome)
{
    return static_cast<std::int8_t>(genome[0]);
}

std::vector<GENOME> RunAndRank(std::uint32_t size, std::uint32_t bytes)
{
    KXGENETICSOLVER solver;
    solver.fitnessFunction = &FirstByteSigned;
    solver.Setup(size, bytes * 8, KXGS_LARGEST);
    solver.Run(10);
    return RankedGenomes(solver, size, bytes);
}

struct LIMITCASE {
    std::uint32_t limit;
    std::uint32_t admittedGenerations;
    std::uint32_t expectedResult;
    std::uint32_t expectedGenerations;
};

struct UNBUILDABLECASE {
    std::uint32_t size;
    std::uint32_t bits;
};

} // namespace

using SolverRun = FakeClockTest;

TEST_F(SolverRun, WithoutFitnessFunctionDoesNothing)
{
    KXGENETICSOLVER solver;
    solver.Setup(10, 16, KXGS_LARGEST);
    KXRANDOM().SetSeed(5);
    SetNow(SomeSecond);
    EXPECT_EQ(solver.Run(10), 0u);
    EXPECT_EQ(solver.GetIndividual(0), nullptr);
    // Not even the generator was reseeded.
    LCGMODEL model{5};
    EXPECT_EQ(KXRANDOM().RandomShort(32768), model.Next());
}

// Run(n) lets n + 2 generations run; with no limit it runs until a generation lets no
// child in and returns 0; a generation that lets nothing in ends the run and is not
// counted.
TEST_F(SolverRun, CountsGenerationsAgainstTheLimit)
{
    const LIMITCASE cases[] = {
        {10, 1000, 12, 12}, {1, 1000, 3, 3}, {3, 1000, 5, 5}, {2, 10, 4, 4},
        {10, 3, 3, 4},      {0, 3, 0, 4},    {0, 0, 0, 1},    {10, 0, 0, 1},
    };
    SetNow(SomeSecond);
    for (const LIMITCASE& c : cases) {
        KXGENETICSOLVER solver;
        solver.fitnessFunction = &SERIALFITNESS::Evaluate;
        solver.Setup(8, 32, KXGS_LARGEST);
        SERIALFITNESS::Reset(8, c.admittedGenerations);
        EXPECT_EQ(solver.Run(c.limit), c.expectedResult) << "limit " << c.limit;
        EXPECT_EQ(SERIALFITNESS::Generations(), c.expectedGenerations) << "limit " << c.limit;
    }
}

TEST_F(SolverRun, GenerationReportsTheChildrenLetIn)
{
    KXGENETICSOLVER solver;
    solver.fitnessFunction = &SERIALFITNESS::Evaluate;
    solver.Setup(8, 32, KXGS_LARGEST);
    SERIALFITNESS::Reset(8, 1);
    solver.InitPopulation();
    EXPECT_EQ(solver.Generation(), 8u);
    EXPECT_EQ(solver.Generation(), 0u);
}

// With the newest first every child takes rank 0; its values fall, so another mode would
// rank it last.
TEST_F(SolverRun, NewestFirstPutsTheLastArrivalAtRankZero)
{
    SetNow(SomeSecond);
    KXGENETICSOLVER solver;
    solver.fitnessFunction = [](std::uint8_t* genome) {
        const double value = SERIALFITNESS::Evaluate(genome);
        return -value;
    };
    solver.Setup(8, 32, KXGS_NEWEST);
    SERIALFITNESS::Reset(8, 1000);
    EXPECT_EQ(solver.Run(2), 4u);
    std::uint32_t first = 0;
    std::memcpy(&first, solver.GetIndividual(0), sizeof first);
    EXPECT_EQ(first, SERIALFITNESS::calls - 1);
}

// After a run the values held follow the mode's order.
TEST_F(SolverRun, PopulationFollowsTheModeOrder)
{
    struct ORDERCASE {
        std::uint16_t flags;
        bool (*inOrder)(double, double);
    };
    const ORDERCASE cases[] = {
        {KXGS_LARGEST, [](double a, double b) { return a >= b; }},
        {KXGS_SMALLEST, [](double a, double b) { return a <= b; }},
        {KXGS_CLOSESTTOZERO, [](double a, double b) { return std::abs(a) <= std::abs(b); }},
        {KXGS_LARGEST | 0x0F, [](double a, double b) { return a >= b; }},
    };
    for (const ORDERCASE& c : cases) {
        SetNow(SomeSecond + c.flags);
        KXGENETICSOLVER solver;
        solver.fitnessFunction = &FirstByteSigned;
        solver.Setup(30, 16, c.flags);
        solver.Run(10);
        for (std::uint32_t rank = 1; rank < 30; ++rank) {
            const double ahead = FirstByteSigned(solver.GetIndividual(rank - 1));
            const double behind = FirstByteSigned(solver.GetIndividual(rank));
            EXPECT_TRUE(c.inOrder(ahead, behind))
                << "flags " << c.flags << ", rank " << rank << ": " << ahead << " then " << behind;
        }
    }
}

// Every run seeds from the clock's seconds, cut to 16 bits.
TEST_F(SolverRun, RunsInTheSameSecondDrawTheSameSequence)
{
    SetNow(SomeSecond);
    const std::vector<GENOME> first = RunAndRank(20, 3);
    ASSERT_EQ(first.size(), 20u);
    EXPECT_EQ(RunAndRank(20, 3), first);
    SetNow(SomeSecond + 3 * 65536);
    EXPECT_EQ(RunAndRank(20, 3), first);
    SetNow(SomeSecond + 1);
    EXPECT_NE(RunAndRank(20, 3), first);
}

TEST_F(SolverRun, NoIndividualBeforeAnyRun)
{
    KXGENETICSOLVER solver;
    EXPECT_EQ(solver.GetIndividual(0), nullptr);
    solver.Setup(10, 16, KXGS_LARGEST);
    EXPECT_EQ(solver.GetIndividual(0), nullptr);
    EXPECT_EQ(solver.Generation(), 0u);
    std::uint8_t genome[2] = {1, 2};
    solver.fitnessFunction = &FirstByteSigned;
    EXPECT_EQ(solver.Insert(genome, 0), 0u);
}

TEST_F(SolverRun, SizeZeroBuildsNoPopulation)
{
    SetNow(SomeSecond);
    KXGENETICSOLVER solver;
    solver.fitnessFunction = &SERIALFITNESS::Evaluate;
    SERIALFITNESS::Reset(1, 1000);
    solver.Setup(0, 32, KXGS_LARGEST);
    EXPECT_EQ(solver.Run(10), 0u);
    EXPECT_EQ(SERIALFITNESS::calls, 0u);
    EXPECT_EQ(solver.GetIndividual(0), nullptr);
}

// Setup stores the numbers of the next population; the one that exists keeps the size
// and genome length it was built with. The sanitizer build catches any access past its
// arrays or past the two-byte buffers handed in here.
TEST_F(SolverRun, PopulationKeepsItsNumbersAcrossSetup)
{
    SetNow(SomeSecond);
    KXGENETICSOLVER solver;
    solver.fitnessFunction = &SCRIPTEDFITNESS::Evaluate;
    SCRIPTEDFITNESS::Reset(2, {});
    solver.Setup(8, 16, KXGS_LARGEST);
    solver.Run(3);
    solver.Setup(64, 1024, KXGS_LARGEST);

    EXPECT_NE(solver.GetIndividual(7), nullptr);
    EXPECT_EQ(solver.GetIndividual(8), nullptr);
    SCRIPTEDFITNESS::Reset(2, {});
    solver.Generation();
    EXPECT_EQ(SCRIPTEDFITNESS::seen.size(), 8u);

    std::uint8_t genome[3] = {0x11, 0x22, 0xA5};
    solver.RandomGenome(genome);
    EXPECT_EQ(genome[2], 0xA5);
    solver.Insert(genome, 0);

    // Shrinking to nothing still frees the population.
    solver.Setup(0, 0, 0);
    solver.FreePopulation();
    EXPECT_EQ(solver.GetIndividual(0), nullptr);

    // The next run builds with the new numbers.
    solver.Setup(16, 24, KXGS_LARGEST);
    SCRIPTEDFITNESS::Reset(3, {});
    solver.Run(1);
    EXPECT_NE(solver.GetIndividual(15), nullptr);
    EXPECT_EQ(solver.GetIndividual(16), nullptr);
}

TEST_F(SolverRun, DestructionAfterSetupFreesThePopulation)
{
    SetNow(SomeSecond);
    KXGENETICSOLVER solver;
    solver.fitnessFunction = &FirstByteSigned;
    solver.Setup(8, 16, KXGS_LARGEST);
    solver.Run(3);
    // Left for the destructor; the sanitizer build reports any block it leaks.
    solver.Setup(0, 0, 0);
    EXPECT_NE(solver.GetIndividual(0), nullptr);
}

// The sizes are reckoned in 64 bits, so none of these wraps to a small request, and each
// exceeds what the memory manager can be asked for: no population, no evaluation.
TEST_F(SolverRun, PopulationTooLargeIsNotBuilt)
{
    const UNBUILDABLECASE cases[] = {
        {0xFFFFFFFFu, 8},   // the genomes alone take 4 GiB
        {65536, 65536 * 8}, // 65536 genomes of 65536 bytes: 2^32 bytes
        {5, 0xFFFFFFFFu},   // genomes of 2^29 bytes; 32-bit bytes would be 0
        {0x10000000, 0},    // empty genomes, but 2 GiB of values
    };
    SetNow(SomeSecond);
    for (const UNBUILDABLECASE& c : cases) {
        KXGENETICSOLVER solver;
        solver.fitnessFunction = &SERIALFITNESS::Evaluate;
        SERIALFITNESS::Reset(1, 1000);
        solver.Setup(c.size, c.bits, KXGS_LARGEST);
        EXPECT_EQ(solver.Run(10), 0u) << c.size << " x " << c.bits << " bits";
        EXPECT_EQ(SERIALFITNESS::calls, 0u);
        EXPECT_EQ(solver.GetIndividual(0), nullptr);
    }
}
