// The bitmap reader and writer against Qt's QImage and Pillow, on the same files at
// 2000 × 1500 and 4000 × 3000 of every kind a user meets (picture_benchfiles.h): 1, 4, 8,
// 24 and 32 bits, 8 and 24 bits one pixel narrower (rows padded), 24 bits top-down, RLE8
// and RLE4. Each file is checked to open with the same pixels on every side first.
// - decode from memory: the file's bytes to a picture;
// - file road: the path to a ready picture, through a picture's loader set on our side,
//   with the file in the page cache (warm) and dropped from it before each run (cold);
//   Pillow reads from an open file object, and its figure given the path (it may map the
//   file and copy nothing) is printed as the floor to approach;
// - load for display: the file road followed by what the viewer does to show a picture,
//   the conversion to 32-bit pixels; Qt's reader gives its display format (RGB32) itself
//   for 24 and 32 bits and converts 8 bits, Pillow converts to its 32-bit "RGB";
// - encode: a picture to a BMP file's bytes, into a fresh buffer each time on every side;
// - first open, fresh process (the headline: what a user waits for when the viewer opens
//   one picture): each side a fresh process that times its own one load for display, with
//   its readers ready before its clock starts; ours through a picture's loader set, as the
//   viewer opens a file. The lines above repeat the work in one process, so every side
//   runs in its steady state there, with whatever memory its allocator keeps for reuse;
//   our side makes a new picture for each run, as Qt's makes a new image.
#include "picture_bench.h"
#include "picture_benchfiles.h"

#include "bmpcodec.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using BENCHFILE = BENCHKINDFILE;

std::vector<BENCHFILE>& Files()
{
    static std::vector<BENCHFILE> files;
    return files;
}

// The display layout: the byte order of a 32-bit bottom-up section.
constexpr KXMASKS kDisplayMasks{0xFF0000, 0xFF00, 0xFF, 0xFF000000};

bool ConvertForDisplay(KXPICTURE& picture)
{
    return picture.ConvertDepth(32, kDisplayMasks.red, kDisplayMasks.green, kDisplayMasks.blue,
                                kDisplayMasks.alpha);
}

// A new picture for each iteration, as Qt's side makes a new image: made outside the
// timing (making a picture lists the plug-ins), its work and its release inside. A picture
// held through the run keeps the plug-ins loaded, as the viewer's one picture keeps them
// from its start to its end and Qt keeps its reader: without it, each release would
// unload the bitmap plug-in (a few tens of microseconds of unmapping in a virtual machine,
// more than a small picture's decoding), the other half of the loading its construction
// does untimed.
template <class Work>
void WithNewPicture(benchmark::State& state, Work work)
{
    const KXPICTURE keepsPlugInsLoaded;
    for (auto _ : state) {
        state.PauseTiming();
        KXPICTURE picture;
        state.ResumeTiming();
        benchmark::DoNotOptimize(work(picture));
    } // the picture is released inside the timing, as Qt's image is
}

void AddDecode(const BENCHCASE& line, const BENCHFILE& file)
{
    AddSide(line, oursSide, BENCHCLOCK::wall, [&file](benchmark::State& state) {
        WithNewPicture(state, [&file](KXPICTURE& picture) {
            return bmp::Decode(file.bytes.data(), file.bytes.size(), picture);
        });
    });
    AddSide(line, "Qt", BENCHCLOCK::wall, [&file](benchmark::State& state) {
        for (auto _ : state) {
            QImage image;
            benchmark::DoNotOptimize(
                image.loadFromData(file.bytes.data(), static_cast<int>(file.bytes.size()), "BMP"));
        }
    });
}

void AddFileRoad(const BENCHCASE& line, const BENCHFILE& file, bool cold)
{
    const auto evict = [&file, cold](benchmark::State& state) {
        if (!cold)
            return;
        state.PauseTiming();
        DropFromPageCache(file.path);
        state.ResumeTiming();
    };
    AddSide(line, oursSide, BENCHCLOCK::wall, [&file, evict](benchmark::State& state) {
        WithNewPicture(state, [&file, &state, evict](KXPICTURE& picture) {
            evict(state);
            return picture.GetLoaderSet().LoadFile(file.path.c_str());
        });
    });
    AddSide(line, "Qt", BENCHCLOCK::wall, [&file, evict](benchmark::State& state) {
        const QString path = QString::fromStdString(file.path);
        for (auto _ : state) {
            evict(state);
            QImage image;
            benchmark::DoNotOptimize(image.load(path, "BMP"));
        }
    });
}

