// Random genomes, crossover and similarity: the draws that the solver takes from the
// library's generator, checked against an independent model of that generator.
#include "kxgeneticsolver.h"

#include "lcgmodel.h"
#include "solver_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint8_t Guard = 0xA5;

void Seed(std::uint16_t seed)
{
    KXRANDOM random;
    random.SetSeed(seed);
}

// What RandomGenome gives after seeding: every byte a draw modulo 255, then the last byte
// drawn again modulo 2^r - 1 when r = bits mod 8 is not 0.
GENOME ModelGenome(LCGMODEL& model, std::uint32_t bits)
{
    GENOME genome((bits + 7) / 8);
    for (auto& byte : genome)
        byte = static_cast<std::uint8_t>(model.Next() % 255);
    if (bits % 8 != 0)
        genome.back() = static_cast<std::uint8_t>(model.Next() % ((1u << (bits % 8)) - 1));
    return genome;
}

} // namespace

class RandomGenomeTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(RandomGenomeTest, FollowsTheGeneratorAndNeverGivesAllOnes)
{
    const std::uint32_t bits = GetParam();
    const std::uint32_t bytes = (bits + 7) / 8;
    const std::uint32_t rest = bits % 8;
    KXGENETICSOLVER solver;
    solver.Setup(10, bits, KXGS_LARGEST);
    for (std::uint16_t seed = 0; seed < 300; ++seed) {
        Seed(seed);
        LCGMODEL model{seed};
        GENOME genome(bytes + 1, Guard);
        solver.RandomGenome(genome.data());

        EXPECT_EQ(genome.back(), Guard) << "wrote past the genome";
        genome.pop_back();
        ASSERT_EQ(genome, ModelGenome(model, bits)) << "seed " << seed;
        for (std::uint8_t byte : genome)
            EXPECT_NE(byte, 0xFF);
        if (rest != 0) {
            EXPECT_LT(genome.back(), (1u << rest) - 1) << "seed " << seed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(GenomeLengths, RandomGenomeTest,
                         ::testing::Values(1u, 7u, 8u, 9u, 12u, 16u, 17u, 31u, 32u, 100u));

TEST(RandomGenome, NineBitsLeaveTheLastByteZero)
{
    KXGENETICSOLVER solver;
    solver.Setup(1, 9, KXGS_LARGEST);
    for (std::uint16_t seed = 0; seed < 1000; ++seed) {
        Seed(seed);
        std::uint8_t genome[2] = {Guard, Guard};
        solver.RandomGenome(genome);
        ASSERT_EQ(genome[1], 0) << "seed " << seed;
    }
}

// A generation whose children are all rejected leaves the ranking as it was, so every
// child of it can be predicted: parents a then b from two draws each, then one mask, with
// the mask's 1 bits taken from ranking[b] and its 0 bits from ranking[a].
TEST(Crossover, ChildrenFollowTheDrawsOfParentsAndMask)
{
    const std::vector<SCRIPTEDCALL> arrivals = {
        {{0x12, 0x34}, 1.0}, {{0x56, 0x78}, 2.0}, {{0x9A, 0xBC}, 3.0},
        {{0xDE, 0xF0}, 4.0}, {{0x0F, 0xE1}, 5.0},
    };
    const std::uint32_t size = static_cast<std::uint32_t>(arrivals.size());
    for (std::uint16_t seed : {0, 1, 7, 4242, 65535}) {
        KXGENETICSOLVER solver;
        // Smallest first: a child valued 100 ranks behind everyone and is rejected.
        BuildScriptedPopulation(solver, KXGS_SMALLEST, arrivals);
        SCRIPTEDFITNESS::Reset(2, {}, 100.0);
        const std::vector<GENOME> ranked = RankedGenomes(solver, size, 2);

        Seed(seed);
        LCGMODEL model{seed};
        EXPECT_EQ(solver.Generation(), 0u);

        ASSERT_EQ(SCRIPTEDFITNESS::seen.size(), size);
        for (std::uint32_t i = 0; i < size; ++i) {
            const std::uint32_t a = ((model.Next() << 4) | model.Next()) % size;
            const std::uint32_t b = ((model.Next() << 4) | model.Next()) % size;
            const auto mask = static_cast<std::uint8_t>(model.Next() % 255);
            GENOME child(2);
            for (int k = 0; k < 2; ++k)
                child[k] =
                    static_cast<std::uint8_t>((mask & ranked[b][k]) | (~mask & ranked[a][k]));
            EXPECT_EQ(SCRIPTEDFITNESS::seen[i], child) << "seed " << seed << ", child " << i;
        }
        EXPECT_EQ(RankedGenomes(solver, size, 2), ranked);
    }
}

struct SIMILARITYCASE {
    GENOME a;
    GENOME b;
    std::uint32_t expected;
};

TEST(Similarity, CountsAgreeingBitPositions)
{
    const SIMILARITYCASE cases[] = {
        {{0x00}, {0x00}, 8},
        {{0x00}, {0xFF}, 0},
        {{0x0F}, {0x00}, 4},
        {{0xA5, 0x3C}, {0xA5, 0x3C}, 16},
        {{0xA5, 0x3C}, {0x5A, 0x3D}, 7},
        {{0x80, 0x01, 0xFF}, {0x00, 0x00, 0x7F}, 21},
    };
    for (const SIMILARITYCASE& c : cases) {
        EXPECT_EQ(KXGENETICSOLVER::Similarity(c.a.data(), c.b.data(),
                                              static_cast<std::uint32_t>(c.a.size())),
                  c.expected);
    }
    const std::uint8_t any = 0x42;
    EXPECT_EQ(KXGENETICSOLVER::Similarity(&any, &any, 0), 0u);
}
