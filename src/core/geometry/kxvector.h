// KXVECTOR, the library's vector of doubles: positions, velocities, directions, normals,
// curve control points and angle triples. Every vector the system builds has four
// components read as a homogeneous (x, y, z, w), and length and dot product take all four.
// Arithmetic works over the shorter of two lengths; only the dot product, the fixed-size
// setters and the spherical conversion throw on a wrong dimension.
#pragma once

#include "kxobject.h"
#include "kxstring.h"

#include <cstdint>

class KXMATRIX;

class KXVECTOR : public KXOBJECT {
public:
    // dimension zeros. The default of 4 is what every part of the system asks for, and
    // lets vectors be made in arrays.
    explicit KXVECTOR(std::uint32_t dimension = 4);
    // The copy is named "KXVECTOR" whatever the source is named.
    KXVECTOR(const KXVECTOR& other);
    // The homogeneous point (x, y, z, 1.0), named "BIDON?".
    KXVECTOR(double x, double y, double z);
    ~KXVECTOR();

    std::uint32_t GetDimension() const { return dimension; }
    // No bounds check: the caller keeps i below the dimension.
    double* GetItem(std::uint32_t i) { return &components[i]; }
    const double* GetItem(std::uint32_t i) const { return &components[i]; }
    // Component i, or 0.0 past the end: for reading a short operand as if padded.
    double GetOrZero(std::uint32_t i) const { return i < dimension ? components[i] : 0.0; }

    // Each throws "Invalid dim" when the vector has fewer components than it sets, and
    // leaves the components beyond them as they are.
    KXVECTOR& Set(double x);
    KXVECTOR& Set(double x, double y);
    KXVECTOR& Set(double x, double y, double z);
    KXVECTOR& Set(double x, double y, double z, double w);

    // Sums and differences have the left operand's dimension and work over the shorter
    // length: the longer vector's tail is left alone.
    KXVECTOR operator+(const KXVECTOR& b) const;
    KXVECTOR operator-(const KXVECTOR& b) const;
    KXVECTOR& operator+=(const KXVECTOR& b);
    KXVECTOR& operator-=(const KXVECTOR& b);
    // Dot product over every component; throws "Dim doesn't match".
    double operator*(const KXVECTOR& b) const;
    KXVECTOR operator*(const double& d) const;
    KXVECTOR& operator*=(const double& d);
    KXVECTOR operator/(const double& d) const;
    KXVECTOR& operator/=(const double& d);
    // Replaces the vector by M·v; a matrix that does not fit leaves it unchanged.
    KXVECTOR& operator*=(const KXMATRIX& m);

    // Copies the first min(dimensions) components of b and zeroes the rest; dimension
    // and name stay.
    KXVECTOR& operator=(const KXVECTOR& b);
    KXVECTOR& Assign(const KXVECTOR& b) { return *this = b; }

    KXVECTOR& Negate();
    double Length() const;
    // Scales to unit length and returns the factor, 1 / former length. A zero vector is
    // not caught: it gives +infinity and NaN components, so callers test the length.
    double Normalize();

    // this × b into a new vector of this dimension (zero when this has fewer than three
    // components, w = 0 for a 4-vector).
    KXVECTOR Cross(const KXVECTOR& b) const;
    // this × b into the first three components of out, the rest of out untouched.
    void CrossInto(KXVECTOR& out, const KXVECTOR& b) const;
    // A unit vector perpendicular to this one for dimensions 2 and 3; the zero vector for
    // a zero vector; NaN components for any other dimension.
    KXVECTOR GetPerpendicular() const;
    // (length, polar angle from the second axis, azimuth from the first axis toward the
    // third) in radians; throws "Invalid dim" for dimension 0 or above 4.
    KXVECTOR SphericalCood() const;
    // Reads components from "(1,2,3)" or "<1,2,3>"; returns how many were set.
    std::uint32_t SetFromString(KXSTRING text);

private:
    // The three components of this × b, reading b's missing components as 0.
    void CrossXYZ(const KXVECTOR& b, double out[3]) const;
    void RequireDimension(std::uint32_t least, const char* method) const;

    std::uint32_t dimension;
    double* components;
};
