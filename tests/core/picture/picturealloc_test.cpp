// The picture when memory runs out: the 1st, 2nd, ... allocation of an operation fails in
// turn (alone, and with every one after it), and each time the operation either succeeds
// with the pixels it gives with memory to spare, or refuses with the picture as it was;
// never an exception, never a half-changed picture.
#include "picturetestutil.h"

#include "failnth.h"
#include "kxcollection.h"
#include "kxpicture.h"
#include "kxspareblocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// Everything an operation may change.
struct STATE {
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t depth;
    KXMASKS masks;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> palette;

    bool operator==(const STATE&) const = default;
};

STATE StateOf(const KXPICTURE& p)
{
    std::vector<std::uint8_t> palette;
    if (p.GetPalette() != nullptr)
        palette.assign(p.GetPalette(), p.GetPalette() + 4 * std::size_t{p.GetPaletteSize()});
    return {p.GetWidth(), p.GetHeight(), p.GetDepth(), p.GetMasks(), PixelValues(p), palette};
}

struct OPERATION {
    std::string name;
    PICTUREFORMAT format;
    std::uint32_t width;
    std::uint32_t height;
    std::function<bool(KXPICTURE&)> run;
    bool allocates; // whether it must reach an allocation at all
};

void Make(KXPICTURE& p, const OPERATION& op)
{
    std::mt19937 random(19);
    MakeRandom(p, op.width, op.height, op.format, random);
}

bool Smoothed(KXPICTURE& p, void (KXPICTURE::*pass)())
{
    (p.*pass)();
    return true;
}

const PICTUREFORMAT viewers{32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}};
const PICTUREFORMAT offBytes{32, {0xFF0, 0xFF000, 0xFF00000, 0}};
const PICTUREFORMAT bgr{24, {0xFF0000, 0xFF00, 0xFF, 0}};

const std::vector<OPERATION>& Operations()
{
    using P = KXPICTURE;
    static const std::vector<OPERATION> operations = {
        // Conversions: through a table of every index, a table of every 16-bit value, a
        // table per channel, moving bytes, and pixel by pixel.
        {"8 to 32", {8, {0, 0, 0, 0}, 256}, 9, 5,
         [](P& p) { return p.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000); }, true},
        {"16 to 24", {16, {0xF800, 0x7E0, 0x1F, 0}}, 257, 256,
         [](P& p) { return p.ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0); }, true},
        {"24 to 16", bgr, 9, 5, [](P& p) { return p.ConvertDepth(16, 0x1F, 0x7E0, 0xF800, 0); },
         true},
        {"24 to 32", bgr, 9, 5,
         [](P& p) { return p.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000); }, true},
        {"32 in place", viewers, 9, 5,
         [](P& p) { return p.ConvertDepth(32, 0x3FF00000, 0xFFC00, 0x3FF, 0); }, true},
        {"32 to YCbCr", offBytes, 9, 5,
         [](P& p) { return p.ConvertDepth(KXDEPTH_YCBCR24, 0xFF, 0xFF00, 0xFF0000, 0); }, true},
        // Resizing, doubling, smoothing and flipping.
        {"resize", viewers, 5, 3, [](P& p) { return p.Resize(7, 4); }, true},
        {"resize 1 bit", {1, {0, 0, 0, 0}, 2}, 11, 3, [](P& p) { return p.Resize(4, 9); }, true},
        {"double 5", bgr, 5, 3, [](P& p) { return p.DoubleSize(5); }, true},
        {"double 9 off bytes", offBytes, 5, 3, [](P& p) { return p.DoubleSize(9); }, true},
        {"double 3 16 bit", {16, {0x1F, 0x7E0, 0xF800, 0}}, 4, 3,
         [](P& p) { return p.DoubleSize(3); }, true},
        {"smooth 3", viewers, 6, 5, [](P& p) { return Smoothed(p, &P::Smooth3); }, false},
        {"smooth 5 off bytes", offBytes, 6, 5, [](P& p) { return Smoothed(p, &P::Smooth5); },
         false},
        {"smooth 9 YCbCr", {KXDEPTH_YCBCR32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}}, 6, 5,
         [](P& p) { return Smoothed(p, &P::Smooth9); }, false},
        {"flip", bgr, 5, 4,
         [](P& p) {
             p.VFlip();
             return true;
         },
         false},
    };
    return operations;
}

