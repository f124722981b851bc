#include "picture_benchfiles.h"

#include "bmpcodec.h"
#include "bmplayout.h"
#include "kxendian.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace {

namespace L = bmp::layout;

std::uint32_t RowStride(std::uint32_t width, unsigned bits)
{
    return (width * bits + 31) / 32 * 4;
}

// A file made by the writer, turned into the same picture stored top row first: the rows
// in the other order and the height negative.
void MakeTopDown(std::vector<std::uint8_t>& bytes)
{
    const std::uint32_t offset = kxendian::Read32(bytes.data() + L::kPixelOffset);
    const std::uint32_t width = kxendian::Read32(bytes.data() + L::kWidth);
    const auto height = static_cast<std::int32_t>(kxendian::Read32(bytes.data() + L::kHeight));
    const std::uint32_t stride = RowStride(width, kxendian::Read16(bytes.data() + L::kBitCount));
    std::vector<std::uint8_t> rows(bytes.begin() + offset, bytes.end());
    for (std::int32_t y = 0; y < height; ++y)
        std::copy_n(rows.begin() + std::ptrdiff_t{stride} * (height - 1 - y), stride,
                    bytes.begin() + offset + std::ptrdiff_t{stride} * y);
    kxendian::Write32(bytes.data() + L::kHeight, static_cast<std::uint32_t>(-height));
}

// The palette indices of a drawing, row 0 at the bottom: a gradient in bands a few rows
// high, under flat shapes, shapes shaded across in steps of a few pixels, and textured
// shapes whose neighbouring pixels differ. Flat areas give long runs, steps short ones,
// textures the literal stretches of a run-length file.
std::vector<std::uint8_t> DrawingIndices(const BENCHSIZE& size, unsigned colours)
{
    std::mt19937 random(colours);
    const std::uint32_t w = size.width;
    const std::uint32_t h = size.height;
    std::vector<std::uint8_t> index(std::size_t{w} * h);
    for (std::uint32_t y = 0; y < h; ++y)
        std::fill_n(index.begin() + std::ptrdiff_t{w} * y, w,
                    static_cast<std::uint8_t>(y * 24 / h % colours));
    const auto below = [&random](std::uint32_t n) { return random() % n; };
    for (int shape = 0; shape < 150; ++shape) {
        const std::uint32_t sw = w / 40 + below(w / 5);
        const std::uint32_t sh = h / 40 + below(h / 5);
        const std::uint32_t x0 = below(w - sw);
        const std::uint32_t y0 = below(h - sh);
        const unsigned base = below(colours);
        const unsigned fill = below(3); // 0 flat, 1 steps across, 2 texture
        const bool ellipse = below(2) == 0;
        for (std::uint32_t y = y0; y < y0 + sh; ++y) {
            for (std::uint32_t x = x0; x < x0 + sw; ++x) {
                const double dx = (2.0 * (x - x0) + 1) / sw - 1.0;
                const double dy = (2.0 * (y - y0) + 1) / sh - 1.0;
                if (ellipse && dx * dx + dy * dy > 1.0)
                    continue;
                unsigned value = base;
                if (fill == 1)
                    value += (x - x0) / (4 + base % 13);
                else if (fill == 2)
                    value += below(4);
                index[std::size_t{w} * y + x] = static_cast<std::uint8_t>(value % colours);
            }
        }
    }
    return index;
}

// How many pixels from x on have the index of pixel x, at most 255.
std::uint32_t RunAt(const std::uint8_t* row, std::uint32_t x, std::uint32_t width)
{
    std::uint32_t end = x + 1;
    while (end < width && end - x < 255 && row[end] == row[x])
        ++end;
    return end - x;
}

