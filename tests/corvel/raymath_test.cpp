// The tracer's plain vectors and colours compute exactly what the library's KXVECTOR and
// KXCOLOR compute: bit for bit, so that a trace gives the pixels of one written with them.
#include "raymath.h"
#include "raytrace.h"

#include "kxcolor.h"
#include "kxvector.h"

#include <gtest/gtest.h>

#include <random>

using namespace corvel;

namespace {

VEC4 From(const KXVECTOR& v)
{
    return {*v.GetItem(0), *v.GetItem(1), *v.GetItem(2), *v.GetItem(3)};
}

void ExpectSame(const VEC4& a, const KXVECTOR& b)
{
    EXPECT_EQ(a.x, *b.GetItem(0));
    EXPECT_EQ(a.y, *b.GetItem(1));
    EXPECT_EQ(a.z, *b.GetItem(2));
    EXPECT_EQ(a.w, *b.GetItem(3));
}

TEST(RayMath, VectorArithmeticMatchesTheLibrarysBitForBit)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-20.0, 20.0);
    for (int i = 0; i < 2000; ++i) {
        KXVECTOR a(4);
        KXVECTOR b(4);
        a.Set(value(random), value(random), value(random), i % 2 == 0 ? 0.0 : 1.0);
        b.Set(value(random), value(random), value(random), i % 3 == 0 ? 0.0 : 1.0);
        const VEC4 pa = From(a);
        const VEC4 pb = From(b);
        EXPECT_EQ(Dot(pa, pb), a * b);
        EXPECT_EQ(Length(pa), a.Length());
        ExpectSame(pa + pb * 0.37, a + b * 0.37);
        ExpectSame(pa - pb, a - b);
        VEC4 unit = pa;
        Normalize(unit);
        KXVECTOR expected(a);
        expected.Normalize();
        ExpectSame(unit, expected);

        // The mirrored direction: d - 2 (d·n) n as a unit vector.
        KXVECTOR n(b);
        n.Normalize();
        const double k = -(expected * n);
        KXVECTOR mirror = n * k * 2.0 + expected;
        mirror.Normalize();
        ExpectSame(ReflectDirection(unit, From(n)), mirror);
    }
}

TEST(RayMath, ColourArithmeticMatchesTheLibrarys)
{
    const std::uint8_t channels[] = {0, 1, 99, 128, 200, 254, 255};
    const double factors[] = {0.0, 0.1, 0.5, 0.8, 0.9999, 1.0, 1.7, -0.5};
    for (std::uint8_t x : channels) {
        for (std::uint8_t y : channels) {
            KXCOLOR a;
            KXCOLOR b;
            a.Set(x, y, static_cast<std::uint8_t>(255 - x), y);
            b.Set(y, x, x, static_cast<std::uint8_t>(255 - y));
            RGBA pa{x, y, static_cast<std::uint8_t>(255 - x), y};
            RGBA pb{y, x, x, static_cast<std::uint8_t>(255 - y)};
            const auto same = [](const RGBA& p, const KXCOLOR& c) {
                KXCOLOR packed;
                packed.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000);
                packed = c;
                return PackPixel(p) == packed.ToPixel32();
            };
            for (double factor : factors) {
                RGBA scaled = pa;
                Scale(scaled, factor);
                KXCOLOR expected = a;
                expected.Scale(factor);
                EXPECT_TRUE(same(scaled, expected)) << int(x) << " " << int(y) << " " << factor;
            }
            RGBA sum = pa;
            AddSaturate(sum, pb);
            KXCOLOR expectedSum = a;
            expectedSum.AddSaturate(b);
            EXPECT_TRUE(same(sum, expectedSum)) << int(x) << " " << int(y);
            RGBA product = pa;
            Modulate(product, pb);
            KXCOLOR expectedProduct = a;
            expectedProduct.Modulate(b);
            EXPECT_TRUE(same(product, expectedProduct)) << int(x) << " " << int(y);
        }
    }
}

} // namespace
