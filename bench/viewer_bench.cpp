// The viewer as a whole, each run a fresh process, against two desktop picture viewers
// (feh and nsxiv, Debian's packages) on the same files and the start-up floor of the
// toolkit:
// - start to first paint: every side is timed from outside, to the same event: from the
//   command that starts it to its picture on the screen. A small X client (first_pixel)
//   starts the command and reads the screen of the X server until the centre of the
//   command's window shows the colour of the block that every picture of these lines
//   carries over its centre; every viewer measured fits the picture to its window. Ours is
//   the viewer program itself, Pelisk, started in its folder. The floor is a bare Qt
//   Widgets dialog built the same way that shows a small picture in a label
//   (first_paint_qt), and the same with a menu bar of one menu (the first text a dialog
//   draws starts the font system; the viewer's menu bar is its first text).
//   Each side's peak resident memory is printed beside its time (peak_MB), and the time to
//   its first window's mapping (mapped_ms); at 4000 x 3000, for ours, also what showing the
//   picture costs above showing a tiny one, in sizes of the picture at 32 bits
//   (above_tiny).
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

// The colour of the block over the middle of every picture of the whole-viewer lines, as
// first_pixel reads it (red, green, blue), and as the picture's pixels hold it.
constexpr const char* kBlockColour = "ff00ff";
constexpr std::uint8_t kBlockBlue = 0xFF, kBlockGreen = 0x00, kBlockRed = 0xFF;

bool HaveDisplay()
{
    return std::getenv("DISPLAY") != nullptr;
}

// Paints the middle half of the picture, across and down, in the block's colour: a viewer
// that fits the picture to its window shows it at the window's centre. A palette picture
// gives the colour its last entry.
void PaintBlock(KXPICTURE& picture)
{
    const std::uint32_t width = picture.GetWidth();
    const std::uint32_t height = picture.GetHeight();
    const std::uint32_t bytesPerPixel = picture.GetDepth() / 8;
    const std::size_t row = std::size_t{width} * bytesPerPixel;
    if (picture.GetDepth() == 8) {
        std::uint8_t* entry = picture.GetPalette() + 4 * (picture.GetPaletteSize() - 1);
        entry[0] = kBlockBlue;
        entry[1] = kBlockGreen;
        entry[2] = kBlockRed;
    }
    for (std::uint32_t y = height / 4; y < height - height / 4; ++y) {
        std::uint8_t* pixel = picture.GetData() + y * row + std::size_t{width / 4} * bytesPerPixel;
        for (std::uint32_t x = width / 4; x < width - width / 4; ++x, pixel += bytesPerPixel) {
            if (bytesPerPixel == 1) {
                pixel[0] = static_cast<std::uint8_t>(picture.GetPaletteSize() - 1);
                continue;
            }
            pixel[0] = kBlockBlue;
            pixel[1] = kBlockGreen;
            pixel[2] = kBlockRed;
            if (bytesPerPixel == 4)
                pixel[3] = 0xFF; // opaque, for the viewers that read the fourth byte
        }
    }
}

std::string MakeFile(const BENCHSIZE& size, std::uint16_t depth)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, size, depth);
    PaintBlock(picture);
    const std::filesystem::path path =
        BenchFolder() / ("viewer-" + SizeLabel(size) + "-" + DepthLabel(depth) + ".bmp");
    WriteBenchFile(picture, path);
    return path.string();
}

// The command under the watch that sees its picture on the screen.
std::vector<std::string> Watched(std::vector<std::string> command)
{
    std::vector<std::string> words{BenchProgramFolder() + "/first_pixel", kBlockColour};
    words.insert(words.end(), command.begin(), command.end());
    return words;
}

// From the command's start to its picture on the screen: first_pixel prints the clock at
// the start, at the first window's mapping and when the picture showed.
double ToPicture(const PROCESSRUN& run, benchmark::State& state)
{
    if (run.printed.size() < 3)
        return -1.0;
    state.counters["peak_MB"] = run.peakMegabytes;
    state.counters["mapped_ms"] = 1e3 * (run.printed[1] - run.printed[0]);
    return run.printed[2] - run.printed[0];
}

// The viewer as a user starts it: the program in the folder of its plug-ins, which is
// where the benchmark runs.
std::vector<std::string> Viewer(const std::string& path)
{
    return {(std::filesystem::current_path() / "Pelisk").string(), path};
}

// The peers as a user starts them on one file: each fits a picture larger than the
// screen to its window.
std::vector<std::string> Feh(const std::string& path)
{
    return {"feh", path};
}

std::vector<std::string> Nsxiv(const std::string& path)
{
    return {"nsxiv", path};
}

// A peer that is not installed is left out, as Pillow is.
bool Installed(const char* program)
{
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// The least peak of a few runs of the viewer showing a tiny picture: what the viewer
// holds before any picture of size.
double TinyPeak(const std::string& path)
{
    double least = 0.0;
    for (int i = 0; i < 3; ++i) {
        const PROCESSRUN run = RunProcess(Watched(Viewer(path)));
        if (run.ok && (least == 0.0 || run.peakMegabytes < least))
            least = run.peakMegabytes;
    }
    return least;
}

// The peers' sides of a start-to-first-paint line.
void AddPeers(const BENCHCASE& line, const std::string& file)
{
    if (Installed("feh"))
        AddProcessSide(line, "feh", Watched(Feh(file)), ToPicture);
    if (Installed("nsxiv"))
        AddProcessSide(line, "nsxiv", Watched(Nsxiv(file)), ToPicture);
}

void Setup()
{
    if (!HaveDisplay()) {
        std::fprintf(stderr, "viewer_bench: no X display; the whole-program lines are left out\n");
        return;
    }
    const std::string programs = BenchProgramFolder();
    const std::string smallFile = MakeFile(small, 24);
    const BENCHCASE start{"start to first paint", SizeLabel(small), "24"};
    AddProcessSide(start, oursSide, Watched(Viewer(smallFile)), ToPicture);
    AddProcessSide(start, "Qt floor", Watched({programs + "/first_paint_qt", smallFile}),
                   ToPicture);
    AddPeers(start, smallFile);
    AddProcessSide(start, "Qt floor + menu",
                   Watched({programs + "/first_paint_qt", smallFile, "menu"}), ToPicture, false);

    const double tinyPeak = TinyPeak(MakeFile(tiny, 24));
    const double pictureMegabytes = 4.0 * large.width * large.height / (1024.0 * 1024.0);
    for (const std::uint16_t depth : depths) {
        const std::string file = MakeFile(large, depth);
        const BENCHCASE line{"start to first paint", SizeLabel(large), DepthLabel(depth)};
        AddProcessSide(line, oursSide, Watched(Viewer(file)),
                       [tinyPeak, pictureMegabytes](const PROCESSRUN& run, benchmark::State& state) {
                           if (tinyPeak > 0.0)
                               state.counters["above_tiny"] =
                                   (run.peakMegabytes - tinyPeak) / pictureMegabytes;
                           return ToPicture(run, state);
                       });
        AddPeers(line, file);
        // The smoothing passes change no pixel of a palette picture: 24 and 32 bits only.
        if (depth == 8)
            continue;
        const BENCHCASE command{"double size & blur command, CPU", SizeLabel(large),
                                DepthLabel(depth)};
        AddProcessSide(command, oursSide, {programs + "/double_command", file},
                       PrintedCpuWithWall);
        AddProcessSide(command, "operation alone", {programs + "/first_open", file, "double"},
                       PrintedCpuWithWall);
    }
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
