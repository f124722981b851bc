#include "kxgeneticsolver.h"

#include "kxmemmod.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// Allocates size bytes through the memory manager into out; false, with out null, when
// the memory manager cannot give them.
template <typename T> bool AllocateArray(T*& out, std::uint64_t size)
{
    out = MemAllocBuffer<T>(size);
    return out != nullptr;
}

} // namespace

KXGENETICSOLVER::KXGENETICSOLVER() : KXOBJECT("KXGENETICSOLVER") {}

KXGENETICSOLVER::~KXGENETICSOLVER()
{
    FreePopulation();
}

void KXGENETICSOLVER::Setup(std::uint32_t size, std::uint32_t bits, std::uint16_t flags)
{
    populationSize = size;
    genomeBits = bits;
    // In 64 bits: the largest bit counts would wrap to 0 bytes in 32.
    genomeBytes = static_cast<std::uint32_t>((std::uint64_t{bits} + 7) / 8);
    modeFlags = flags;
}

std::uint32_t KXGENETICSOLVER::Run(std::uint32_t limit)
{
    if (fitnessFunction == nullptr)
        return 0;
    random.Randomize();
    InitPopulation();
    // Counting starts only after the first counted generation is past the limit, so a
    // limit n lets n + 2 generations run.
    std::uint32_t counter = 0;
    while (Generation() != 0) {
        if (limit == 0)
            continue;
        const std::uint32_t old = counter++;
        if (old > limit)
            break;
    }
    return counter;
}

void KXGENETICSOLVER::InitPopulation()
{
    FreePopulation();
    if (populationSize == 0 || fitnessFunction == nullptr)
        return;
    if (!AllocatePopulation()) {
        FreePopulation();
        return;
    }
    builtSize = populationSize;
    builtBits = genomeBits;
    builtBytes = genomeBytes;
    for (std::uint32_t i = 0; i < builtSize; ++i)
        ranking[i] = storage + std::size_t{i} * builtBytes;

    RandomGenome(ranking[0]);
    fitness[0] = fitnessFunction(ranking[0]);
    // While filling, Insert admits every genome: ranked among the first i, into the
    // first slot not yet ranked.
    for (std::uint32_t i = 1; i < builtSize; ++i) {
        MakeChild(nullptr, nullptr);
        Insert(scratch, i);
    }
}

// In this order: the genomes, the fitness values, the scratch child, the ranking.
bool KXGENETICSOLVER::AllocatePopulation()
{
    const std::uint64_t size = populationSize;
    return AllocateArray(storage, size * genomeBytes) &&
           AllocateArray(fitness, size * sizeof(double)) && AllocateArray(scratch, genomeBytes) &&
           AllocateArray(ranking, size * sizeof(std::uint8_t*));
}

// Frees whatever the population holds, whatever Setup has stored since it was built.
void KXGENETICSOLVER::FreePopulation()
{
    MemFreeBuffer(ranking);
    MemFreeBuffer(storage);
    MemFreeBuffer(fitness);
    MemFreeBuffer(scratch);
    builtSize = 0;
    builtBits = 0;
    builtBytes = 0;
}

std::uint32_t KXGENETICSOLVER::Generation()
{
    std::uint32_t accepted = 0;
    for (std::uint32_t i = 0; i < builtSize; ++i) {
        // Parents are drawn regardless of fitness, and may be the same individual.
        const std::uint32_t a = random.RandomIndex(builtSize);
        const std::uint32_t b = random.RandomIndex(builtSize);
        MakeChild(ranking[b], ranking[a]);
        if (Insert(scratch, 0) != builtSize)
            ++accepted;
    }
    return accepted;
}

void KXGENETICSOLVER::MakeChild(const std::uint8_t* x, const std::uint8_t* y)
{
    if (!HasPopulation())
        return;
    if (x == nullptr || y == nullptr) {
        RandomGenome(scratch);
        return;
    }
    // One mask for every byte; it is never 0xFF, so y always gives at least one bit of
    // each byte.
    const auto mask = static_cast<std::uint8_t>(random.RandomShort(255));
    for (std::uint32_t i = 0; i < builtBytes; ++i)
        scratch[i] = static_cast<std::uint8_t>((mask & x[i]) | (~mask & y[i]));
}

