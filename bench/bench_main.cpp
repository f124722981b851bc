#include "benchtable.h"
#include "clockseconds.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct SIDE {
    std::string name;
    BENCHCLOCK clock = BENCHCLOCK::wall;
    std::string benchmark; // empty for a figure measured outside
    double median = 0.0;
    double spread = 0.0;
    bool counts = true;
    std::map<std::string, double> counters; // medians of the counters the benchmark sets
};

struct LINE {
    BENCHCASE what;
    std::vector<SIDE> sides;
};

std::vector<LINE>& Lines()
{
    static std::vector<LINE> lines;
    return lines;
}

LINE& LineOf(const BENCHCASE& what)
{
    for (LINE& line : Lines()) {
        if (line.what.operation == what.operation && line.what.size == what.size &&
            line.what.depth == what.depth)
            return line;
    }
    Lines().push_back({what, {}});
    return Lines().back();
}

std::vector<std::function<void()>>& Setups()
{
    static std::vector<std::function<void()>> setups;
    return setups;
}

int runs = 15;
double minTime = 0.1;

// The value at fraction q of the sorted values, interpolated between neighbours.
double Quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto low = static_cast<std::size_t>(std::floor(at));
    const std::size_t high = std::min(low + 1, sorted.size() - 1);
    return sorted[low] + (sorted[high] - sorted[low]) * (at - static_cast<double>(low));
}

// Keeps every repetition's time per iteration, in seconds, by benchmark name; prints
// nothing but a dot per repetition, so a long run shows that it moves.
class TABLEREPORTER : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const double iterations = static_cast<double>(run.iterations);
            const std::string& name = run.run_name.function_name;
            times[name].push_back(
                {run.real_accumulated_time / iterations, run.cpu_accumulated_time / iterations});
            for (const auto& [counter, value] : run.counters)
                counters[name][counter].push_back(value.value);
        }
        std::fputc('.', stderr);
        std::fflush(stderr);
    }

    void Finalize() override { std::fputc('\n', stderr); }

    void Fill(SIDE& side) const
    {
        const auto found = times.find(side.benchmark);
        if (found == times.end())
            return;
        std::vector<double> values;
        for (const auto& [wall, cpu] : found->second)
            values.push_back(side.clock == BENCHCLOCK::cpu ? cpu : wall);
        std::sort(values.begin(), values.end());
        side.median = Quantile(values, 0.5);
        side.spread = Quantile(values, 0.75) - Quantile(values, 0.25);
        // Beside CPU time, the wall time: a side on several threads takes less of it.
        if (side.clock == BENCHCLOCK::cpu) {
            std::vector<double> walls;
            for (const auto& [wall, cpu] : found->second)
                walls.push_back(wall);
            std::sort(walls.begin(), walls.end());
            side.counters["wall_ms"] = 1e3 * Quantile(walls, 0.5);
        }
        const auto set = counters.find(side.benchmark);
        if (set == counters.end())
            return;
        for (auto [counter, samples] : set->second) {
            std::sort(samples.begin(), samples.end());
            side.counters[counter] = Quantile(samples, 0.5);
        }
    }

private:
    std::map<std::string, std::map<std::string, std::vector<double>>> counters;
    std::map<std::string, std::vector<std::pair<double, double>>> times;
};

std::string Milliseconds(double seconds)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3g ms", seconds * 1e3);
    return text;
}

// "12.3 ms ±4%": the median and the interquartile range as a share of it.
std::string Figure(const SIDE& side)
{
    if (side.median <= 0.0)
        return side.name + " —";
    char text[160];
    std::snprintf(text, sizeof text, "%s %s ±%.0f%%%s", side.name.c_str(),
                  Milliseconds(side.median).c_str(), 100.0 * side.spread / side.median,
                  side.clock == BENCHCLOCK::cpu ? " cpu" : "");
    std::string figure = text;
    for (const auto& [counter, value] : side.counters) {
        std::snprintf(text, sizeof text, " (%s %.4g)", counter.c_str(), value);
        figure += text;
    }
    return figure;
}

