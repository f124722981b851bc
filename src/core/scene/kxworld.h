// KXWORLD, the scene a renderer draws: its objects, lights, cameras and materials, the
// current camera, a background colour and the renderer bound to it. The world draws
// nothing itself; it calls the renderer in fixed orders that every renderer relies on.
#pragma once

#include "kxcollection.h"
#include "kxcolor.h"
#include "kxmanager.h"
#include "kxobject.h"

#include <cstdint>

class KXCAMERA;
class KXLIGHT;
class KXMATERIAL;
class KXOBJECT3D;
class KXRENDERER;

class KXWORLD : public KXOBJECT {
public:
    KXWORLD();
    // Frees the list nodes only: the objects, lights, cameras, materials and the renderer
    // belong to whoever made them, and the renderer is not told.
    ~KXWORLD() = default;
    KXWORLD(const KXWORLD&) = delete;
    KXWORLD& operator=(const KXWORLD&) = delete;

    // With a renderer bound, the object is registered with it and attached before it
    // joins the list. Returns the list's position of the object, counted from 1.
    virtual int AddObject(KXOBJECT3D* object);
    virtual int AddLight(KXLIGHT* light);
    // The added camera becomes the current one.
    virtual int AddCamera(KXCAMERA* camera);
    // BeginRender, Render; when the renderer did not draw the whole world, every visible
    // object without material draws itself, then EndRender. False without a renderer.
    virtual bool Render();
    // Detaches the world and every object from the renderer, then empties the object,
    // light and material lists; the cameras stay. False without a renderer.
    virtual bool Clear();
    virtual bool SpareCheck(std::int32_t value);

    // Registers the whole world with the bound renderer; throws without a camera.
    bool AttachRenderer();
    // Only stores the renderer: nothing is registered with it and it is not called.
    void SetRenderer(KXRENDERER* newRenderer) { renderer = newRenderer; }
    KXRENDERER* GetRenderer() const { return renderer; }
    // With a renderer bound, the renderer is given camera i (which must exist).
    void SetCurrentCamera(int i);
    int GetCurrentCamera() const { return currentCamera; }

    KXOBJECT3D* GetObject(int i) { return objects[i]; }
    int GetObjectCount() const { return objects.GetCount(); }
    KXLIGHT* GetLight(int i) { return lights[i]; }
    int GetLightCount() const { return lights.GetCount(); }
    int GetCameraCount() const { return cameras.GetCount(); }

    // Copies the four channels; the background keeps its own masks.
    void SetBackground(const KXCOLOR& colour) { background = colour; }
    KXCOLOR& GetBackground() { return background; }
    void SetFlag(std::uint8_t value) { flag = value; }
    KXLOADERSET& GetLoaderSet() { return loaders; }

    // Advances every object by one frame and counts the calls of each second: the frame
    // count is the number counted in the previous second.
    void Animate();
    std::int32_t GetFrameCount() const { return frameCount; }
    double GetFrameTime() const { return frameTime; }

private:
    KXLOADERSET loaders;
    KXCOLOR background;
    std::uint8_t flag = 0;
    std::int32_t frameCount = 1;
    double frameTime = 1.0;
    KXREFCOLLECTION<KXOBJECT3D*> objects;
    KXREFCOLLECTION<KXLIGHT*> lights;
    KXREFCOLLECTION<KXCAMERA*> cameras;
    std::int32_t currentCamera = -1;
    KXRENDERER* renderer = nullptr;
    KXREFCOLLECTION<KXMATERIAL*> materials;
};
