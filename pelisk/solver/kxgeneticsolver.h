// KXGENETICSOLVER, a steady-state genetic algorithm over fixed-length bit-string genomes:
// a population kept in fitness order, children crossed from two parents under one random
// byte mask, and crowding: a child replaces the individual most like it among those
// ranked at or below it. There is no mutation. The VORN project of the picture control
// drives it.
#pragma once

#include "kxobject.h"
#include "kxrandom.h"

#include <cstdint>

// Evaluates a genome (its first byte). It may rewrite the genome in place: the rewritten
// form is what the solver keeps and compares.
using KXFITNESSFUNCTION = double (*)(std::uint8_t* genome);

// The ranking orders, chosen by the bits 0xF0 of the mode flags; the other bits are
// ignored.
enum : std::uint16_t {
    KXGS_CLOSESTTOZERO = 0x00, // smallest absolute value first
    KXGS_LARGEST = 0x10,       // largest first
    KXGS_SMALLEST = 0x20,      // smallest first
    KXGS_NEWEST = 0x30,        // any other value: every newcomer takes rank 0
};

class KXGENETICSOLVER : public KXOBJECT {
public:
    KXGENETICSOLVER();
    // Frees the population.
    ~KXGENETICSOLVER();
    // The solver owns its population's arrays; a copy would share them.
    KXGENETICSOLVER(const KXGENETICSOLVER&) = delete;
    KXGENETICSOLVER& operator=(const KXGENETICSOLVER&) = delete;

    // Stores the numbers of the next population: its size, the genome length in bits and
    // the mode flags. An existing population keeps the size and genome length it was
    // built with until the next InitPopulation (every Run rebuilds it).
    void Setup(std::uint32_t size, std::uint32_t bits, std::uint16_t flags);

    // Seeds the generator from the clock, builds a population and breeds generations
    // until one lets no child in or, with a limit n other than 0, until n + 2 generations
    // have run. Returns the number of generations counted: 0 without a fitness function,
    // without a population, or with no limit.
    std::uint32_t Run(std::uint32_t limit);

    // Builds a population of random genomes, every one admitted. Without a fitness
    // function, with a size of 0, or when the arrays cannot be allocated there is none.
    void InitPopulation();
    void FreePopulation();

    // Breeds one child per individual; returns how many were let in.
    std::uint32_t Generation();
    // Crosses x and y into the scratch child under one random mask (bits from x where
    // the mask has a 1); without both parents the child is a random genome.
    void MakeChild(const std::uint8_t* x, const std::uint8_t* y);
    // Fills a genome with random bytes, none of them 0xFF; the unused high bits of the
    // last byte stay 0. The length is the population's, or Setup's when there is none.
    void RandomGenome(std::uint8_t* genome);
    // Evaluates genome and ranks it among the first n individuals (0 or more than the
    // population: all of them). Returns its rank, or the population size when it is
    // rejected: every individual is better, or it equals the individual at its rank.
    std::uint32_t Insert(std::uint8_t* genome, std::uint32_t n);
    // Whether an individual of fitness ranked stays ahead of a newcomer of candidate.
    bool IsBetter(double ranked, double candidate) const;
    // The number of bit positions in which two genomes of that many bytes agree.
    static std::uint32_t Similarity(const std::uint8_t* a, const std::uint8_t* b,
                                    std::uint32_t bytes);

    // The genome at that rank (0 is the best), owned by the solver; null when there is no
    // population or the rank is not below its size.
    std::uint8_t* GetIndividual(std::uint32_t rank) const;

    // Set directly by the user; null at construction.
    KXFITNESSFUNCTION fitnessFunction = nullptr;

private:
    bool AllocatePopulation();
    std::uint32_t RankFor(double candidate, std::uint32_t n) const;
    std::uint32_t MostSimilarFrom(const std::uint8_t* genome, std::uint32_t rank) const;
    void MoveToRank(std::uint32_t from, std::uint32_t rank, double value);
    bool HasPopulation() const { return ranking != nullptr; }

    // What Setup stored: the numbers of the next population.
    std::uint32_t genomeBits = 0;
    std::uint32_t genomeBytes = 0;
    KXRANDOM random;
    std::uint32_t populationSize = 0;
    std::uint16_t modeFlags = 0;

    // The population: one block of genomes, the ranking (pointers into the block, best
    // first), the scratch child and the fitness of each rank. All four come from the
    // memory manager.
    std::uint8_t* storage = nullptr;
    std::uint8_t** ranking = nullptr;
    std::uint8_t* scratch = nullptr;
    double* fitness = nullptr;

    // The numbers the population was built with. Every operation on the population uses
    // these, never Setup's later ones, so the arrays are never read or written past their
    // ends. All 0 while there is no population.
    std::uint32_t builtSize = 0;
    std::uint32_t builtBits = 0;
    std::uint32_t builtBytes = 0;
};
