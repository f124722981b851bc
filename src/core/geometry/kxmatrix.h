// KXMATRIX, the library's dense matrix of doubles stored row by row. The scene uses it
// as the 4 × 4 homogeneous transform of objects and cameras: vectors are columns
// multiplied on the right (M·v), a translation sits in the last column, rotations are in
// radians.
#pragma once

#include "kxobject.h"
#include "kxvector.h"

#include <cstddef>
#include <cstdint>

class KXMATRIX : public KXOBJECT {
public:
    // columns first, then rows; every element 0.0.
    explicit KXMATRIX(std::uint32_t columns = 4, std::uint32_t rows = 4);
    // Same dimensions and elements; the copy is named "KXMATRIX".
    KXMATRIX(const KXMATRIX& other);
    ~KXMATRIX();

    std::uint32_t GetColumns() const { return columns; }
    std::uint32_t GetRows() const { return rows; }
    // Square, and of side n unless n is 0.
    bool IsSquare(std::uint32_t n) const;
    // No bounds check: the caller keeps i below the rows and j below the columns.
    double* GetElement(std::uint32_t i, std::uint32_t j) { return &rowTable[i][j]; }
    const double* GetElement(std::uint32_t i, std::uint32_t j) const { return &rowTable[i][j]; }

    // M·v, a vector of as many components as M has rows; the zero vector when v's
    // dimension differs from the column count.
    KXVECTOR operator*(const KXVECTOR& v) const;
    // this·B; throws "Mat. dim. doesn't match".
    KXMATRIX operator*(const KXMATRIX& b) const;
    // this = this·B; throws, leaving this unchanged, unless B is square of this size.
    KXMATRIX& operator*=(const KXMATRIX& b);
    // Copies every element; throws "Invalid dim" unless the dimensions agree. The name
    // stays.
    KXMATRIX& operator=(const KXMATRIX& b);

    // The transform setters start from the identity and discard what was there; callers
    // compose transforms with operator*=.
    KXMATRIX& SetZero();
    KXMATRIX& SetIdentity();
    KXMATRIX& SetTranslation(const KXVECTOR& t);
    KXMATRIX& SetScale(const KXVECTOR& s);
    // Rx(a)·Ry(b)·Rz(c) from the angle vector's first three components: on a column
    // vector the rotation about the third axis acts first.
    KXMATRIX& SetRotation(const KXVECTOR& angles);
    // Exchanges (i, j) and (j, i); a matrix that is not square is left alone.
    KXMATRIX& Transpose();
    KXMATRIX& Self() { return *this; }

    // The elements as text, each as a blank and "%0.1f", each row ended by "\n". Writes
    // at most size bytes, the terminator included: a short buffer gets a cut text.
    char* ToText(char* buffer, std::size_t size) const;

private:
    void ResetToIdentityFor(const KXVECTOR& v, const char* method);
    void ApplyRotationX(KXMATRIX& factor, double angle);
    void ApplyRotationY(KXMATRIX& factor, double angle);
    void ApplyRotationZ(KXMATRIX& factor, double angle);

    std::uint32_t columns;
    std::uint32_t rows;
    double** rowTable;
};
