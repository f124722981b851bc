// Benchmarks measure the system against a peer doing the same work in the same run and
// print the ratio of the two times. A benchmark file names its pairs with PELISK_RATIO;
// the shared main prints every ratio after the runs.
#pragma once

#include <string>

// Registers a pair: the benchmark of the system and the one of its peer, by name.
bool RegisterRatio(const std::string& ours, const std::string& peer);

#define PELISK_RATIO_CONCAT(a, b) a##b
#define PELISK_RATIO_NAME(line) PELISK_RATIO_CONCAT(pelisk_ratio_, line)
#define PELISK_RATIO(ours, peer)                                                                   \
    [[maybe_unused]] static const bool PELISK_RATIO_NAME(__COUNTER__) = RegisterRatio(#ours, #peer)
