// One ray through small worlds whose colours follow by hand: a ray along the z axis at a
// unit sphere on the origin meets it at (0, 0, -1) with the normal (0, 0, -1), so every
// cosine there is 0 or 1.
#include "corvel_support.h"
#include "kxray.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TraceTest : public testing::Test {
protected:
    void SetUp() override { dir.Enter(); }

    // The packed colour of the ray from origin along the unit direction, with depth.
    std::uint32_t Trace(TESTWORLD& scene, double ox, double oy, double oz, double dx, double dy,
                        double dz, std::uint16_t depth = 3, bool* hit = nullptr)
    {
        KXRAY ray;
        ray.SetOrigin(KXVECTOR(ox, oy, oz));
        ray.SetDirection(dx, dy, dz);
        ray.NormalizeDirection();
        const bool found = ray.Trace(&scene.world, depth);
        if (hit != nullptr)
            *hit = found;
        EXPECT_EQ(ray.GetPixel(), ray.GetColor().ToPixel32()) << "the colour packs as the ray's";
        return ray.GetPixel();
    }

    // Looks along +z from (0, 0, -10) at the unit sphere on the origin.
    std::uint32_t AtCentre(TESTWORLD& scene, std::uint16_t depth = 3, bool* hit = nullptr)
    {
        return Trace(scene, 0, 0, -10, 0, 0, 1, depth, hit);
    }

    ScopedTempDir dir;
};

// A material lit by diffuse light and a highlight: 200 × cos 1, plus 255 × 0.1 × 1⁴.
const MATERIALVALUES kShiny{200, 100, 50, 0.0, 1.0, 0.1};

TEST_F(TraceTest, AxisRayAtASphereIsLitByDiffuseAndHighlight)
{
    TESTWORLD scene;
    scene.AddSphere(0, 0, 0, 1, kShiny);
    scene.AddLight(0, 0, -20);
    bool hit = false;
    EXPECT_EQ(AtCentre(scene, 3, &hit), Packed(225, 125, 75));
    EXPECT_TRUE(hit);
}

TEST_F(TraceTest, RayThatMissesTakesTheBackground)
{
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 40));
    scene.AddSphere(0, 0, 0, 1, kShiny);
    scene.AddLight(0, 0, -20);
    bool hit = true;
    EXPECT_EQ(Trace(scene, 0, 0, -10, 0, 1, 0, 3, &hit), 40u << 24 | Packed(10, 20, 30));
    EXPECT_FALSE(hit);
    // A sphere behind the ray is not hit either.
    EXPECT_EQ(Trace(scene, 0, 0, 10, 0, 0, 1), 40u << 24 | Packed(10, 20, 30));
}

TEST_F(TraceTest, AnySphereOnTheWayToTheLightBlocksItAlsoOneBeyondIt)
{
    // Ambient 0.5 stays; the diffuse light and the highlight go with the light.
    MATERIALVALUES lit = kShiny;
    lit.ambient = 0.5;
    struct Case {
        const char* name;
        bool blocker;
        double z;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"free: ambient, diffuse and highlight saturate", false, 0, Packed(255, 175, 100)},
        {"a sphere between the hit and the light", true, -15, Packed(100, 50, 25)},
        {"a sphere beyond the light", true, -30, Packed(100, 50, 25)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TESTWORLD scene;
        scene.AddSphere(0, 0, 0, 1, lit);
        if (c.blocker)
            scene.AddSphere(0, 0, c.z, 1, kShiny);
        scene.AddLight(0, 0, -20);
        EXPECT_EQ(AtCentre(scene), c.expected);
    }
}

// A shadow ray that the exact test finds crossing a sphere is blocked only when the sphere
// also passes the bounding test: the blocker's axis lies 0.8 beside the shadow ray, within
// its radius 1, and its bounding radius alone decides whether the light gets through. The
// primary ray never meets the blocker, which lies behind its origin.
TEST_F(TraceTest, BoundingTestOfTheBlockerDecidesTheShadow)
{
    MATERIALVALUES lit = kShiny;
    lit.ambient = 0.5;
    struct Case {
        double bounding;
        std::uint32_t expected;
    };
    for (const Case& c : {Case{1.0, Packed(100, 50, 25)}, Case{0.5, Packed(255, 175, 100)}}) {
        SCOPED_TRACE(c.bounding);
        TESTWORLD scene;
        scene.AddSphere(0, 0, 0, 1, lit);
        scene.AddSphere(0.8, 0, -15, 1, kShiny).SetBoundingRadius(c.bounding);
        scene.AddLight(0, 0, -20);
        EXPECT_EQ(AtCentre(scene), c.expected);
    }
}

