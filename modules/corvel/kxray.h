// KXRAY, one primary ray of the raytracer: an origin, a unit direction and the colour it
// found. The raytracer keeps one per pixel between renders. What a trace needs beyond
// that (the hit point, the normal, the mirrored and transmitted directions, the shadow,
// reflected and transmitted child rays) lives on the trace's stack for one hit, so tracing
// allocates nothing.
#pragma once

#include "kxrayscene.h"
#include "raymath.h"

#include "kxcolor.h"
#include "kxobject.h"

#include <cstdint>

class KXVECTOR;
class KXWORLD;

// The raytracer walks hundreds of thousands of rays twice a frame (aiming, tracing), so a
// ray is laid out on cache lines: the result in the line of the object's own fields, origin
// and direction together in the next, the colour after them. Aiming then writes one line
// per ray and tracing reads it.
class alignas(64) KXRAY : public KXOBJECT {
public:
    // At the origin with a zero direction; the colour packs into a 32-bit surface pixel
    // (red 0xFF0000, green 0xFF00, blue 0xFF, alpha 0xFF000000).
    KXRAY();
    ~KXRAY() = default;

    // Copy the first four components (missing ones read as 0).
    void SetOrigin(const KXVECTOR& v);
    void SetDirection(const KXVECTOR& v);
    // Sets x, y and z of the direction; w stays.
    void SetDirection(double x, double y, double z);
    void NormalizeDirection();
    // Aims the ray from origin along (x, y, z, 0), normalised: the same as SetOrigin,
    // SetDirection and NormalizeDirection, without their calls. The whole origin and
    // direction are written, w included: a direction that cannot be normalised (zero or
    // undefined, from a degenerate camera) comes out undefined in every component, and
    // nothing of it may outlive the frame aimed with it.
    void Aim(const corvel::VEC4& from, double x, double y, double z)
    {
        corvel::VEC4 towards{x, y, z, 0.0};
        corvel::Normalize(towards);
        origin = from;
        direction = towards;
    }
    // Asks for the line of the origin and direction, which Aim writes and a trace reads.
    void PrefetchAim() const { __builtin_prefetch(&origin, 1); }
    void SetOrigin(const corvel::VEC4& v) { origin = v; }
    const corvel::VEC4& GetOrigin() const { return origin; }
    const corvel::VEC4& GetDirection() const { return direction; }

    // The colour the last trace found; it is brought up to date here rather than in every
    // trace, which keeps the render from touching it.
    KXCOLOR& GetColor();

    // Traces the ray through the world with depth generations of reflected and transmitted
    // rays below it; true when something was hit. The colour is then the ray's result.
    bool Trace(KXWORLD* world, std::uint16_t depth);
    // The same through a scene already taken from a world: the raytracer's render.
    bool Trace(KXRAYSCENE& scene, std::uint16_t depth);
    // The colour as a pixel of the 32-bit surface.
    std::uint32_t GetPixel() const { return corvel::PackPixel(found); }

private:
    // What a render writes, beside the object's own fields; what it reads, on a line of
    // its own.
    corvel::RGBA found;
    alignas(64) corvel::VEC4 origin;
    corvel::VEC4 direction;
    KXCOLOR colour;
};
