// Tests of KXMATRIX and of the vector's in-place product with a matrix: dimensions and
// their errors, products, the transform setters (rotation order Rx·Ry·Rz, refusals after
// the reset to the identity), transposition and the bounded text form.
#include "kxmatrix.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

using geometry::Components;
using geometry::MessageOf;
using geometry::Near;
using geometry::Vector;

using ROWS = std::vector<std::vector<double>>;

constexpr double kPi = std::numbers::pi;

ROWS Rows(const KXMATRIX& m)
{
    ROWS rows(m.GetRows());
    for (std::uint32_t i = 0; i < m.GetRows(); ++i)
        for (std::uint32_t j = 0; j < m.GetColumns(); ++j)
            rows[i].push_back(*m.GetElement(i, j));
    return rows;
}

KXMATRIX Matrix(const ROWS& rows)
{
    KXMATRIX m(static_cast<std::uint32_t>(rows[0].size()), static_cast<std::uint32_t>(rows.size()));
    for (std::uint32_t i = 0; i < m.GetRows(); ++i)
        for (std::uint32_t j = 0; j < m.GetColumns(); ++j)
            *m.GetElement(i, j) = rows[i][j];
    return m;
}

::testing::AssertionResult NearRows(const KXMATRIX& m, const ROWS& expected)
{
    const ROWS actual = Rows(m);
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i) {
        same = actual[i].size() == expected[i].size();
        for (std::size_t j = 0; same && j < actual[i].size(); ++j)
            same = std::fabs(actual[i][j] - expected[i][j]) < 1e-12;
    }
    if (same)
        return ::testing::AssertionSuccess();
    char text[1024];
    return ::testing::AssertionFailure() << "got\n" << m.ToText(text, sizeof text);
}

KXMATRIX Rotation(double a, double b, double c, std::uint32_t n = 4)
{
    KXMATRIX m(n, n);
    m.SetRotation(Vector({a, b, c}));
    return m;
}

const ROWS kIdentity4 = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

