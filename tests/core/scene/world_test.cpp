// The world's calls on its renderer, in the fixed orders every renderer relies on.
#include "fakeclock.h"
#include "recording_renderer.h"

#include "kxcamera.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxmodule.h"
#include "kxobject3d.h"
#include "kxworld.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

class WorldTest : public FakeClockTest {
protected:
    WorldTest()
    {
        for (int i = 0; i < 3; ++i)
            objects[i].SetPosition(i + 1, 0, 0);
        cameras[0].SetPosition(7, 0, 0);
        cameras[1].SetPosition(8, 0, 0);
    }

    // The calls made on the renderer since the last look, each with the tag of the object
    // or camera it was given (its x coordinate).
    Calls Take()
    {
        Calls taken;
        for (const RECORDINGRENDERER::CALL& call : renderer.calls) {
            std::string text = call.what;
            for (KXNULLOBJECT* o : std::initializer_list<KXNULLOBJECT*>{
                     &objects[0], &objects[1], &objects[2], &cameras[0], &cameras[1]}) {
                if (call.object == o)
                    text += " " + std::to_string(static_cast<int>(*o->GetCoord(0)));
            }
            if (call.what == std::string("DrawObject"))
                text += " " + std::to_string(call.flag);
            taken.push_back(text);
        }
        renderer.calls.clear();
        return taken;
    }

    // Declared first, so that it outlives the objects registered with it.
    RECORDINGRENDERER renderer;
    KXWORLD world;
    KXOBJECT3D objects[3];
    KXCAMERA cameras[2];
    KXLIGHT light;
    KXMATERIAL material;
};

TEST_F(WorldTest, NewWorld)
{
    EXPECT_STREQ(world.GetName(), "KXWORLD");
    EXPECT_EQ(world.GetRenderer(), nullptr);
    EXPECT_EQ(world.GetCurrentCamera(), -1);
    EXPECT_EQ(world.GetFrameCount(), 1);
    EXPECT_EQ(world.GetFrameTime(), 1.0);
    EXPECT_EQ(world.GetLoaderSet().GetOwner(), &world);
}

TEST_F(WorldTest, WithoutARendererNothingIsCalled)
{
    EXPECT_EQ(world.AddObject(&objects[0]), 1);
    EXPECT_EQ(world.AddCamera(&cameras[0]), 1);
    EXPECT_EQ(world.AddLight(&light), 1);
    EXPECT_EQ(world.GetCurrentCamera(), 0);
    EXPECT_EQ(objects[0].GetWorld(), &world);
    EXPECT_EQ(light.GetWorld(), &world);
    EXPECT_FALSE(world.Render());
    EXPECT_FALSE(world.Clear());
    EXPECT_FALSE(world.AttachRenderer());
    EXPECT_EQ(world.GetObjectCount(), 1); // a refused clear leaves the world as it was
    EXPECT_TRUE(Take().empty());
}

// Binding only stores the renderer; objects already there stay unregistered until the
// whole world is attached.
TEST_F(WorldTest, BindingThenAttaching)
{
    world.AddObject(&objects[0]);
    world.AddObject(&objects[1]);
    world.AddCamera(&cameras[0]);
    world.SetRenderer(&renderer);
    EXPECT_TRUE(Take().empty());
    EXPECT_TRUE(world.AttachRenderer());
    EXPECT_EQ(Take(), (Calls{"AttachWorld", "AttachObject 1", "AttachObject 2", "SetCamera 7"}));
}

TEST_F(WorldTest, AddingWithARendererBound)
{
    world.SetRenderer(&renderer);
    world.AddObject(&objects[0]);
    EXPECT_EQ(Take(), (Calls{"AttachObject 1"}));
    EXPECT_EQ(world.AddCamera(&cameras[0]), 1);
    EXPECT_EQ(world.AddCamera(&cameras[1]), 2);
    EXPECT_EQ(world.GetCurrentCamera(), 1);
    EXPECT_EQ(Take(), (Calls{"SetCamera 7", "SetCamera 8"}));
    world.SetCurrentCamera(0);
    EXPECT_EQ(Take(), (Calls{"SetCamera 7"}));
    world.AddLight(&light);
    EXPECT_TRUE(Take().empty());
}

