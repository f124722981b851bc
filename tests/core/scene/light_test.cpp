// Tests of KXLIGHT: the values a new light starts with, and a specular colour that is a
// copy of the diffuse one rather than a second name for it.
#include "kxlight.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using geometry::Components;

TEST(Light, NewLightIsWhiteWithItsDefaultSettings)
{
    const KXLIGHT light(1, 2, 3);
    EXPECT_STREQ(light.GetName(), "KXNULLOBJECT");
    EXPECT_EQ(light.GetType(), KXTYPE_LIGHT);
    EXPECT_EQ(light.GetKind(), 6);
    EXPECT_EQ(Components(light.GetPosition()), (std::vector<double>{1, 2, 3, 1}));
    // Red, green and blue 255 with alpha 0, in the default channel layout.
    EXPECT_EQ(light.GetColor().ToPixel32(), 0x00FFFFFFu);
    EXPECT_EQ(light.GetSpecularColor().ToPixel32(), 0x00FFFFFFu);
    EXPECT_EQ(light.GetThirdColor().ToPixel32(), 0u);
    EXPECT_EQ(light.GetSettings(), (std::array<double, 5>{1000.0, 0.0, 1.0, 0.0, 0.0}));
    EXPECT_EQ(Components(light.GetTarget().GetPosition()), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(Components(KXLIGHT().GetPosition()), (std::vector<double>{0, 0, 0, 1}));
}

TEST(Light, ColoursAreChangedInPlaceAndIndependently)
{
    KXLIGHT light;
    light.GetColor().Set(10, 20, 30, 40);
    EXPECT_EQ(light.GetColor().ToPixel32(), 0x281E140Au);
    EXPECT_EQ(light.GetSpecularColor().ToPixel32(), 0x00FFFFFFu);
    light.GetSpecularColor().Set(1, 2, 3, 0);
    EXPECT_EQ(light.GetSpecularColor().ToPixel32(), 0x00030201u);
    EXPECT_EQ(light.GetColor().ToPixel32(), 0x281E140Au);
}

TEST(Light, MovesAsEverySceneObject)
{
    KXLIGHT light(5, 15, -5);
    light.Translate(1, 0, 0);
    light.SetVelocity(0, -1, 0);
    light.Update();
    EXPECT_EQ(Components(light.GetPosition()), (std::vector<double>{6, 14, -5, 1}));
    EXPECT_EQ(Components(light.GetTarget().GetPosition()), (std::vector<double>{0, 0, 0, 1}));
}

} // namespace
