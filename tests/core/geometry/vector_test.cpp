// Tests of KXVECTOR: construction and names, the checked setters, arithmetic over the
// shorter length, the dot product, length and normalisation (NaN for a zero vector), cross
// products with short operands, perpendiculars, spherical coordinates and reading from text.
#include "kxvector.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

using geometry::AllNaN;
using geometry::Components;
using geometry::MessageOf;
using geometry::Near;
using geometry::Vector;

constexpr const char* kInvalidSetDim = "Exception in Set of KXVECTOR:Invalid dim";
constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Vector, ConstructorsAndNames)
{
    const KXVECTOR zeros(3);
    EXPECT_EQ(Components(zeros), (std::vector<double>{0, 0, 0}));
    EXPECT_STREQ(zeros.GetName(), "KXVECTOR");
    EXPECT_EQ(KXVECTOR().GetDimension(), 4u);
    EXPECT_EQ(KXVECTOR(0).GetDimension(), 0u);

    const KXVECTOR point(2, 3, 4);
    EXPECT_EQ(Components(point), (std::vector<double>{2, 3, 4, 1}));
    EXPECT_STREQ(point.GetName(), "BIDON?");
    const KXVECTOR copy(point);
    EXPECT_STREQ(copy.GetName(), "KXVECTOR");
    EXPECT_EQ(Components(copy), Components(point));

    KXVECTOR target(1, 1, 1);
    target = zeros;
    EXPECT_STREQ(target.GetName(), "BIDON?");
    EXPECT_STREQ((point + zeros).GetName(), "KXVECTOR");
}

TEST(Vector, SettersRefuseTooFewComponentsAndChangeNothing)
{
    struct Case {
        unsigned dimension;
        std::function<void(KXVECTOR&)> set;
        std::vector<double> expected; // empty: refused
    };
    const Case cases[] = {
        {0, [](KXVECTOR& v) { v.Set(1); }, {}},
        {1, [](KXVECTOR& v) { v.Set(1); }, {1}},
        {1, [](KXVECTOR& v) { v.Set(1, 2); }, {}},
        {2, [](KXVECTOR& v) { v.Set(1, 2); }, {1, 2}},
        {2, [](KXVECTOR& v) { v.Set(1, 2, 3); }, {}},
        {4, [](KXVECTOR& v) { v.Set(1, 2, 3); }, {1, 2, 3, 9}},
        {3, [](KXVECTOR& v) { v.Set(1, 2, 3, 4); }, {}},
        {5, [](KXVECTOR& v) { v.Set(1, 2, 3, 4); }, {1, 2, 3, 4, 9}},
    };
    for (const Case& c : cases) {
        KXVECTOR v(c.dimension);
        for (unsigned i = 0; i < c.dimension; ++i)
            *v.GetItem(i) = 9;
        const std::vector<double> before = Components(v);
        const std::string message = MessageOf([&] { c.set(v); });
        if (c.expected.empty()) {
            EXPECT_EQ(message, kInvalidSetDim) << c.dimension;
            EXPECT_EQ(Components(v), before) << c.dimension;
        } else {
            EXPECT_EQ(message, "") << c.dimension;
            EXPECT_EQ(Components(v), c.expected) << c.dimension;
        }
    }
}

TEST(Vector, AssignmentSumAndDifferenceWorkOverTheShorterLength)
{
    struct Case {
        char op;
        std::vector<double> a, b, expected;
    };
    const Case cases[] = {
        {'=', {9, 9, 9, 9}, {1, 2, 3}, {1, 2, 3, 0}}, {'=', {9, 9, 9}, {1, 2, 3, 4}, {1, 2, 3}},
        {'+', {1, 2, 3, 1}, {1, 1}, {2, 3, 3, 1}},    {'+', {1, 1}, {1, 2, 3, 1}, {2, 3}},
        {'-', {1, 2, 3, 1}, {1, 1}, {0, 1, 3, 1}},    {'-', {5, 5}, {1, 2, 3}, {4, 3}},
    };
    for (const Case& c : cases) {
        const KXVECTOR a = Vector(c.a);
        const KXVECTOR b = Vector(c.b);
        KXVECTOR inPlace = Vector(c.a);
        if (c.op == '=') {
            inPlace.Assign(b);
            EXPECT_EQ(Components(inPlace), c.expected);
            continue;
        }
        const KXVECTOR result = c.op == '+' ? a + b : a - b;
        EXPECT_EQ(Components(result), c.expected) << c.op;
        if (c.op == '+')
            inPlace += b;
        else
            inPlace -= b;
        EXPECT_EQ(Components(inPlace), c.expected) << c.op;
        EXPECT_EQ(Components(a), c.a) << "the operands stay";
    }
}

TEST(Vector, DotProductTakesAllComponentsAndRefusesOtherDimensions)
{
    const KXVECTOR p(1, 2, 3);
    EXPECT_EQ(p * p, 15.0);
    EXPECT_EQ(Vector({1, 2}) * Vector({3, -4}), -5.0);
    EXPECT_EQ(KXVECTOR(0) * KXVECTOR(0), 0.0);
    EXPECT_EQ(MessageOf([&] {
                  (void)(Vector({1, 2, 3}) * p);
              }),
              "Exception in operator* of KXVECTOR:Dim doesn't match");
}

TEST(Vector, ScalingDivisionAndNegation)
{
    const KXVECTOR p(1, -2, 4);
    EXPECT_EQ(Components(p * 2.0), (std::vector<double>{2, -4, 8, 2}));
    EXPECT_EQ(Components(p / 2.0), (std::vector<double>{0.5, -1, 2, 0.5}));
    KXVECTOR v(p);
    v *= -1.0;
    EXPECT_EQ(Components(v), (std::vector<double>{-1, 2, -4, -1}));
    v /= 0.0;
    EXPECT_EQ(Components(v), (std::vector<double>{-kInf, kInf, -kInf, -kInf}));
    KXVECTOR n(p);
    EXPECT_EQ(Components(n.Negate()), (std::vector<double>{-1, 2, -4, -1}));
}

