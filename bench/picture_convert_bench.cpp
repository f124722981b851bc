// Depth conversion alone, as the viewer converts every loaded picture for display (8 bits
// with a palette, 16 and 24 bits to 32) and as the bitmap writer stores a 32-bit picture
// (to 24), against QImage's conversion between the nearest formats and Pillow's palette
// expansion. Measured in CPU time of the whole process: Qt spreads some conversions over
// several threads. Each side converts a fresh copy of the source each round, made outside
// the timing: both start each round from a source just written and a result buffer just
// taken, not from the same buffers as the round before.
#include "picture_bench.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

struct CONVERSION {
    std::uint16_t from;
    std::uint16_t to;
    std::uint32_t masks[4];
};

// The viewer's layout for display and the bitmap writer's for 24-bit files.
const CONVERSION conversions[] = {
    {8, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {16, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {24, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {32, 24, {0xFF0000, 0xFF00, 0xFF, 0}},
};

void AddConversion(const BENCHSIZE& size, const CONVERSION& c, std::vector<PILLOWTASK>& pillow)
{
    const BENCHCASE line{"depth conversion", SizeLabel(size),
                         DepthLabel(c.from) + ">" + DepthLabel(c.to)};
    AddSide(line, oursSide, BENCHCLOCK::cpu, [size, c](benchmark::State& state) {
        KXPICTURE original;
        MakeBenchPicture(original, size, c.from);
        KXPICTURE picture;
        for (auto _ : state) {
            state.PauseTiming();
            RestoreBenchPicture(original, picture);
            state.ResumeTiming();
            picture.ConvertDepth(c.to, c.masks[0], c.masks[1], c.masks[2], c.masks[3]);
            benchmark::DoNotOptimize(picture.GetData());
        }
    });
    AddSide(line, "Qt", BENCHCLOCK::cpu, [size, c](benchmark::State& state) {
        KXPICTURE picture;
        MakeBenchPicture(picture, size, c.from);
        const QImage image = MakeBenchImage(picture);
        const QImage::Format format = BenchFormat(c.to);
        // The same memory work as ours: a new result made and the source released inside
        // the timing, the result of the run before released outside it.
        QImage source;
        QImage converted;
        for (auto _ : state) {
            state.PauseTiming();
            converted = QImage();
            source = image.copy();
            state.ResumeTiming();
            converted = source.convertToFormat(format);
            source = QImage();
            benchmark::DoNotOptimize(converted.constBits());
        }
    });
    // Pillow keeps no 16- or 24-bit pixels: only its palette expansion is the same work.
    if (c.from == 8) {
        KXPICTURE picture;
        MakeBenchPicture(picture, size, c.from);
        const std::filesystem::path path =
            BenchFolder() / ("convert-" + SizeLabel(size) + "-8.bmp");
        WriteBenchFile(picture, path);
        pillow.push_back({.line = line, .kind = "convert", .path = path.string()});
    }
}

void Setup()
{
    std::vector<PILLOWTASK> pillow;
    for (const BENCHSIZE& size : benchSizes) {
        for (const CONVERSION& c : conversions)
            AddConversion(size, c, pillow);
    }
    AddPillowSides(pillow);
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
