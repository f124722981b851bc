// The raytracer's own geometry: KXSPHERE and KXPLANE. Both are mesh objects of the library,
// so that a world can hold them, but use no mesh: the ray tracing knows them by their type
// codes and reads the sphere's radius and the plane's equation.
#pragma once

#include "kxobject3d.h"
#include "kxvector.h"

class KXSPHERE final : public KXOBJECT3D {
public:
    // Centred on the object's position, with the bounding radius equal to the radius.
    explicit KXSPHERE(double radius);
    ~KXSPHERE() = default;

    // Sets the bounding radius too.
    void SetRadius(double value);
    double GetRadius() const { return radius; }

private:
    double radius = 0.0;
};

// The plane N·P = d with N = (0, 1, 0) and d = 0: the ground y = 0, seen from above only.
// Nothing changes the equation; the object's position, scale and rotation play no part.
class KXPLANE final : public KXOBJECT3D {
public:
    // The argument is not used.
    explicit KXPLANE(double unused);
    ~KXPLANE() = default;

    KXVECTOR& GetNormal() { return normal; }
    const KXVECTOR& GetNormal() const { return normal; }
    double GetDistance() const { return distance; }

private:
    KXVECTOR normal{4};
    double distance = 0.0;
};
