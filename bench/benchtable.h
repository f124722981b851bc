// Benchmarks measure the system against its peers doing the same work, from the same input
// to the same kind of result, in the same run. Each benchmark file registers the sides of
// its cases while it loads (a namespace-scope `const bool` initialised by these calls);
// the shared main runs every side the same number of times, interleaved, and prints one
// line per case: operation, size, depth, the median and spread of each side, and the
// ratio of the system's median to the fastest peer's.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

// What is done, on what size and depth: one line of the table.
struct BENCHCASE {
    std::string operation;
    std::string size;
    std::string depth;
};

// Wall time for what a user waits for; process CPU time (all threads) where a peer may
// spread the work over several threads.
enum class BENCHCLOCK { wall, cpu };

// The name of the system's side in the table; every other side is a peer.
inline const char* const oursSide = "Pelisk";

// Registers work that main runs once, after the arguments are read and before the
// benchmarks run: making the files, registering the sides, running the Pillow script.
bool AddSetup(std::function<void()> setup);

// Registers one side of a case: one run of the function's loop per repetition. The
// benchmark is returned for settings of its own (manual time, one iteration); counters
// it sets are printed with its figure, as medians over the repetitions. A side that does
// not count as a peer is printed but takes no part in the ratio (a floor to approach).
benchmark::internal::Benchmark* AddSide(const BENCHCASE& line, const std::string& side,
                                        BENCHCLOCK clock,
                                        std::function<void(benchmark::State&)> run,
                                        bool counts = true);

// The repetitions and the least time of one repetition, in seconds, that every side gets.
int BenchRuns();
double BenchMinTime();

// One Pillow side of a case: what the Pillow script of this folder does (the kind, see
// the script) with the BMP file at path; width and height for the kinds that need them.
struct PILLOWTASK {
    BENCHCASE line;
    std::string side = "Pillow";
    bool counts = true; // false for a floor to approach, printed without a ratio
    std::string kind;
    std::string path;
    unsigned width = 0;
    unsigned height = 0;
};

// The Python that runs the Pillow script, the script, and whether Pillow can be timed
// here (the script says so).
std::string PillowPython();
std::string PillowScript();
bool PillowIsThere();

// Registers a Pillow side for each task, timed by the Pillow script in turns with the
// other sides; a machine without Pillow gets no Pillow column.
void AddPillowSides(const std::vector<PILLOWTASK>& tasks);

// One run of a program in a fresh process, in the current folder, its output read.
struct PROCESSRUN {
    bool ok = false;             // started, and ended with status 0
    double startedAt = 0.0;      // the monotonic clock's seconds just before it started
    double seconds = 0.0;        // from its start to its end
    double peakMegabytes = 0.0;  // its largest resident size (0 without GNU time)
    std::vector<double> printed; // the numbers it printed, in order
};
PROCESSRUN RunProcess(const std::vector<std::string>& arguments);

// Registers a side that runs a program in a fresh process once per repetition; figure
// gives the seconds counted for a run and may set the state's counters (negative when the
// run gave no figure). Timed in wall time, whatever the figure says it counts.
void AddProcessSide(const BENCHCASE& line, const std::string& side,
                    std::vector<std::string> arguments,
                    std::function<double(const PROCESSRUN&, benchmark::State&)> figure,
                    bool counts = true);

// The figure of a program that prints, last, the CPU and wall seconds of what it timed
// (first_open and first_open_qt with "double", double_command): the CPU seconds, the wall
// time beside them as the counter wall_ms; negative when it printed fewer than two
// numbers.
double PrintedCpuWithWall(const PROCESSRUN& run, benchmark::State& state);

// The folder of the small programs that time one thing in a fresh process.
std::string BenchProgramFolder();

// "2000x1500" and "8" as the table shows them.
std::string SizeLabel(unsigned width, unsigned height);
std::string DepthLabel(unsigned depth);
