// The world when memory runs out while a camera is added.
#include "failnth.h"
#include "recording_renderer.h"

#include "kxcamera.h"
#include "kxworld.h"

#include <gtest/gtest.h>

namespace {

// With and without a renderer bound: a renderer is handed every camera made current, so
// a current position that names nothing would throw there, and later in AttachRenderer
// without one.
TEST(WorldAllocation, ACameraTheListCannotTakeLeavesTheCurrentCameraAsItWas)
{
    for (const bool bound : {false, true}) {
        SCOPED_TRACE(bound ? "renderer bound" : "no renderer");
        RECORDINGRENDERER renderer;
        KXWORLD world;
        KXCAMERA kept;
        KXCAMERA refused;
        if (bound)
            world.SetRenderer(&renderer);
        ASSERT_EQ(world.AddCamera(&kept), 1);
        renderer.calls.clear();

        int added = 0;
        {
            const FAILNTH failing(1);
            added = world.AddCamera(&refused);
            ASSERT_TRUE(FAILNTH::Reached());
        }
        EXPECT_LT(added, 0);
        EXPECT_EQ(world.GetCameraCount(), 1);
        EXPECT_EQ(world.GetCurrentCamera(), 0);
        EXPECT_TRUE(renderer.calls.empty());

        // The current position still names a camera a renderer can be handed.
        world.SetRenderer(&renderer);
        EXPECT_NO_THROW(world.SetCurrentCamera(world.GetCurrentCamera()));
        world.SetRenderer(nullptr);
    }
}

} // namespace
