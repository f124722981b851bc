#include "kxray.h"

#include "raytrace.h"

#include "kxvector.h"
#include "kxworld.h"

KXRAY::KXRAY() : KXOBJECT("KXRAY")
{
    colour.SetMasks(0xFF0000, 0xFF00, 0xFF, 0xFF000000);
}

void KXRAY::SetOrigin(const KXVECTOR& v)
{
    origin = corvel::ToVec4(v);
}

void KXRAY::SetDirection(const KXVECTOR& v)
{
    direction = corvel::ToVec4(v);
}

void KXRAY::SetDirection(double x, double y, double z)
{
    direction.x = x;
    direction.y = y;
    direction.z = z;
}

void KXRAY::NormalizeDirection()
{
    corvel::Normalize(direction);
}

bool KXRAY::Trace(KXWORLD* world, std::uint16_t depth)
{
    KXRAYSCENE scene(*world);
    return Trace(scene, depth);
}

bool KXRAY::Trace(KXRAYSCENE& scene, std::uint16_t depth)
{
    return corvel::TraceRay(scene, origin, direction, depth, found);
}

KXCOLOR& KXRAY::GetColor()
{
    colour.Set(found.r, found.g, found.b, found.a);
    return colour;
}