// One row as run-length data: runs of three or more as encoded runs, stretches between
// them of three or more pixels as literal (absolute) runs padded to a 16-bit word (an even
// number of them at 4 bits), and any shorter stretch as runs of one or two. At 4 bits the first pixel of a byte is its high
// half. The end of the line or, after the last row, of the picture follows.
void EncodeRunLengthRow(const std::uint8_t* row, std::uint32_t width, unsigned bits, bool last,
                        std::vector<std::uint8_t>& out)
{
    const auto pair = [bits](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(bits == 8 ? a : a << 4 | b);
    };
    std::uint32_t x = 0;
    while (x < width) {
        const std::uint32_t run = RunAt(row, x, width);
        if (run >= 3) {
            out.insert(out.end(), {static_cast<std::uint8_t>(run), pair(row[x], row[x])});
            x += run;
            continue;
        }
        std::uint32_t end = x;
        while (end < width && RunAt(row, end, width) < 3 &&
               end + RunAt(row, end, width) - x <= 255)
            end += RunAt(row, end, width);
        // Pillow reads a literal run of an odd number of 4-bit pixels one pixel short, and
        // loses its place in the file: its files keep them even, as many writers do.
        if (bits == 4 && end - x >= 3 && (end - x) % 2 != 0)
            --end;
        const std::uint32_t count = end - x;
        if (count < 3) {
            for (std::uint32_t i = x; i < end;) {
                const std::uint32_t n = std::min(RunAt(row, i, width), end - i);
                out.insert(out.end(), {static_cast<std::uint8_t>(n), pair(row[i], row[i])});
                i += n;
            }
            x = end;
            continue;
        }
        out.insert(out.end(), {0, static_cast<std::uint8_t>(count)});
        std::size_t written = 0;
        for (std::uint32_t i = x; i < end; i += 8 / bits, ++written)
            out.push_back(pair(row[i], i + 1 < end ? row[i + 1] : 0));
        if (written % 2 != 0)
            out.push_back(0);
        x = end;
    }
    out.insert(out.end(), {0, static_cast<std::uint8_t>(last ? 1 : 0)});
}

