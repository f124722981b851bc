// Depth conversion of a 2000 × 1500 picture as the viewer converts every loaded picture
// for display (8 bits with a palette, 16 and 24 bits to 32) and as the bitmap writer
// stores a 32-bit picture (to 24), against QImage's conversion between the nearest
// formats. The per-pixel conversion that defines the result runs too, to show what the
// tables save.
#include "picture_bench.h"
#include "ratio.h"

#include "kxpixels.h"

#include <benchmark/benchmark.h>

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

const CONVERSION& ConversionOf(const benchmark::State& state)
{
    return conversions[state.range(0)];
}

void PeliskConvert(benchmark::State& state)
{
    const CONVERSION& c = ConversionOf(state);
    KXPICTURE original;
    MakeBenchPicture(original, c.from);
    KXPICTURE picture;
    for (auto _ : state) {
        state.PauseTiming();
        RestoreBenchPicture(original, picture);
        state.ResumeTiming();
        picture.ConvertDepth(c.to, c.masks[0], c.masks[1], c.masks[2], c.masks[3]);
        benchmark::DoNotOptimize(picture.GetData());
    }
}

void PeliskConvertPerPixel(benchmark::State& state)
{
    const CONVERSION& c = ConversionOf(state);
    KXPICTURE picture;
    MakeBenchPicture(picture, c.from);
    std::vector<std::uint8_t> target(std::size_t{benchWidth} * benchHeight * (c.to / 8));
    const kxpixel::PIXELSOURCE source{picture.GetData(), picture.GetDepth(), picture.GetPalette(),
                                      picture.GetPaletteSize()};
    const KXMASKS masks{c.masks[0], c.masks[1], c.masks[2], c.masks[3]};
    for (auto _ : state) {
        kxpixel::ConvertPerPixel(source, picture.GetMasks(), {target.data(), c.to, masks},
                                 benchWidth * benchHeight);
        benchmark::DoNotOptimize(target.data());
    }
}

void QtConvert(benchmark::State& state)
{
    const CONVERSION& c = ConversionOf(state);
    KXPICTURE picture;
    MakeBenchPicture(picture, c.from);
    const QImage image = MakeBenchImage(picture);
    const QImage::Format format = BenchFormat(c.to);
    for (auto _ : state) {
        QImage converted = image.convertToFormat(format);
        benchmark::DoNotOptimize(converted.constBits());
    }
}

// Arguments: 0 is 8 to 32 bits, 1 is 16 to 32, 2 is 24 to 32, 3 is 32 to 24.
#define PELISK_CONVERT_BENCH(name) BENCHMARK(name)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)

PELISK_CONVERT_BENCH(PeliskConvert);
PELISK_CONVERT_BENCH(PeliskConvertPerPixel);
PELISK_CONVERT_BENCH(QtConvert);

[[maybe_unused]] const bool ratios =
    RegisterRatios("PeliskConvert", "QtConvert", {0, 1, 2, 3}) &&
    RegisterRatios("PeliskConvert", "PeliskConvertPerPixel", {0, 1, 2, 3});

} // namespace
