// The picture commands when memory runs out: a resize or a doubling whose new pixels
// cannot be had says so, with the picture as it was. A size at the largest picture's
// bound is tried, not refused as too large.
#include "failnth.h"

#include "pictureedit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace {

void Paint(KXPICTURE& picture)
{
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(i * 37);
}

std::vector<std::uint8_t> Bytes(const KXPICTURE& picture)
{
    return {picture.GetData(), picture.GetData() + picture.GetDataSize()};
}

TEST(PictureEditAllocation, PixelsThatCannotBeHadLeaveThePictureAsItWas)
{
    const struct {
        const char* what;
        std::function<KXEDIT(KXPICTURE&)> edit;
    } cases[] = {
        {"resize", [](KXPICTURE& p) { return ResizePicture(p, 64, 48); }},
        {"double size", [](KXPICTURE& p) { return DoubleSizePicture(p, 5); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KXPICTURE picture;
        ASSERT_TRUE(picture.Create(5, 3, 32));
        Paint(picture);
        const std::vector<std::uint8_t> before = Bytes(picture);
        {
            // The edit's first allocation is its new pixels.
            const FAILNTH failing(1);
            EXPECT_EQ(c.edit(picture), KXEDIT::NOMEMORY);
            EXPECT_TRUE(FAILNTH::Reached());
        }
        EXPECT_EQ(picture.GetWidth(), 5u);
        EXPECT_EQ(picture.GetHeight(), 3u);
        EXPECT_EQ(Bytes(picture), before);
        EXPECT_EQ(c.edit(picture), KXEDIT::DONE) << "with memory it is done";
    }
}

TEST(PictureEditAllocation, TheLargestPictureIsAskedForNotRefused)
{
    // No allocation succeeds: the edit reaches the allocation of its pixels, and what the
    // user hears is that memory ran out, not that the size was too large.
    KXPICTURE small;
    ASSERT_TRUE(small.Create(5, 3, 32));
    // A byte a pixel: doubled, it has the largest picture's pixels.
    KXPICTURE quarter;
    ASSERT_TRUE(quarter.Create(8192, 4096, 8));
    {
        const FAILNTH failing(1, true);
        EXPECT_EQ(ResizePicture(small, 16384, 8192), KXEDIT::NOMEMORY);
        EXPECT_EQ(ResizePicture(small, std::int64_t{1} << 27, 1), KXEDIT::NOMEMORY);
        EXPECT_EQ(DoubleSizePicture(quarter, 5), KXEDIT::NOMEMORY);
    }
    EXPECT_EQ(small.GetWidth(), 5u);
    EXPECT_EQ(quarter.GetWidth(), 8192u);
}

} // namespace
