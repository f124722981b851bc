#include "raytrace.h"

#include "kxnullobject.h"

namespace corvel {

namespace {

// Where a ray met an object: the point and the unit normal there.
struct HIT {
    VEC4 point;
    VEC4 normal;
};

// The point of the ray as far from its origin as the object's position must lie within
// the object's bounding radius. Near a sphere's outline this is a little stricter than
// the exact test, so a ray that only grazes the edge misses.
bool BoundingTest(const RAYPRIMITIVE& p, const VEC4& origin, const VEC4& direction)
{
    const double dist = Length(p.position - origin);
    const VEC4 along = origin + direction * dist;
    return Length(along - p.position) <= p.bounding;
}

// The distance to the sphere along the ray, if it is not behind the origin. Plain and
// shadow rays take the nearer root; an inside ray starts on the surface, where the nearer
// root is about zero with a sign left to rounding, so it takes the far root: the point
// where it leaves.
bool IntersectSphere(const RAYPRIMITIVE& p, const VEC4& origin, const VEC4& direction, bool far,
                     double& t)
{
    const VEC4 l = origin - p.position;
    const double a = Dot3(direction, direction);
    const double b = 2.0 * Dot3(direction, l);
    const double c = Dot3(l, l) - p.radius * p.radius;
    const double disc = b * b - 4.0 * a * c;
    if (disc < 0.0)
        return false;
    if (disc == 0.0)
        t = -b / (2.0 * a);
    else if (far)
        t = (-b + std::sqrt(disc)) / (2.0 * a);
    else
        t = (-b - std::sqrt(disc)) / (2.0 * a);
    return !(t < 0.0);
}

// The distance to the plane along the ray; false when the ray does not come from the side
// the normal points to, the only side a plane is seen from. The distance may be of any
// sign: the callers keep only distances ahead.
bool IntersectPlane(const RAYPRIMITIVE& p, const VEC4& origin, const VEC4& direction, double& t)
{
    const double denom = Dot(p.normal, direction);
    if (!(denom < 0.0))
        return false;
    t = (p.distance - Dot(p.normal, origin)) / denom;
    return true;
}

// True when any sphere or plane lies strictly ahead of origin along direction, however far:
// the test of a shadow ray. Any object strictly ahead blocks the light, also one beyond it.
bool Blocked(KXRAYSCENE& scene, const VEC4& origin, const VEC4& direction)
{
    ++scene.rayCount;
    for (const RAYPRIMITIVE& p : scene.primitives) {
        double t = -1.0;
        if (p.type == KXTYPE_PLANE) {
            if (IntersectPlane(p, origin, direction, t) && t > 0.0)
                return true;
        } else if (IntersectSphere(p, origin, direction, false, t) && t > 0.0 &&
                   BoundingTest(p, origin, direction)) {
            return true;
        }
    }
    return false;
}

// Where a ray that entered the object leaves it. A ray inside a sphere is known to be
// within it and skips the bounding test, whose point would lie on the surface it started
// from. (The normal there would point inwards; nothing reads it.)
bool IntersectFromInside(const RAYPRIMITIVE& p, const VEC4& origin, const VEC4& direction,
                         VEC4& exit)
{
    double t = -1.0;
    const bool met = p.type == KXTYPE_PLANE ? IntersectPlane(p, origin, direction, t)
                                            : IntersectSphere(p, origin, direction, true, t);
    if (met)
        exit = origin + direction * t;
    return met;
}

void AddScaled(RGBA& colour, RGBA term, double factor)
{
    Scale(term, factor);
    AddSaturate(colour, term);
}

// The diffuse and specular light of one light that reaches the hit.
void AddLight(const RAYMATERIAL& m, const RAYLIGHT& light, const VEC4& toLight, const HIT& hit,
              const VEC4& mirror, RGBA& colour)
{
    if (m.diffuse > 0.0) {
        double cosine = Dot(toLight, hit.normal);
        if (cosine < 0.0)
            cosine = 0.0;
        RGBA diffuse = m.colour;
        Modulate(diffuse, light.colour);
        AddScaled(colour, diffuse, cosine * m.diffuse);
    }
    if (m.specular > 0.0) {
        // The exponent is 2 to the power of the shininess: s squared that many times. Zero
        // stays zero, so the squaring may stop there.
        double s = Dot(toLight, mirror);
        if (s < 0.0)
            s = 0.0;
        for (unsigned i = 0; i < m.shininess && s != 0.0; ++i)
            s = s * s;
        AddScaled(colour, light.specular, s * m.specular);
    }
}

// What the mirrored ray sees, scaled by the material's reflection.
void Reflect(KXRAYSCENE& scene, const RAYPRIMITIVE& p, const HIT& hit, const VEC4& mirror,
             std::uint16_t depth, RGBA& colour)
{
    RGBA seen;
    TraceRay(scene, hit.point, mirror, depth, seen);
    AddScaled(colour, seen, p.material.reflection);
}

// What the ray that passes through the object sees from where it leaves the object,
// scaled by the material's refraction. When it finds no way out, nothing is added. The
// material has no index of refraction, so the ray goes on in its own direction, not bent.
void Refract(KXRAYSCENE& scene, const RAYPRIMITIVE& p, const HIT& hit, const VEC4& direction,
             std::uint16_t depth, RGBA& colour)
{
    VEC4 exit;
    if (!IntersectFromInside(p, hit.point, direction, exit))
        return;
    RGBA seen;
    TraceRay(scene, exit, direction, depth, seen);
    AddScaled(colour, seen, p.material.refraction);
}

// The colour of the nearest hit: ambient, then each light not blocked, then the reflected
// and the transmitted rays while depth allows.
void Shade(KXRAYSCENE& scene, const RAYPRIMITIVE& p, const HIT& hit, const VEC4& direction,
           std::uint16_t depth, RGBA& colour)
{
    const RAYMATERIAL& m = p.material;
    colour = RGBA{};
    if (m.ambient != 0.0) {
        colour = m.colour;
        Scale(colour, m.ambient);
    }
    const bool reflects = depth != 0 && m.reflection != 0.0;
    // The mirrored direction serves the highlights and the reflected ray; without either
    // nothing reads it.
    const VEC4 mirror =
        m.specular > 0.0 || reflects ? ReflectDirection(direction, hit.normal) : VEC4{};
    for (const RAYLIGHT& light : scene.lights) {
        VEC4 toLight = light.position - hit.point;
        Normalize(toLight);
        if (!Blocked(scene, hit.point, toLight))
            AddLight(m, light, toLight, hit, mirror, colour);
    }
    if (reflects)
        Reflect(scene, p, hit, mirror, depth - 1, colour);
    if (depth != 0 && m.refraction != 0.0)
        Refract(scene, p, hit, direction, depth - 1, colour);
}

} // namespace

VEC4 ReflectDirection(const VEC4& direction, const VEC4& normal)
{
    const double k = -Dot(direction, normal);
    VEC4 out = normal * k * 2.0 + direction;
    Normalize(out);
    return out;
}

// Only the nearest hit is shaded (the later of two at the same distance): shading a hit
// starts from black, so the colour of any farther hit shaded first would be overwritten.
// An object counts as hit when it passes the bounding test and the exact test and lies
// strictly ahead, with no tolerance. The tests are pure, so they run cheapest first (most
// rays miss most spheres, which the exact test finds without a square root), and the hit
// point and normal are made for the nearest hit alone.
bool TraceRay(KXRAYSCENE& scene, const VEC4& origin, const VEC4& direction, std::uint16_t depth,
              RGBA& colour)
{
    ++scene.rayCount;
    double best = -1.0;
    const RAYPRIMITIVE* nearest = nullptr;
    for (const RAYPRIMITIVE& p : scene.primitives) {
        double t = -1.0;
        const bool met = p.type == KXTYPE_PLANE ? IntersectPlane(p, origin, direction, t)
                                                : IntersectSphere(p, origin, direction, false, t);
        if (!met || !(t > 0.0))
            continue;
        if (best >= 0.0 && t > best)
            continue;
        if (p.type != KXTYPE_PLANE && !BoundingTest(p, origin, direction))
            continue;
        best = t;
        nearest = &p;
    }
    if (nearest == nullptr) {
        colour = scene.background;
        return false;
    }
    HIT hit;
    hit.point = origin + direction * best;
    if (nearest->type == KXTYPE_PLANE) {
        hit.normal = nearest->normal;
    } else {
        hit.normal = hit.point - nearest->position;
        Normalize(hit.normal);
    }
    Shade(scene, *nearest, hit, direction, depth, colour);
    return true;
}

} // namespace corvel
