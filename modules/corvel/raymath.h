// The arithmetic of the ray tracer on plain values: vectors of four doubles and colours of
// four channels. Each operation computes exactly what the library's KXVECTOR and KXCOLOR
// compute (the same operations in the same order, dot products summed from 0.0 over all
// four components), so a trace gives the same pixels as one written with those classes,
// without their heap allocations in the inner loop.
#pragma once

#include <cmath>
#include <cstdint>

namespace corvel {

struct VEC4 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 0.0;
};

inline VEC4 operator+(const VEC4& a, const VEC4& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

inline VEC4 operator-(const VEC4& a, const VEC4& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}

inline VEC4 operator*(const VEC4& a, double d)
{
    return {a.x * d, a.y * d, a.z * d, a.w * d};
}

// Summed from 0.0 in component order, as KXVECTOR does: the sign of a zero result and
// every rounding stay the same.
inline double Dot(const VEC4& a, const VEC4& b)
{
    double sum = 0.0;
    sum += a.x * b.x;
    sum += a.y * b.y;
    sum += a.z * b.z;
    sum += a.w * b.w;
    return sum;
}

inline double Length(const VEC4& a)
{
    return std::sqrt(Dot(a, a));
}

// Multiplies by the reciprocal of the length, as KXVECTOR::Normalize does (not a division
// per component, which would round differently).
inline void Normalize(VEC4& a)
{
    const double factor = 1.0 / Length(a);
    a.x *= factor;
    a.y *= factor;
    a.z *= factor;
    a.w *= factor;
}

// The three-dimensional dot product of the sphere test.
inline double Dot3(const VEC4& a, const VEC4& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

struct RGBA {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
};

// A channel times a factor, truncated and held within 0..255 (KXCOLOR::Scale).
inline std::uint8_t ScaleChannel(std::uint8_t channel, double factor)
{
    const double value = channel * factor;
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return static_cast<std::uint8_t>(value);
}

// Red, green and blue times factor; alpha stays.
inline void Scale(RGBA& c, double factor)
{
    c.r = ScaleChannel(c.r, factor);
    c.g = ScaleChannel(c.g, factor);
    c.b = ScaleChannel(c.b, factor);
}

inline std::uint8_t AddChannel(std::uint8_t a, std::uint8_t b)
{
    const unsigned sum = unsigned{a} + b;
    return sum > 255 ? 255 : static_cast<std::uint8_t>(sum);
}

// All four channels added, each at most 255.
inline void AddSaturate(RGBA& c, const RGBA& other)
{
    c.r = AddChannel(c.r, other.r);
    c.g = AddChannel(c.g, other.g);
    c.b = AddChannel(c.b, other.b);
    c.a = AddChannel(c.a, other.a);
}

// Red, green and blue times other's / 255; alpha stays.
inline void Modulate(RGBA& c, const RGBA& other)
{
    c.r = static_cast<std::uint8_t>(unsigned{c.r} * other.r / 255);
    c.g = static_cast<std::uint8_t>(unsigned{c.g} * other.g / 255);
    c.b = static_cast<std::uint8_t>(unsigned{c.b} * other.b / 255);
}

// The pixel of a 32-bit surface: alpha, red, green, blue from the top byte down.
inline std::uint32_t PackPixel(const RGBA& c)
{
    return std::uint32_t{c.a} << 24 | std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
}

} // namespace corvel
