// The renderer module: its surface and rays, how SetCamera lays the rays out over the
// view, and the picture it shows in the view's window.
#include "corvel.h"
#include "corvel_support.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace kxgdi;

namespace {

class CorvelTest : public testing::Test {
protected:
    void SetUp() override { dir.Enter(); }
    ScopedTempDir dir;
};

// The direction that ray n must have: (x, y, d) normalised as the library does it.
KXVECTOR Aimed(double x, double y, double d)
{
    KXVECTOR v(4);
    v.Set(x, y, d);
    v.Normalize();
    return v;
}

void ExpectAimedAt(const KXRAY& ray, const KXVECTOR& eye, const KXVECTOR& direction)
{
    const corvel::VEC4& o = ray.GetOrigin();
    const corvel::VEC4& d = ray.GetDirection();
    EXPECT_EQ(o.x, *eye.GetItem(0));
    EXPECT_EQ(o.y, *eye.GetItem(1));
    EXPECT_EQ(o.z, *eye.GetItem(2));
    EXPECT_EQ(o.w, *eye.GetItem(3));
    EXPECT_EQ(d.x, *direction.GetItem(0));
    EXPECT_EQ(d.y, *direction.GetItem(1));
    EXPECT_EQ(d.z, *direction.GetItem(2));
    EXPECT_EQ(d.w, 0.0);
}

TEST_F(CorvelTest, InitMakesARayPerPixelAndTheViewsSizeForZero)
{
    const int objects = CountGdiObjects();
    VIEWWINDOW window(40, 30);
    CORVEL renderer;
    EXPECT_FALSE(renderer.IsReady());
    ASSERT_TRUE(renderer.Init(window.View(), 256, 256, 32, 0));
    EXPECT_TRUE(renderer.IsReady());
    EXPECT_EQ(renderer.GetPixelCount(), 65536);
    EXPECT_EQ(CountGdiObjects(), objects + 2) << "a section and a memory device context";

    // A second Init gives the first surface back before it makes its own.
    ASSERT_TRUE(renderer.Init(window.View(), 0, 0, 32, 0));
    EXPECT_EQ(renderer.GetWidth(), 40);
    EXPECT_EQ(renderer.GetHeight(), 30);
    EXPECT_EQ(renderer.GetPixelCount(), 1200);
    EXPECT_EQ(CountGdiObjects(), objects + 2);

    renderer.Release();
    renderer.Release();
    EXPECT_FALSE(renderer.IsReady());
    EXPECT_EQ(CountGdiObjects(), objects);
}

TEST_F(CorvelTest, FailedInitLeavesNothingAndARendererThatDrawsNothing)
{
    const int objects = CountGdiObjects();
    VIEWWINDOW empty(0, 0);
    VIEWWINDOW window(8, 8);
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(255, 255, 255, 0));
    KXCAMERA camera(0, 0, 0);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), 8, 8, 32, 0));
    struct Case {
        const char* name;
        KXHANDLE* view;
        int width;
        int height;
    };
    const Case cases[] = {
        {"no view", nullptr, 8, 8},
        {"a view of no size", empty.View(), 0, 0},
        {"no width", empty.View(), 0, 8},
        {"more pixels than an int counts", window.View(), 65535, 65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(renderer.Init(c.view, c.width, c.height, 32, 0));
        EXPECT_FALSE(renderer.IsReady());
        EXPECT_EQ(renderer.GetRays(), nullptr);
        EXPECT_EQ(CountGdiObjects(), objects);
        renderer.SetCamera(&camera);
        EXPECT_FALSE(renderer.Render(&scene.world));
        EXPECT_FALSE(renderer.RunDemo(0));
    }
    EXPECT_EQ(window.Pixel(0, 0), 0u) << "nothing was drawn into the earlier view";
}

