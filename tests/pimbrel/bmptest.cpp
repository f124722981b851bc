#include "bmptest.h"

#include "kxendian.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QImage Displayed(KXPICTURE& picture)
{
    // Only a picture with an alpha mask has alpha to show; any other is opaque.
    const bool hasAlpha = picture.GetAlphaMask() != 0;
    picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    const int width = static_cast<int>(picture.GetWidth());
    const int height = static_cast<int>(picture.GetHeight());
    QImage image(width, height, QImage::Format_ARGB32);
    const std::uint8_t* data = picture.GetData();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = data + std::size_t{4} * width * (height - 1 - y);
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], hasAlpha ? row[4 * x + 3] : 255));
    }
    return image;
}

int LargestDifference(const QImage& ours, const QImage& reference)
{
    if (ours.size() != reference.size())
        return -1;
    const bool alpha = reference.hasAlphaChannel();
    const QImage a = ours.convertToFormat(QImage::Format_ARGB32);
    const QImage b = reference.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (alpha) {
                largest = std::max(largest, std::abs(qAlpha(p) - qAlpha(q)));
                // A pixel that shows nothing has no colour to compare.
                if (qAlpha(p) == 0 && qAlpha(q) == 0)
                    continue;
            }
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

bmp::REFUSAL Read(const std::vector<std::uint8_t>& file, KXPICTURE& picture)
{
    return bmp::Decode(file.data(), file.size(), picture);
}

void MakeSentinel(KXPICTURE& picture)
{
    picture.Create(1, 1, 24);
    picture.SetPixelPacked(0, 0x123456);
}

bool IsSentinel(const KXPICTURE& picture)
{
    return picture.GetWidth() == 1 && picture.GetHeight() == 1 && picture.GetDepth() == 24 &&
           picture.GetPaletteSize() == 0 && picture.GetPixelPacked(0) == 0x123456;
}

void Put16(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value)
{
    if (at + 2 > file.size())
        throw std::out_of_range("a field beyond the file");
    kxendian::Write16(file.data() + at, value);
}

void Put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value)
{
    if (at + 4 > file.size())
        throw std::out_of_range("a field beyond the file");
    kxendian::Write32(file.data() + at, value);
}

void bmp::PrintTo(REFUSAL refusal, std::ostream* out)
{
    static const char* const names[] = {"NONE",       "TRUNCATED", "SIGNATURE",   "HEADERSIZE",
                                        "DIMENSIONS", "DEPTH",     "COMPRESSION", "MASKS",
                                        "TOOLARGE",   "RUNLENGTH", "NOMEMORY",    "UNREADABLE"};
    const auto index = static_cast<std::size_t>(refusal);
    *out << (index < std::size(names) ? names[index] : "unknown refusal");
}

std::vector<KXLOADFORM> LoadForms()
{
    return {{32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
            {32, {0xFF, 0xFF00, 0xFF0000, 0}},
            {24, {0xFF, 0xFF00, 0xFF0000, 0}},
            {16, {0xF800, 0x7E0, 0x1F, 0}}};
}

namespace {

// A file whose information header names run-length data.
bool IsRunLength(const std::vector<std::uint8_t>& file)
{
    if (file.size() < 34)
        return false;
    const auto field = [&file](std::size_t at) {
        return std::uint32_t{file[at]} | std::uint32_t{file[at + 1]} << 8 |
               std::uint32_t{file[at + 2]} << 16 | std::uint32_t{file[at + 3]} << 24;
    };
    const std::uint32_t compression = field(30);
    return field(14) >= 40 && (compression == 1 || compression == 2);
}

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t count)
{
    return count == 0 || (a != nullptr && b != nullptr && std::memcmp(a, b, count) == 0);
}

// Where two pictures differ, or nothing.
std::string Difference(const KXPICTURE& ours, const KXPICTURE& reference)
{
    if (ours.GetWidth() != reference.GetWidth() || ours.GetHeight() != reference.GetHeight())
        return "size";
    if (ours.GetDepth() != reference.GetDepth())
        return "depth " + std::to_string(ours.GetDepth()) + " against " +
               std::to_string(reference.GetDepth());
    if (ours.GetRedMask() != reference.GetRedMask() ||
        ours.GetGreenMask() != reference.GetGreenMask() ||
        ours.GetBlueMask() != reference.GetBlueMask() ||
        ours.GetAlphaMask() != reference.GetAlphaMask())
        return "masks";
    if (ours.GetDataSize() != reference.GetDataSize() ||
        ours.GetDataCapacity() != reference.GetDataCapacity())
        return "data size " + std::to_string(ours.GetDataSize()) + "/" +
               std::to_string(ours.GetDataCapacity()) + " against " +
               std::to_string(reference.GetDataSize()) + "/" +
               std::to_string(reference.GetDataCapacity());
    if (!SameBytes(ours.GetData(), reference.GetData(), ours.GetDataSize())) {
        std::size_t first = 0;
        while (ours.GetData()[first] == reference.GetData()[first])
            ++first;
        return "pixels from byte " + std::to_string(first);
    }
    if (ours.GetPaletteSize() != reference.GetPaletteSize() ||
        !SameBytes(ours.GetPalette(), reference.GetPalette(), ours.GetPaletteSize() * 4))
        return "palette";
    if (ours.GetXResolution() != reference.GetXResolution() ||
        ours.GetYResolution() != reference.GetYResolution())
        return "resolutions";
    return "";
}

} // namespace

::testing::AssertionResult ReadsInForm(const std::filesystem::path& path, const KXLOADFORM& form)
{
    const KXMASKS& m = form.masks;
    KXPICTURE reference;
    MakeSentinel(reference);
    const bmp::REFUSAL expected = bmp::ReadFile(path.c_str(), reference);
    if (expected == bmp::REFUSAL::NONE &&
        !reference.ConvertDepth(form.depth, m.red, m.green, m.blue, m.alpha))
        return ::testing::AssertionFailure() << "the reference does not convert";
    KXPICTURE ours;
    MakeSentinel(ours);
    ours.SetLoadForm(form.depth, form.masks);
    const bmp::REFUSAL refusal = bmp::ReadFile(path.c_str(), ours);
    if (refusal != expected)
        return ::testing::AssertionFailure()
               << "refusal " << static_cast<int>(refusal) << " against "
               << static_cast<int>(expected);
    if (refusal != bmp::REFUSAL::NONE)
        return IsSentinel(ours) ? ::testing::AssertionSuccess()
                                : ::testing::AssertionFailure() << "a refusal changed the picture";
    // Runs are read in the file's form, with room, and converted by the owner.
    if (IsRunLength(ReadBytes(path))) {
        const std::uint8_t* read = ours.GetData();
        if (!ours.ConvertDepth(form.depth, m.red, m.green, m.blue, m.alpha) ||
            ours.GetData() != read)
            return ::testing::AssertionFailure() << "runs did not convert in their own buffer";
    }
    if (const std::string difference = Difference(ours, reference); !difference.empty())
        return ::testing::AssertionFailure() << difference;
    const std::uint8_t* delivered = ours.GetData();
    if (!ours.ConvertDepth(form.depth, m.red, m.green, m.blue, m.alpha) ||
        ours.GetData() != delivered || !Difference(ours, reference).empty())
        return ::testing::AssertionFailure() << "the conversion after the load changed it";
    return ::testing::AssertionSuccess();
}
