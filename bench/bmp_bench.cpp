// The bitmap reader and writer against Qt's on the same 2000 × 1500 pictures, and a
// load followed by the conversion to 32 bits that the viewer makes after every load.
#include "ratio.h"

#include "bmpcodec.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t width = 2000;
constexpr std::uint32_t height = 1500;

// A file of random pixels at the depth, written by our writer (paletted depths with a
// random palette).
const std::vector<std::uint8_t>& FileOf(int depth)
{
    static std::vector<std::uint8_t> files[33];
    std::vector<std::uint8_t>& file = files[depth];
    if (file.empty()) {
        KXPICTURE picture;
        picture.Create(width, height, static_cast<std::uint16_t>(depth));
        std::mt19937 random(1);
        for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
            picture.GetData()[i] = static_cast<std::uint8_t>(random());
        if (depth == 8) {
            picture.SetPaletteSize(256);
            for (std::uint32_t i = 0; i < 1024; ++i)
                picture.GetPalette()[i] = static_cast<std::uint8_t>(random());
        }
        picture.SetMasks(0xFF0000, 0xFF00, 0xFF, depth == 32 ? 0xFF000000 : 0);
        bmp::Encode(picture, file);
    }
    return file;
}

QImage QtImageOf(int depth)
{
    const std::vector<std::uint8_t>& file = FileOf(depth);
    QImage image;
    image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP");
    return image;
}

void Decode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& file = FileOf(static_cast<int>(state.range(0)));
    KXPICTURE picture;
    for (auto _ : state)
        benchmark::DoNotOptimize(bmp::Decode(file.data(), file.size(), picture));
}

void QtDecode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& file = FileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QImage image;
        benchmark::DoNotOptimize(
            image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP"));
    }
}

void Encode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& file = FileOf(static_cast<int>(state.range(0)));
    KXPICTURE picture;
    bmp::Decode(file.data(), file.size(), picture);
    std::vector<std::uint8_t> out;
    for (auto _ : state)
        benchmark::DoNotOptimize(bmp::Encode(picture, out));
}

void QtEncode(benchmark::State& state)
{
    const QImage image = QtImageOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        benchmark::DoNotOptimize(image.save(&buffer, "BMP"));
    }
}

void LoadForDisplay(benchmark::State& state)
{
    const std::vector<std::uint8_t>& file = FileOf(static_cast<int>(state.range(0)));
    KXPICTURE picture;
    for (auto _ : state) {
        bmp::Decode(file.data(), file.size(), picture);
        benchmark::DoNotOptimize(picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
    }
}

void QtLoadForDisplay(benchmark::State& state)
{
    const std::vector<std::uint8_t>& file = FileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QImage image;
        image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP");
        benchmark::DoNotOptimize(image.convertToFormat(QImage::Format_ARGB32));
    }
}

#define PELISK_BMP_BENCH(name)                                                                     \
    BENCHMARK(name)->Arg(8)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);                      \
    BENCHMARK(Qt##name)->Arg(8)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)

PELISK_BMP_BENCH(Decode);
PELISK_BMP_BENCH(Encode);
PELISK_BMP_BENCH(LoadForDisplay);

[[maybe_unused]] const bool ratios =
    RegisterRatios("Decode", "QtDecode", {8, 24, 32}) &&
    RegisterRatios("Encode", "QtEncode", {8, 24, 32}) &&
    RegisterRatios("LoadForDisplay", "QtLoadForDisplay", {8, 24, 32});

} // namespace
