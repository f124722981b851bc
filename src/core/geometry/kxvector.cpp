#include "kxvector.h"

#include "kxmatrix.h"

#include <algorithm>
#include <cmath>

KXVECTOR::KXVECTOR(std::uint32_t n)
    : KXOBJECT("KXVECTOR"), dimension(n), components(new double[n]())
{}

KXVECTOR::KXVECTOR(const KXVECTOR& other)
    : KXOBJECT("KXVECTOR"), dimension(other.dimension), components(new double[other.dimension])
{
    std::copy(other.components, other.components + dimension, components);
}

KXVECTOR::KXVECTOR(double x, double y, double z) : KXVECTOR(4)
{
    SetName("BIDON?");
    Set(x, y, z, 1.0);
}

KXVECTOR::~KXVECTOR()
{
    delete[] components;
    components = nullptr;
}

// Every check comes before the first write, so a refused Set changes nothing.
void KXVECTOR::RequireDimension(std::uint32_t least, const char* method) const
{
    if (dimension < least)
        throw KXEXCEPTION("KXVECTOR", method, "Invalid dim");
}

KXVECTOR& KXVECTOR::Set(double x)
{
    RequireDimension(1, "Set");
    components[0] = x;
    return *this;
}

KXVECTOR& KXVECTOR::Set(double x, double y)
{
    RequireDimension(2, "Set");
    components[0] = x;
    components[1] = y;
    return *this;
}

KXVECTOR& KXVECTOR::Set(double x, double y, double z)
{
    RequireDimension(3, "Set");
    components[0] = x;
    components[1] = y;
    components[2] = z;
    return *this;
}

KXVECTOR& KXVECTOR::Set(double x, double y, double z, double w)
{
    RequireDimension(4, "Set");
    components[0] = x;
    components[1] = y;
    components[2] = z;
    components[3] = w;
    return *this;
}

KXVECTOR KXVECTOR::operator+(const KXVECTOR& b) const
{
    KXVECTOR sum(*this);
    sum += b;
    return sum;
}

KXVECTOR KXVECTOR::operator-(const KXVECTOR& b) const
{
    KXVECTOR difference(*this);
    difference -= b;
    return difference;
}

KXVECTOR& KXVECTOR::operator+=(const KXVECTOR& b)
{
    const std::uint32_t n = std::min(dimension, b.dimension);
    for (std::uint32_t i = 0; i < n; ++i)
        components[i] += b.components[i];
    return *this;
}

KXVECTOR& KXVECTOR::operator-=(const KXVECTOR& b)
{
    const std::uint32_t n = std::min(dimension, b.dimension);
    for (std::uint32_t i = 0; i < n; ++i)
        components[i] -= b.components[i];
    return *this;
}

double KXVECTOR::operator*(const KXVECTOR& b) const
{
    if (dimension != b.dimension)
        throw KXEXCEPTION("KXVECTOR", "operator*", "Dim doesn't match");
    double sum = 0.0;
    for (std::uint32_t i = 0; i < dimension; ++i)
        sum += components[i] * b.components[i];
    return sum;
}

KXVECTOR KXVECTOR::operator*(const double& d) const
{
    KXVECTOR product(*this);
    product *= d;
    return product;
}

KXVECTOR& KXVECTOR::operator*=(const double& d)
{
    for (std::uint32_t i = 0; i < dimension; ++i)
        components[i] *= d;
    return *this;
}

KXVECTOR KXVECTOR::operator/(const double& d) const
{
    KXVECTOR quotient(*this);
    quotient /= d;
    return quotient;
}

KXVECTOR& KXVECTOR::operator/=(const double& d)
{
    for (std::uint32_t i = 0; i < dimension; ++i)
        components[i] /= d;
    return *this;
}

