// A plug-in draws into a window of the program through the one drawing layer of the
// process, as the raytracer does, and the program reads the frame back upright.
#include "painter.h"
#include "symbols.h"

#include "kxgdi.h"
#include "kxhandle.h"
#include "kxsys.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>

using namespace kxgdi;

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;

TEST(Plugin, DrawsAFrameUprightIntoTheProgramsWindow)
{
    kxsys::LibraryHandle library = kxsys::LoadLibrary((fixtures / "painter.dll").c_str());
    ASSERT_NE(library, nullptr);
    auto create = reinterpret_cast<KXCREATEPAINTERPROC>(kxsys::FindExport(library, "CreateMod"));
    auto release = reinterpret_cast<KXRELEASEPAINTERPROC>(kxsys::FindExport(library, "ReleaseMod"));
    ASSERT_NE(create, nullptr);
    ASSERT_NE(release, nullptr);
    const int objects = CountGdiObjects();

    HWND window = CreateWindowSurface();
    PlaceWindow(window, {30, 40, 38, 44}, {30, 40, 38, 44});
    KXHANDLE view;
    view.Attach(&window);

    // A 4 by 2 frame, top row first, shown over the 8 by 4 window.
    const std::array<std::uint32_t, 8> frame = {0x000001, 0x000002, 0x000003, 0x000004,
                                                0x000005, 0x000006, 0x000007, 0x000008};
    KXPAINTER* painter = create();
    ASSERT_TRUE(painter->Init(&view, 4, 2));
    painter->Render(frame.data());

    HDC dc = GetDC(window);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(GetPixel(dc, x, y), RGB(0, 0, std::uint8_t(frame[(y / 2) * 4 + x / 2])))
                << x << "," << y;
    ReleaseDC(window, dc);

    // The plug-in deleted its section while it was still selected, then the context.
    painter->Release();
    EXPECT_EQ(CountGdiObjects(), objects);
    release(painter);
    DestroyWindowSurface(window);
    kxsys::FreeLibrary(library);
}

TEST(Exports, TheLayerExportsItsCallsOnlyAndThePluginItsEntryPoints)
{
    const std::set<std::string> layer = DefinedDynamicSymbols(PELISK_KXGDI_FILE);
    EXPECT_TRUE(layer.contains("kxgdi::StretchBlt"));
    for (const std::string& symbol : layer)
        EXPECT_TRUE(symbol.starts_with("kxgdi::")) << symbol;
    EXPECT_EQ(DefinedDynamicSymbols(fixtures / "painter.dll"),
              (std::set<std::string>{"CreateMod", "ReleaseMod"}));
}

} // namespace