TEST(Matrix, ConstructionCopyAndAssignment)
{
    const KXMATRIX m(3, 2);
    EXPECT_STREQ(m.GetName(), "KXMATRIX");
    EXPECT_EQ(Rows(m), (ROWS{{0, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(Rows(KXMATRIX()), (ROWS(4, std::vector<double>(4, 0.0))));

    KXMATRIX source = Matrix({{1, 2}, {3, 4}});
    source.SetName("RENAMED");
    const KXMATRIX copy(source);
    EXPECT_STREQ(copy.GetName(), "KXMATRIX");
    EXPECT_EQ(Rows(copy), Rows(source));

    KXMATRIX target(2, 2);
    target = source;
    EXPECT_STREQ(target.GetName(), "KXMATRIX");
    EXPECT_EQ(Rows(target), Rows(source));

    KXMATRIX small(3, 3);
    EXPECT_EQ(MessageOf([&] { small = KXMATRIX(4, 4); }),
              "Exception in operator= of KXMATRIX:Invalid dim");
    EXPECT_EQ(MessageOf([&] { small = KXMATRIX(3, 4); }),
              "Exception in operator= of KXMATRIX:Invalid dim");
}

TEST(Matrix, IsSquare)
{
    struct Case {
        unsigned columns, rows, n;
        bool square;
    };
    const Case cases[] = {
        {4, 4, 0, true}, {4, 4, 4, true}, {4, 4, 3, false}, {3, 4, 0, false}, {3, 4, 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KXMATRIX(c.columns, c.rows).IsSquare(c.n), c.square)
            << c.columns << "x" << c.rows << " " << c.n;
}

TEST(Matrix, TimesVector)
{
    const KXMATRIX m = Matrix({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(Components(m * Vector({1, 0, -1})), (std::vector<double>{-2, -2}));
    // A vector of the wrong size gives the zero vector of the row count, not an error.
    EXPECT_EQ(Components(m * Vector({1, 1})), (std::vector<double>{0, 0}));
    EXPECT_EQ(Components(m * KXVECTOR(1, 1, 1)), (std::vector<double>{0, 0}));
}

TEST(Matrix, TimesMatrix)
{
    const KXMATRIX a = Matrix({{1, 2}, {3, 4}, {5, 6}}); // 2 columns, 3 rows
    const KXMATRIX b = Matrix({{1, 0, 2}, {0, 1, 3}});   // 3 columns, 2 rows
    EXPECT_EQ(Rows(a * b), (ROWS{{1, 2, 8}, {3, 4, 18}, {5, 6, 28}}));
    EXPECT_EQ(Rows(b * a), (ROWS{{11, 14}, {18, 22}}));
    EXPECT_EQ(MessageOf([&] { (void)(b * b); }),
              "Exception in operator* of KXMATRIX:Mat. dim. doesn't match");

    KXMATRIX c = Matrix({{1, 2}, {3, 4}});
    c *= Matrix({{0, 1}, {1, 0}});
    EXPECT_EQ(Rows(c), (ROWS{{2, 1}, {4, 3}}));
    // A product of another size is refused by the assignment, after it is computed.
    EXPECT_EQ(MessageOf([&] { c *= b; }), "Exception in operator= of KXMATRIX:Invalid dim");
    EXPECT_EQ(Rows(c), (ROWS{{2, 1}, {4, 3}}));
}

TEST(Matrix, IdentityTranslationAndScale)
{
    KXMATRIX m(4, 4);
    EXPECT_EQ(Rows(m.SetIdentity()), kIdentity4);

    m.SetTranslation(KXVECTOR(5, 6, 7));
    EXPECT_EQ(Rows(m), (ROWS{{1, 0, 0, 5}, {0, 1, 0, 6}, {0, 0, 1, 7}, {0, 0, 0, 1}}));
    EXPECT_EQ(MessageOf([&] {
                  m.SetTranslation(Vector({1, 2, 3}));
              }),
              "Exception in SetTranslation of KXMATRIX:Vect. dim. doesn't match");
    EXPECT_EQ(Rows(m)[0][3], 5.0) << "unchanged";
    m.SetTranslation(Vector({1, 2, 3, 0}));
    EXPECT_EQ(Rows(m)[3][3], 0.0);

    m.SetScale(Vector({2, 3, 4, 1}));
    EXPECT_EQ(Rows(m), (ROWS{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}}));
    EXPECT_EQ(MessageOf([&] {
                  m.SetScale(Vector({1, 2}));
              }),
              "Exception in SetScale of KXMATRIX:Vect. dim. doesn't match");

    KXMATRIX tall(3, 4);
    const std::string noSquare = "Exception in SetIdentity of KXMATRIX:No square KXMATRIX";
    EXPECT_EQ(MessageOf([&] { tall.SetIdentity(); }), noSquare);
    EXPECT_EQ(MessageOf([&] { tall.SetTranslation(Vector({1, 2, 3, 1})); }), noSquare);
    EXPECT_EQ(MessageOf([&] { tall.SetRotation(Vector({1, 2, 3})); }), noSquare);
}

TEST(Matrix, RotationsAboutEachAxis)
{
    struct Case {
        double a, b, c;
        ROWS expected;
    };
    const Case cases[] = {
        {0, 0, kPi / 2, {{0, -1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
        {kPi / 2, 0, 0, {{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}}},
        {0, kPi / 2, 0, {{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}}},
        {0, 0, 0, kIdentity4},
    };
    for (const Case& c : cases) {
        KXMATRIX m(4, 4);
        m.SetTranslation(KXVECTOR(9, 9, 9)); // discarded: every setter starts afresh
        m.SetRotation(Vector({c.a, c.b, c.c}));
        EXPECT_TRUE(NearRows(m, c.expected)) << c.a << " " << c.b << " " << c.c;
    }
}

TEST(Matrix, RotationComposesAsRxRyRz)
{
    const double a = 0.3, b = -1.1, c = 2.2;
    KXMATRIX expected = Rotation(a, 0, 0);
    expected *= Rotation(0, b, 0);
    expected *= Rotation(0, 0, c);
    EXPECT_TRUE(NearRows(Rotation(a, b, c), Rows(expected)));

    KXMATRIX reversed = Rotation(0, b, 0);
    reversed *= Rotation(a, 0, 0);
    EXPECT_FALSE(NearRows(Rotation(a, b, 0), Rows(reversed)));
}

TEST(Matrix, RotationRefusalsLeaveTheIdentity)
{
    struct Case {
        unsigned side;
        std::vector<double> angles;
        const char* message;
    };
    const Case cases[] = {
        {4, {1, 2}, "Exception in SetRotation of KXMATRIX:Invalid parameter"},
        {1, {1, 2, 3}, "Exception in SetRotation of KXMATRIX:KXMATRIX dim <2"},
        // A plane matrix has no third row for the rotations about the first two axes.
        {2, {0.5, 0, 0}, "Exception in SetRotation of KXMATRIX:KXMATRIX dim <3"},
        {2, {0, 0.5, 1}, "Exception in SetRotation of KXMATRIX:KXMATRIX dim <3"},
    };
    for (const Case& c : cases) {
        KXMATRIX m(c.side, c.side);
        *m.GetElement(0, 0) = 7;
        EXPECT_EQ(MessageOf([&] { m.SetRotation(Vector(c.angles)); }), c.message);
        KXMATRIX identity(c.side, c.side);
        EXPECT_EQ(Rows(m), Rows(identity.SetIdentity())) << c.message;
    }
}

TEST(Matrix, PlaneRotation)
{
    const double c = 0.7;
    EXPECT_TRUE(
        NearRows(Rotation(0, 0, c, 2), {{std::cos(c), -std::sin(c)}, {std::sin(c), std::cos(c)}}));
}

TEST(Matrix, Transpose)
{
    KXMATRIX square = Matrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    EXPECT_EQ(Rows(square.Transpose()), (ROWS{{1, 4, 7}, {2, 5, 8}, {3, 6, 9}}));
    KXMATRIX wide = Matrix({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(Rows(wide.Transpose().Self()), (ROWS{{1, 2, 3}, {4, 5, 6}}));
}

TEST(Matrix, ToTextStaysWithinItsBuffer)
{
    KXMATRIX m(2, 2);
    m.SetIdentity();
    char text[64];
    EXPECT_STREQ(m.ToText(text, sizeof text), " 1.0 0.0\n 0.0 1.0\n");

    // A short buffer gets the text cut to fit, still terminated.
    char shortText[7];
    std::memset(shortText, 'x', sizeof shortText);
    EXPECT_STREQ(m.ToText(shortText, sizeof shortText), " 1.0 0");

    // Elements of any size are formatted without overrunning the buffer.
    KXMATRIX huge(4, 4);
    *huge.GetElement(3, 3) = -1e308;
    std::vector<char> big(2000);
    const std::string all = huge.ToText(big.data(), big.size());
    EXPECT_EQ(all.substr(0, 17), " 0.0 0.0 0.0 0.0\n");
    EXPECT_EQ(all.substr(all.size() - 3), ".0\n");
    const int hugePiece = std::snprintf(nullptr, 0, " %0.1f", -1e308);
    EXPECT_EQ(all.size(), 15 * std::strlen(" 0.0") + 4 + static_cast<std::size_t>(hugePiece));
    char small[32];
    EXPECT_EQ(std::strlen(huge.ToText(small, sizeof small)), 31u);
}

TEST(Matrix, VectorTimesMatrixInPlace)
{
    KXVECTOR v = Vector({0, 0, -1, 0});
    v *= Rotation(0, kPi / 2, 0);
    EXPECT_TRUE(Near(v, {-1, 0, 0, 0}));

    struct Case {
        ROWS matrix;
        std::vector<double> v, expected;
    };
    const Case cases[] = {
        {{{1, 2}, {3, 4}}, {1, 1}, {3, 7}},
        {{{1, 2, 3}}, {1, 1}, {1, 1}},                   // columns differ: unchanged
        {{{1, 1, 1}, {2, 2, 2}}, {1, 2, 3}, {6, 12, 0}}, // fewer rows: the rest is 0
        {{{1, 1}, {2, 2}, {3, 3}}, {1, 2}, {1, 2}},      // more rows: unchanged
    };
    for (const Case& c : cases) {
        KXVECTOR u = Vector(c.v);
        u *= Matrix(c.matrix);
        EXPECT_EQ(Components(u), c.expected);
    }
}

} // namespace
