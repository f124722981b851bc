#include "kxworld.h"

#include "kxboundary.h"
#include "kxcamera.h"
#include "kxlight.h"
#include "kxmodule.h"
#include "kxobject3d.h"
#include "kxclock.h"

namespace {

// The counters of Animate: one pair per deliverable, shared by all its worlds.
bool animated = false;
std::int64_t lastSecond = 0;
std::int32_t callsThisSecond = 0;

// The scene's walk over a list of pointers, which the default item ends on an empty one.
template <class T, class F> void ForEach(KXREFCOLLECTION<T*>& list, F&& visit)
{
    list.MoveFirst();
    T* item = list.GetCurrent();
    while (item != nullptr) {
        visit(item);
        item = list.MoveNext() >= 1 ? list.GetCurrent() : nullptr;
    }
}

// Tells the renderer of the object; a renderer that throws has failed to take it.
void AttachTo(KXRENDERER* renderer, KXOBJECT3D* object)
{
    CallContained([renderer, object] { renderer->AttachObject(object); });
}

} // namespace

KXWORLD::KXWORLD() : KXOBJECT("KXWORLD"), loaders(KXKIND_WORLDLOADER)
{
    loaders.SetOwner(this);
}

int KXWORLD::AddObject(KXOBJECT3D* object)
{
    object->SetWorld(this);
    if (renderer != nullptr) {
        object->SetRenderer(renderer);
        AttachTo(renderer, object);
    }
    return objects.Add(object);
}

int KXWORLD::AddLight(KXLIGHT* light)
{
    light->SetWorld(this);
    return lights.Add(light);
}

int KXWORLD::AddCamera(KXCAMERA* camera)
{
    camera->SetWorld(this);
    const int position = cameras.Add(camera);
    // A camera the list could not take never becomes current: the camera before it
    // stays, rather than a position that names nothing.
    if (position > 0)
        SetCurrentCamera(position - 1);
    return position;
}

bool KXWORLD::Render()
{
    if (renderer == nullptr)
        return false;
    // The renderer is a plug-in's: an operation of it that throws has failed, and the
    // world goes on as it would after that failure.
    CallContained([this] { renderer->BeginRender(); });
    if (CallContained(false, [this] { return renderer->Render(this); }))
        return true;
    ForEach(objects, [](KXOBJECT3D* object) {
        if (object->IsVisible() && object->GetMaterialCount() == 0)
            object->Draw(0);
    });
    CallContained([this] { renderer->EndRender(); });
    return true;
}

bool KXWORLD::Clear()
{
    if (renderer == nullptr)
        return false;
    CallContained([this] { renderer->DetachWorld(this); });
    ForEach(objects, [this](KXOBJECT3D* object) {
        CallContained([this, object] { renderer->DetachObject(object); });
    });
    objects.RemoveAll();
    lights.RemoveAll();
    materials.RemoveAll();
    return true;
}

bool KXWORLD::SpareCheck(std::int32_t /*value*/)
{
    return true;
}

bool KXWORLD::AttachRenderer()
{
    if (renderer == nullptr)
        return false;
    CallContained([this] { renderer->AttachWorld(this); });
    ForEach(objects, [this](KXOBJECT3D* object) {
        object->SetRenderer(renderer);
        AttachTo(renderer, object);
    });
    KXCAMERA* camera = cameras[currentCamera];
    CallContained([this, camera] { renderer->SetCamera(camera); });
    return true;
}

void KXWORLD::SetCurrentCamera(int i)
{
    currentCamera = i;
    if (renderer != nullptr) {
        KXCAMERA* camera = cameras[i];
        CallContained([this, camera] { renderer->SetCamera(camera); });
    }
}

void KXWORLD::Animate()
{
    const std::int64_t now = ClockSeconds();
    if (!animated) {
        animated = true;
        lastSecond = now;
    }
    if (now == lastSecond) {
        ++callsThisSecond;
    } else {
        frameCount = callsThisSecond;
        frameTime = callsThisSecond != 0 ? 1.0 / callsThisSecond : 1.0;
        callsThisSecond = 0;
        lastSecond = now;
    }
    for (int i = 0; i < objects.GetCount(); ++i) {
        KXOBJECT3D* object = objects[i];
        object->SetVelocity(0, 0, 0);
        object->Update();
        object->Move(1.0);
    }
}
