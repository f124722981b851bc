#include "kxcolor.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// A channel from a double already scaled to 0..255: outside that range the channel
// saturates rather than wrapping round (a highlight must not turn dark).
std::uint8_t Saturate(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return static_cast<std::uint8_t>(value);
}

std::uint8_t Saturate(unsigned value)
{
    return value > 255 ? 255 : static_cast<std::uint8_t>(value);
}

// Clamps a YCbCr-to-RGB result into 0..255 and truncates it.
std::uint8_t ClampComponent(double value)
{
    if (!(value >= 0.0))
        return 0;
    if (value > 255.0)
        return 255;
    return static_cast<std::uint8_t>(value);
}

} // namespace

KXCOLOR::KXCOLOR() : KXOBJECT("KXCOLOR") {}

KXCOLOR& KXCOLOR::operator=(const KXCOLOR& other)
{
    red = other.red;
    green = other.green;
    blue = other.blue;
    alpha = other.alpha;
    return *this;
}

KXCOLOR& KXCOLOR::Set(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    red = r;
    green = g;
    blue = b;
    alpha = a;
    return *this;
}

KXCOLOR& KXCOLOR::SetMasks(std::uint32_t redBits, std::uint32_t greenBits, std::uint32_t blueBits,
                           std::uint32_t alphaBits)
{
    masks = KXMASKS{redBits, greenBits, blueBits, alphaBits};
    return *this;
}

void KXCOLOR::SetFromDoubles(double r, double g, double b, double a)
{
    Set(Saturate(r * 255.0), Saturate(g * 255.0), Saturate(b * 255.0), Saturate(a * 255.0));
}

