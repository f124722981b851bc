#include "bmptest.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QImage Displayed(KXPICTURE& picture)
{
    picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    const int width = static_cast<int>(picture.GetWidth());
    const int height = static_cast<int>(picture.GetHeight());
    QImage image(width, height, QImage::Format_RGB32);
    const std::uint8_t* data = picture.GetData();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = data + std::size_t{4} * width * (height - 1 - y);
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]));
    }
    return image;
}

int LargestDifference(const QImage& ours, const QImage& reference)
{
    if (ours.size() != reference.size())
        return -1;
    const QImage a = ours.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}
