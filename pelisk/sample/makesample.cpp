// Paints the sample picture that scripts/run opens and writes it through the bitmap
// loader: run it in a directory that holds pimbrel.dll, with the output path.
//
//   cd build/bin && ../tools/makesample ../../pelisk/sample/sample.bmp
#include "kxcolor.h"
#include "kxpicture.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr std::uint32_t kWidth = 320;
constexpr std::uint32_t kHeight = 200;

std::uint8_t Mix(int from, int to, double t)
{
    return static_cast<std::uint8_t>(from + (to - from) * t);
}

// A sky darkening upwards, a sun, two rows of hills and a chequered strip at the bottom;
// (x, y) with y counted from the bottom row.
void Paint(std::uint32_t x, std::uint32_t y, KXCOLOR& colour)
{
    const double t = static_cast<double>(y) / kHeight;
    colour.Set(Mix(250, 20, t), Mix(170, 30, t), Mix(80, 110, t), 0);
    const double dx = x - 220.0, dy = y - 120.0;
    if (dx * dx + dy * dy < 28.0 * 28.0)
        colour.Set(255, 235, 120, 0);
    if (y < 70 + 18 * std::sin(x / 37.0))
        colour.Set(40, Mix(110, 160, t * 2), 50, 0);
    if (y < 45 + 12 * std::sin(x / 23.0 + 1.0))
        colour.Set(25, Mix(80, 120, t * 2), 35, 0);
    if (y < 16)
        colour.Set(((x / 16 + y / 8) % 2) != 0 ? 230 : 30, 30, ((x / 16) % 2) != 0 ? 30 : 200, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makesample output.bmp (in a directory with pimbrel.dll)\n");
        return 2;
    }
    KXPICTURE picture;
    if (!picture.Create(kWidth, kHeight, 32))
        return 1;
    KXCOLOR colour;
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            Paint(x, y, colour);
            picture.SetPixel(x + y * kWidth, colour);
        }
    // Bitmaps of three bytes a pixel are what every reader knows.
    picture.ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0);
    if (!picture.GetLoaderSet().SaveFile(argv[1])) {
        std::fprintf(stderr, "makesample: no image loader saved %s\n", argv[1]);
        return 1;
    }
    return 0;
}
