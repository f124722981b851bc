// The raytracer's sphere and plane: the type codes the tracing knows them by, and what
// each keeps of its shape.
#include "kxprimitive.h"
#include "tempdir.h"

#include "kxnullobject.h"

#include <gtest/gtest.h>

namespace {

TEST(Primitive, SphereKeepsItsRadiusAsItsBoundingRadius)
{
    ScopedTempDir dir;
    dir.Enter();
    KXSPHERE sphere(0.0);
    EXPECT_EQ(sphere.GetType(), KXTYPE_SPHERE);
    EXPECT_STREQ(sphere.GetName(), "KXSPHERE");
    sphere.SetRadius(2.0);
    EXPECT_EQ(sphere.GetRadius(), 2.0);
    EXPECT_EQ(sphere.GetBoundingRadius(), 2.0);
    KXSPHERE built(1.5);
    EXPECT_EQ(built.GetBoundingRadius(), 1.5);
}

TEST(Primitive, PlaneIsTheGroundWhateverItIsGiven)
{
    ScopedTempDir dir;
    dir.Enter();
    for (double given : {0.0, 7.5}) {
        KXPLANE plane(given);
        EXPECT_EQ(plane.GetType(), KXTYPE_PLANE);
        EXPECT_STREQ(plane.GetName(), "KXPLANE");
        EXPECT_EQ(plane.GetDistance(), 0.0);
        const double expected[] = {0.0, 1.0, 0.0, 0.0};
        for (std::uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(*plane.GetNormal().GetItem(i), expected[i]) << i;
    }
}

} // namespace
