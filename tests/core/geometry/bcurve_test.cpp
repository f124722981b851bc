// Tests of KXBCURVE: de Casteljau evaluation (against the Bernstein form), extrapolation,
// partial and refused Sets, control points of other dimensions, and curves of one point.
#include "kxbcurve.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using geometry::Components;
using geometry::MessageOf;
using geometry::Near;
using geometry::Vector;

std::vector<double> PointAt(KXBCURVE& curve, double t)
{
    KXVECTOR out(4);
    curve.GetPoint(out, t);
    return Components(out);
}

TEST(BCurve, QuadraticByDeCasteljau)
{
    const KXVECTOR points[] = {KXVECTOR(0, 0, 0), KXVECTOR(1, 2, 0), KXVECTOR(2, 0, 0)};
    KXBCURVE curve(3, points);
    EXPECT_STREQ(curve.GetName(), "KXBCURVE");
    struct Case {
        double t;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {0.0, {0, 0, 0, 1}},       {0.5, {1, 1, 0, 1}},  {1.0, {2, 0, 0, 1}},
        {0.25, {0.5, 0.75, 0, 1}}, {2.0, {4, -8, 0, 1}}, // no clamping: the same parabola beyond
                                                         // the end
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(Vector(PointAt(curve, c.t)), c.expected)) << c.t;
}

TEST(BCurve, CubicMatchesTheBernsteinForm)
{
    const KXVECTOR points[] = {Vector({0, 0, 0, 1}), Vector({1, 3, 0, 2}), Vector({3, 3, 1, 0}),
                               Vector({4, 0, 2, 1})};
    KXBCURVE curve(4, points);
    for (double t : {0.0, 0.1, 0.5, 0.9, 1.0, -0.5}) {
        const double s = 1 - t;
        const double weights[] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
        std::vector<double> expected(4, 0.0);
        for (int p = 0; p < 4; ++p)
            for (std::uint32_t i = 0; i < 4; ++i)
                expected[i] += weights[p] * *points[p].GetItem(i);
        EXPECT_TRUE(Near(Vector(PointAt(curve, t)), expected)) << t;
    }
}

TEST(BCurve, TwoPointsExtrapolateAlongTheirLine)
{
    const KXVECTOR points[] = {KXVECTOR(1, 1, 0), KXVECTOR(2, 3, 0)};
    KXBCURVE line(2, points);
    EXPECT_EQ(PointAt(line, 2.0), (std::vector<double>{3, 5, 0, 1}));
    EXPECT_EQ(PointAt(line, -1.0), (std::vector<double>{0, -1, 0, 1}));
}

TEST(BCurve, SetReplacesTheFirstPointsAndRefusesTooMany)
{
    KXBCURVE curve(3);
    const KXVECTOR points[] = {KXVECTOR(2, 0, 0), KXVECTOR(2, 0, 0), KXVECTOR(4, 0, 0),
                               KXVECTOR(9, 9, 9)};
    EXPECT_EQ(MessageOf([&] { curve.Set(4, points); }),
              "Exception in Set of KXBCURVE:Too many points in param.");
    EXPECT_EQ(PointAt(curve, 0.5), (std::vector<double>{0, 0, 0, 0})) << "unchanged";

    // Only the first two are set; the third stays a zero vector.
    curve.Set(2, points);
    EXPECT_EQ(PointAt(curve, 0.5), (std::vector<double>{1.5, 0, 0, 0.75}));
    curve.Set(3, points);
    EXPECT_EQ(PointAt(curve, 0.5), (std::vector<double>{2.5, 0, 0, 1}));
}

TEST(BCurve, ControlPointsOfOtherDimensionsAreCopiedByAssignment)
{
    const KXVECTOR points[] = {Vector({0, 0, 0}), Vector({2, 2, 2}), Vector({4, 0, 0, 5, 7})};
    KXBCURVE curve(3, points);
    // The 3-vectors are stored with w = 0, the 5-vector's fifth component is dropped.
    EXPECT_EQ(PointAt(curve, 0.5), (std::vector<double>{2, 1, 1, 1.25}));
    // The result keeps the dimension of the vector it is written into.
    KXVECTOR three(3);
    curve.GetPoint(three, 1.0);
    EXPECT_EQ(Components(three), (std::vector<double>{4, 0, 0}));
}

TEST(BCurve, ACurveWithoutPointsIsZeroEverywhere)
{
    KXBCURVE curve(5);
    for (double t : {-1.0, 0.0, 0.3, 1.0, 4.0})
        EXPECT_EQ(PointAt(curve, t), (std::vector<double>{0, 0, 0, 0})) << t;
}

TEST(BCurve, OnePointIsItsOwnCurveAndNoPointIsRefused)
{
    const KXVECTOR point = KXVECTOR(3, 4, 5);
    KXBCURVE single(1, &point);
    EXPECT_EQ(PointAt(single, 0.7), (std::vector<double>{3, 4, 5, 1}));
    EXPECT_EQ(MessageOf([] { KXBCURVE none(0); }),
              "Exception in KXBCURVE of KXBCURVE:Invalid param number");
}

TEST(BCurve, AFreedCurveLeavesItsResultAlone)
{
    const KXVECTOR points[] = {KXVECTOR(1, 0, 0), KXVECTOR(3, 0, 0)};
    KXBCURVE curve(2, points);
    curve.FreeLevels();
    curve.FreeLevels();
    curve.Set(2, points);
    KXVECTOR out = Vector({7, 7, 7, 7});
    curve.GetPoint(out, 0.5);
    EXPECT_EQ(Components(out), (std::vector<double>{7, 7, 7, 7}));
}

} // namespace
