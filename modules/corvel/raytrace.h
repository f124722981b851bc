// The ray tracing: a ray finds the nearest sphere or plane of a scene along its line,
// shades the hit with the ambient, diffuse and specular terms of the object's material
// under every light that no object blocks, and adds what the mirrored and the transmitted
// ray see, down to a fixed depth.
#pragma once

#include "kxrayscene.h"
#include "raymath.h"

#include <cstdint>

namespace corvel {

// Traces the plain ray from origin along the unit direction through the scene and writes
// its colour: the shaded nearest hit, or the background when nothing is hit (then it
// returns false). depth is how many generations of reflected and transmitted rays may
// follow this one.
bool TraceRay(KXRAYSCENE& scene, const VEC4& origin, const VEC4& direction, std::uint16_t depth,
              RGBA& colour);

// direction mirrored about the unit normal, as a unit vector.
VEC4 ReflectDirection(const VEC4& direction, const VEC4& normal);

} // namespace corvel