void AddLoadForDisplay(const BENCHCASE& line, const BENCHFILE& file)
{
    AddSide(line, oursSide, BENCHCLOCK::wall, [&file](benchmark::State& state) {
        WithNewPicture(state, [&file](KXPICTURE& picture) {
            picture.SetLoadForm(32, kDisplayMasks); // as the viewer's picture asks
            picture.GetLoaderSet().LoadFile(file.path.c_str());
            return ConvertForDisplay(picture);
        });
    });
    AddSide(line, "Qt", BENCHCLOCK::wall, [&file](benchmark::State& state) {
        const QString path = QString::fromStdString(file.path);
        for (auto _ : state) {
            QImage image;
            image.load(path, "BMP");
            const QImage shown = image.convertToFormat(QImage::Format_RGB32);
            benchmark::DoNotOptimize(shown.constBits());
        }
    });
}

void AddEncode(const BENCHCASE& line, const BENCHFILE& file)
{
    AddSide(line, oursSide, BENCHCLOCK::wall, [&file](benchmark::State& state) {
        KXPICTURE picture;
        bmp::Decode(file.bytes.data(), file.bytes.size(), picture);
        for (auto _ : state) {
            std::vector<std::uint8_t> out;
            benchmark::DoNotOptimize(bmp::Encode(picture, out));
        }
    });
    AddSide(line, "Qt", BENCHCLOCK::wall, [&file](benchmark::State& state) {
        QImage image;
        image.loadFromData(file.bytes.data(), static_cast<int>(file.bytes.size()), "BMP");
        for (auto _ : state) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            benchmark::DoNotOptimize(image.save(&buffer, "BMP"));
        }
    });
}

// The seconds the program printed first: its own timing of the open.
double PrintedOpen(const PROCESSRUN& run, benchmark::State&)
{
    return run.printed.empty() ? -1.0 : run.printed[0];
}

void AddFirstOpen(const BENCHCASE& line, const BENCHFILE& file)
{
    const std::string programs = BenchProgramFolder();
    AddProcessSide(line, oursSide, {programs + "/first_open", file.path}, PrintedOpen);
    AddProcessSide(line, "Qt", {programs + "/first_open_qt", file.path}, PrintedOpen);
    if (PillowIsThere())
        AddProcessSide(line, "Pillow",
                       {PillowPython(), PillowScript(), "--first-open", file.path}, PrintedOpen);
}

void MakeFiles()
{
    for (const BENCHSIZE& size : benchSizes) {
        for (const BENCHKIND& kind : benchKinds) {
            Files().push_back(MakeKindFile(size, kind, BenchFolder()));
            CheckKindFile(Files().back());
        }
    }
}

// The encode lines: 8 and 24 bits at the full width (every other writer stores a 32-bit
// picture as 24 bits, and ours writes no run-length or top-down rows).
bool IsEncoded(const BENCHKIND& kind)
{
    return kind.rows == BENCHROWS::bottomUp && !kind.narrower &&
           (kind.depth == 8 || kind.depth == 24);
}

void Setup()
{
    MakeFiles();
    std::vector<PILLOWTASK> pillow;
    for (const BENCHFILE& file : Files()) {
        const std::string size = SizeLabel(file.size);
        const std::string depth = file.kind.label;
        const BENCHCASE decode{"decode from memory", size, depth};
        const BENCHCASE warm{"file road, warm cache", size, depth};
        const BENCHCASE cold{"file road, cold cache", size, depth};
        const BENCHCASE display{"load for display", size, depth};
        AddFirstOpen({"first open, fresh process", size, depth}, file);
        AddDecode(decode, file);
        AddFileRoad(warm, file, false);
        AddFileRoad(cold, file, true);
        AddLoadForDisplay(display, file);
        const std::string floor = "Pillow path (floor)";
        pillow.push_back({.line = decode, .kind = "decode", .path = file.path});
        pillow.push_back({.line = warm, .kind = "file", .path = file.path});
        pillow.push_back(
            {.line = warm, .side = floor, .counts = false, .kind = "path", .path = file.path});
        pillow.push_back({.line = cold, .kind = "file-cold", .path = file.path});
        pillow.push_back(
            {.line = cold, .side = floor, .counts = false, .kind = "path-cold", .path = file.path});
        pillow.push_back({.line = display, .kind = "display", .path = file.path});
        if (IsEncoded(file.kind)) {
            const BENCHCASE encode{"encode", size, depth};
            AddEncode(encode, file);
            pillow.push_back({.line = encode, .kind = "encode", .path = file.path});
        }
    }
    AddPillowSides(pillow);
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
