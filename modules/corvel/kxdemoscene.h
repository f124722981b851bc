// The raytracer's demo scene: three spheres (red, grey, and a blue one that lets light
// through) over a green ground plane, one white light, seen from a camera behind and above
// them. Everything lives in this object; the scene is taken down with it, in the reverse
// order of construction.
#pragma once

#include "kxprimitive.h"

#include "kxcamera.h"
#include "kxcolor.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxworld.h"

class KXRENDERER;

class KXDEMOSCENE {
public:
    // Builds the world, camera, light, primitives and materials, and colours the materials.
    // The world and each primitive scan the plug-in directory as they are built.
    KXDEMOSCENE();
    KXDEMOSCENE(const KXDEMOSCENE&) = delete;
    KXDEMOSCENE& operator=(const KXDEMOSCENE&) = delete;

    // Binds the renderer to the world and puts the scene together: the primitives, then the
    // camera (which aims the renderer's rays), then the light. True when every material,
    // object, camera and light made it into the scene: the lists refuse an addition they
    // cannot allocate for without saying so, and a scene short of one draws another
    // picture.
    bool Stage(KXRENDERER* renderer);
    KXWORLD& GetWorld() { return world; }

private:
    bool IsWhole();

    KXWORLD world;
    KXCAMERA camera{0.0, 3.0, -8.0};
    KXLIGHT light{5.0, 15.0, -5.0};
    KXSPHERE redSphere{0.0};
    KXSPHERE greySphere{0.0};
    KXSPHERE blueSphere{0.0};
    KXPLANE ground{0.0};
    KXCOLOR work;
    KXMATERIAL red;
    KXMATERIAL grey;
    KXMATERIAL green;
    KXMATERIAL blue;
};
