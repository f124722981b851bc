// The picture commands' bounds on their own: the largest picture an edit may make, the
// same as the bitmap reader's for a file, checked without allocating anything.
#include "pictureedit.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(PictureEdit, LargestPictureIsTheBitmapReadersBound)
{
    EXPECT_EQ(LargestPicture(), std::uint64_t{16384} * 8192);
}

TEST(PictureEdit, SizesBeyondTheLargestPictureAreRefusedBeforeAnyAllocation)
{
    const struct {
        std::int64_t width, height;
        KXEDIT result;
    } cases[] = {
        {16384, 8193, KXEDIT::TOOLARGE},
        {8193, 16384, KXEDIT::TOOLARGE},
        {(std::int64_t{1} << 27) + 1, 1, KXEDIT::TOOLARGE},
        {1, (std::int64_t{1} << 27) + 1, KXEDIT::TOOLARGE},
        // Sides whose product overflows 64 bits.
        {std::int64_t{1} << 40, std::int64_t{1} << 40, KXEDIT::TOOLARGE},
        {0, 5, KXEDIT::TOOSMALL},
        {5, 0, KXEDIT::TOOSMALL},
        {-8, 5, KXEDIT::TOOSMALL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        KXPICTURE picture;
        ASSERT_TRUE(picture.Create(5, 3, 32));
        EXPECT_EQ(ResizePicture(picture, c.width, c.height), c.result);
        EXPECT_EQ(picture.GetWidth(), 5u);
        EXPECT_EQ(picture.GetHeight(), 3u);
    }
}

TEST(PictureEdit, RefusalsSayThePictureWasNotChangedAndWhy)
{
    const struct {
        KXEDIT result;
        const char* text;
    } cases[] = {
        {KXEDIT::DONE, ""},
        {KXEDIT::TOOSMALL, "The picture was not changed: 16000 x 8000 leaves it without a pixel."},
        {KXEDIT::TOOLARGE, "The picture was not changed: 16000 x 8000 is more pixels than the "
                           "134217728 a picture may have."},
        {KXEDIT::NOMEMORY,
         "The picture was not changed: there is not enough memory for 16000 x 8000 pixels."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditRefusal(c.result, 16000, 8000), c.text);
}

} // namespace
