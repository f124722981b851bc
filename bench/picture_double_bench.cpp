// Double size & blur (the viewer's command: twice the width and height, then the 5-point
// pass) at 2000 × 1500 and 4000 × 3000, 24 and 32 bits, against QImage's smooth
// (bilinear) scaling to twice the size and Pillow's bilinear resize. It is not the same
// filter on every side, only the same size of result from the same pixels. Measured in
// CPU time of the whole process, since Qt scales on several threads, with the wall time
// beside it, under two memory conditions that every side shares:
// - fresh memory: each run a fresh process that reads the file (ours at the file's depth
//   for 24 bits and converted for display for 32, as the viewer shows it; Qt's in
//   RGB888 and RGB32; Pillow's as it reads it) and then doubles it once, into memory
//   the process has never touched: what a user waits for the first time;
// - warm memory: the same work repeated in this process, whose allocator keeps every block
//   in its heap (nothing is mapped afresh or given back), so each run's source and result
//   reuse the pages of the run before, resident; faults counts the page faults of a run.
//   Pillow keeps its own pool of image memory.
#include "picture_bench.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint16_t depths[] = {24, 32};

void AddFresh(const BENCHCASE& line, std::uint16_t depth, const std::string& path)
{
    const std::string programs = BenchProgramFolder();
    std::vector<std::string> ours{programs + "/first_open", path, "double"};
    std::vector<std::string> qt{programs + "/first_open_qt", path, "double"};
    if (depth == 24) {
        ours.push_back("24");
        qt.push_back("24");
    }
    AddProcessSide(line, oursSide, ours, PrintedCpuWithWall);
    AddProcessSide(line, "Qt (threads)", qt, PrintedCpuWithWall);
    if (PillowIsThere())
        AddProcessSide(line, "Pillow", {PillowPython(), PillowScript(), "--first-double", path},
                       PrintedCpuWithWall);
}

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// The page faults of the timed work, per run.
class FAULTCOUNT {
public:
    void Start() { at = MinorFaults(); }
    void Stop() { total += MinorFaults() - at; }
    void Report(benchmark::State& state) const
    {
        state.counters["faults"] =
            benchmark::Counter(static_cast<double>(total), benchmark::Counter::kAvgIterations);
    }

private:
    long at = 0;
    long total = 0;
};

void AddWarm(const BENCHCASE& line, const BENCHSIZE& size, std::uint16_t depth)
{
    AddSide(line, oursSide, BENCHCLOCK::cpu, [size, depth](benchmark::State& state) {
        KXPICTURE original;
        MakeBenchPicture(original, size, depth);
        KXPICTURE picture;
        FAULTCOUNT faults;
        for (auto _ : state) {
            state.PauseTiming();
            RestoreBenchPicture(original, picture);
            state.ResumeTiming();
            faults.Start();
            picture.DoubleSize(5);
            faults.Stop();
            benchmark::DoNotOptimize(picture.GetData());
        }
        faults.Report(state);
    });
    AddSide(line, "Qt (threads)", BENCHCLOCK::cpu, [size, depth](benchmark::State& state) {
        KXPICTURE picture;
        MakeBenchPicture(picture, size, depth);
        const QImage image = MakeBenchImage(picture);
        FAULTCOUNT faults;
        for (auto _ : state) {
            faults.Start();
            const QImage doubled =
                image.scaled(static_cast<int>(2 * size.width), static_cast<int>(2 * size.height),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            faults.Stop();
            benchmark::DoNotOptimize(doubled.constBits());
        }
        faults.Report(state);
    });
}

void Setup()
{
    // Every block from the heap, none mapped on its own, and nothing given back: a block
    // freed is there, resident, for the next run of any side.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    std::vector<PILLOWTASK> pillow;
    for (const BENCHSIZE& size : benchSizes) {
        for (const std::uint16_t depth : depths) {
            KXPICTURE picture;
            MakeBenchPicture(picture, size, depth);
            const std::string path = (BenchFolder() / ("double-" + SizeLabel(size) + "-" +
                                                       DepthLabel(depth) + ".bmp"))
                                         .string();
            WriteBenchFile(picture, path);
            const std::string sizeLabel = SizeLabel(size);
            const std::string depthLabel = DepthLabel(depth);
            AddFresh({"double size & blur, CPU, fresh memory", sizeLabel, depthLabel}, depth, path);
            const BENCHCASE warm{"double size & blur, CPU, warm memory", sizeLabel, depthLabel};
            AddWarm(warm, size, depth);
            pillow.push_back({.line = warm, .kind = "double", .path = path});
        }
    }
    AddPillowSides(pillow);
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
