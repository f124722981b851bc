// The demo scene, rendered by the plug-in and checked pixel by pixel against the second
// tracer of the tests, on a scene built here from the same description.
#include "corvel.h"
#include "corvel_support.h"
#include "reference_trace.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kSize = 256;

std::vector<std::uint32_t> Surface(const CORVEL& renderer)
{
    return {renderer.GetBits(), renderer.GetBits() + renderer.GetPixelCount()};
}

// The demo's world: three spheres over the ground, one white light, a black background.
std::vector<std::uint32_t> ReferenceDemo()
{
    TESTWORLD scene;
    scene.AddSphere(-3.5, 2.0, 2.0, 2.0, {255, 0, 0, 0.0, 1.0, 0.0, 0.0, 0.0, 0});
    scene.AddSphere(3.0, 3.0, 3.0, 1.5, {100, 100, 100, 0.0, 1.0, 0.1});
    scene.AddSphere(-0.5, 2.0, -3.0, 1.0, {0, 50, 200, 0.0, 1.0, 0.1, 0.0, 0.8});
    scene.AddPlane({0, 200, 0, 0.0, 1.0, 0.1});
    scene.AddLight(5.0, 15.0, -5.0);
    KXCAMERA camera(0.0, 3.0, -8.0);
    camera.SetFocal(1.5);
    return ReferenceRender(scene.world, camera, kSize, kSize);
}

class DemoTest : public testing::Test {
protected:
    void SetUp() override { dir.Enter(); }
    ScopedTempDir dir;
};

TEST_F(DemoTest, DemoMatchesTheReferenceTracerPixelForPixel)
{
    VIEWWINDOW window(kSize, kSize);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), kSize, kSize, 32, 0));
    ASSERT_TRUE(renderer.RunDemo(0));
    const std::vector<std::uint32_t> reference = ReferenceDemo();

    // The surface holds ray n at position n; the window shows ray 0's row at the top.
    const std::vector<std::uint32_t> rendered = Surface(renderer);
    int differing = 0;
    for (int n = 0; n < kSize * kSize; ++n) {
        if (rendered[n] != reference[n] && ++differing <= 5)
            ADD_FAILURE() << "ray " << n << " (" << n % kSize << ", " << n / kSize
                          << "): " << std::hex << rendered[n] << " instead of " << reference[n];
    }
    EXPECT_EQ(differing, 0);
    for (int y = 0; y < kSize; y += 37) {
        for (int x = 0; x < kSize; x += 41) {
            const std::uint32_t p = reference[y * kSize + x];
            EXPECT_EQ(window.Pixel(x, y), kxgdi::RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF))
                << x << ", " << y;
        }
    }

    // What the scene shows: black sky at the top, the ground at the bottom, and every
    // object somewhere in between.
    EXPECT_EQ(reference[0], 0u);
    EXPECT_GT(reference[(kSize - 1) * kSize + kSize / 2] >> 8 & 0xFF, 100u) << "green ground";
    int red = 0;
    int grey = 0;
    int blue = 0;
    for (std::uint32_t p : reference) {
        const std::uint32_t r = p >> 16 & 0xFF;
        const std::uint32_t g = p >> 8 & 0xFF;
        const std::uint32_t b = p & 0xFF;
        red += r > 100 && g == 0 && b == 0;
        grey += r > 40 && r == g && g == b;
        blue += b > 100 && b > 2 * r && b > g;
    }
    EXPECT_GT(red, 1000);
    EXPECT_GT(grey, 500);
    EXPECT_GT(blue, 200);
}

TEST_F(DemoTest, DemoDrawsTheSamePictureEveryTimeAndTakesItsSceneDown)
{
    // The plug-in scans the directory for every world and object of the scene: its own
    // library is found there too.
    dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "corvel.dll"});
    VIEWWINDOW window(kSize, kSize);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), kSize, kSize, 32, 0));
    ASSERT_TRUE(renderer.RunDemo(0));
    const std::vector<std::uint32_t> first = Surface(renderer);
    const std::uint64_t rays = renderer.GetRayCount();
    EXPECT_GT(rays, std::uint64_t{kSize} * kSize) << "shadow and transmitted rays counted too";
    ASSERT_TRUE(renderer.RunDemo(0));
    EXPECT_EQ(Surface(renderer), first);
    EXPECT_EQ(renderer.GetRayCount(), rays);

    // The rays stay aimed from the demo's camera.
    const corvel::VEC4& eye = renderer.GetRays()[0].GetOrigin();
    EXPECT_EQ(eye.x, 0.0);
    EXPECT_EQ(eye.y, 3.0);
    EXPECT_EQ(eye.z, -8.0);
}

// A view whose window is gone takes no picture: the render and the demo say they failed.
TEST_F(DemoTest, DemoIntoAWindowThatIsGoneFails)
{
    VIEWWINDOW window(16, 16);
    CORVEL renderer;
    ASSERT_TRUE(renderer.Init(window.View(), 16, 16, 32, 0));
    ASSERT_TRUE(renderer.RunDemo(0));
    kxgdi::DestroyWindowSurface(window.View()->GetHandle());
    EXPECT_FALSE(renderer.RunDemo(0));
    TESTWORLD scene;
    EXPECT_FALSE(renderer.Render(&scene.world));
}

} // namespace
