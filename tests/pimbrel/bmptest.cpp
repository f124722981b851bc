#include "bmptest.h"

#include "kxendian.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QImage Displayed(KXPICTURE& picture)
{
    // Only a picture with an alpha mask has alpha to show; any other is opaque.
    const bool hasAlpha = picture.GetAlphaMask() != 0;
    picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    const int width = static_cast<int>(picture.GetWidth());
    const int height = static_cast<int>(picture.GetHeight());
    QImage image(width, height, QImage::Format_ARGB32);
    const std::uint8_t* data = picture.GetData();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = data + std::size_t{4} * width * (height - 1 - y);
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], hasAlpha ? row[4 * x + 3] : 255));
    }
    return image;
}

int LargestDifference(const QImage& ours, const QImage& reference)
{
    if (ours.size() != reference.size())
        return -1;
    const bool alpha = reference.hasAlphaChannel();
    const QImage a = ours.convertToFormat(QImage::Format_ARGB32);
    const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (alpha) {
                largest = std::max(largest, std::abs(qAlpha(p) - qAlpha(q)));
                // A pixel that shows nothing has no colour to compare.
                if (qAlpha(p) == 0 && qAlpha(q) == 0)
                    continue;
            }
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

bmp::REFUSAL Read(const std::vector<std::uint8_t>& file, KXPICTURE& picture)
{
    return bmp::Decode(file.data(), file.size(), picture);
}

void MakeSentinel(KXPICTURE& picture)
{
    picture.Create(1, 1, 24);
    picture.SetPixelPacked(0, 0x123456);
}

bool IsSentinel(const KXPICTURE& picture)
{
    return picture.GetWidth() == 1 && picture.GetHeight() == 1 && picture.GetDepth() == 24 &&
           picture.GetPaletteSize() == 0 && picture.GetPixelPacked(0) == 0x123456;
}

void Put16(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value)
{
    if (at + 2 > file.size())
        throw std::out_of_range("a field beyond the file");
    kxendian::Write16(file.data() + at, value);
}

void Put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value)
{
    if (at + 4 > file.size())
        throw std::out_of_range("a field beyond the file");
    kxendian::Write32(file.data() + at, value);
}

void bmp::PrintTo(REFUSAL refusal, std::ostream* out)
{
    static const char* const names[] = {"NONE",       "TRUNCATED", "SIGNATURE",   "HEADERSIZE",
                                        "DIMENSIONS", "DEPTH",     "COMPRESSION", "MASKS",
                                        "TOOLARGE",   "RUNLENGTH", "NOMEMORY",    "UNREADABLE"};
    const auto index = static_cast<std::size_t>(refusal);
    *out << (index < std::size(names) ? names[index] : "unknown refusal");
}
