#include "kxrayscene.h"

#include "kxprimitive.h"

#include "kxcolor.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxworld.h"

using namespace corvel;

VEC4 corvel::ToVec4(const KXVECTOR& v)
{
    return {v.GetOrZero(0), v.GetOrZero(1), v.GetOrZero(2), v.GetOrZero(3)};
}

namespace {

// The colour has no reader for its alpha channel: it comes out of a packed copy whose
// masks are known (a copy takes the four channels and keeps its own masks).
RGBA ToRgba(const KXCOLOR& c)
{
    KXCOLOR packed;
    packed.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    packed = c;
    return {c.GetR(), c.GetG(), c.GetB(), static_cast<std::uint8_t>(packed.ToPixel32() >> 24)};
}

RAYMATERIAL ToRayMaterial(KXMATERIAL& m)
{
    RAYMATERIAL r;
    r.colour = ToRgba(m.GetColor());
    r.ambient = m.GetAmbient();
    r.diffuse = m.GetDiffuse();
    r.specular = m.GetSpecular();
    r.reflection = m.GetReflection();
    r.refraction = m.GetRefraction();
    r.shininess = m.GetShininess();
    return r;
}

} // namespace

KXRAYSCENE::KXRAYSCENE(KXWORLD& world)
{
    KXMATERIAL fallback;
    const int objectCount = world.GetObjectCount();
    for (int i = 0; i < objectCount; ++i) {
        KXOBJECT3D* object = world.GetObject(i);
        const std::uint16_t type = object->GetType();
        if (type != KXTYPE_SPHERE && type != KXTYPE_PLANE)
            continue;
        RAYPRIMITIVE p;
        p.type = type;
        p.position = ToVec4(object->GetPosition());
        p.bounding = object->GetBoundingRadius();
        if (type == KXTYPE_SPHERE) {
            p.radius = static_cast<KXSPHERE*>(object)->GetRadius();
        } else {
            const KXPLANE* plane = static_cast<KXPLANE*>(object);
            p.normal = ToVec4(plane->GetNormal());
            p.distance = plane->GetDistance();
        }
        p.material =
            ToRayMaterial(object->GetMaterialCount() > 0 ? *object->GetMaterial(0) : fallback);
        primitives.push_back(p);
    }
    const int lightCount = world.GetLightCount();
    for (int i = 0; i < lightCount; ++i) {
        KXLIGHT* light = world.GetLight(i);
        lights.push_back({ToVec4(light->GetPosition()), ToRgba(light->GetColor()),
                          ToRgba(light->GetSpecularColor())});
    }
    background = ToRgba(world.GetBackground());
}
