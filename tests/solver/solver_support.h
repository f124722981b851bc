// Fitness functions and helpers shared by the genetic solver's tests. The solver takes a
// plain function pointer, so the functions keep their state in globals that each test
// sets up afresh.
#pragma once

#include "kxgeneticsolver.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using GENOME = std::vector<std::uint8_t>;

// One scripted evaluation: the genome is rewritten to bytes (unless empty) and value is
// returned.
struct SCRIPTEDCALL {
    GENOME bytes;
    double value;
};

// A fitness function that follows a script and records every genome it is given (as
// given, before any rewrite). Past the end of the script it leaves the genome as it is
// and returns the fallback value.
struct SCRIPTEDFITNESS {
    static inline std::vector<SCRIPTEDCALL> script;
    static inline std::size_t next = 0;
    static inline double fallback = 0.0;
    static inline std::size_t genomeBytes = 0;
    static inline std::vector<GENOME> seen;

    static void Reset(std::size_t bytes, std::vector<SCRIPTEDCALL> calls, double otherwise = 0.0)
    {
        script = std::move(calls);
        next = 0;
        fallback = otherwise;
        genomeBytes = bytes;
        seen.clear();
    }

    static double Evaluate(std::uint8_t* genome)
    {
        seen.emplace_back(genome, genome + genomeBytes);
        if (next == script.size())
            return fallback;
        const SCRIPTEDCALL& call = script[next++];
        if (!call.bytes.empty())
            std::memcpy(genome, call.bytes.data(), call.bytes.size());
        return call.value;
    }
};

// The genomes of ranks 0 to size - 1, best first.
inline std::vector<GENOME> RankedGenomes(const KXGENETICSOLVER& solver, std::uint32_t size,
                                         std::size_t bytes)
{
    std::vector<GENOME> genomes;
    for (std::uint32_t rank = 0; rank < size; ++rank) {
        const std::uint8_t* genome = solver.GetIndividual(rank);
        if (genome == nullptr)
            break;
        genomes.emplace_back(genome, genome + bytes);
    }
    return genomes;
}

// Builds a population whose arrivals are the scripted genomes and values, in order, and
// leaves the script empty for what the test does next.
inline void BuildScriptedPopulation(KXGENETICSOLVER& solver, std::uint16_t flags,
                                    const std::vector<SCRIPTEDCALL>& arrivals)
{
    const std::size_t bytes = arrivals.front().bytes.size();
    SCRIPTEDFITNESS::Reset(bytes, arrivals);
    solver.fitnessFunction = &SCRIPTEDFITNESS::Evaluate;
    solver.Setup(static_cast<std::uint32_t>(arrivals.size()), static_cast<std::uint32_t>(bytes * 8),
                 flags);
    solver.InitPopulation();
    SCRIPTEDFITNESS::Reset(bytes, {});
}
