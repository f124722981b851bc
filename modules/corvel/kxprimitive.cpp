#include "kxprimitive.h"

#include "kxnullobject.h"

KXSPHERE::KXSPHERE(double value)
{
    SetName("KXSPHERE");
    SetType(KXTYPE_SPHERE);
    SetRadius(value);
}

void KXSPHERE::SetRadius(double value)
{
    radius = value;
    SetBoundingRadius(value);
}

KXPLANE::KXPLANE(double)
{
    SetName("KXPLANE");
    normal.Set(0.0, 1.0, 0.0);
    SetType(KXTYPE_PLANE);
    distance = 0.0;
}
