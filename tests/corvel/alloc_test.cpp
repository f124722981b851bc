// The renderer when memory runs out: the 1st, 2nd, ... allocation of making the surface,
// of tracing a frame and of the demo fails in turn. Each time the operation fails or does
// its whole work; nothing is thrown out of it, and nothing is left half-made.
#include "corvel.h"
#include "corvel_support.h"
#include "failnth.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

class CorvelAllocationTest : public testing::Test {
protected:
    void SetUp() override { dir.Enter(); }
    ScopedTempDir dir;
};

TEST_F(CorvelAllocationTest, InitEitherMakesTheSurfaceOrLeavesNothing)
{
    VIEWWINDOW window(8, 8);
    const int objects = kxgdi::CountGdiObjects();
    int failures = 0;
    for (int n = 1;; ++n) {
        CORVEL renderer;
        bool ready = false;
        bool reached = false;
        {
            FAILNTH failing(n);
            ready = renderer.Init(window.View(), 6, 4, 32, 0);
            reached = FAILNTH::Reached();
        }
        EXPECT_EQ(ready, renderer.IsReady()) << "allocation " << n;
        EXPECT_EQ(kxgdi::CountGdiObjects(), objects + (ready ? 2 : 0)) << "allocation " << n;
        if (!reached) {
            EXPECT_TRUE(ready);
            break;
        }
        failures += ready ? 0 : 1;
    }
    EXPECT_GE(failures, 1);
}

// A frame of two spheres under a light, traced with every allocation failing in turn:
// the render fails, or it gives the frame it gives with memory to spare.
TEST_F(CorvelAllocationTest, FrameIsTracedWholeOrRefused)
{
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 0));
    scene.AddSphere(0, 0, 0, 1, {200, 100, 50, 0.2, 0.8, 0.3, 0.4});
    scene.AddSphere(1, 1, 2, 1, {50, 100, 200, 0.1, 0.9, 0.0, 0.0, 0.5});
    scene.AddLight(0, 10, -10);
    KXCAMERA camera(0, 0, -6);
    VIEWWINDOW window(8, 8);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), 8, 8, 32, 0));
    renderer.SetCamera(&camera);
    ASSERT_TRUE(renderer.Render(&scene.world));
    const std::vector<std::uint32_t> frame(renderer.GetBits(),
                                           renderer.GetBits() + renderer.GetPixelCount());
    const int objects = kxgdi::CountGdiObjects();
    int failures = 0;
    for (int n = 1;; ++n) {
        bool rendered = false;
        bool reached = false;
        {
            FAILNTH failing(n);
            rendered = renderer.Render(&scene.world);
            reached = FAILNTH::Reached();
        }
        EXPECT_EQ(kxgdi::CountGdiObjects(), objects) << "allocation " << n;
        if (rendered) {
            EXPECT_EQ(std::vector<std::uint32_t>(renderer.GetBits(),
                                                 renderer.GetBits() + renderer.GetPixelCount()),
                      frame)
                << "allocation " << n;
        }
        if (!reached) {
            EXPECT_TRUE(rendered);
            break;
        }
        failures += rendered ? 0 : 1;
    }
    EXPECT_GE(failures, 1);
}

// The demo with every allocation failing in turn, its own plug-in in the directory so that
// the scans of the scene's world and primitives load it too: a material, an object or the
// light that did not make it into the scene, a trace that ran out of memory, a copy to
// the window that failed. Each run either says it failed, or it says it succeeded and the
// window shows exactly the picture of a run with memory to spare.
TEST_F(CorvelAllocationTest, DemoSucceedsOnlyWithItsWholePictureInTheWindow)
{
    dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "corvel.dll"});
    constexpr int kSize = 48;
    constexpr kxgdi::COLORREF kUntouched = kxgdi::RGB(255, 0, 255);
    VIEWWINDOW window(kSize, kSize);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), kSize, kSize, 32, 0));
    window.Fill(kUntouched);
    ASSERT_TRUE(renderer.RunDemo(0));
    const std::vector<std::uint32_t> picture = window.Pixels();
    ASSERT_EQ(picture.size(), std::size_t{kSize} * kSize);
    const int objects = kxgdi::CountGdiObjects();
    int failures = 0;
    for (int n = 1;; ++n) {
        window.Fill(kUntouched);
        bool done = false;
        bool reached = false;
        {
            FAILNTH failing(n);
            done = renderer.RunDemo(0);
            reached = FAILNTH::Reached();
        }
        EXPECT_EQ(kxgdi::CountGdiObjects(), objects) << "allocation " << n;
        if (done) {
            EXPECT_TRUE(window.Pixels() == picture) << "allocation " << n;
        }
        if (!reached) {
            EXPECT_TRUE(done);
            break;
        }
        failures += done ? 0 : 1;
    }
    EXPECT_GE(failures, 1);
}

} // namespace
