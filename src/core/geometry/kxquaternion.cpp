#include "kxquaternion.h"

#include <cmath>

KXQUATERNION::KXQUATERNION(double qx, double qy, double qz, double qw) : KXOBJECT("KXQUATERNION")
{
    Set(qx, qy, qz, qw);
}

KXQUATERNION::KXQUATERNION(const KXQUATERNION& other)
    : KXOBJECT("KXQUATERNION"), x(other.x), y(other.y), z(other.z), w(other.w)
{}

KXQUATERNION& KXQUATERNION::CopyFrom(const KXQUATERNION& q)
{
    CopyBase(q);
    return Set(q.x, q.y, q.z, q.w);
}

KXQUATERNION& KXQUATERNION::CopyBase(const KXQUATERNION& q)
{
    KXOBJECT::operator=(q);
    return *this;
}

KXQUATERNION& KXQUATERNION::Set(double qx, double qy, double qz, double qw)
{
    x = qx;
    y = qy;
    z = qz;
    w = qw;
    return *this;
}

// A vector of fewer than three components is read as if padded with zeros rather than
// past its end.
KXQUATERNION& KXQUATERNION::SetVector(const KXVECTOR& v, double qw)
{
    return Set(v.GetOrZero(0), v.GetOrZero(1), v.GetOrZero(2), qw);
}

KXQUATERNION& KXQUATERNION::SetAxisAngle(const KXVECTOR& axis, double angle)
{
    const double h = angle / 2.0;
    const double s = std::sin(h);
    return Set(s * axis.GetOrZero(0), s * axis.GetOrZero(1), s * axis.GetOrZero(2), std::cos(h));
}

KXQUATERNION& KXQUATERNION::SetEuler(double a, double b, double c)
{
    const double ca = std::cos(a / 2.0), sa = std::sin(a / 2.0);
    const double cb = std::cos(b / 2.0), sb = std::sin(b / 2.0);
    const double cc = std::cos(c / 2.0), sc = std::sin(c / 2.0);
    w = ca * cb * cc + sa * sb * sc;
    x = sa * cb * cc - ca * sb * sc;
    y = ca * sb * cc + sa * cb * sc;
    z = ca * cb * sc - sa * sb * cc;
    return *this;
}

KXQUATERNION KXQUATERNION::operator*(const KXQUATERNION& b) const
{
    KXQUATERNION r(0.0, 0.0, 0.0, 0.0);
    r.x = w * b.x + x * b.w + y * b.z - z * b.y;
    r.y = w * b.y - x * b.z + y * b.w + z * b.x;
    r.z = w * b.z + x * b.y - y * b.x + z * b.w;
    r.w = w * b.w - x * b.x - y * b.y - z * b.z;
    return r;
}

KXQUATERNION KXQUATERNION::Conjugate() const
{
    return KXQUATERNION(-x, -y, -z, w);
}
