// Fuzz target of the bitmap reader: any bytes are read or refused, never with an access
// outside a buffer; and a picture once read survives its own writing: written and read
// again, it has the same size, depth and pixels. Built with clang's libFuzzer by
// scripts/fuzz.
#include "bmpcodec.h"

#include "kxcolor.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two pictures for every input: building one scans the directory for plug-ins.
    static KXPICTURE picture;
    static KXPICTURE again;
    if (bmp::Decode(data, size, picture) != bmp::REFUSAL::NONE)
        return 0;
    std::vector<std::uint8_t> file;
    Require(bmp::Encode(picture, file), "the picture could not be written");
    Require(bmp::Decode(file.data(), file.size(), again) == bmp::REFUSAL::NONE,
            "its file was refused");
    Require(again.GetWidth() == picture.GetWidth() && again.GetHeight() == picture.GetHeight(),
            "size");
    Require(again.GetDepth() == picture.GetDepth(), "depth");
    Require(SamePixels(again, picture), "pixels");
    // Read every pixel back, as the viewer's conversion does; only for pictures small
    // enough that the fuzzer keeps its pace.
    if (std::uint64_t{picture.GetWidth()} * picture.GetHeight() <= (1u << 20))
        picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    return 0;
}
