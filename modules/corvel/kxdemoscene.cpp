#include "kxdemoscene.h"

#include "kxmodule.h"

KXDEMOSCENE::KXDEMOSCENE()
{
    // Red is lit by diffuse light only; the others keep a material's faint highlight.
    work.Set(255, 0, 0, 0);
    red.SetColor(work);
    red.SetSpecular(0.0);
    red.SetShininess(0);
    red.SetAmbient(0.0);
    red.SetDiffuse(1.0);
    work.Set(100, 100, 100, 0);
    grey.SetColor(work);
    work.Set(0, 200, 0, 0);
    green.SetColor(work);
    work.Set(0, 50, 200, 0);
    blue.SetColor(work);
    blue.SetRefraction(0.8);
}

bool KXDEMOSCENE::Stage(KXRENDERER* renderer)
{
    world.SetRenderer(renderer);
    work.Set(0, 0, 0, 0);
    world.SetBackground(work);
    camera.SetFocal(1.5);
    camera.SetTargetPosition(0.0, -3.0, 0.0);

    redSphere.SetRadius(2.0);
    redSphere.SetPosition(-3.5, 2.0, 2.0);
    redSphere.AddMaterial(&red);
    greySphere.SetRadius(1.5);
    greySphere.SetPosition(3.0, 3.0, 3.0);
    greySphere.AddMaterial(&grey);
    blueSphere.SetRadius(1.0);
    blueSphere.SetPosition(-0.5, 2.0, -3.0);
    blueSphere.AddMaterial(&blue);
    ground.AddMaterial(&green);

    world.AddObject(&redSphere);
    world.AddObject(&greySphere);
    world.AddObject(&blueSphere);
    world.AddObject(&ground);
    world.AddCamera(&camera);
    world.AddLight(&light);
    return IsWhole();
}

// Each primitive holds its one material and each material names its one user; the world
// holds the four primitives, the camera and the light.
bool KXDEMOSCENE::IsWhole()
{
    const KXOBJECT3D* const primitives[] = {&redSphere, &greySphere, &blueSphere, &ground};
    for (const KXOBJECT3D* primitive : primitives)
        if (primitive->GetMaterialCount() != 1)
            return false;
    for (const KXMATERIAL* material : {&red, &grey, &blue, &green})
        if (material->GetUserCount() != 1)
            return false;
    return world.GetObjectCount() == 4 && world.GetCameraCount() == 1 &&
           world.GetLightCount() == 1;
}