// A matrix whose columns do not match the dimension, or whose rows would write past the
// vector, leaves the vector as it was: a mismatch is reported by the result, not thrown.
KXVECTOR& KXVECTOR::operator*=(const KXMATRIX& m)
{
    if (m.GetColumns() != dimension || m.GetRows() > dimension)
        return *this;
    KXVECTOR product(dimension);
    for (std::uint32_t i = 0; i < m.GetRows(); ++i)
        for (std::uint32_t j = 0; j < dimension; ++j)
            product.components[i] += *m.GetElement(i, j) * components[j];
    return *this = product;
}

KXVECTOR& KXVECTOR::operator=(const KXVECTOR& b)
{
    for (std::uint32_t i = 0; i < dimension; ++i)
        components[i] = b.GetOrZero(i);
    return *this;
}

KXVECTOR& KXVECTOR::Negate()
{
    for (std::uint32_t i = 0; i < dimension; ++i)
        components[i] = -components[i];
    return *this;
}

double KXVECTOR::Length() const
{
    double sum = 0.0;
    for (std::uint32_t i = 0; i < dimension; ++i)
        sum += components[i] * components[i];
    return std::sqrt(sum);
}

double KXVECTOR::Normalize()
{
    const double factor = 1.0 / Length();
    *this *= factor;
    return factor;
}

// Reading b's missing components as 0 keeps a short operand from being read past its end.
void KXVECTOR::CrossXYZ(const KXVECTOR& b, double out[3]) const
{
    const double bx = b.GetOrZero(0);
    const double by = b.GetOrZero(1);
    const double bz = b.GetOrZero(2);
    out[0] = components[1] * bz - components[2] * by;
    out[1] = components[2] * bx - components[0] * bz;
    out[2] = components[0] * by - components[1] * bx;
}

KXVECTOR KXVECTOR::Cross(const KXVECTOR& b) const
{
    KXVECTOR r(dimension);
    if (dimension >= 3)
        CrossXYZ(b, r.components);
    return r;
}

// Only the components that out has are written, so a short out is never overrun.
void KXVECTOR::CrossInto(KXVECTOR& out, const KXVECTOR& b) const
{
    if (dimension < 3)
        return;
    double xyz[3];
    CrossXYZ(b, xyz);
    const std::uint32_t n = std::min(out.dimension, 3u);
    std::copy(xyz, xyz + n, out.components);
}

KXVECTOR KXVECTOR::GetPerpendicular() const
{
    KXVECTOR r(dimension);
    if (Length() == 0.0)
        return r;
    if (dimension == 2) {
        const double x = components[0];
        const double y = components[1];
        r.components[0] = y;
        r.components[1] = y == 0.0 ? -x : -(r.components[0] * x) / y;
    } else if (dimension == 3) {
        r.Set(components[1], components[2], components[0]);
        r = r.Cross(*this);
    }
    // Other dimensions keep the zero vector, which normalises to NaN.
    r.Normalize();
    return r;
}

// Component 0 holds the length, so the result reads as the usual (r, θ, φ).
KXVECTOR KXVECTOR::SphericalCood() const
{
    if (dimension == 0 || dimension > 4)
        throw KXEXCEPTION("KXVECTOR", "SphericalCood", "Invalid dim");
    KXVECTOR r(dimension);
    KXVECTOR unit(*this);
    unit.Normalize();
    const double* q = unit.components;
    r.components[0] = Length();
    if (dimension == 2) {
        r.components[1] = q[1] < 0 ? -std::acos(q[0]) : std::acos(q[0]);
    } else if (dimension >= 3) {
        const double theta = std::acos(q[1]);
        const double phi = std::acos(q[0] / std::sin(theta));
        r.components[1] = theta;
        r.components[2] = q[2] < 0 ? -phi : phi;
    }
    return r;
}

// A text without any ',' reads nothing: the field operation reports the whole text as -1.
std::uint32_t KXVECTOR::SetFromString(KXSTRING text)
{
    text.TrimLeft('<');
    text.TrimLeft('(');
    text.TrimRight('>');
    text.TrimRight(')');
    std::uint32_t i = 0;
    KXSTRING field;
    while (i < dimension && text.GetField(field, static_cast<int>(i), ',') > 0) {
        components[i] = field.ToDouble();
        ++i;
    }
    return i;
}