// A run-length file (RLE8 at 8 bits, RLE4 at 4) of a drawing, with a full palette of
// random colours.
std::vector<std::uint8_t> RunLengthFile(const BENCHSIZE& size, unsigned bits)
{
    const unsigned colours = 1u << bits;
    const std::vector<std::uint8_t> index = DrawingIndices(size, colours);
    std::vector<std::uint8_t> data;
    for (std::uint32_t y = 0; y < size.height; ++y)
        EncodeRunLengthRow(index.data() + std::size_t{size.width} * y, size.width, bits,
                           y + 1 == size.height, data);
    const std::uint32_t offset = L::kInfoHeaderEnd + 4 * colours;
    std::vector<std::uint8_t> bytes(offset);
    std::uint8_t* h = bytes.data();
    h[L::kSignature] = 'B';
    h[L::kSignature + 1] = 'M';
    kxendian::Write32(h + L::kFileSize, static_cast<std::uint32_t>(offset + data.size()));
    kxendian::Write32(h + L::kPixelOffset, offset);
    kxendian::Write32(h + L::kHeaderSize, L::kInfoHeader);
    kxendian::Write32(h + L::kWidth, size.width);
    kxendian::Write32(h + L::kHeight, size.height);
    kxendian::Write16(h + L::kPlanes, 1);
    kxendian::Write16(h + L::kBitCount, bits);
    kxendian::Write32(h + L::kCompression, bits == 8 ? L::kRle8 : L::kRle4);
    kxendian::Write32(h + L::kImageSize, static_cast<std::uint32_t>(data.size()));
    kxendian::Write32(h + L::kColorsUsed, colours);
    std::mt19937 random(bits + 100);
    for (std::uint32_t i = 0; i < colours; ++i) {
        for (int c = 0; c < 3; ++c)
            h[L::kInfoHeaderEnd + 4 * i + c] = static_cast<std::uint8_t>(random());
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// The display colours of every pixel as red, green, blue, top row first.
using RGBROWS = std::vector<std::uint8_t>;

RGBROWS OurPixels(const BENCHKINDFILE& file)
{
    KXPICTURE picture;
    if (!picture.GetLoaderSet().LoadFile(file.path.c_str()) ||
        !picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000))
        throw std::runtime_error(file.path + ": the system does not open it for display");
    const std::uint32_t w = picture.GetWidth();
    const std::uint32_t h = picture.GetHeight();
    RGBROWS rgb;
    rgb.reserve(std::size_t{3} * w * h);
    for (std::uint32_t y = h; y-- > 0;) {
        const std::uint8_t* row = picture.GetData() + std::size_t{4} * w * y;
        for (std::uint32_t x = 0; x < w; ++x)
            rgb.insert(rgb.end(), {row[4 * x + 2], row[4 * x + 1], row[4 * x]});
    }
    return rgb;
}

RGBROWS QtPixels(const BENCHKINDFILE& file)
{
    QImage image;
    if (!image.load(QString::fromStdString(file.path), "BMP"))
        return {};
    const QImage shown = image.convertToFormat(QImage::Format_RGB32);
    RGBROWS rgb;
    rgb.reserve(std::size_t{3} * shown.width() * shown.height());
    for (int y = 0; y < shown.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            rgb.insert(rgb.end(), {static_cast<std::uint8_t>(qRed(row[x])),
                                   static_cast<std::uint8_t>(qGreen(row[x])),
                                   static_cast<std::uint8_t>(qBlue(row[x]))});
    }
    return rgb;
}

// What the Pillow script's open for display gives, written by it to a file beside.
RGBROWS PillowPixels(const BENCHKINDFILE& file)
{
    const std::string out = file.path + ".pillow-rgb";
    const std::string command = PillowPython() + " '" + PillowScript() + "' --pixels '" +
                                file.path + "' '" + out + "'";
    RGBROWS rgb;
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(out, std::ios::binary);
        rgb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(out);
    return rgb;
}

void Compare(const BENCHKINDFILE& file, const RGBROWS& ours, const RGBROWS& peer,
             const char* side)
{
    if (peer.size() != ours.size())
        throw std::runtime_error(file.path + ": " + side + " does not open it at its size");
    const auto differs = std::mismatch(ours.begin(), ours.end(), peer.begin());
    if (differs.first == ours.end())
        return;
    const std::size_t pixel = static_cast<std::size_t>(differs.first - ours.begin()) / 3;
    throw std::runtime_error(file.path + ": " + side + " reads pixel " +
                             std::to_string(pixel % file.size.width) + ", " +
                             std::to_string(pixel / file.size.width) +
                             " (from the top) otherwise than the system");
}

} // namespace

BENCHKINDFILE MakeKindFile(const BENCHSIZE& size, const BENCHKIND& kind,
                           const std::filesystem::path& folder)
{
    BENCHKINDFILE file{size, kind, "", {}};
    if (kind.narrower)
        file.size.width -= 1;
    std::string name = std::string("picture-") + SizeLabel(file.size) + "-" + kind.label + ".bmp";
    std::replace(name.begin(), name.end(), ' ', '-');
    file.path = (folder / name).string();
    if (kind.rows == BENCHROWS::runLength) {
        file.bytes = RunLengthFile(file.size, kind.depth);
    } else {
        KXPICTURE picture;
        MakeBenchPicture(picture, file.size, kind.depth);
        if (!bmp::Encode(picture, file.bytes))
            throw std::runtime_error("cannot encode " + file.path);
        if (kind.rows == BENCHROWS::topDown)
            MakeTopDown(file.bytes);
    }
    SaveBenchFile(file.bytes, file.path);
    return file;
}

void CheckKindFile(const BENCHKINDFILE& file)
{
    const RGBROWS ours = OurPixels(file);
    Compare(file, ours, QtPixels(file), "Qt");
    if (PillowIsThere())
        Compare(file, ours, PillowPixels(file), "Pillow");
}
