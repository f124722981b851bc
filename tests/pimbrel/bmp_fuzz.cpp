// Fuzz target of the bitmap reader: any bytes are read or refused, never with an access
// outside a buffer, and read from a file piece by piece as from memory (the same refusal,
// the same pixels); and a picture once read survives its own writing: written and read
// again, it has the same size, depth and pixels. Built with clang's libFuzzer by
// scripts/fuzz. What one input may cost is bounded (well under a second under the
// sanitizers), so that the fuzzer's time goes to new paths rather than to a few inputs
// that claim huge pictures: a run-length file of a hundred bytes can fill the largest
// picture the reader takes, and writing and reading such a picture again, pixel by pixel
// at 1 and 4 bits, took 12 to 16 seconds.
#include "bmpcodec.h"

#include "kxcolor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Inputs longer than this are not read: the fuzzer's own stay far below it (scripts/fuzz
// caps them at 64 KiB), and a seed of 16 MiB took four seconds to read.
constexpr std::size_t kLargestInput = std::size_t{1} << 21;
// Pictures of more pixels are read but not written and read again: the round trip of
// one this large takes about a third of a second at 1 bit. The writer and the reader
// take no other road for larger pictures.
constexpr std::uint64_t kLargestRoundTrip = std::uint64_t{1} << 22;
// Pictures of more pixels are not converted for the viewer afterwards.
constexpr std::uint64_t kLargestConversion = std::uint64_t{1} << 20;

std::uint64_t PixelsOf(const KXPICTURE& picture)
{
    return std::uint64_t{picture.GetWidth()} * picture.GetHeight();
}

void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "a picture written and read again changed: %s\n", what);
    std::abort();
}

bool SameColour(const KXPICTURE& a, const KXPICTURE& b, std::uint32_t i)
{
    KXCOLOR ca;
    KXCOLOR cb;
    ca.SetMasks(a.GetRedMask(), a.GetGreenMask(), a.GetBlueMask(), 0);
    cb.SetMasks(b.GetRedMask(), b.GetGreenMask(), b.GetBlueMask(), 0);
    a.GetPixel(i, ca);
    b.GetPixel(i, cb);
    return ca.GetR() == cb.GetR() && ca.GetG() == cb.GetG() && ca.GetB() == cb.GetB();
}

// The same bytes; a 16-bit picture whose fields the writer moved to the standard order
// comes back with other masks and bytes, and must show the same colours.
bool SamePixels(const KXPICTURE& a, const KXPICTURE& b)
{
    if (a.GetDataSize() != b.GetDataSize())
        return false;
    if (a.GetDepth() == 16 && a.GetMasks() != b.GetMasks()) {
        for (std::uint32_t i = 0; i < a.GetWidth() * a.GetHeight(); ++i)
            if (!SameColour(a, b, i))
                return false;
        return true;
    }
    return std::memcmp(a.GetData(), b.GetData(), a.GetDataSize()) == 0;
}

// The road a file takes, its bytes read a piece at a time, against decoding them from
// memory: the same refusal, and the same picture.
void RequireSameFromFile(const std::uint8_t* data, std::size_t size, bmp::REFUSAL decoded,
                         const KXPICTURE& picture)
{
    static KXPICTURE fromFile;
    const bmp::READAT readAt = [data, size](std::size_t at, std::uint8_t* buffer,
                                            std::size_t count) {
        if (at > size || count > size - at)
            return false;
        std::memcpy(buffer, data + at, count);
        return true;
    };
    const bmp::REFUSAL read =
        bmp::DecodeFile(data, std::min(size, bmp::kHeadSize), size, readAt, fromFile);
    Require(read == decoded, "the file road refused otherwise");
    if (read != bmp::REFUSAL::NONE)
        return;
    Require(
        fromFile.GetWidth() == picture.GetWidth() && fromFile.GetHeight() == picture.GetHeight() &&
            fromFile.GetDepth() == picture.GetDepth() && fromFile.GetMasks() == picture.GetMasks(),
        "the file road's size, depth or masks");
    Require(fromFile.GetDataSize() == picture.GetDataSize() &&
                std::memcmp(fromFile.GetData(), picture.GetData(), picture.GetDataSize()) == 0,
            "the file road's pixels");
    Require(fromFile.GetPaletteSize() == picture.GetPaletteSize() &&
                (picture.GetPaletteSize() == 0 ||
                 std::memcmp(fromFile.GetPalette(), picture.GetPalette(),
                             std::size_t{picture.GetPaletteSize()} * 4) == 0),
            "the file road's palette");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two pictures for every input: building one scans the directory for plug-ins.
    static KXPICTURE picture;
    static KXPICTURE again;
    if (size > kLargestInput)
        return 0;
    const bmp::REFUSAL decoded = bmp::Decode(data, size, picture);
    if (decoded != bmp::REFUSAL::NONE || PixelsOf(picture) <= kLargestRoundTrip)
        RequireSameFromFile(data, size, decoded, picture);
    if (decoded != bmp::REFUSAL::NONE || PixelsOf(picture) > kLargestRoundTrip)
        return 0;
    std::vector<std::uint8_t> file;
    Require(bmp::Encode(picture, file), "the picture could not be written");
    Require(bmp::Decode(file.data(), file.size(), again) == bmp::REFUSAL::NONE,
            "its file was refused");
    Require(again.GetWidth() == picture.GetWidth() && again.GetHeight() == picture.GetHeight(),
            "size");
    Require(again.GetDepth() == picture.GetDepth(), "depth");
    Require(SamePixels(again, picture), "pixels");
    // Read every pixel back, as the viewer's conversion does.
    if (PixelsOf(picture) <= kLargestConversion)
        picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    return 0;
}