// The field is scaled between 0 and its largest value m = mask >> shift. The products
// are formed in 64 bits, so that fields of any width up to 32 bits scale exactly.
std::uint8_t KXCOLOR::ExtractChannel(std::uint32_t pixel, std::uint32_t mask)
{
    if (pixel == 0 || mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t largest = mask >> shift;
    const std::uint64_t field = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>(field * 255 / largest);
}

void KXCOLOR::PackChannel(std::uint32_t& pixel, std::uint32_t mask, std::uint8_t channel)
{
    if (mask == 0 || channel == 0)
        return;
    const int shift = std::countr_zero(mask);
    const std::uint64_t largest = mask >> shift;
    const std::uint64_t field = channel * largest / 255;
    pixel = (pixel & ~mask) | (static_cast<std::uint32_t>(field << shift) & mask);
}

void KXCOLOR::SetFromPixel(std::uint32_t pixel)
{
    red = ExtractChannel(pixel, masks.red);
    green = ExtractChannel(pixel, masks.green);
    blue = ExtractChannel(pixel, masks.blue);
    alpha = ExtractChannel(pixel, masks.alpha);
}

KXCOLOR& KXCOLOR::SetFromPacked(std::uint32_t pixel)
{
    SetFromPixel(pixel);
    return *this;
}

std::uint32_t KXCOLOR::ToPixel32() const
{
    std::uint32_t pixel = 0;
    PackChannel(pixel, masks.red, red);
    PackChannel(pixel, masks.green, green);
    PackChannel(pixel, masks.blue, blue);
    PackChannel(pixel, masks.alpha, alpha);
    return pixel;
}

std::uint16_t KXCOLOR::ToPixel16() const
{
    std::uint32_t pixel = 0;
    PackChannel(pixel, masks.red, red);
    PackChannel(pixel, masks.green, green);
    PackChannel(pixel, masks.blue, blue);
    return static_cast<std::uint16_t>(pixel);
}

void KXCOLOR::SetFrom16(std::uint16_t pixel)
{
    red = ExtractChannel(pixel, masks.red);
    green = ExtractChannel(pixel, masks.green);
    blue = ExtractChannel(pixel, masks.blue);
}

void KXCOLOR::SetFrom24(const std::uint8_t* bytes)
{
    const std::uint32_t pixel = bytes[0] | bytes[1] << 8 | bytes[2] << 16;
    red = ExtractChannel(pixel, masks.red);
    green = ExtractChannel(pixel, masks.green);
    blue = ExtractChannel(pixel, masks.blue);
}

void KXCOLOR::SwapRedBlue()
{
    std::swap(red, blue);
}

void KXCOLOR::GetRGBf(double& r, double& g, double& b) const
{
    r = GetRf();
    g = GetGf();
    b = GetBf();
}

int KXCOLOR::GetY() const
{
    return static_cast<int>(0.299 * red + 0.587 * green + 0.114 * blue);
}

int KXCOLOR::GetCb() const
{
    return static_cast<int>(-0.1687 * red - 0.3313 * green + 0.5 * blue + 128.0);
}

int KXCOLOR::GetCr() const
{
    return static_cast<int>(0.5 * red - 0.4187 * green - 0.0813 * blue + 128.0);
}

std::uint32_t KXCOLOR::ToYCbCr() const
{
    return (static_cast<std::uint32_t>(GetCr()) & 0xFF) |
           (static_cast<std::uint32_t>(GetCb()) & 0xFF) << 8 |
           (static_cast<std::uint32_t>(GetY()) & 0xFF) << 16 |
           static_cast<std::uint32_t>(alpha) << 24;
}

std::uint32_t KXCOLOR::ToYCbCrAlpha() const
{
    return ToYCbCr() | static_cast<std::uint32_t>(alpha) << 24;
}

void KXCOLOR::SetFromYCbCr(std::uint32_t packed)
{
    alpha = static_cast<std::uint8_t>(packed >> 24);
    const double y = (packed >> 16) & 0xFF;
    const double cb = static_cast<double>((packed >> 8) & 0xFF) - 128.0;
    const double cr = static_cast<double>(packed & 0xFF) - 128.0;
    red = ClampComponent(y - 0.0009267 * cb + 1.4016868 * cr);
    green = ClampComponent(y - 0.3436954 * cb - 0.714169 * cr);
    blue = ClampComponent(y + 1.7721604 * cb + 0.0009902 * cr);
}

void KXCOLOR::SetYCbCr(std::uint8_t y, std::uint8_t cb, std::uint8_t cr, std::uint8_t a)
{
    SetFromYCbCr(cr | static_cast<std::uint32_t>(cb) << 8 | static_cast<std::uint32_t>(y) << 16 |
                 static_cast<std::uint32_t>(a) << 24);
}

void KXCOLOR::SetFromYCbCrOpaque(std::uint32_t packed)
{
    SetFromYCbCr(packed);
    alpha = 0;
}

void KXCOLOR::Scale(double factor)
{
    red = Saturate(red * factor);
    green = Saturate(green * factor);
    blue = Saturate(blue * factor);
}

KXCOLOR& KXCOLOR::AddSaturate(const KXCOLOR& other)
{
    red = Saturate(unsigned{red} + other.red);
    green = Saturate(unsigned{green} + other.green);
    blue = Saturate(unsigned{blue} + other.blue);
    alpha = Saturate(unsigned{alpha} + other.alpha);
    return *this;
}

void KXCOLOR::MultiplySaturate(const KXCOLOR& other)
{
    red = Saturate(unsigned{red} * other.red);
    green = Saturate(unsigned{green} * other.green);
    blue = Saturate(unsigned{blue} * other.blue);
    alpha = Saturate(unsigned{alpha} * other.alpha);
}

void KXCOLOR::Modulate(const KXCOLOR& other)
{
    red = static_cast<std::uint8_t>(unsigned{red} * other.red / 255);
    green = static_cast<std::uint8_t>(unsigned{green} * other.green / 255);
    blue = static_cast<std::uint8_t>(unsigned{blue} * other.blue / 255);
}

double KXCOLOR::Distance(const KXCOLOR& other) const
{
    const auto similarity = [](int a, int b) { return (255 - std::abs(a - b)) / 1020.0; };
    return similarity(red, other.red) + similarity(green, other.green) +
           similarity(blue, other.blue) + similarity(alpha, other.alpha);
}
