// The viewer as a whole, each run a fresh process, against a desktop picture viewer (feh,
// Debian's package) on the same files and the start-up floor of the toolkit:
// - start to first paint: from the process's start to the end of the first paint that
//   shows the picture given on the command line. Our side is the viewer's own application
//   object and main dialog under a program that watches the paints (first_paint); the
//   floor is a bare Qt Widgets dialog built the same way that shows a small picture in a
//   label (first_paint_qt), and the same with a menu bar of one menu (the first text a
//   dialog draws starts the font system; the viewer's menu bar is its first text). They
//   end at that paint. feh has no such end: it is timed to its exit, which it takes 1 ms
//   after it has drawn the picture (a slide show of one picture that quits at its end),
//   so its figure is an upper bound.
//   Each side's peak resident memory is printed beside its time (peak_MB), and for ours
//   the time to its window's first paint, before the picture is loaded (window_ms); at
//   4000 x 3000 also what showing the picture costs above showing a tiny one, in sizes of
//   the picture at 32 bits (above_tiny).
// - Double size & blur, the viewer's command: CPU time from the command, as its menu item
//   sends it, to the end of the window's repaint, against the operation alone on the same
//   picture (the picture loaded and converted as for display, in a fresh process too).
// Every side needs a display: scripts/bench gives one (a virtual X server) when there is
// none.
#include "picture_bench.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t depths[] = {8, 24, 32};
constexpr BENCHSIZE small{320, 200};
constexpr BENCHSIZE tiny{16, 16};
constexpr BENCHSIZE large{4000, 3000};

bool HaveDisplay()
{
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

std::string MakeFile(const BENCHSIZE& size, std::uint16_t depth)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, size, depth);
    const std::filesystem::path path =
        BenchFolder() / ("viewer-" + SizeLabel(size) + "-" + DepthLabel(depth) + ".bmp");
    WriteBenchFile(picture, path);
    return path.string();
}

// From the start to the paint whose time the program printed.
double ToPaint(const PROCESSRUN& run, benchmark::State& state)
{
    state.counters["peak_MB"] = run.peakMegabytes;
    return run.printed.empty() ? -1.0 : run.printed[0] - run.startedAt;
}

// The viewer's paint of the picture, and before it that of its window (window_ms).
double ToViewerPaint(const PROCESSRUN& run, benchmark::State& state)
{
    if (run.printed.size() > 1)
        state.counters["window_ms"] = 1e3 * (run.printed[1] - run.startedAt);
    return ToPaint(run, state);
}

// From the start to the end: feh ends just after its first paint.
double ToEnd(const PROCESSRUN& run, benchmark::State& state)
{
    state.counters["peak_MB"] = run.peakMegabytes;
    return run.seconds;
}

// The last two numbers printed: the CPU and wall seconds of the command or of the
// operation.
double DoublingCpu(const PROCESSRUN& run, benchmark::State& state)
{
    const std::size_t count = run.printed.size();
    if (count < 3)
        return -1.0;
    state.counters["wall_ms"] = 1e3 * run.printed[count - 1];
    return run.printed[count - 2];
}

std::vector<std::string> Feh(const std::string& path)
{
    return {"feh", "--on-last-slide", "quit", "--slideshow-delay", "0.001", path};
}

// The least peak of a few runs of the viewer showing a tiny picture: what the viewer
// holds before any picture of size.
double TinyPeak(const std::string& programs, const std::string& path)
{
    double least = 0.0;
    for (int i = 0; i < 3; ++i) {
        const PROCESSRUN run = RunProcess({programs + "/first_paint", path});
        if (run.ok && (least == 0.0 || run.peakMegabytes < least))
            least = run.peakMegabytes;
    }
    return least;
}

void Setup()
{
    if (!HaveDisplay()) {
        std::fprintf(stderr, "viewer_bench: no display; the whole-program lines are left out\n");
        return;
    }
    const std::string programs = BenchProgramFolder();
    const std::string smallFile = MakeFile(small, 24);
    const std::string size = SizeLabel(small);
    const BENCHCASE start{"start to first paint", size, "24"};
    AddProcessSide(start, oursSide, {programs + "/first_paint", smallFile}, ToViewerPaint);
    AddProcessSide(start, "Qt floor", {programs + "/first_paint_qt", smallFile}, ToPaint);
    AddProcessSide(start, "feh", Feh(smallFile), ToEnd, false);
    AddProcessSide(start, "Qt floor + menu", {programs + "/first_paint_qt", smallFile, "menu"},
                   ToPaint, false);

    const double tinyPeak = TinyPeak(programs, MakeFile(tiny, 24));
    const double pictureMegabytes = 4.0 * large.width * large.height / (1024.0 * 1024.0);
    for (const std::uint16_t depth : depths) {
        const std::string file = MakeFile(large, depth);
        const BENCHCASE line{"start to first paint", SizeLabel(large), DepthLabel(depth)};
        AddProcessSide(line, oursSide, {programs + "/first_paint", file},
                       [tinyPeak, pictureMegabytes](const PROCESSRUN& run, benchmark::State& state) {
                           if (tinyPeak > 0.0)
                               state.counters["above_tiny"] =
                                   (run.peakMegabytes - tinyPeak) / pictureMegabytes;
                           return ToViewerPaint(run, state);
                       });
        AddProcessSide(line, "feh", Feh(file), ToEnd);
        // The smoothing passes change no pixel of a palette picture: 24 and 32 bits only.
        if (depth == 8)
            continue;
        const BENCHCASE command{"double size & blur command, CPU", SizeLabel(large),
                                DepthLabel(depth)};
        AddProcessSide(command, oursSide, {programs + "/first_paint", file, "double"},
                       DoublingCpu);
        AddProcessSide(command, "operation alone", {programs + "/first_open", file, "double"},
                       DoublingCpu);
    }
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
