// The drawing calls against pixels worked out by hand.
#include "gdi_helpers.h"

#include <gtest/gtest.h>

using namespace kxgdi;

namespace {

using ROWS = std::vector<std::string>;

struct STRETCHCASE {
    const char* what;
    int x, y, width, height;
    int sx, sy, sourceWidth, sourceHeight;
    ROWS expected;
};

TEST(Stretch, CopiesNearestPixelsMirrorsAndClips)
{
    const STRETCHCASE cases[] = {
        {"double size", 0, 0, 4, 4, 0, 0, 2, 2, {"AABB", "AABB", "CCDD", "CCDD"}},
        {"negative source width mirrors",
         0,
         0,
         4,
         4,
         2,
         0,
         -2,
         2,
         {"BBAA", "BBAA", "DDCC", "DDCC"}},
        {"negative destination height flips",
         0,
         4,
         4,
         -4,
         0,
         0,
         2,
         2,
         {"CCDD", "CCDD", "AABB", "AABB"}},
        {"negative source height flips", 0, 0, 4, 4, 0, 2, 2, -2, {"CCDD", "CCDD", "AABB", "AABB"}},
        {"both negative do not mirror", 0, 4, 4, -4, 0, 2, 2, -2, {"AABB", "AABB", "CCDD", "CCDD"}},
        {"shrinking samples pixel centres",
         0,
         0,
         1,
         1,
         0,
         0,
         2,
         2,
         {"D...", "....", "....", "...."}},
        {"source outside the bitmap draws nothing there",
         0,
         0,
         4,
         2,
         1,
         0,
         2,
         2,
         {"BB..", "DD..", "....", "...."}},
        {"destination clipped to the surface",
         -1,
         -1,
         4,
         4,
         0,
         0,
         2,
         2,
         {"ABB.", "CDD.", "CDD.", "...."}},
        {"zero extent draws nothing", 0, 0, 0, 4, 0, 0, 2, 2, {"....", "....", "....", "...."}},
    };
    // The same picture as rows of indices, bottom row first, and the surface pixels of
    // A, B, C and D (red in the third byte).
    const std::uint8_t indices[] = {2, 3, 0, 1};
    std::uint32_t colours[256] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    const INDEXEDROWS rows{indices, 2, 2, colours};
    for (const STRETCHCASE& c : cases) {
        SECTION source(2, -2), dest(4, 4), fromIndices(4, 4);
        Paint(source.dc, {"AB", "CD"});
        EXPECT_TRUE(StretchBlt(dest.dc, c.x, c.y, c.width, c.height, source.dc, c.sx, c.sy,
                               c.sourceWidth, c.sourceHeight, SRCCOPY))
            << c.what;
        EXPECT_EQ(Picture(dest.dc, 4, 4), c.expected) << c.what;
        EXPECT_TRUE(StretchIndexed(fromIndices.dc, c.x, c.y, c.width, c.height, rows, c.sx, c.sy,
                                   c.sourceWidth, c.sourceHeight))
            << c.what;
        EXPECT_EQ(Picture(fromIndices.dc, 4, 4), c.expected) << "from indices: " << c.what;
    }
}

TEST(Stretch, OverlappingCopyWithinOneSurfaceReadsTheOldPixels)
{
    SECTION section(4, 1);
    Paint(section.dc, {"ABCD"});
    StretchBlt(section.dc, 0, 0, 4, 1, section.dc, 4, 0, -4, 1, SRCCOPY);
    EXPECT_EQ(Picture(section.dc, 4, 1), ROWS{"DCBA"});
}

TEST(Blit, CopiesWithoutScalingAndClipsTheSource)
{
    SECTION source(2, 2), dest(4, 4);
    Paint(source.dc, {"AB", "CD"});
    EXPECT_TRUE(BitBlt(dest.dc, 1, 1, 2, 2, source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Picture(dest.dc, 4, 4), (ROWS{"....", ".AB.", ".CD.", "...."}));

    SECTION shifted(4, 4);
    BitBlt(shifted.dc, 0, 0, 2, 2, source.dc, 1, 1, SRCCOPY);
    EXPECT_EQ(Picture(shifted.dc, 4, 4), (ROWS{"D...", "....", "....", "...."}));
}

TEST(Pixel, GetReturnsWhatWasSetAndRowsLieAsTheHeaderSays)
{
    SECTION bottomUp(3, 2), topDown(3, -2);
    for (SECTION* s : {&bottomUp, &topDown}) {
        EXPECT_EQ(SetPixel(s->dc, 1, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
        EXPECT_EQ(GetPixel(s->dc, 1, 0), RGB(1, 2, 3));
        EXPECT_EQ(GetPixel(s->dc, 3, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(s->dc, 0, -1), CLR_INVALID);
        EXPECT_EQ(SetPixel(s->dc, 0, 2, RGB(1, 2, 3)), CLR_INVALID);
    }
    // A DIB pixel holds blue in its lowest byte; a bottom-up section keeps the top row last.
    EXPECT_EQ(bottomUp.bits[3 + 1], 0x010203u);
    EXPECT_EQ(topDown.bits[1], 0x010203u);
}

TEST(Line, DrawsWithThePenAndLeavesOutTheLastPixel)
{
    SECTION s(6, 5);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xFF, 0, 0));
    HPEN stock = SelectObject(s.dc, pen);
    MoveTo(s.dc, 0, 0);
    LineTo(s.dc, 4, 0); // right
    LineTo(s.dc, 4, 3); // down
    MoveTo(s.dc, 0, 1);
    LineTo(s.dc, 3, 4); // diagonal
    MoveTo(s.dc, 5, 4);
    LineTo(s.dc, 5, 4); // no length: nothing
    EXPECT_EQ(Picture(s.dc, 6, 5), (ROWS{"AAAAA.", "A...A.", ".A..A.", "..A...", "......"}));
    POINT previous;
    MoveTo(s.dc, 0, 0, &previous);
    EXPECT_EQ(previous.x, 5);
    EXPECT_EQ(previous.y, 4);
    SelectObject(s.dc, stock);
    DeleteObject(pen);
}

TEST(Line, ClosedPolygonDrawsEachVertexOnce)
{
    SECTION s(4, 4);
    SelectObject(s.dc, CreatePen(PS_SOLID, 1, RGB(0xFF, 0xFF, 0xFF)));
    const POINT corners[] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}, {0, 0}};
    MoveTo(s.dc, corners[0].x, corners[0].y);
    for (const POINT& p : corners)
        LineTo(s.dc, p.x, p.y);
    EXPECT_EQ(Picture(s.dc, 4, 4), (ROWS{"HHHH", "H..H", "H..H", "HHHH"}));
}

TEST(Fill, FillsClippedAndLeavesTheBackgroundColourAtTheFill)
{
    SECTION s(3, 3);
    SetBkColor(s.dc, RGB(0, 0, 0));
    FillSolidRect(s.dc, {1, 1, 5, 5}, RGB(0xFF, 0, 0));
    EXPECT_EQ(Picture(s.dc, 3, 3), (ROWS{"...", ".AA", ".AA"}));
    EXPECT_EQ(SetBkColor(s.dc, 0), RGB(0xFF, 0, 0));
}

TEST(Edge, BumpOnAllFourSides)
{
    SECTION s(8, 7);
    const RECT rect{1, 1, 7, 6};
    EXPECT_TRUE(DrawEdge(s.dc, &rect, EDGE_BUMP, BF_RECT));
    EXPECT_EQ(Picture(s.dc, 8, 7), (ROWS{"........", ".LLLLLK.", ".LKKKLK.", ".LK..LK.", ".LLLLLK.",
                                         ".KKKKKK.", "........"}));
}

} // namespace
