// The viewer's picture commands on a 2000 × 1500 picture of 8, 24 and 32 bits against
// QImage's nearest equivalents: the flip against a mirrored copy, the nearest-neighbour
// resize against fast scaling, and doubling with the 5-point pass against smooth scaling
// to twice the size.
#include "picture_bench.h"
#include "ratio.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::uint32_t resizedWidth = 3000;
constexpr std::uint32_t resizedHeight = 2250;

std::uint16_t DepthOf(const benchmark::State& state)
{
    return static_cast<std::uint16_t>(state.range(0));
}

void PeliskFlip(benchmark::State& state)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, DepthOf(state));
    for (auto _ : state) {
        picture.VFlip();
        benchmark::DoNotOptimize(picture.GetData());
    }
}

void QtFlip(benchmark::State& state)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, DepthOf(state));
    const QImage image = MakeBenchImage(picture);
    for (auto _ : state) {
        QImage flipped = image.mirrored(false, true);
        benchmark::DoNotOptimize(flipped.constBits());
    }
}

// The resize works in place: each round starts again from the original picture, with the
// copy outside the timing.
template <class Operation> void InPlace(benchmark::State& state, Operation operation)
{
    KXPICTURE original;
    MakeBenchPicture(original, DepthOf(state));
    KXPICTURE picture;
    for (auto _ : state) {
        state.PauseTiming();
        RestoreBenchPicture(original, picture);
        state.ResumeTiming();
        operation(picture);
        benchmark::DoNotOptimize(picture.GetData());
    }
}

void PeliskResize(benchmark::State& state)
{
    InPlace(state, [](KXPICTURE& p) { p.Resize(resizedWidth, resizedHeight); });
}

void QtResize(benchmark::State& state)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, DepthOf(state));
    const QImage image = MakeBenchImage(picture);
    for (auto _ : state) {
        QImage scaled = image.scaled(resizedWidth, resizedHeight, Qt::IgnoreAspectRatio,
                                     Qt::FastTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}

void PeliskDoubleSize(benchmark::State& state)
{
    InPlace(state, [](KXPICTURE& p) { p.DoubleSize(5); });
}

void QtDoubleSize(benchmark::State& state)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, DepthOf(state));
    const QImage image = MakeBenchImage(picture);
    for (auto _ : state) {
        QImage scaled = image.scaled(2 * benchWidth, 2 * benchHeight, Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}

#define PELISK_PICTURE_BENCH(name)                                                                 \
    BENCHMARK(name)->Arg(8)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)

PELISK_PICTURE_BENCH(PeliskFlip);
PELISK_PICTURE_BENCH(QtFlip);
PELISK_PICTURE_BENCH(PeliskResize);
PELISK_PICTURE_BENCH(QtResize);
PELISK_PICTURE_BENCH(PeliskDoubleSize);
PELISK_PICTURE_BENCH(QtDoubleSize);

[[maybe_unused]] const bool ratios =
    RegisterRatios("PeliskFlip", "QtFlip", {8, 24, 32}) &&
    RegisterRatios("PeliskResize", "QtResize", {8, 24, 32}) &&
    RegisterRatios("PeliskDoubleSize", "QtDoubleSize", {8, 24, 32});

} // namespace