// Beside the ratio to the fastest peer, the ratio to each other peer that counts: where a
// goal names two peers (the whole viewer against feh and nsxiv), both figures stand on
// the line.
std::string OtherRatios(const LINE& line, const SIDE& ours, const SIDE& fastest)
{
    std::string ratios;
    for (const SIDE& side : line.sides) {
        if (&side == &ours || &side == &fastest || !side.counts || side.median <= 0.0)
            continue;
        char text[96];
        std::snprintf(text, sizeof text, ", %.2f (vs %s)", ours.median / side.median,
                      side.name.c_str());
        ratios += text;
    }
    return ratios;
}

void PrintLine(const LINE& line)
{
    // A line whose every side was left out by a filter says nothing.
    if (std::none_of(line.sides.begin(), line.sides.end(),
                     [](const SIDE& side) { return side.median > 0.0; }))
        return;
    const SIDE* ours = nullptr;
    const SIDE* fastest = nullptr;
    std::string figures;
    for (const SIDE& side : line.sides) {
        figures += " | " + Figure(side);
        if (side.median <= 0.0)
            continue;
        if (side.name == oursSide)
            ours = &side;
        else if (side.counts && (fastest == nullptr || side.median < fastest->median))
            fastest = &side;
    }
    std::string ratio = "—";
    if (ours != nullptr && fastest != nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f (vs %s)", ours->median / fastest->median,
                      fastest->name.c_str());
        ratio = text;
        ratio += OtherRatios(line, *ours, *fastest);
    }
    std::printf("%-28s | %-9s | %-5s%s | ratio %s\n", line.what.operation.c_str(),
                line.what.size.c_str(), line.what.depth.c_str(), figures.c_str(), ratio.c_str());
}

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string text;
    while (std::getline(cpuinfo, text)) {
        if (text.rfind("model name", 0) == 0)
            return text.substr(text.find(':') + 2);
    }
    return "unknown";
}

// Takes this program's own options out of the arguments and sets the benchmark library's
// repetitions, least time and interleaving to match, unless they were given.
std::vector<char*> Arguments(int argc, char** argv, std::vector<std::string>& storage)
{
    std::vector<char*> kept{argv[0]};
    bool interleaving = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--runs=", 0) == 0)
            runs = std::max(1, std::atoi(argument.c_str() + 7));
        else if (argument.rfind("--min-time=", 0) == 0)
            minTime = std::atof(argument.c_str() + 11);
        else
            kept.push_back(argv[i]);
        interleaving = interleaving || argument.rfind("--benchmark_enable_random", 0) == 0;
    }
    storage.push_back("--benchmark_repetitions=" + std::to_string(runs));
    storage.push_back("--benchmark_min_time=" + std::to_string(minTime));
    if (!interleaving)
        storage.push_back("--benchmark_enable_random_interleaving=true");
    for (std::string& extra : storage)
        kept.push_back(extra.data());
    kept.push_back(nullptr);
    return kept;
}

} // namespace

bool AddSetup(std::function<void()> setup)
{
    Setups().push_back(std::move(setup));
    return true;
}

benchmark::internal::Benchmark* AddSide(const BENCHCASE& what, const std::string& side,
                                        BENCHCLOCK clock,
                                        std::function<void(benchmark::State&)> run, bool counts)
{
    const std::string name = what.operation + "/" + what.size + "/" + what.depth + "/" + side;
    benchmark::internal::Benchmark* registered =
        benchmark::RegisterBenchmark(name.c_str(), [run](benchmark::State& state) { run(state); });
    if (clock == BENCHCLOCK::cpu)
        registered->MeasureProcessCPUTime();
    LineOf(what).sides.push_back({side, clock, name, 0.0, 0.0, counts, {}});
    return registered;
}

int BenchRuns()
{
    return runs;
}

double BenchMinTime()
{
    return minTime;
}

std::string PillowPython()
{
    const char* python = std::getenv("PELISK_PYTHON");
    return python != nullptr ? python : "/usr/bin/python3";
}

std::string PillowScript()
{
    return PELISK_BENCH_DIR "/pillow_bench.py";
}

