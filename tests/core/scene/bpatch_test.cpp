// Tests of the Bezier patch: rows of curves cut from one array of control points, the
// empty patch that no control points make, and the release of its rows.
#include "kxbpatch.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using geometry::Components;
using geometry::Near;

// A plain array, as the patch takes its points. (A std::vector would destroy each point
// by an explicit destructor call, which the compiler flags: KXVECTOR's is not virtual.)
std::unique_ptr<KXVECTOR[]> Points(int count)
{
    auto points = std::make_unique<KXVECTOR[]>(count);
    for (int i = 0; i < count; ++i)
        points[i] = KXVECTOR(i, 10.0 * i, -i);
    return points;
}

void ExpectEndPoints(KXBCURVE* row, int first, int last)
{
    ASSERT_NE(row, nullptr);
    KXVECTOR at(4);
    row->GetPoint(at, 0.0);
    EXPECT_TRUE(Near(at, {1.0 * first, 10.0 * first, -1.0 * first, 1}));
    row->GetPoint(at, 1.0);
    EXPECT_TRUE(Near(at, {1.0 * last, 10.0 * last, -1.0 * last, 1}));
}

TEST(BPatch, EachRowTakesItsShareOfThePoints)
{
    const auto points = Points(6);
    KXBPATCH patch(3, 2, points.get());
    EXPECT_STREQ(patch.GetName(), "KXBPATCH");
    EXPECT_EQ(patch.GetType(), KXTYPE_BPATCH);
    EXPECT_EQ(patch.IsVisible(), 1);
    EXPECT_EQ(patch.GetPointsPerRow(), 3u);
    ASSERT_EQ(patch.GetRowCount(), 2u);
    EXPECT_EQ(patch.GetRow(0)->GetPointCount(), 3u);
    ExpectEndPoints(patch.GetRow(0), 0, 2);
    ExpectEndPoints(patch.GetRow(1), 3, 5);
    EXPECT_EQ(patch.GetRow(2), nullptr);
}

TEST(BPatch, RowsOfOnePoint)
{
    const auto points = Points(2);
    KXBPATCH patch(1, 2, points.get());
    ExpectEndPoints(patch.GetRow(0), 0, 0);
    ExpectEndPoints(patch.GetRow(1), 1, 1);
}

// Without control points there is nothing to cut into rows: the patch is empty instead
// of reading through a null array or building curves of no point.
TEST(BPatch, NoControlPointsMakeAnEmptyPatch)
{
    const auto points = Points(6);
    struct Case {
        std::uint32_t m, n;
        const KXVECTOR* points;
    };
    const Case cases[] = {
        {3, 2, nullptr},       {3, 1, nullptr}, {0, 2, points.get()},
        {3, 0, points.get()}, {0, 0, nullptr},
    };
    for (const Case& c : cases) {
        KXBPATCH patch(c.m, c.n, c.points);
        EXPECT_STREQ(patch.GetName(), "KXBPATCH");
        EXPECT_EQ(patch.GetPointsPerRow(), 0u) << c.m << "x" << c.n;
        EXPECT_EQ(patch.GetRowCount(), 0u) << c.m << "x" << c.n;
        EXPECT_EQ(patch.GetRow(0), nullptr) << c.m << "x" << c.n;
    }
}

TEST(BPatch, FreeRowsLeavesAnEmptyPatch)
{
    const auto points = Points(4);
    KXBPATCH patch(2, 2, points.get());
    patch.FreeRows();
    EXPECT_EQ(patch.GetRowCount(), 0u);
    EXPECT_EQ(patch.GetRow(0), nullptr);
    patch.FreeRows();
    // The destructor frees whatever rows are left: with the sanitizer, nothing leaks here
    // or in the tests above.
}

TEST(BPatch, ClearPointsZeroesXYZAndKeepsW)
{
    KXBPATCH patch(0, 0, nullptr);
    KXVECTOR out(4);
    out.Set(5, 6, 7, 8);
    patch.ClearPoints(out, 0.5, 0.25);
    EXPECT_EQ(Components(out), (std::vector<double>{0, 0, 0, 8}));
}

} // namespace
