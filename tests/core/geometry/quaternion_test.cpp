// Tests of KXQUATERNION: Hamilton products, the conjugate, axis-angle and Euler
// construction (qZ ⊗ qY ⊗ qX), turning a vector, and what copies and assignments do with
// the object's name.
#include "kxquaternion.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using geometry::Vector;

constexpr double kPi = std::numbers::pi;

std::vector<double> Values(const KXQUATERNION& q)
{
    return {q.GetX(), q.GetY(), q.GetZ(), q.GetW()};
}

::testing::AssertionResult NearValues(const KXQUATERNION& q, const std::vector<double>& expected)
{
    const std::vector<double> actual = Values(q);
    for (std::size_t i = 0; i < 4; ++i)
        if (std::fabs(actual[i] - expected[i]) > 1e-12)
            return ::testing::AssertionFailure() << "got (" << actual[0] << ", " << actual[1]
                                                 << ", " << actual[2] << ", " << actual[3] << ")";
    return ::testing::AssertionSuccess();
}

KXQUATERNION AxisAngle(double x, double y, double z, double angle)
{
    KXQUATERNION q;
    q.SetAxisAngle(Vector({x, y, z}), angle);
    return q;
}

TEST(Quaternion, HamiltonProducts)
{
    struct Case {
        std::vector<double> a, b, expected;
    };
    const Case cases[] = {
        {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}},  // i j = k
        {{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, -1, 0}}, // j i = -k
        {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}},  // j k = i
        {{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}},  // k i = j
        {{1, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, -1}}, // i i = -1
        {{1, 2, 3, 4}, {5, 6, 7, 8}, {24, 48, 48, -6}},
        {{1, 2, 3, 4}, {0, 0, 0, 1}, {1, 2, 3, 4}}, // the identity
    };
    for (const Case& c : cases) {
        const KXQUATERNION a(c.a[0], c.a[1], c.a[2], c.a[3]);
        const KXQUATERNION b(c.b[0], c.b[1], c.b[2], c.b[3]);
        EXPECT_EQ(Values(a * b), c.expected);
    }
}

TEST(Quaternion, ConjugateAndConstruction)
{
    EXPECT_EQ(Values(KXQUATERNION(1, 2, 3, 4).Conjugate()), (std::vector<double>{-1, -2, -3, 4}));
    EXPECT_EQ(Values(KXQUATERNION()), (std::vector<double>{0, 0, 0, 0}));
    KXQUATERNION q;
    EXPECT_EQ(Values(q.SetVector(KXVECTOR(1, 2, 3), 5)), (std::vector<double>{1, 2, 3, 5}));
    // A short vector is read as if padded with zeros.
    EXPECT_EQ(Values(q.SetVector(Vector({7, 8}), 1)), (std::vector<double>{7, 8, 0, 1}));
}

TEST(Quaternion, AxisAngleIsNotNormalised)
{
    EXPECT_TRUE(NearValues(AxisAngle(0, 0, 1, kPi), {0, 0, 1, 0}));
    const KXQUATERNION doubled = AxisAngle(0, 0, 2, kPi / 3);
    EXPECT_TRUE(NearValues(doubled, {0, 0, 1.0, std::cos(kPi / 6)}));
    const double norm = std::hypot(doubled.GetZ(), doubled.GetW());
    EXPECT_GT(norm, 1.1);
    KXQUATERNION shortAxis;
    shortAxis.SetAxisAngle(Vector({1}), kPi);
    EXPECT_TRUE(NearValues(shortAxis, {1, 0, 0, 0}));
}

TEST(Quaternion, TurnsAVectorAboutItsAxis)
{
    const KXQUATERNION q = AxisAngle(0, 0, 1, kPi / 2);
    const KXQUATERNION turned = q * KXQUATERNION(1, 0, 0, 0) * q.Conjugate();
    EXPECT_TRUE(NearValues(turned, {0, 1, 0, 0}));
}

TEST(Quaternion, EulerIsTheProductZYX)
{
    KXQUATERNION q;
    EXPECT_EQ(Values(q.SetEuler(0, 0, 0)), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_TRUE(NearValues(q.SetEuler(0.8, 0, 0), Values(AxisAngle(1, 0, 0, 0.8))));

    const double angles[][3] = {{0.3, -1.1, 2.2}, {kPi / 2, kPi / 2, 0}, {-0.5, 0.25, -3}};
    for (const auto& a : angles) {
        const KXQUATERNION zyx =
            AxisAngle(0, 0, 1, a[2]) * AxisAngle(0, 1, 0, a[1]) * AxisAngle(1, 0, 0, a[0]);
        EXPECT_TRUE(NearValues(q.SetEuler(a[0], a[1], a[2]), Values(zyx)));
    }
    // On a vector the rotation about the first axis acts first: x by π/2 takes y to z,
    // then z by π/2 leaves z where it is.
    q.SetEuler(kPi / 2, 0, kPi / 2);
    EXPECT_TRUE(NearValues(q * KXQUATERNION(0, 1, 0, 0) * q.Conjugate(), {0, 0, 1, 0}));
}

TEST(Quaternion, CopiesAreRenamedAndAssignmentsCarryTheName)
{
    KXQUATERNION source(1, 2, 3, 4);
    source.SetName("RENAMED");
    const KXQUATERNION copy(source);
    EXPECT_STREQ(copy.GetName(), "KXQUATERNION");
    EXPECT_EQ(Values(copy), Values(source));

    KXQUATERNION target;
    target = source;
    EXPECT_STREQ(target.GetName(), "RENAMED");
    EXPECT_EQ(Values(target), Values(source));

    KXQUATERNION baseOnly(9, 9, 9, 9);
    baseOnly.CopyBase(source);
    EXPECT_STREQ(baseOnly.GetName(), "RENAMED");
    EXPECT_EQ(Values(baseOnly), (std::vector<double>{9, 9, 9, 9}));
}

} // namespace