bool PillowIsThere()
{
    // For a quick look at the other sides: PELISK_NO_PILLOW=1 leaves Pillow out.
    static const bool there =
        std::getenv("PELISK_NO_PILLOW") == nullptr &&
        std::system((PillowPython() + " '" + PillowScript() + "' --check").c_str()) == 0;
    return there;
}

namespace {

// The Pillow script, started on the first request: it answers each task written to it
// with the seconds per call of one repetition, so that Pillow's repetitions take turns
// with every other side's, over the same stretch of time.
class PILLOWPEER {
public:
    static PILLOWPEER& Get()
    {
        static PILLOWPEER peer;
        return peer;
    }

    ~PILLOWPEER()
    {
        if (to != nullptr)
            std::fclose(to); // the script reads the end of its input and ends
        if (from != nullptr)
            std::fclose(from);
        if (child > 0)
            waitpid(child, nullptr, 0);
    }

    // Seconds per call of one repetition of the task; negative when it cannot be had.
    double Run(const std::string& task)
    {
        if (to == nullptr && !Start())
            return -1.0;
        std::fprintf(to, "%s\n", task.c_str());
        std::fflush(to);
        char answer[128];
        if (std::fgets(answer, sizeof answer, from) == nullptr || answer[0] == '-')
            return -1.0;
        return std::atof(answer);
    }

private:
    bool Start()
    {
        if (tried)
            return false;
        tried = true;
        // A script that ended early must not end this program with it: a write to it then
        // fails, and the side goes without a figure.
        std::signal(SIGPIPE, SIG_IGN);
        int input[2];
        int output[2];
        if (pipe(input) != 0)
            return false;
        if (pipe(output) != 0) {
            close(input[0]);
            close(input[1]);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        std::string python = PillowPython();
        std::string script = PillowScript();
        std::string option = "--min-time";
        std::string seconds = std::to_string(minTime);
        char* argv[] = {python.data(), script.data(), option.data(), seconds.data(), nullptr};
        const bool started =
            posix_spawn(&child, python.c_str(), &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        if (!started) {
            close(input[1]);
            close(output[0]);
            return false;
        }
        to = fdopen(input[1], "w");
        from = fdopen(output[0], "r");
        return to != nullptr && from != nullptr;
    }

    bool tried = false;
    pid_t child = -1;
    std::FILE* to = nullptr;
    std::FILE* from = nullptr;
};

// The line the Pillow script reads for a task: "operation|size|depth|side|counts|kind|path",
// then "|width|height" for a task that has them. The script reads the fields from the kind
// on; the whole line names the task, which it prepares once.
std::string PillowWire(const PILLOWTASK& task)
{
    std::string wire = task.line.operation + "|" + task.line.size + "|" + task.line.depth +
                       "|" + task.side + "|" + (task.counts ? "1" : "0") + "|" + task.kind +
                       "|" + task.path;
    if (task.width != 0 || task.height != 0)
        wire += "|" + std::to_string(task.width) + "|" + std::to_string(task.height);
    return wire;
}

} // namespace

void AddPillowSides(const std::vector<PILLOWTASK>& tasks)
{
    if (!PillowIsThere())
        return;
    for (const PILLOWTASK& task : tasks) {
        AddSide(task.line, task.side, BENCHCLOCK::wall,
                [wire = PillowWire(task)](benchmark::State& state) {
                    for (auto _ : state) {
                        const double seconds = PILLOWPEER::Get().Run(wire);
                        if (seconds < 0.0) {
                            state.SkipWithError("Pillow could not run this case");
                            break;
                        }
                        state.SetIterationTime(seconds);
                    }
                },
                task.counts)
            ->UseManualTime()
            ->Iterations(1);
    }
}

namespace {

const char* const peakReporter = "/usr/bin/time";

} // namespace

PROCESSRUN RunProcess(const std::vector<std::string>& arguments)
{
    PROCESSRUN run;
    std::signal(SIGPIPE, SIG_IGN);
    int output[2];
    if (pipe(output) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The resource usage of a child that this program starts directly counts this
    // program's own memory as the child's peak (the child shares it until it runs its
    // program): GNU time, a small process of its own, starts it and reports its peak.
    const bool timed = access(peakReporter, X_OK) == 0;
    const std::string peakFile = std::filesystem::temp_directory_path() /
                                 ("pelisk-bench-peak-" + std::to_string(getpid()));
    std::vector<std::string> words;
    if (timed)
        words = {peakReporter, "--format=%M", "--output=" + peakFile};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const double start = ClockSeconds();
    pid_t child = -1;
    const bool started =
        posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    std::string text;
    char buffer[512];
    ssize_t got = 0;
    while (started && (got = read(output[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    close(output[0]);
    if (!started)
        return run;
    int status = 0;
    const bool reaped = waitpid(child, &status, 0) == child;
    run.startedAt = start;
    run.seconds = ClockSeconds() - start;
    run.ok = reaped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (timed) {
        std::ifstream peak(peakFile);
        double kilobytes = 0.0;
        run.ok = run.ok && static_cast<bool>(peak >> kilobytes);
        run.peakMegabytes = kilobytes / 1024.0;
        std::filesystem::remove(peakFile);
    }
    const char* at = text.c_str();
    char* next = nullptr;
    for (double value = std::strtod(at, &next); next != at; value = std::strtod(at, &next)) {
        run.printed.push_back(value);
        at = next;
    }
    return run;
}

void AddProcessSide(const BENCHCASE& line, const std::string& side,
                    std::vector<std::string> arguments,
                    std::function<double(const PROCESSRUN&, benchmark::State&)> figure,
                    bool counts)
{
    AddSide(line, side, BENCHCLOCK::wall,
            [arguments = std::move(arguments), figure = std::move(figure)](
                benchmark::State& state) {
                for (auto _ : state) {
                    const PROCESSRUN run = RunProcess(arguments);
                    const double seconds = run.ok ? figure(run, state) : -1.0;
                    if (seconds < 0.0) {
                        state.SkipWithError(("no figure from " + arguments[0]).c_str());
                        break;
                    }
                    state.SetIterationTime(seconds);
                }
            },
            counts)
        ->UseManualTime()
        ->Iterations(1);
}

double PrintedCpuWithWall(const PROCESSRUN& run, benchmark::State& state)
{
    const std::size_t count = run.printed.size();
    if (count < 2)
        return -1.0;
    state.counters["wall_ms"] = 1e3 * run.printed[count - 1];
    return run.printed[count - 2];
}

std::string BenchProgramFolder()
{
    return PELISK_BENCH_PROGRAMS;
}

std::string SizeLabel(unsigned width, unsigned height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string DepthLabel(unsigned depth)
{
    return std::to_string(depth);
}

int main(int argc, char** argv)
{
    std::vector<std::string> storage;
    std::vector<char*> arguments = Arguments(argc, argv, storage);
    int count = static_cast<int>(arguments.size()) - 1;
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;
    // A setup that cannot make what its figures need (a file that a side reads otherwise
    // than the system) ends the program before any figure.
    try {
        for (const auto& setup : Setups())
            setup();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    TABLEREPORTER reporter;
    // A filter that leaves nothing of this program leaves it nothing to print.
    if (benchmark::RunSpecifiedBenchmarks(&reporter) == 0) {
        benchmark::Shutdown();
        return 0;
    }
    std::printf("machine: %u cores, %s; medians of %d runs (each at least %.2f s), spread = "
                "interquartile range; ratio = %s / fastest peer\n",
                std::thread::hardware_concurrency(), CpuModel().c_str(), runs, minTime, oursSide);
    // Grouped by operation, in the order the operations were first registered.
    std::map<std::string, std::size_t> firstSeen;
    for (const LINE& line : Lines())
        firstSeen.emplace(line.what.operation, firstSeen.size());
    std::stable_sort(Lines().begin(), Lines().end(), [&](const LINE& a, const LINE& b) {
        return firstSeen[a.what.operation] < firstSeen[b.what.operation];
    });
    for (LINE& line : Lines()) {
        for (SIDE& side : line.sides) {
            if (!side.benchmark.empty())
                reporter.Fill(side);
        }
        PrintLine(line);
    }
    benchmark::Shutdown();
    return 0;
}
