#include "kxlight.h"

KXLIGHT::KXLIGHT(double x, double y, double z) : KXNULLOBJECT(x, y, z)
{
    color.SetFromDoubles(1.0, 1.0, 1.0, 0.0);
    // A copy taken once: later changes to the diffuse colour leave the specular one alone.
    specularColor = color;
    thirdColor.SetFromDoubles(0.0, 0.0, 0.0, 0.0);
    SetType(KXTYPE_LIGHT);
}