TEST_F(WorldTest, RendererThatDrawsTheWholeWorld)
{
    world.SetRenderer(&renderer);
    world.AddObject(&objects[0]);
    Take();
    renderer.renderAnswer = true;
    EXPECT_TRUE(world.Render());
    EXPECT_EQ(Take(), (Calls{"BeginRender", "Render"}));
}

// Objects with a material are left to the renderer (every object is visible: nothing
// hides one).
TEST_F(WorldTest, ObjectsDrawThemselvesWhenTheRendererDoesNot)
{
    world.SetRenderer(&renderer);
    for (KXOBJECT3D& o : objects)
        world.AddObject(&o);
    objects[1].AddMaterial(&material);
    Take();
    EXPECT_TRUE(world.Render());
    EXPECT_EQ(Take(),
              (Calls{"BeginRender", "Render", "DrawObject 1 0", "DrawObject 3 0", "EndRender"}));
}

TEST_F(WorldTest, ClearDetachesAndKeepsTheCameras)
{
    world.SetRenderer(&renderer);
    world.AddObject(&objects[0]);
    world.AddObject(&objects[1]);
    world.AddCamera(&cameras[0]);
    world.AddLight(&light);
    Take();
    EXPECT_TRUE(world.Clear());
    EXPECT_EQ(Take(), (Calls{"DetachWorld", "DetachObject 1", "DetachObject 2"}));
    EXPECT_EQ(world.GetObjectCount(), 0);
    EXPECT_EQ(world.GetLightCount(), 0);
    EXPECT_EQ(world.GetCameraCount(), 1);
    EXPECT_EQ(world.GetCurrentCamera(), 0);
    EXPECT_EQ(objects[0].GetWorld(), &world); // the objects keep their world
    world.Render();
    EXPECT_EQ(Take(), (Calls{"BeginRender", "Render", "EndRender"}));
}

TEST_F(WorldTest, AttachingAWorldWithoutACameraThrowsAfterTheObjects)
{
    world.AddObject(&objects[0]);
    world.SetRenderer(&renderer);
    try {
        world.AttachRenderer();
        FAIL() << "no exception";
    } catch (const KXEXCEPTION& e) {
        EXPECT_STREQ(e.GetMessage(),
                     "Exception in operateur [] of KXREFCOLLECTION:index out of bounds");
    }
    EXPECT_EQ(Take(), (Calls{"AttachWorld", "AttachObject 1"}));
    EXPECT_THROW(world.GetObject(1), KXEXCEPTION);
    EXPECT_THROW(world.GetLight(0), KXEXCEPTION);
}

TEST_F(WorldTest, BackgroundCopiesChannelsOnly)
{
    KXCOLOR colour;
    colour.SetMasks(0xFF0000, 0xFF00, 0xFF, 0).Set(1, 2, 3, 4);
    world.SetBackground(colour);
    EXPECT_EQ(world.GetBackground().ToPixel32(), 0x04030201u);
}

// The frame count is the number of calls counted in the previous second: all of them in
// the process's first second, all but the opening one later.
TEST_F(WorldTest, AnimateCountsFramesPerSecond)
{
    SetNow(1000);
    for (int i = 0; i < 5; ++i)
        world.Animate();
    SetNow(1001);
    world.Animate();
    EXPECT_EQ(world.GetFrameCount(), 5);
    EXPECT_DOUBLE_EQ(world.GetFrameTime(), 0.2);
    for (int i = 0; i < 4; ++i)
        world.Animate();
    SetNow(1002);
    world.Animate();
    EXPECT_EQ(world.GetFrameCount(), 4);
    EXPECT_DOUBLE_EQ(world.GetFrameTime(), 0.25);
    SetNow(1003);
    world.Animate();
    EXPECT_EQ(world.GetFrameCount(), 0);
    EXPECT_DOUBLE_EQ(world.GetFrameTime(), 1.0);
}

TEST_F(WorldTest, AnimateMovesEveryObjectOneFrame)
{
    world.AddObject(&objects[0]);
    objects[0].SetVelocity(5, 5, 5);
    SetNow(2000);
    world.Animate();
    // The velocity is cleared first, so the object stays where it was.
    EXPECT_DOUBLE_EQ(*objects[0].GetCoord(0), 1.0);
    EXPECT_DOUBLE_EQ(*objects[0].GetCoord(1), 0.0);
}

} // namespace
