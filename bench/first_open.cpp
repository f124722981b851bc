// One picture opened in a fresh process, as the viewer opens it: the path to display
// pixels through a picture's loader set, then the conversion to the 32-bit layout the
// viewer shows. Prints the seconds of that open alone (the picture and its loaders are
// made before the clock starts, as the viewer makes them at start-up). Runs in the
// viewer's folder, beside the plug-ins and the memory manager.
//
//   first_open PATH            the open for display
//   first_open PATH double     then Double size & blur: also prints its CPU and wall seconds
//   first_open PATH double 24  the same on the picture as the file gives it, without the
//                              conversion for display (a 24-bit file stays 24 bits)
#include "clockseconds.h"
#include "kxpicture.h"

#include <cstdio>
#include <cstring>

namespace {

// The display layout: the byte order of a 32-bit bottom-up section.
constexpr KXMASKS kDisplayMasks{0xFF0000, 0xFF00, 0xFF, 0xFF000000};

bool ConvertForDisplay(KXPICTURE& picture)
{
    return picture.ConvertDepth(32, kDisplayMasks.red, kDisplayMasks.green, kDisplayMasks.blue,
                                kDisplayMasks.alpha);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const bool doubles = argc > 2 && std::strcmp(argv[2], "double") == 0;
    const bool shown = !(doubles && argc > 3 && std::strcmp(argv[3], "24") == 0);
    // The picture the file is read into, made as the viewer makes the one it shows: a
    // picture for display asks its loads for its 32-bit form.
    KXPICTURE picture;
    if (shown)
        picture.SetLoadForm(32, kDisplayMasks);
    const double start = ClockSeconds();
    if (!picture.GetLoaderSet().LoadFile(argv[1]) || (shown && !ConvertForDisplay(picture)))
        return 1;
    std::printf("%.9f\n", ClockSeconds() - start);
    if (doubles) {
        const double cpu = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double wall = ClockSeconds();
        if (!picture.DoubleSize(5))
            return 1;
        std::printf("%.9f %.9f\n", ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu,
                    ClockSeconds() - wall);
    }
    return 0;
}
