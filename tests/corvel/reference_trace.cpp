#include "reference_trace.h"

#include "kxprimitive.h"

#include "kxcamera.h"
#include "kxcolor.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxvector.h"
#include "kxworld.h"

#include <cmath>

namespace {

constexpr int kPlain = 0;
constexpr int kShadow = 1;
constexpr int kInside = 2;

class REFRAY {
public:
    REFRAY() { colour.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000); }

    bool Trace(KXWORLD& world, std::uint16_t depth)
    {
        double best = -1.0;
        KXMATERIAL fallback;
        for (int i = 0; i < world.GetObjectCount(); ++i) {
            KXOBJECT3D& object = *world.GetObject(i);
            t = -1.0;
            if (!Intersect(object))
                continue;
            if (!(t > 0.0))
                continue;
            if (mode == kShadow)
                return true;
            if (best >= 0.0 && t > best)
                continue;
            colour.Set(0, 0, 0, 0);
            best = t;
            material = object.GetMaterialCount() > 0 ? object.GetMaterial(0) : &fallback;
            REFRAY child;
            child.origin = hitPoint;
            Shade(world, child);
            if (depth != 0 && material->GetReflection() != 0.0)
                Reflect(world, child, depth - 1);
            if (depth != 0 && material->GetRefraction() != 0.0)
                Refract(world, object, child, depth - 1);
        }
        if (best < 0.0) {
            colour = world.GetBackground();
            return false;
        }
        return true;
    }

    // An inside ray skips the bounding test and leaves through the far root.
    bool Intersect(KXOBJECT3D& object)
    {
        if (mode != kInside && !BoundingTest(object))
            return false;
        bool hit = false;
        if (object.GetType() == 101)
            hit = IntersectSphere(static_cast<KXSPHERE&>(object));
        else if (object.GetType() == 102)
            hit = IntersectPlane(static_cast<KXPLANE&>(object));
        if (hit) {
            const double k = -(direction * normal);
            mirrorDirection = normal * k * 2.0 + direction;
            mirrorDirection.Normalize();
        }
        return hit;
    }

    bool BoundingTest(KXOBJECT3D& object)
    {
        if (object.GetType() == 102)
            return true;
        const double dist = (object.GetPosition() - origin).Length();
        const KXVECTOR p = origin + direction * dist;
        return (p - object.GetPosition()).Length() <= object.GetBoundingRadius();
    }

    bool IntersectSphere(KXSPHERE& sphere)
    {
        const KXVECTOR l = origin - sphere.GetPosition();
        const double dx = *direction.GetItem(0);
        const double dy = *direction.GetItem(1);
        const double dz = *direction.GetItem(2);
        const double lx = *l.GetItem(0);
        const double ly = *l.GetItem(1);
        const double lz = *l.GetItem(2);
        const double a = dx * dx + dy * dy + dz * dz;
        const double b = 2.0 * (dx * lx + dy * ly + dz * lz);
        const double c = (lx * lx + ly * ly + lz * lz) - sphere.GetRadius() * sphere.GetRadius();
        const double disc = b * b - 4.0 * a * c;
        if (disc < 0.0)
            return false;
        if (disc == 0.0)
            t = -b / (2.0 * a);
        else if (mode == kInside)
            t = (-b + std::sqrt(disc)) / (2.0 * a);
        else
            t = (-b - std::sqrt(disc)) / (2.0 * a);
        if (t < 0.0)
            return false;
        if (mode == kShadow)
            return true;
        hitPoint = origin + direction * t;
        normal =
            mode == kInside ? sphere.GetPosition() - hitPoint : hitPoint - sphere.GetPosition();
        normal.Normalize();
        return true;
    }

    bool IntersectPlane(KXPLANE& plane)
    {
        const double denom = plane.GetNormal() * direction;
        if (!(denom < 0.0))
            return false;
        t = (plane.GetDistance() - plane.GetNormal() * origin) / denom;
        if (mode == kShadow)
            return true;
        normal = plane.GetNormal();
        if (mode == kInside)
            normal.Negate();
        hitPoint = origin + direction * t;
        return true;
    }

    void Shade(KXWORLD& world, REFRAY& child)
    {
        KXMATERIAL& m = *material;
        if (m.GetAmbient() != 0.0) {
            colour = m.GetColor();
            colour.Scale(m.GetAmbient());
        }
        for (int i = 0; i < world.GetLightCount(); ++i) {
            KXLIGHT& light = *world.GetLight(i);
            child.direction = light.GetPosition() - hitPoint;
            child.direction.Normalize();
            child.mode = kShadow;
            if (child.Trace(world, 0))
                continue;
            if (m.GetDiffuse() > 0.0) {
                double cosine = child.direction * normal;
                if (cosine < 0.0)
                    cosine = 0.0;
                KXCOLOR term;
                term = m.GetColor();
                term.Modulate(light.GetColor());
                term.Scale(cosine * m.GetDiffuse());
                colour.AddSaturate(term);
            }
            if (m.GetSpecular() > 0.0) {
                double s = child.direction * mirrorDirection;
                if (s < 0.0)
                    s = 0.0;
                else
                    for (unsigned n = 0; n < m.GetShininess(); ++n)
                        s = s * s;
                KXCOLOR term;
                term = light.GetSpecularColor();
                term.Scale(s * m.GetSpecular());
                colour.AddSaturate(term);
            }
        }
    }

    void Reflect(KXWORLD& world, REFRAY& child, std::uint16_t depth)
    {
        child.direction = mirrorDirection;
        child.mode = kPlain;
        child.Trace(world, depth);
        child.colour.Scale(material->GetReflection());
        colour.AddSaturate(child.colour);
    }

    // No way out of the object: nothing is added.
    void Refract(KXWORLD& world, KXOBJECT3D& object, REFRAY& child, std::uint16_t depth)
    {
        transmittedDirection = direction;
        child.direction = transmittedDirection;
        child.mode = kInside;
        if (!child.Intersect(object))
            return;
        child.direction = transmittedDirection;
        child.origin = child.hitPoint;
        child.mode = kPlain;
        child.Trace(world, depth);
        child.colour.Scale(material->GetRefraction());
        colour.AddSaturate(child.colour);
    }

    int mode = kPlain;
    KXVECTOR origin{4};
    KXVECTOR direction{4};
    KXVECTOR hitPoint{4};
    KXVECTOR normal{4};
    KXVECTOR mirrorDirection{4};
    KXVECTOR transmittedDirection{4};
    KXCOLOR colour;
    double t = 0.0;
    KXMATERIAL* material = nullptr;
};

} // namespace

std::vector<std::uint32_t> ReferenceRender(KXWORLD& world, KXCAMERA& camera, int width, int height)
{
    std::vector<std::uint32_t> pixels;
    const int hw = width / 2;
    const int hh = height / 2;
    const double d = hw * camera.GetFocal();
    for (int y = hh; y > hh - height; --y) {
        for (int x = -hw; x < width - hw; ++x) {
            REFRAY ray;
            ray.origin = camera.GetPosition();
            ray.direction.Set(x, y, d);
            ray.direction.Normalize();
            ray.Trace(world, 3);
            pixels.push_back(ray.colour.ToPixel32());
        }
    }
    return pixels;
}