// The transmitted ray goes on from where it leaves the sphere, the far side: what lies
// inside the sphere, between where the ray enters and where it leaves, is never seen
// through it.
TEST_F(TraceTest, TransmittedRayLeavesFromTheFarSide)
{
    TESTWORLD scene;
    scene.AddSphere(0, 0, 0, 1, {0, 0, 0, 0.0, 1.0, 0.0, 0.0, 0.5});
    scene.AddSphere(0, 0, 0, 0.25, {0, 250, 0, 1.0, 0.0}); // inside the transparent one
    scene.AddSphere(0, 0, 20, 1, {200, 100, 50, 1.0, 0.0});
    EXPECT_EQ(AtCentre(scene, 1), Packed(100, 50, 25));
}

TEST_F(TraceTest, PlaneIsSeenFromAboveOnlyAndBlocksNoLightFromBelow)
{
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(1, 2, 3, 0));
    scene.AddPlane({0, 200, 0});
    scene.AddLight(0, 10, 0);
    // From above, straight down: cos 1 under the light overhead, whose shadow ray goes up
    // through the plane unhindered.
    EXPECT_EQ(Trace(scene, 0, 5, 0, 0, -1, 0), Packed(0, 200, 0));
    // From below, straight up: the plane is not there.
    EXPECT_EQ(Trace(scene, 0, -5, 0, 0, 1, 0), Packed(1, 2, 3));
    // Looking away from it, above it.
    EXPECT_EQ(Trace(scene, 0, 5, 0, 0, 1, 0), Packed(1, 2, 3));
}

TEST_F(TraceTest, OfTwoObjectsAtTheSameDistanceTheLaterOneColoursTheRay)
{
    const MATERIALVALUES red{255, 0, 0, 1.0, 0.0};
    const MATERIALVALUES blue{0, 0, 255, 1.0, 0.0};
    TESTWORLD redFirst;
    redFirst.AddSphere(0, 0, 0, 1, red);
    redFirst.AddSphere(0, 0, 0, 1, blue);
    EXPECT_EQ(AtCentre(redFirst), Packed(0, 0, 255));
    TESTWORLD blueFirst;
    blueFirst.AddSphere(0, 0, 0, 1, blue);
    blueFirst.AddSphere(0, 0, 0, 1, red);
    EXPECT_EQ(AtCentre(blueFirst), Packed(255, 0, 0));
    // A nearer sphere later in the list wins over a farther earlier one, and the other way.
    TESTWORLD nearerLater;
    nearerLater.AddSphere(0, 0, 0, 1, red);
    nearerLater.AddSphere(0, 0, -5, 1, blue);
    EXPECT_EQ(AtCentre(nearerLater), Packed(0, 0, 255));
    TESTWORLD nearerFirst;
    nearerFirst.AddSphere(0, 0, -5, 1, blue);
    nearerFirst.AddSphere(0, 0, 0, 1, red);
    EXPECT_EQ(AtCentre(nearerFirst), Packed(0, 0, 255));
}

TEST_F(TraceTest, MirrorAddsWhatTheReflectedRaySeesWhileDepthAllows)
{
    // A black mirror on the origin reflects the ray straight back, past the ray's origin,
    // onto a sphere that shows its own colour (ambient only, no light).
    TESTWORLD scene;
    scene.AddSphere(0, 0, 0, 1, {0, 0, 0, 0.0, 1.0, 0.0, 0.5});
    scene.AddSphere(0, 0, -20, 1, {200, 100, 50, 1.0, 0.0});
    EXPECT_EQ(AtCentre(scene, 0), Packed(0, 0, 0)) << "depth 0: no reflected ray";
    EXPECT_EQ(AtCentre(scene, 1), Packed(100, 50, 25));
    EXPECT_EQ(AtCentre(scene, 3), Packed(100, 50, 25));
}

