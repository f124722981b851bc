// The pictures the picture benchmarks work on: one size, random pixels, and a QImage of
// the same pixels for the peer.
#pragma once

#include "kxpicture.h"
#include "ratio.h"

#include <QImage>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>

inline constexpr std::uint32_t benchWidth = 2000;
inline constexpr std::uint32_t benchHeight = 1500;

// A picture of the depth with random pixels, with the masks and palette the bitmap
// loader gives a file of that depth.
inline void MakeBenchPicture(KXPICTURE& picture, std::uint16_t depth)
{
    std::mt19937 random(depth);
    picture.Create(benchWidth, benchHeight, depth);
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

// The same pixel bytes row by row (QImage pads its rows), and a palette for 8 bits.
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