TEST(PictureAllocationFailure, EveryOperationSucceedsOrLeavesThePictureAsItWas)
{
    for (const OPERATION& op : Operations()) {
        KXPICTURE unbroken;
        Make(unbroken, op);
        ASSERT_TRUE(op.run(unbroken)) << op.name;
        const STATE expected = StateOf(unbroken);
        for (const bool rest : {false, true}) {
            int failures = 0;
            for (int n = 1;; ++n) {
                KXPICTURE p;
                Make(p, op);
                const STATE before = StateOf(p);
                bool result = false;
                bool threw = false;
                bool reached = false;
                {
                    FAILNTH failing(n, rest);
                    try {
                        result = op.run(p);
                    } catch (...) {
                        threw = true;
                    }
                    reached = FAILNTH::Reached();
                }
                const std::string where =
                    op.name + ", allocation " + std::to_string(n) + (rest ? " and on" : "");
                if (threw) {
                    ADD_FAILURE() << where << ": an exception escaped";
                    break;
                }
                if (!reached) {
                    EXPECT_TRUE(result) << where;
                    EXPECT_TRUE(StateOf(p) == expected) << where;
                    break;
                }
                ++failures;
                if (result) {
                    EXPECT_TRUE(StateOf(p) == expected) << where << ": a wrong result";
                } else {
                    EXPECT_TRUE(StateOf(p) == before) << where << ": a half-changed picture";
                }
            }
            if (op.allocates) {
                EXPECT_GE(failures, 1) << op.name << " never reached an allocation";
            }
        }
    }
}

// A size beyond the largest picture is refused before anything is allocated: no pixel
// buffer, and none of the tables of source rows and columns that grow with the new size
// either (asked for 4294967295 × 1, a 46 × 5 picture once filled 16 GB of them before its
// buffer was refused). The limit stands in for a machine that has no such memory.
TEST(PictureAllocationLimit, ASizeNoPictureHoldsIsRefusedBeforeAnyAllocation)
{
    struct SIZE {
        std::uint32_t width;
        std::uint32_t height;
    };
    const SIZE sizes[] = {{4294967295u, 1}, {2147483647u, 1}, {1, 4294967295u},
                          {65536, 65536},   {16384, 8193},    {134217729u, 1}};
    const PICTUREFORMAT formats[] = {{1, {0, 0, 0, 0}, 2}, {8, {0, 0, 0, 0}, 256}, bgr, viewers};
    for (const PICTUREFORMAT& format : formats) {
        for (const SIZE& size : sizes) {
            KXPICTURE p;
            std::mt19937 random(5);
            MakeRandom(p, 46, 5, format, random);
            const STATE before = StateOf(p);
            bool resized = true;
            std::size_t largest = 0;
            {
                ALLOCATIONLIMIT limit(std::size_t{1} << 20);
                resized = p.Resize(size.width, size.height);
                largest = ALLOCATIONLIMIT::LargestAsked();
            }
            const std::string where = std::to_string(format.depth) + " bits to " +
                                      std::to_string(size.width) + " x " +
                                      std::to_string(size.height);
            EXPECT_FALSE(resized) << where;
            EXPECT_EQ(largest, 0u) << where;
            EXPECT_TRUE(StateOf(p) == before) << where;
        }
    }
}

// The largest picture is one bound for every operation that makes pixels: a picture of
// exactly that many pixels can be created and resized to; one row more is refused by
// Create, Resize and DoubleSize alike, before anything is allocated. At one bit a pixel
// the largest picture costs 16 MiB.
TEST(PictureAllocationLimit, TheLargestPictureIsOneBoundForEveryOperation)
{
    EXPECT_EQ(KXPICTURE::kLargestPicture, std::uint64_t{16384} * 8192);
    KXPICTURE p;
    EXPECT_FALSE(p.Create(16384, 8193, 1));
    EXPECT_FALSE(KXPICTURE::CanHold(16384, 8193, 1));
    EXPECT_TRUE(KXPICTURE::CanHold(16384, 8192, 32));
    ASSERT_TRUE(p.Create(4, 4, 1));
    std::memset(p.GetData(), 0xA5, p.GetDataSize());
    {
        ALLOCATIONLIMIT limit(std::size_t{1} << 20);
        EXPECT_FALSE(p.Resize(16384, 8193));
        EXPECT_EQ(ALLOCATIONLIMIT::LargestAsked(), 0u);
    }
    EXPECT_EQ(p.GetWidth(), 4u);
    ASSERT_TRUE(p.Resize(16384, 8192));
    EXPECT_EQ(p.GetDataSize(), 16384u * 8192 / 8);
    // Doubled, a quarter of the largest picture and one row more is too large: at one bit
    // a pixel it would be refused only by the bound, not for its bytes.
    for (const std::uint16_t depth : {1, 8}) {
        KXPICTURE quarter;
        ASSERT_TRUE(quarter.Create(8192, 4097, depth));
        std::memset(quarter.GetData(), 0x3C, quarter.GetDataSize());
        const std::uint8_t* pixels = quarter.GetData();
        {
            ALLOCATIONLIMIT limit(std::size_t{1} << 20);
            EXPECT_FALSE(quarter.DoubleSize(5)) << depth;
            EXPECT_EQ(ALLOCATIONLIMIT::LargestAsked(), 0u) << depth;
        }
        EXPECT_EQ(quarter.GetWidth(), 8192u);
        EXPECT_EQ(quarter.GetHeight(), 4097u);
        EXPECT_EQ(quarter.GetData(), pixels);
    }
}

