// The viewer's picture commands at 2000 × 1500 and 4000 × 3000, 8, 24 and 32 bits, against
// QImage's and Pillow's nearest equivalents: the flip, in place, against QImage's flip in
// place (mirror) and its mirrored copy (mirrored, as Pillow's transpose is), and the
// nearest-neighbour resize to 1.5 times the size against fast scaling. Double size & blur
// has a program of its own (picture_double_bench), which sets the memory conditions of
// its process.
#include "picture_bench.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint16_t depths[] = {8, 24, 32};

std::uint32_t Resized(std::uint32_t length)
{
    return length * 3 / 2;
}

// Each round starts again from the original picture, with the copy outside the timing.
template <class Operation>
void InPlace(benchmark::State& state, const BENCHSIZE& size, std::uint16_t depth,
             Operation operation)
{
    KXPICTURE original;
    MakeBenchPicture(original, size, depth);
    KXPICTURE picture;
    for (auto _ : state) {
        state.PauseTiming();
        RestoreBenchPicture(original, picture);
        state.ResumeTiming();
        operation(picture);
        benchmark::DoNotOptimize(picture.GetData());
    }
}

template <class Operation>
void OnQImage(benchmark::State& state, const BENCHSIZE& size, std::uint16_t depth,
              Operation operation)
{
    KXPICTURE picture;
    MakeBenchPicture(picture, size, depth);
    const QImage image = MakeBenchImage(picture);
    for (auto _ : state) {
        const QImage result = operation(image);
        benchmark::DoNotOptimize(result.constBits());
    }
}

void AddCases(const BENCHSIZE& size, std::uint16_t depth, std::vector<PILLOWTASK>& pillow)
{
    const std::string sizeLabel = SizeLabel(size);
    const std::string depthLabel = DepthLabel(depth);
    KXPICTURE picture;
    MakeBenchPicture(picture, size, depth);
    const std::filesystem::path path =
        BenchFolder() / ("ops-" + sizeLabel + "-" + depthLabel + ".bmp");
    WriteBenchFile(picture, path);
    const auto task = [&](const BENCHCASE& line, const std::string& kind) {
        return PILLOWTASK{.line = line,
                          .kind = kind,
                          .path = path.string(),
                          .width = Resized(size.width),
                          .height = Resized(size.height)};
    };

    const BENCHCASE flip{"vertical flip", sizeLabel, depthLabel};
    AddSide(flip, oursSide, BENCHCLOCK::wall, [size, depth](benchmark::State& state) {
        KXPICTURE p;
        MakeBenchPicture(p, size, depth);
        for (auto _ : state) {
            p.VFlip();
            benchmark::DoNotOptimize(p.GetData());
        }
    });
    AddSide(flip, "Qt mirror", BENCHCLOCK::wall, [size, depth](benchmark::State& state) {
        KXPICTURE p;
        MakeBenchPicture(p, size, depth);
        QImage image = MakeBenchImage(p);
        for (auto _ : state) {
            image.mirror(false, true);
            benchmark::DoNotOptimize(image.constBits());
        }
    });
    AddSide(flip, "Qt mirrored", BENCHCLOCK::wall, [size, depth](benchmark::State& state) {
        OnQImage(state, size, depth, [](const QImage& i) { return i.mirrored(false, true); });
    });
    pillow.push_back(task(flip, "flip"));

    const BENCHCASE resize{"resize to 1.5x", sizeLabel, depthLabel};
    AddSide(resize, oursSide, BENCHCLOCK::wall, [size, depth](benchmark::State& state) {
        InPlace(state, size, depth,
                [size](KXPICTURE& p) { p.Resize(Resized(size.width), Resized(size.height)); });
    });
    AddSide(resize, "Qt", BENCHCLOCK::wall, [size, depth](benchmark::State& state) {
        OnQImage(state, size, depth, [size](const QImage& i) {
            return i.scaled(static_cast<int>(Resized(size.width)),
                            static_cast<int>(Resized(size.height)), Qt::IgnoreAspectRatio,
                            Qt::FastTransformation);
        });
    });
    pillow.push_back(task(resize, "resize"));
}

void Setup()
{
    std::vector<PILLOWTASK> pillow;
    for (const BENCHSIZE& size : benchSizes) {
        for (const std::uint16_t depth : depths)
            AddCases(size, depth, pillow);
    }
    AddPillowSides(pillow);
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