void KXGENETICSOLVER::RandomGenome(std::uint8_t* genome)
{
    if (genome == nullptr)
        return;
    const std::uint32_t bits = HasPopulation() ? builtBits : genomeBits;
    const std::uint32_t bytes = HasPopulation() ? builtBytes : genomeBytes;
    for (std::uint32_t i = 0; i < bytes; ++i)
        genome[i] = static_cast<std::uint8_t>(random.RandomShort(255));
    // The last byte is drawn again within the bits it holds, below their all-ones value.
    const std::uint32_t rest = bits % 8;
    if (rest != 0)
        genome[bytes - 1] = static_cast<std::uint8_t>(random.RandomShort((1u << rest) - 1));
}

std::uint32_t KXGENETICSOLVER::Insert(std::uint8_t* genome, std::uint32_t n)
{
    // Nothing to rank into, or nothing to rank by: rejected.
    if (!HasPopulation() || fitnessFunction == nullptr || genome == nullptr)
        return builtSize;
    if (n == 0 || n > builtSize)
        n = builtSize;
    // On the caller's buffer, before anything is copied: the fitness function may
    // rewrite the genome, and the rewritten form is what is compared and kept.
    const double value = fitnessFunction(genome);
    const std::uint32_t rank = RankFor(value, n);

    // Filling: into the first slot not yet ranked.
    std::uint32_t victim = n;
    if (n == builtSize) {
        if (rank >= builtSize)
            return builtSize;
        if (std::memcmp(genome, ranking[rank], builtBytes) == 0)
            return builtSize;
        victim = MostSimilarFrom(genome, rank);
    }
    // memmove: the caller may hand in one of the population's own genomes.
    std::memmove(ranking[victim], genome, builtBytes);
    MoveToRank(victim, rank, value);
    return rank;
}

// Behind every individual that is better, ahead of all that are equal or worse.
std::uint32_t KXGENETICSOLVER::RankFor(double candidate, std::uint32_t n) const
{
    std::uint32_t rank = 0;
    while (rank < n && IsBetter(fitness[rank], candidate))
        ++rank;
    return rank;
}

// Crowding: the individual at or below rank most like genome; a tie keeps the
// better-ranked one.
std::uint32_t KXGENETICSOLVER::MostSimilarFrom(const std::uint8_t* genome, std::uint32_t rank) const
{
    std::uint32_t best = rank;
    std::uint32_t most = Similarity(genome, ranking[rank], builtBytes);
    for (std::uint32_t k = rank + 1; k < builtSize; ++k) {
        const std::uint32_t similarity = Similarity(genome, ranking[k], builtBytes);
        if (similarity > most) {
            most = similarity;
            best = k;
        }
    }
    return best;
}

// Moves the genome slot ranked at from up to rank with its new fitness, shifting the
// ranks between down by one. Only pointers and values move, never genomes.
void KXGENETICSOLVER::MoveToRank(std::uint32_t from, std::uint32_t rank, double value)
{
    std::uint8_t* slot = ranking[from];
    for (std::uint32_t k = from; k > rank; --k) {
        ranking[k] = ranking[k - 1];
        fitness[k] = fitness[k - 1];
    }
    ranking[rank] = slot;
    fitness[rank] = value;
}

bool KXGENETICSOLVER::IsBetter(double ranked, double candidate) const
{
    switch (modeFlags & 0xF0) {
    case KXGS_CLOSESTTOZERO:
        return std::fabs(ranked) < std::fabs(candidate);
    case KXGS_LARGEST:
        return ranked > candidate;
    case KXGS_SMALLEST:
        return ranked < candidate;
    default:
        return false;
    }
}

std::uint32_t KXGENETICSOLVER::Similarity(const std::uint8_t* a, const std::uint8_t* b,
                                          std::uint32_t bytes)
{
    std::uint32_t agreeing = 0;
    for (std::uint32_t i = 0; i < bytes; ++i)
        agreeing +=
            static_cast<std::uint32_t>(std::popcount(static_cast<std::uint8_t>(~(a[i] ^ b[i]))));
    return agreeing;
}

std::uint8_t* KXGENETICSOLVER::GetIndividual(std::uint32_t rank) const
{
    return HasPopulation() && rank < builtSize ? ranking[rank] : nullptr;
}
