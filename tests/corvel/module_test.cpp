// The plug-in as the viewer meets it: found by the manager in the current directory as a
// "3D Renderer", exporting its two entry points only.
#include "corvel.h"
#include "symbols.h"
#include "tempdir.h"

#include "kxhandle.h"
#include "kxmanager.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::filesystem::path bin = PELISK_BIN_DIR;

TEST(CorvelModule, ManagerFindsTheRaytracerAsARenderer)
{
    ScopedTempDir dir;
    dir.Copy({bin / "corvel.dll", bin / "pimbrel.dll"});
    dir.Enter();
    const int objects = kxgdi::CountGdiObjects();
    {
        KXMANAGER renderers;
        ASSERT_EQ(renderers.LoadModules(KXKIND_RENDERER, 0), 1);
        auto* renderer = static_cast<KXRENDERER*>(renderers[0]);
        EXPECT_STREQ(renderer->GetName(), "CORVEL");
        EXPECT_STREQ(renderer->GetDisplayName().GetText(), "KX Raytracer");
        EXPECT_STREQ(renderer->GetKind().GetText(), "3D Renderer");
        EXPECT_STREQ(renderer->GetSupportedFiles().GetText(), "All");
        EXPECT_EQ(renderer->GetFastFlag(), 0);

        // Deleted through the manager while initialised, it gives its surface back.
        kxgdi::HWND window = kxgdi::CreateWindowSurface();
        KXHANDLE view;
        view.Attach(&window);
        EXPECT_TRUE(renderer->Init(&view, 64, 48, 32, 0));
        EXPECT_EQ(kxgdi::CountGdiObjects(), objects + 2);
        renderers.ReleaseAll();
        kxgdi::DestroyWindowSurface(window);
    }
    EXPECT_EQ(kxgdi::CountGdiObjects(), objects);
}

TEST(CorvelModule, ExportsOnlyItsEntryPoints)
{
    EXPECT_EQ(DefinedDynamicSymbols(bin / "corvel.dll"),
              (std::set<std::string>{"CreateMod", "ReleaseMod"}));
}

} // namespace