TEST_F(CorvelTest, RaysRunFromTheTopLeftAlongRowsFromTheCamerasPosition)
{
    VIEWWINDOW window(8, 8);
    KXCAMERA camera(1, 2, -3);
    camera.SetFocal(1.5);
    struct Case {
        int width;
        int height;
    };
    // Odd sizes take the pixel's offset from the middle column and row as well: every
    // pixel has its own ray.
    for (const Case& c : {Case{4, 2}, Case{3, 3}, Case{5, 2}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        CORVEL renderer;
        ASSERT_TRUE(renderer.Init(window.View(), c.width, c.height, 32, 0));
        renderer.SetCamera(&camera);
        const int hw = c.width / 2;
        const int hh = c.height / 2;
        const double d = hw * 1.5;
        for (int row = 0; row < c.height; ++row)
            for (int column = 0; column < c.width; ++column)
                ExpectAimedAt(renderer.GetRays()[row * c.width + column], camera.GetPosition(),
                              Aimed(column - hw, hh - row, d));
    }
}

// A camera whose rays cannot be aimed (a zero, tiny, infinite or undefined focal factor, a
// position off every scale) spoils the frames aimed with it, and no later one: after the
// next aim with a sound camera the frame is the one a freshly made renderer traces. A
// sphere straight ahead fills the middle, where a zero focal factor leaves a ray without
// a direction.
TEST_F(CorvelTest, DegenerateCameraSpoilsNoLaterFrame)
{
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 0));
    scene.AddSphere(0, 0, 0, 2, {200, 100, 50, 0.2, 0.8, 0.3});
    scene.AddLight(5, 10, -10);
    KXCAMERA sound(0, 0, -10);
    sound.SetFocal(1.5);
    VIEWWINDOW window(16, 16);
    auto frame = [&](CORVEL& renderer) {
        EXPECT_TRUE(renderer.Render(&scene.world));
        return std::vector<std::uint32_t>(renderer.GetBits(),
                                          renderer.GetBits() + renderer.GetPixelCount());
    };
    CORVEL fresh;
    ASSERT_TRUE(fresh.Init(window.View(), 16, 16, 32, 0));
    fresh.SetCamera(&sound);
    const std::vector<std::uint32_t> expected = frame(fresh);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        double focal;
        double x;
    };
    const Case cases[] = {
        {"focal 0", 0.0, 0.0},
        {"focal -0", -0.0, 0.0},
        {"focal NaN", nan, 0.0},
        {"focal -NaN", -nan, 0.0},
        {"focal infinite", inf, 0.0},
        {"focal -infinite", -inf, 0.0},
        {"focal past the largest distance", 1e308, 0.0},
        {"focal below the smallest normal", 1e-320, 0.0},
        {"position NaN", 1.5, nan},
        {"position infinite", 1.5, inf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CORVEL renderer;
        ASSERT_TRUE(renderer.Init(window.View(), 16, 16, 32, 0));
        KXCAMERA degenerate(c.x, 0, -10);
        degenerate.SetFocal(c.focal);
        renderer.SetCamera(&degenerate);
        frame(renderer);
        renderer.SetCamera(&sound);
        EXPECT_TRUE(frame(renderer) == expected);
    }
}

TEST_F(CorvelTest, RenderShowsTheViewUprightStretchedOverTheWindow)
{
    // Ground seen from above its plane: the rays below the middle row meet it, the others
    // see the background. Four by four rays over an eight by eight window.
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 0));
    scene.AddPlane({0, 200, 0, 1.0, 0.0});
    KXCAMERA camera(0, 1, 0);
    VIEWWINDOW window(8, 8);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), 4, 4, 32, 0));
    renderer.SetCamera(&camera);
    EXPECT_TRUE(renderer.Render(&scene.world));

    // Ray rows 0 to 2 look up or level, row 3 down.
    for (int n = 0; n < 16; ++n)
        EXPECT_EQ(renderer.GetBits()[n], n < 12 ? Packed(10, 20, 30) : Packed(0, 200, 0)) << n;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(window.Pixel(x, y), y < 6 ? RGB(10, 20, 30) : RGB(0, 200, 0))
                << x << ", " << y;
    EXPECT_EQ(renderer.GetRayCount(), 16u) << "no light: only the primary rays";
}

TEST_F(CorvelTest, WorldOfMeshObjectsOnlyRendersAsBackground)
{
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 0));
    for (double z : {0.0, 5.0}) {
        scene.world.AddObject(&scene.MakeMesh(z, 100.0));
    }
    scene.AddLight(0, 10, 0);
    KXCAMERA camera(0, 0, -10);
    VIEWWINDOW window(16, 16);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), 16, 16, 32, 0));
    renderer.SetCamera(&camera);
    ASSERT_TRUE(renderer.Render(&scene.world));
    for (int n = 0; n < renderer.GetPixelCount(); ++n)
        ASSERT_EQ(renderer.GetBits()[n], Packed(10, 20, 30)) << n;
}

TEST_F(CorvelTest, WorldDrivesTheRendererItIsBoundTo)
{
    // Adding the camera aims the rays; rendering the world traces them and stops there.
    // The renderer outlives the objects registered with it: they detach from it as they go.
    VIEWWINDOW window(8, 8);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), 8, 8, 32, 0));
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 0));
    scene.world.SetRenderer(&renderer);
    scene.AddSphere(0, 0, 0, 1, {255, 0, 0, 1.0, 0.0});
    KXCAMERA camera(0, 0, -10);
    camera.SetFocal(4.0);
    scene.world.AddCamera(&camera);
    EXPECT_TRUE(scene.world.Render());
    EXPECT_EQ(window.Pixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(window.Pixel(4, 4), RGB(255, 0, 0));
    EXPECT_TRUE(scene.world.Clear());
}

} // namespace
