#include "pictureedit.h"

#include <charconv>
#include <climits>

namespace {

// The width of a shown picture goes down to a multiple of this.
constexpr int kWidthStep = 8;

constexpr const char* kNotChanged = "The picture was not changed: ";

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string NotASide(const char* side, std::string_view text)
{
    return std::string(kNotChanged) + "the " + side + " \"" + std::string(text) +
           "\" is not a whole number from 1 to " + std::to_string(INT_MAX) + ".";
}

std::string Size(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// Whether width × height, both at least 1, is more pixels than a picture may have; asked
// by division, so that no product of two sides can overflow.
bool TooLarge(std::int64_t width, std::int64_t height)
{
    return static_cast<std::uint64_t>(width) >
           LargestPicture() / static_cast<std::uint64_t>(height);
}

} // namespace

bool ReadWholeNumber(std::string_view text, int& value)
{
    const std::string_view number = Trimmed(text);
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    return error == std::errc() && stop == end && !number.empty();
}

std::uint64_t LargestPicture()
{
    return KXPICTURE::kLargestPicture;
}

KXNEWSIZE ReadNewSize(std::string_view widthText, std::string_view heightText)
{
    KXNEWSIZE size;
    int width = 0;
    int height = 0;
    if (!ReadWholeNumber(widthText, width) || width < 1) {
        size.refusal = NotASide("width", widthText);
        return size;
    }
    if (!ReadWholeNumber(heightText, height) || height < 1) {
        size.refusal = NotASide("height", heightText);
        return size;
    }
    size.width = width - width % kWidthStep;
    size.height = height;
    if (size.width < 1)
        size.refusal = std::string(kNotChanged) + "the width goes down to a multiple of " +
                       std::to_string(kWidthStep) + ", and " + std::to_string(width) +
                       " leaves no pixel; enter " + std::to_string(kWidthStep) + " or more.";
    return size;
}

KXEDIT ResizePicture(KXPICTURE& picture, std::int64_t width, std::int64_t height)
{
    if (width < 1 || height < 1)
        return KXEDIT::TOOSMALL;
    if (TooLarge(width, height))
        return KXEDIT::TOOLARGE;
    if (!picture.Resize(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)))
        return KXEDIT::NOMEMORY;
    return KXEDIT::DONE;
}

KXEDIT DoubleSizePicture(KXPICTURE& picture, int filter)
{
    const std::int64_t width = std::int64_t{2} * picture.GetWidth();
    const std::int64_t height = std::int64_t{2} * picture.GetHeight();
    // A picture without pixels stays as it is.
    if (width > 0 && height > 0 && TooLarge(width, height))
        return KXEDIT::TOOLARGE;
    return picture.DoubleSize(filter) ? KXEDIT::DONE : KXEDIT::NOMEMORY;
}

std::string EditRefusal(KXEDIT result, std::int64_t width, std::int64_t height)
{
    const std::string size = Size(width, height);
    switch (result) {
    case KXEDIT::DONE:
        break;
    case KXEDIT::TOOSMALL:
        return kNotChanged + size + " leaves it without a pixel.";
    case KXEDIT::TOOLARGE:
        return kNotChanged + size + " is more pixels than the " + std::to_string(LargestPicture()) +
               " a picture may have.";
    case KXEDIT::NOMEMORY:
        return kNotChanged + std::string("there is not enough memory for ") + size + " pixels.";
    }
    return {};
}
