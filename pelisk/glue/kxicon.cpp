#include "kxicon.h"

#include <QImage>
#include <QPixmap>

#include <array>

namespace {

// A framed picture of a red sphere over a green hill under a blue sky with a yellow sun,
// drawn in colours of the 16-colour palette.
constexpr std::array<const char*, 16> art = {
    "kkkkkkkkkkkkkkkk", "kggggggggggggggk", "kgbbbbbbbbbbbbdk", "kgbbbbbbbyybbbdk",
    "kgbbbbbbbyybbbdk", "kgbbbrrrbbbbbbdk", "kgbbrrwrrbbbbbdk", "kgbbrrrrmbbbbbdk",
    "kgbbrrrmmbbbbbdk", "kgbbbmmmbbbeebdk", "kgbbbbbbbeeeeedk", "kgeeeebbeeeeeedk",
    "kgeeeeeeeeeeeedk", "kgeeeeeeeeeeeedk", "kddddddddddddddk", "kkkkkkkkkkkkkkkk",
};

QRgb ColourOf(char letter)
{
    switch (letter) {
    case 'w':
        return qRgb(0xFF, 0xFF, 0xFF);
    case 'g':
        return qRgb(0xC0, 0xC0, 0xC0);
    case 'd':
        return qRgb(0x80, 0x80, 0x80);
    case 'b':
        return qRgb(0x00, 0x00, 0xFF);
    case 'y':
        return qRgb(0xFF, 0xFF, 0x00);
    case 'r':
        return qRgb(0xFF, 0x00, 0x00);
    case 'm':
        return qRgb(0x80, 0x00, 0x00);
    case 'e':
        return qRgb(0x00, 0x80, 0x00);
    default:
        return qRgb(0x00, 0x00, 0x00);
    }
}

// The art with each of its pixels scale by scale pixels large.
QPixmap Image(int scale)
{
    QImage image(16 * scale, 16 * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, ColourOf(art[y / scale][x / scale]));
    return QPixmap::fromImage(image);
}

} // namespace

QIcon PeliskIcon()
{
    QIcon icon;
    icon.addPixmap(Image(1));
    icon.addPixmap(Image(2));
    return icon;
}
