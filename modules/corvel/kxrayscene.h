// KXRAYSCENE, what the rays read of a world, taken once at the start of a render: the
// spheres and planes in the world's order with their first materials, the lights and the
// background. Tracing then walks plain arrays instead of the world's lists, and asks
// nothing of the scene objects in the inner loop. The world does not change while it is
// rendered (one thread), so the copy and the world agree for the whole render.
#pragma once

#include "raymath.h"

#include <cstdint>
#include <vector>

class KXVECTOR;
class KXWORLD;

namespace corvel {

// The first four components of a library vector, missing ones as zero.
VEC4 ToVec4(const KXVECTOR& v);

struct RAYMATERIAL {
    RGBA colour;
    double ambient = 0.0;
    double diffuse = 0.0;
    double specular = 0.0;
    double reflection = 0.0;
    double refraction = 0.0;
    std::uint16_t shininess = 0;
};

struct RAYPRIMITIVE {
    std::uint16_t type = 0;
    VEC4 position;         // the sphere's centre; what the bounding test measures from
    double radius = 0.0;   // the sphere's radius
    double bounding = 0.0; // the object's bounding radius
    VEC4 normal;           // the plane's normal
    double distance = 0.0; // the plane's distance
    RAYMATERIAL material;
};

struct RAYLIGHT {
    VEC4 position;
    RGBA colour;   // of the diffuse term
    RGBA specular; // of the specular term
};

} // namespace corvel

class KXRAYSCENE {
public:
    // Only spheres and planes are listed: every other object is missed by every ray and
    // changes nothing. An object without a material is shaded with a new material's
    // values.
    explicit KXRAYSCENE(KXWORLD& world);

    std::vector<corvel::RAYPRIMITIVE> primitives;
    std::vector<corvel::RAYLIGHT> lights;
    corvel::RGBA background;
    // Every ray traced through the scene: primary, shadow, reflected and transmitted.
    std::uint64_t rayCount = 0;
};