TEST(Vector, LengthAndNormalize)
{
    KXVECTOR v = Vector({3, 4, 0, 0});
    EXPECT_EQ(v.Length(), 5.0);
    EXPECT_EQ(v.Normalize(), 0.2);
    EXPECT_TRUE(Near(v, {0.6, 0.8, 0, 0}));
    EXPECT_DOUBLE_EQ(KXVECTOR(1, 1, 1).Length(), 2.0); // w counts

    // No zero test: a zero vector becomes NaN and reports an infinite factor.
    KXVECTOR zero(4);
    EXPECT_EQ(zero.Normalize(), kInf);
    EXPECT_TRUE(AllNaN(zero));
}

TEST(Vector, CrossProduct)
{
    struct Case {
        std::vector<double> a, b, expected;
    };
    const Case cases[] = {
        {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}},
        {{1, 2}, {3, 4, 5}, {0, 0}},
        // A short right operand counts as padded with zeros instead of being read past.
        {{0, 0, 1, 1}, {1, 0}, {0, 1, 0, 0}},
        {{0, 1, 0}, {}, {0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Components(Vector(c.a).Cross(Vector(c.b))), c.expected);
}

TEST(Vector, CrossIntoWritesOnlyTheComponentsThatExist)
{
    struct Case {
        std::vector<double> a, b, out, expected;
    };
    const Case cases[] = {
        {{1, 0, 0}, {0, 1, 0}, {7, 7, 7, 7}, {0, 0, 1, 7}},
        {{1, 2}, {3, 4, 5}, {7, 7, 7}, {7, 7, 7}},
        {{1, 2, 3}, {4, 5, 6}, {7, 7}, {-3, 6}},
        {{0, 0, 1}, {1}, {7, 7, 7}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        KXVECTOR out = Vector(c.out);
        Vector(c.a).CrossInto(out, Vector(c.b));
        EXPECT_EQ(Components(out), c.expected);
    }
}

TEST(Vector, Perpendicular)
{
    struct Case {
        std::vector<double> v, expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 0}}, {{3, 4}, {0.8, -0.6}},  {{1, 0}, {0, -1}},
        {{1, 0, 0}, {0, 1, 0}}, {{0, 0, 2}, {1, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(Vector(c.v).GetPerpendicular(), c.expected));

    const KXVECTOR v = Vector({1, 2, 3});
    const KXVECTOR p = v.GetPerpendicular();
    EXPECT_NEAR(p * v, 0.0, 1e-12);
    EXPECT_NEAR(p.Length(), 1.0, 1e-12);
    // Only 2- and 3-vectors have a perpendicular; others, and a 3-vector of equal
    // components (whose rotated copy is itself), normalise a zero vector.
    EXPECT_TRUE(AllNaN(KXVECTOR(1, 2, 3).GetPerpendicular()));
    EXPECT_TRUE(AllNaN(Vector({2, 2, 2}).GetPerpendicular()));
}

TEST(Vector, SphericalCoordinates)
{
    struct Case {
        std::vector<double> v, expected;
    };
    const Case cases[] = {
        {{2}, {2}},
        {{0, -3}, {3, -kPi / 2}},
        {{-1, 0}, {1, kPi}},
        {{1, 0, 0}, {1, kPi / 2, 0}},
        {{0, 0, 1}, {1, kPi / 2, kPi / 2}},
        {{0, 0, -2}, {2, kPi / 2, -kPi / 2}},
        {{0, -1, 0, 0}, {1, kPi, kPi / 2, 0}}, // 0 / sin π, a rounding away from 0 / 0
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(Vector(c.v).SphericalCood(), c.expected));

    // On the polar axis the azimuth divides by sin 0.
    const KXVECTOR pole = Vector({0, 1, 0}).SphericalCood();
    EXPECT_EQ(*pole.GetItem(1), 0.0);
    EXPECT_TRUE(std::isnan(*pole.GetItem(2)));

    for (unsigned dimension : {0u, 5u})
        EXPECT_EQ(MessageOf([&] { KXVECTOR(dimension).SphericalCood(); }),
                  "Exception in SphericalCood of KXVECTOR:Invalid dim");
}

TEST(Vector, SetFromStringReadsCommaSeparatedFields)
{
    struct Case {
        const char* text;
        unsigned count;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"(1,2,3)", 3, {1, 2, 3, 9}},
        {"<1,2,3>", 3, {1, 2, 3, 9}},
        {"<(1.5,-2.25,3)>", 3, {1.5, -2.25, 3, 9}},
        {"<1,2,3,4,5>", 4, {1, 2, 3, 4}},
        {"1,,3", 1, {1, 9, 9, 9}},
        {"(5)", 0, {9, 9, 9, 9}}, // no ',': the field is the whole text and reads nothing
        {"", 0, {9, 9, 9, 9}},
    };
    for (const Case& c : cases) {
        KXVECTOR v = Vector({9, 9, 9, 9});
        EXPECT_EQ(v.SetFromString(c.text), c.count) << c.text;
        EXPECT_EQ(Components(v), c.expected) << c.text;
    }
    KXVECTOR pair(2);
    EXPECT_EQ(pair.SetFromString("(7,8,9)"), 2u);
    EXPECT_EQ(Components(pair), (std::vector<double>{7, 8}));
}

} // namespace
