#include "kxcamera.h"

#include "kxmatrix.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Scales v to unit length. A vector with no usable direction (zero, too short for its
// inverse length to be finite, infinite or NaN) is left as it is and gives false, so a
// caller never spreads the NaN that normalising it would make.
bool ToUnit(KXVECTOR& v)
{
    const double length = v.Length();
    if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(1.0 / length))
        return false;
    v.Normalize();
    return true;
}

// Rounding can carry a cosine just past ±1, where acos gives NaN.
double AcosClamped(double c)
{
    return std::acos(std::clamp(c, -1.0, 1.0));
}

// v's x, y and z become those of q ⊗ (v, 0) ⊗ conjugate(q); w stays.
void Spin(const KXQUATERNION& q, KXVECTOR& v)
{
    KXQUATERNION p;
    p.SetVector(v, 0.0);
    const KXQUATERNION r = q * p * q.Conjugate();
    v.Set(r.GetX(), r.GetY(), r.GetZ());
}

double X(const KXVECTOR& v)
{
    return *v.GetItem(0);
}

double Y(const KXVECTOR& v)
{
    return *v.GetItem(1);
}

double Z(const KXVECTOR& v)
{
    return *v.GetItem(2);
}

// sight turned by b about the vertical axis y.
void TurnAboutVertical(KXVECTOR& sight, double b)
{
    const double c = std::cos(b);
    const double s = std::sin(b);
    sight.Set(X(sight) * c + Z(sight) * s, Y(sight), Z(sight) * c - X(sight) * s);
}

// The azimuth from +x toward +z of a line of sight whose polar angle has sine sinPhi. A
// line with no horizontal part, or one too small to survive in sinPhi (which would
// divide 0 by 0), has no azimuth: 0 is taken, so the line turns in the x-y plane.
double Azimuth(const KXVECTOR& sight, double sinPhi)
{
    if (sinPhi == 0.0 || (X(sight) == 0.0 && Z(sight) == 0.0))
        return 0.0;
    const double theta = AcosClamped(X(sight) / sinPhi);
    return Z(sight) < 0.0 ? -theta : theta;
}

// sight raised by a: its polar angle phi from +y grows by a, its azimuth stays.
void Raise(KXVECTOR& sight, double a)
{
    double phi = AcosClamped(Y(sight));
    const double theta = Azimuth(sight, std::sin(phi));
    phi += a;
    sight.Set(std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta));
}

} // namespace

KXCAMERA::KXCAMERA(double x, double y, double z) : KXNULLOBJECT(x, y, z)
{
    ResetAxes();
    SetType(KXTYPE_CAMERA);
}

void KXCAMERA::SetTargetPosition(double x, double y, double z)
{
    target.SetPosition(x, y, z);
}

void KXCAMERA::Rotate(double dPitch, double dYaw, double dRoll)
{
    pitch = std::clamp(pitch + dPitch, -90.0, 90.0);
    // One turn only: a step of more than a turn leaves yaw outside -180..180.
    yaw += dYaw;
    if (yaw > 180.0)
        yaw -= 360.0;
    else if (yaw < -180.0)
        yaw += 360.0;
    roll += dRoll;
    UpdateAxes();
}

// x, y and z only: w of each vector keeps what it had.
void KXCAMERA::ResetAxes()
{
    direction.Set(0.0, 0.0, -1.0);
    up.Set(0.0, 1.0, 0.0);
    right.Set(1.0, 0.0, 0.0);
}

void KXCAMERA::UpdateAxes()
{
    KXQUATERNION q;
    q.SetEuler(pitch * kRadiansPerDegree, yaw * kRadiansPerDegree, roll * kRadiansPerDegree);
    ResetAxes();
    RotateAxes(q);
}

void KXCAMERA::UpdateAxesMatrix()
{
    KXMATRIX m(4, 4);
    m.SetRotation(
        KXVECTOR(pitch * kRadiansPerDegree, yaw * kRadiansPerDegree, roll * kRadiansPerDegree));
    ResetAxes();
    direction *= m;
    up *= m;
    right *= m;
}

void KXCAMERA::RotateAxes(const KXQUATERNION& q)
{
    Spin(q, direction);
    Spin(q, up);
    Spin(q, right);
}

void KXCAMERA::LookAt(double x, double y, double z)
{
    KXVECTOR sight = KXVECTOR(x, y, z) - GetPosition();
    if (ToUnit(sight))
        direction = sight;
}

void KXCAMERA::Translate(double dx, double dy, double dz)
{
    target.Translate(dx, dy, dz);
    KXNULLOBJECT::Translate(dx, dy, dz);
}

// Without a line of sight there is nothing to move along, and the camera stays. When
// the line of sight runs along the up reference there is no sideways axis: only the
// move along the line of sight is made.
void KXCAMERA::Orbit(double a, double b)
{
    KXVECTOR sight(4);
    if (!LineOfSight(sight))
        return;
    KXVECTOR move = sight * b;
    KXVECTOR side = upObject.GetPosition().Cross(sight);
    if (ToUnit(side))
        move += side * a;
    Translate(X(move), Y(move), Z(move));
}

void KXCAMERA::Advance(double d)
{
    KXVECTOR sight(4);
    if (!LineOfSight(sight))
        return;
    Translate(d * X(sight), d * Y(sight), d * Z(sight));
}

void KXCAMERA::SetTarget(double x, double y, double z)
{
    target.SetPosition(x, y, z);
}

void KXCAMERA::TranslateTarget(double dx, double dy, double dz)
{
    target.Translate(dx, dy, dz);
}

// A camera on its target has no line of sight to turn, and the target stays.
void KXCAMERA::Turn(double a, double b)
{
    KXVECTOR sight(4);
    if (!LineOfSight(sight))
        return;
    if (b != 0.0)
        TurnAboutVertical(sight, b);
    if (a != 0.0)
        Raise(sight, a);
    const KXVECTOR& eye = GetPosition();
    SetTarget(X(eye) + X(sight), Y(eye) + Y(sight), Z(eye) + Z(sight));
}

void KXCAMERA::MoveForward(double step)
{
    GetPosition() += direction * step;
}

void KXCAMERA::MoveBackward(double step)
{
    GetPosition() -= direction * step;
}

void KXCAMERA::MoveLeft(double step)
{
    GetPosition() -= right * step;
}

void KXCAMERA::MoveRight(double step)
{
    GetPosition() += right * step;
}

bool KXCAMERA::LineOfSight(KXVECTOR& sight) const
{
    sight = target.GetPosition() - GetPosition();
    return ToUnit(sight);
}