TEST_F(TraceTest, TransparentSphereAddsWhatIsSeenThroughIt)
{
    // The transmitted ray goes on unbent from where it leaves the sphere.
    TESTWORLD scene;
    scene.AddSphere(0, 0, 0, 1, {0, 0, 0, 0.0, 1.0, 0.0, 0.0, 0.5});
    scene.AddSphere(0, 0, 20, 1, {200, 100, 50, 1.0, 0.0});
    EXPECT_EQ(AtCentre(scene, 0), Packed(0, 0, 0)) << "depth 0: no transmitted ray";
    EXPECT_EQ(AtCentre(scene, 1), Packed(100, 50, 25));
}

TEST_F(TraceTest, ShininessSquaresTheHighlightThatManyTimes)
{
    // Only the highlight: from (0, 0, -1) the light at (0, 2, -4) lies along (0, 2, -3)/√13,
    // and the mirrored ray along (0, 0, -1), so s = 3/√13 = 0.832.
    struct Case {
        std::uint16_t shininess;
        std::uint8_t expected; // 255 × s^(2^n), truncated
    };
    for (const Case& c : {Case{0, 212}, Case{1, 176}, Case{2, 122}}) {
        SCOPED_TRACE(c.shininess);
        TESTWORLD scene;
        scene.AddSphere(0, 0, 0, 1, {0, 0, 0, 0.0, 0.0, 1.0, 0.0, 0.0, c.shininess});
        scene.AddLight(0, 2, -4);
        EXPECT_EQ(AtCentre(scene), Packed(c.expected, c.expected, c.expected));
    }
}

TEST_F(TraceTest, MeshObjectsAreNeverHit)
{
    TESTWORLD scene;
    scene.world.SetBackground(KXCOLOR().Set(10, 20, 30, 0));
    KXOBJECT3D& mesh = scene.MakeMesh(0.0, 100.0);
    mesh.AddMaterial(&scene.Material(kShiny));
    scene.world.AddObject(&mesh);
    scene.AddLight(0, 0, -20);
    bool hit = true;
    EXPECT_EQ(AtCentre(scene, 3, &hit), Packed(10, 20, 30));
    EXPECT_FALSE(hit);
}

TEST_F(TraceTest, ObjectWithoutMaterialIsShadedAsANewMaterial)
{
    // A new material is black, fully diffuse and slightly shiny: only the highlight shows.
    TESTWORLD scene;
    scene.AddBareSphere(1.0);
    scene.AddLight(0, 0, -20);
    EXPECT_EQ(AtCentre(scene), Packed(25, 25, 25));
}

// Rays along +z at height x0 beside the unit sphere on the origin: near the outline the
// point of the bounding test lies just outside the radius, so the sphere is hit only while
// that point's length, rounded as the library rounds it, stays within the radius.
TEST_F(TraceTest, BoundingTestDecidesAsTheRootedLengthDoesRightAtTheOutline)
{
    TESTWORLD scene;
    KXSPHERE& sphere = scene.AddSphere(0, 0, 0, 1, {255, 255, 255, 1.0, 0.0});
    const auto passes = [&sphere](double x0) {
        const KXVECTOR origin(x0, 0.0, -10.0);
        KXVECTOR direction(4);
        direction.Set(0.0, 0.0, 1.0);
        const double dist = (sphere.GetPosition() - origin).Length();
        const KXVECTOR p = origin + direction * dist;
        return (p - sphere.GetPosition()).Length() <= sphere.GetBoundingRadius();
    };
    // Where the test turns from passing to failing.
    double inside = 0.99;
    double outside = 0.9999;
    ASSERT_TRUE(passes(inside));
    ASSERT_FALSE(passes(outside));
    for (int i = 0; i < 100; ++i) {
        const double middle = (inside + outside) / 2;
        (passes(middle) ? inside : outside) = middle;
    }
    // Every representable height within 4000 steps either side of it.
    double x0 = inside;
    for (int k = 0; k < 4000; ++k)
        x0 = std::nextafter(x0, 0.0);
    int passing = 0;
    for (int k = 0; k <= 8000; ++k, x0 = std::nextafter(x0, 1.0)) {
        bool hit = false;
        Trace(scene, x0, 0, -10, 0, 0, 1, 0, &hit);
        ASSERT_EQ(hit, passes(x0)) << std::hexfloat << x0;
        passing += hit;
    }
    EXPECT_GT(passing, 2000);
    EXPECT_LT(passing, 6000);
}

} // namespace
