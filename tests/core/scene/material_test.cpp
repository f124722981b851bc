// Tests of the material: its defaults, the reference getters and setters, the colour
// that keeps its masks, and the user records it makes and frees.
#include "kxmaterial.h"
#include "kxobject3d.h"

#include <gtest/gtest.h>

namespace {

TEST(Material, NewMaterialIsBlackAndDiffuse)
{
    KXMATERIAL m;
    EXPECT_STREQ(m.GetName(), "KXMATERIAL");
    EXPECT_EQ(m.GetRefraction(), 0.0);
    EXPECT_EQ(m.GetReflection(), 0.0);
    EXPECT_EQ(m.GetAmbient(), 0.0);
    EXPECT_EQ(m.GetDiffuse(), 1.0);
    EXPECT_EQ(m.GetSpecular(), 0.1);
    EXPECT_EQ(m.GetShininess(), 2);
    EXPECT_EQ(m.GetColor().ToPixel32(), 0u);
    EXPECT_EQ(m.GetUserCount(), 0);

    KXMATERIAL named("GOLD");
    EXPECT_STREQ(named.GetName(), "GOLD");
}

TEST(Material, SettersStoreAndGettersGiveTheFieldsThemselves)
{
    KXMATERIAL m;
    m.SetAmbient(0.25);
    m.SetDiffuse(0.5);
    m.SetSpecular(0.75);
    m.SetRefraction(0.125);
    m.SetShininess(40);
    // The reflection has no setter: it is written through its reference.
    m.GetReflection() = 0.625;
    EXPECT_EQ(m.GetAmbient(), 0.25);
    EXPECT_EQ(m.GetDiffuse(), 0.5);
    EXPECT_EQ(m.GetSpecular(), 0.75);
    EXPECT_EQ(m.GetRefraction(), 0.125);
    EXPECT_EQ(m.GetShininess(), 40);
    EXPECT_EQ(m.GetReflection(), 0.625);
}

TEST(Material, SetColorCopiesTheChannelsAndKeepsTheMasks)
{
    KXMATERIAL m;
    KXCOLOR other;
    other.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    other.Set(10, 20, 30, 40);
    m.SetColor(other);
    const KXCOLOR& colour = m.GetColor();
    EXPECT_EQ(colour.GetR(), 10);
    EXPECT_EQ(colour.GetG(), 20);
    EXPECT_EQ(colour.GetB(), 30);
    // Packed through the material's own masks: red stays in the low byte.
    EXPECT_EQ(colour.ToPixel32(), 0x281E140Au);
}

TEST(Material, AddUserRecordsTheObjectAndItsIndex)
{
    KXOBJECT3D object;
    KXMATERIAL a, b, m;
    object.AddMaterial(&a);
    object.AddMaterial(&b);

    EXPECT_EQ(m.AddUser(&object, -1), 1);
    EXPECT_EQ(m.AddUser(&object, 7), 2);
    EXPECT_EQ(m.AddUser(nullptr, -1), -1);
    ASSERT_EQ(m.GetUserCount(), 2);
    EXPECT_EQ(m.GetUser(0).object, &object);
    EXPECT_EQ(m.GetUser(0).index, 2);
    EXPECT_EQ(m.GetUser(1).index, 7);
}

TEST(Material, RemoveUserRemovesTheFirstRecordOfTheObject)
{
    KXOBJECT3D object, stranger;
    KXMATERIAL m;
    m.AddUser(&object, 1);
    m.AddUser(&object, 2);

    EXPECT_FALSE(m.RemoveUser(&stranger));
    EXPECT_EQ(m.GetUserCount(), 2);

    EXPECT_TRUE(m.RemoveUser(&object));
    ASSERT_EQ(m.GetUserCount(), 1);
    EXPECT_EQ(m.GetUser(0).index, 2);
    EXPECT_TRUE(m.RemoveUser(&object));
    EXPECT_FALSE(m.RemoveUser(&object));
    EXPECT_EQ(m.GetUserCount(), 0);
    // The leak checker of the sanitizer build proves the records were freed, here and
    // with the materials of the other tests that still hold records when destroyed.
}

} // namespace
