// KXQUATERNION, the library's rotation quaternion: the vector part (x, y, z) first, then
// the scalar w. The camera builds its orientation with SetEuler and turns a vector v as
// q ⊗ (v, 0) ⊗ Conjugate(q). Angles are radians; nothing here normalises.
#pragma once

#include "kxobject.h"
#include "kxvector.h"

class KXQUATERNION : public KXOBJECT {
public:
    explicit KXQUATERNION(double x = 0.0, double y = 0.0, double z = 0.0, double w = 0.0);
    // Copies the four values only: the copy is named "KXQUATERNION".
    KXQUATERNION(const KXQUATERNION& other);
    ~KXQUATERNION() = default;
    // Assignment copies the object part too, the source's name included.
    KXQUATERNION& operator=(const KXQUATERNION& q) { return CopyFrom(q); }

    KXQUATERNION& CopyFrom(const KXQUATERNION& q);
    KXQUATERNION& CopyBase(const KXQUATERNION& q);

    KXQUATERNION& Set(double x, double y, double z, double w);
    // (v[0], v[1], v[2], w); components that v lacks count as 0.
    KXQUATERNION& SetVector(const KXVECTOR& v, double w);
    // Rotation by angle about axis. The axis is not normalised, so only a unit axis gives
    // a unit quaternion; components that it lacks count as 0.
    KXQUATERNION& SetAxisAngle(const KXVECTOR& axis, double angle);
    // qZ(c) ⊗ qY(b) ⊗ qX(a): on a vector the rotation about the first axis acts first,
    // the opposite order of KXMATRIX::SetRotation.
    KXQUATERNION& SetEuler(double a, double b, double c);

    // The Hamilton product this ⊗ b.
    KXQUATERNION operator*(const KXQUATERNION& b) const;
    // (−x, −y, −z, w), with no division by the norm.
    KXQUATERNION Conjugate() const;

    double GetX() const { return x; }
    double GetY() const { return y; }
    double GetZ() const { return z; }
    double GetW() const { return w; }

private:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 0.0;
};
