// What the picture commands may do to a picture, checked before anything is allocated: a
// new size has a pixel each way and no more pixels than the largest picture the bitmap
// reader accepts, the same bound for a file and an edit. A command that cannot be done
// leaves the picture as it was, and the user is told why.
#pragma once

#include "kxpicture.h"

#include <cstdint>
#include <string>
#include <string_view>

// How a resize or a doubling ended.
enum class KXEDIT { DONE, TOOSMALL, TOOLARGE, NOMEMORY };

// Whether the text is a whole number in the range of int, spaces around it allowed; if so,
// value takes it.
bool ReadWholeNumber(std::string_view text, int& value);

// The most pixels a picture may have.
std::uint64_t LargestPicture();

// The size that the resize dialog's two texts ask for: each a whole number in the range
// of int (spaces around it allowed), the width taken down to a multiple of 8 (towards 0).
// A text of anything else, or a side left without a pixel, gives the refusal to tell.
struct KXNEWSIZE {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::string refusal; // empty when both texts were read
};
KXNEWSIZE ReadNewSize(std::string_view widthText, std::string_view heightText);

// Resamples the picture to width × height, or leaves it as it was and says why not.
KXEDIT ResizePicture(KXPICTURE& picture, std::int64_t width, std::int64_t height);
// Doubles both sides and smooths with the filter, or leaves it as it was and says why not.
KXEDIT DoubleSizePicture(KXPICTURE& picture, int filter);

// What the user is told when an edit to width × height was not done.
std::string EditRefusal(KXEDIT result, std::int64_t width, std::int64_t height);
