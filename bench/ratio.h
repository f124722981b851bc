// Benchmarks measure the system against a peer doing the same work in the same run and
// print the ratio of the two times. A benchmark file registers its pairs while it loads
// (a namespace-scope `const bool` initialised by these calls); the shared main prints
// every ratio after the runs.
#pragma once

#include <initializer_list>
#include <string>

// Registers a pair: the benchmark of the system and the one of its peer, by their full
// names as the report shows them ("Decode/8").
bool RegisterRatio(const std::string& ours, const std::string& peer);

// Pairs each argument's run of ours with the peer's: "PeliskFlip/8" with "QtFlip/8".
bool RegisterRatios(const char* ours, const char* peer, std::initializer_list<int> args);
