// Fuzz target of the bitmap reader: any bytes are read or refused, never with an access
// outside a buffer. Built with clang's libFuzzer by scripts/fuzz.
#include "bmpcodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // One picture for every input: building one scans the directory for plug-ins.
    static KXPICTURE picture;
    if (bmp::Decode(data, size, picture) == bmp::REFUSAL::NONE && picture.GetData() != nullptr) {
        // Read every pixel back, as the viewer's conversion does.
        picture.ConvertDepth(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
        std::vector<std::uint8_t> file;
        bmp::Encode(picture, file);
    }
    return 0;
}