std::vector<int> Contents(KXCOLLECTION<int>& list)
{
    std::vector<int> items;
    for (int i = 0; i < list.GetCount(); ++i)
        items.push_back(list[i]);
    return items;
}

// A contour is the whole contour or, out of memory, none: a list with a gap in it would
// send the VORN project off along a boundary that is not there.
TEST(PictureAllocationFailure, TracingARegionGivesTheWholeContourOrNone)
{
    KXPICTURE p;
    p.Create(9, 9, 32);
    KXCOLOR white;
    white.Set(255, 255, 255, 0);
    p.Fill(white);
    KXCOLLECTION<int> list;
    const int count = p.TraceRegion(list, 4, 4, 0.9);
    ASSERT_GT(count, 0);
    const std::vector<int> expected = Contents(list);
    const STATE pixels = StateOf(p);
    for (const bool rest : {false, true}) {
        int failures = 0;
        for (int n = 1;; ++n) {
            KXPICTURE traced;
            CopyPicture(p, traced);
            KXCOLLECTION<int> found;
            int result = -1;
            bool threw = false;
            bool reached = false;
            {
                FAILNTH failing(n, rest);
                try {
                    result = traced.TraceRegion(found, 4, 4, 0.9);
                } catch (...) {
                    threw = true;
                }
                reached = FAILNTH::Reached();
            }
            const std::string where =
                "allocation " + std::to_string(n) + (rest ? " and on" : "");
            ASSERT_FALSE(threw) << where;
            EXPECT_EQ(result, found.GetCount()) << where;
            if (result != 0) {
                EXPECT_EQ(Contents(found), expected) << where;
            }
            EXPECT_TRUE(StateOf(traced) == pixels) << where;
            if (!reached) {
                EXPECT_EQ(result, count) << where;
                break;
            }
            ++failures;
        }
        EXPECT_GE(failures, 1);
    }
}

// Constructing a picture scans the current directory for image loaders: out of memory on
// the way, it is still an empty picture, with fewer loaders or none.
TEST(PictureAllocationFailure, ConstructionGivesAnEmptyPicture)
{
    int failures = 0;
    for (const bool rest : {false, true}) {
        for (int n = 1;; ++n) {
            bool threw = false;
            bool empty = false;
            bool reached = false;
            {
                FAILNTH failing(n, rest);
                try {
                    KXPICTURE p;
                    empty = p.GetWidth() == 0 && p.GetData() == nullptr && p.GetDepth() == 0;
                } catch (...) {
                    threw = true;
                }
                reached = FAILNTH::Reached();
            }
            ASSERT_FALSE(threw) << "allocation " << n << (rest ? " and on" : "");
            EXPECT_TRUE(empty) << "allocation " << n;
            if (!reached)
                break;
            ++failures;
        }
    }
    EXPECT_GE(failures, 1);
}

// A buffer the memory manager refuses while the shelf holds blocks that do not fit it:
// the shelf gives them back and the request is made again, which the memory they held may
// now serve. The first allocation fails, as if memory had run short; the second, after
// the shelf emptied, is given.
TEST(PictureAllocationFailure, ARefusedBufferIsAskedForAgainOnceTheShelfIsEmptied)
{
    SpareBlocks().Open();
    KXPICTURE kept;
    ASSERT_TRUE(kept.Create(1024, 1024, 32)); // 4 MiB, kept when it is freed
    kept.Reset();
    ASSERT_EQ(SpareBlocks().KeptBlocks(), 1u);
    KXPICTURE p;
    bool made = false;
    {
        FAILNTH failing(1);
        made = p.Create(2048, 1024, 32); // 8 MiB: no kept block fits
        EXPECT_TRUE(FAILNTH::Reached());
    }
    EXPECT_TRUE(made);
    EXPECT_NE(p.GetData(), nullptr);
    EXPECT_EQ(SpareBlocks().KeptBlocks(), 0u);
    p.Reset();
    SpareBlocks().ReleaseAll();
}

} // namespace
