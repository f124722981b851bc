// The pictures the picture benchmarks work on: two sizes, random pixels, a QImage of the
// same pixels for Qt, and BMP files of them for the peers that read files.
#pragma once

#include "benchtable.h"
#include "kxpicture.h"

#include <QImage>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

struct BENCHSIZE {
    std::uint32_t width;
    std::uint32_t height;
};

inline constexpr BENCHSIZE benchSizes[] = {{2000, 1500}, {4000, 3000}};

inline std::string SizeLabel(const BENCHSIZE& size)
{
    return SizeLabel(size.width, size.height);
}

// A picture of the size and depth with random pixels, with the masks and palette the
// bitmap loader gives a file of that depth.
inline void MakeBenchPicture(KXPICTURE& picture, const BENCHSIZE& size, std::uint16_t depth)
{
    std::mt19937 random(depth);
    picture.Create(size.width, size.height, depth);
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(random());
    if (depth <= 8) {
        picture.SetMasks(0, 0, 0, 0);
        picture.SetPaletteSize(1u << depth);
        for (std::uint32_t i = 0; i < 4 * picture.GetPaletteSize(); ++i)
            picture.GetPalette()[i] = static_cast<std::uint8_t>(random());
    } else if (depth == 16) {
        picture.SetMasks(0xF800, 0x7E0, 0x1F, 0);
    } else {
        picture.SetMasks(0xFF0000, 0xFF00, 0xFF, depth == 32 ? 0xFF000000 : 0);
    }
}

// Makes to a copy of from: size, depth, pixels, masks and palette.
inline void RestoreBenchPicture(const KXPICTURE& from, KXPICTURE& to)
{
    to.Create(from.GetWidth(), from.GetHeight(), from.GetDepth());
    std::memcpy(to.GetData(), from.GetData(), from.GetDataSize());
    to.SetMasks(from.GetRedMask(), from.GetGreenMask(), from.GetBlueMask(), from.GetAlphaMask());
    if (from.GetPaletteSize() > 0) {
        to.SetPaletteSize(from.GetPaletteSize());
        std::memcpy(to.GetPalette(), from.GetPalette(), 4 * std::size_t{from.GetPaletteSize()});
    }
}

// The QImage format nearest to a depth: palette indices, 5-6-5, three bytes, four bytes.
inline QImage::Format BenchFormat(std::uint16_t depth)
{
    switch (depth) {
    case 8:
        return QImage::Format_Indexed8;
    case 16:
        return QImage::Format_RGB16;
    case 24:
        return QImage::Format_RGB888;
    default:
        return QImage::Format_RGB32;
    }
}

// The same pixels as a QImage: the same bytes row by row (QImage pads its rows), and the
// palette for 8 bits.
inline QImage MakeBenchImage(const KXPICTURE& picture)
{
    QImage image(static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight()),
                 BenchFormat(picture.GetDepth()));
    const std::size_t row = std::size_t{picture.GetWidth()} * picture.GetDepth() / 8;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), picture.GetData() + y * row, row);
    if (picture.GetDepth() == 8) {
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i) {
            const std::uint8_t* entry = picture.GetPalette() + 4 * i;
            table.append(qRgb(entry[2], entry[1], entry[0]));
        }
        image.setColorTable(table);
    }
    return image;
}

// Writes the picture as a BMP file and flushes it to the disk, so that its pages can be
// dropped from the page cache for a cold read; returns the file's bytes. Pillow reads the
// file; the pictures of Pillow's side are the pixels of these files.
std::vector<std::uint8_t> WriteBenchFile(const KXPICTURE& picture,
                                         const std::filesystem::path& path);

// Writes a file's bytes made elsewhere and flushes them to the disk, as WriteBenchFile does.
void SaveBenchFile(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& path);

// Drops a flushed file's pages from the page cache: the next read comes from the disk.
void DropFromPageCache(const std::filesystem::path& path);

// A folder that holds the benchmark's files. The program must run in the folder of the
// plug-ins and the memory manager, as the viewer does; it refuses to measure elsewhere.
const std::filesystem::path& BenchFolder();
