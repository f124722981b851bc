// Tests of the mesh records KXVERTEX and KXFACE: their initial state, the face's index
// array through the memory manager (refused counts leave it as it was) and its normal.
#include "kxvertex.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using geometry::AllNaN;
using geometry::Components;
using geometry::Near;

TEST(Vertex, NewVertex)
{
    KXVERTEX v;
    EXPECT_STREQ(v.GetName(), "KXVERTEX");
    EXPECT_EQ(v.GetType(), KXTYPE_NULLOBJECT);
    EXPECT_EQ(Components(v.GetPosition()), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(Components(v.GetNormal()), (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(v.GetColor().ToPixel32(), 0u);
}

TEST(Face, NewFace)
{
    KXFACE f;
    EXPECT_STREQ(f.GetName(), "KXFACE");
    EXPECT_EQ(f.GetVertexCount(), 0u);
    EXPECT_EQ(f.GetIndices(), nullptr);
    EXPECT_EQ(Components(f.GetNormal()), (std::vector<double>{0, 0, 0, 0}));
}

TEST(Face, SetVertexCountReplacesTheIndexArray)
{
    KXFACE f;
    f.SetVertexCount(4);
    ASSERT_NE(f.GetIndices(), nullptr);
    EXPECT_EQ(f.GetVertexCount(), 4u);
    EXPECT_EQ(std::vector<std::uint32_t>(f.GetIndices(), f.GetIndices() + 4),
              (std::vector<std::uint32_t>{0, 0, 0, 0}));
    f.GetIndices()[3] = 7;

    // Counts that cannot be an array are refused before anything is freed.
    for (int refused : {-1, INT_MIN, INT_MAX / 4 + 1, INT_MAX}) {
        f.SetVertexCount(refused);
        EXPECT_EQ(f.GetVertexCount(), 4u) << refused;
        EXPECT_EQ(f.GetIndices()[3], 7u) << refused;
    }

    f.SetVertexCount(2);
    EXPECT_EQ(f.GetVertexCount(), 2u);
    EXPECT_EQ(f.GetIndices()[1], 0u);
    f.SetVertexCount(0);
    EXPECT_EQ(f.GetVertexCount(), 0u);
}

TEST(Face, ComputeNormalOfTheThreeVerticesFromTheFirst)
{
    struct Case {
        double corners[3][3];
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 0, 1, 0}},
        {{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {0, 0, -1, 0}},
        {{{1, 1, 1}, {1, 3, 1}, {1, 1, 5}}, {1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        KXVERTEX vertices[4];
        for (int i = 0; i < 3; ++i)
            vertices[i].SetPosition(c.corners[i][0], c.corners[i][1], c.corners[i][2]);
        KXFACE f;
        f.SetVertexCount(3);
        EXPECT_TRUE(Near(f.ComputeNormal(vertices), c.expected));
    }

    // A degenerate triangle normalises a zero vector.
    KXVERTEX flat[3];
    KXFACE f;
    f.SetVertexCount(4);
    EXPECT_TRUE(AllNaN(f.ComputeNormal(flat)));
}

TEST(Face, ComputeNormalWithFewerThanThreeEntriesReadsNoVertex)
{
    for (int count : {0, 1, 2}) {
        KXFACE f;
        f.SetVertexCount(count);
        f.GetNormal().Set(1, 2, 3, 4);
        // No vertex array at all: a read would fail.
        KXVECTOR& normal = f.ComputeNormal(nullptr);
        EXPECT_EQ(&normal, &f.GetNormal());
        EXPECT_EQ(Components(normal), (std::vector<double>{1, 2, 3, 4})) << count;
    }
}

} // namespace
