#include "kxmatrix.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

KXMATRIX::KXMATRIX(std::uint32_t columnCount, std::uint32_t rowCount)
    : KXOBJECT("KXMATRIX"), columns(columnCount), rows(rowCount), rowTable(new double*[rowCount])
{
    std::uint32_t made = 0;
    try {
        for (; made < rows; ++made)
            rowTable[made] = new double[columns]();
    } catch (...) {
        // A matrix that could not be made whole gives back the rows it had: no destructor
        // runs for it.
        for (std::uint32_t i = 0; i < made; ++i)
            delete[] rowTable[i];
        delete[] rowTable;
        throw;
    }
}

KXMATRIX::KXMATRIX(const KXMATRIX& other) : KXMATRIX(other.columns, other.rows)
{
    for (std::uint32_t i = 0; i < rows; ++i)
        std::copy(other.rowTable[i], other.rowTable[i] + columns, rowTable[i]);
}

KXMATRIX::~KXMATRIX()
{
    for (std::uint32_t i = 0; i < rows; ++i) {
        delete[] rowTable[i];
        rowTable[i] = nullptr;
    }
    delete[] rowTable;
    rowTable = nullptr;
}

bool KXMATRIX::IsSquare(std::uint32_t n) const
{
    if (columns != rows)
        return false;
    return n == 0 || columns == n;
}

KXVECTOR KXMATRIX::operator*(const KXVECTOR& v) const
{
    KXVECTOR r(rows);
    if (columns != v.GetDimension())
        return r;
    for (std::uint32_t i = 0; i < rows; ++i)
        for (std::uint32_t j = 0; j < columns; ++j)
            *r.GetItem(i) += rowTable[i][j] * *v.GetItem(j);
    return r;
}

KXMATRIX KXMATRIX::operator*(const KXMATRIX& b) const
{
    if (columns != b.rows)
        throw KXEXCEPTION("KXMATRIX", "operator*", "Mat. dim. doesn't match");
    KXMATRIX product(b.columns, rows);
    for (std::uint32_t i = 0; i < rows; ++i)
        for (std::uint32_t j = 0; j < b.columns; ++j)
            for (std::uint32_t k = 0; k < columns; ++k)
                product.rowTable[i][j] += rowTable[i][k] * b.rowTable[k][j];
    return product;
}

// The product is complete before assignment checks its size, so a refused product
// leaves this matrix as it was.
KXMATRIX& KXMATRIX::operator*=(const KXMATRIX& b)
{
    return *this = *this * b;
}

KXMATRIX& KXMATRIX::operator=(const KXMATRIX& b)
{
    if (columns != b.columns || rows != b.rows)
        throw KXEXCEPTION("KXMATRIX", "operator=", "Invalid dim");
    if (this != &b) {
        for (std::uint32_t i = 0; i < rows; ++i)
            std::copy(b.rowTable[i], b.rowTable[i] + columns, rowTable[i]);
    }
    return *this;
}

KXMATRIX& KXMATRIX::SetZero()
{
    for (std::uint32_t i = 0; i < rows; ++i)
        std::fill(rowTable[i], rowTable[i] + columns, 0.0);
    return *this;
}

KXMATRIX& KXMATRIX::SetIdentity()
{
    if (!IsSquare(0))
        throw KXEXCEPTION("KXMATRIX", "SetIdentity", "No square KXMATRIX");
    SetZero();
    for (std::uint32_t i = 0; i < rows; ++i)
        rowTable[i][i] = 1.0;
    return *this;
}

// The setters that take one value per row check the vector before the reset, so a
// refused vector leaves the matrix as it was.
void KXMATRIX::ResetToIdentityFor(const KXVECTOR& v, const char* method)
{
    if (v.GetDimension() != rows)
        throw KXEXCEPTION("KXMATRIX", method, "Vect. dim. doesn't match");
    SetIdentity();
}

KXMATRIX& KXMATRIX::SetTranslation(const KXVECTOR& t)
{
    ResetToIdentityFor(t, "SetTranslation");
    for (std::uint32_t i = 0; i < rows; ++i)
        rowTable[i][columns - 1] = *t.GetItem(i);
    return *this;
}

KXMATRIX& KXMATRIX::SetScale(const KXVECTOR& s)
{
    ResetToIdentityFor(s, "SetScale");
    for (std::uint32_t i = 0; i < rows; ++i)
        rowTable[i][i] = 1.0 * *s.GetItem(i);
    return *this;
}

// Each factor carries ones only in the diagonal places it sets, so the corner (3, 3) of
// a 4 × 4 is lost at every step and put back at the end. A zero angle skips its factor.
KXMATRIX& KXMATRIX::SetRotation(const KXVECTOR& angles)
{
    const std::uint32_t n = columns;
    KXMATRIX factor(n, n);
    SetIdentity();
    if (angles.GetDimension() < 3)
        throw KXEXCEPTION("KXMATRIX", "SetRotation", "Invalid parameter");
    if (n < 2)
        throw KXEXCEPTION("KXMATRIX", "SetRotation", "KXMATRIX dim <2");
    const double a = *angles.GetItem(0);
    const double b = *angles.GetItem(1);
    const double c = *angles.GetItem(2);
    // The rotations about the first two axes reach into a third row and column; a plane
    // matrix has none, so it is refused (still the identity) rather than overrun.
    if (n < 3 && (a != 0.0 || b != 0.0))
        throw KXEXCEPTION("KXMATRIX", "SetRotation", "KXMATRIX dim <3");
    if (a != 0.0)
        ApplyRotationX(factor, a);
    if (b != 0.0)
        ApplyRotationY(factor, b);
    if (c != 0.0)
        ApplyRotationZ(factor, c);
    if (n == 4)
        rowTable[3][3] = 1.0;
    return *this;
}

void KXMATRIX::ApplyRotationX(KXMATRIX& factor, double angle)
{
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    factor.rowTable[0][0] = 1.0;
    factor.rowTable[1][1] = c;
    factor.rowTable[1][2] = -s;
    factor.rowTable[2][1] = s;
    factor.rowTable[2][2] = c;
    *this *= factor;
    factor.SetZero();
}

void KXMATRIX::ApplyRotationY(KXMATRIX& factor, double angle)
{
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    factor.rowTable[1][1] = 1.0;
    factor.rowTable[0][0] = c;
    factor.rowTable[0][2] = s;
    factor.rowTable[2][0] = -s;
    factor.rowTable[2][2] = c;
    *this *= factor;
    factor.SetZero();
}

void KXMATRIX::ApplyRotationZ(KXMATRIX& factor, double angle)
{
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    factor.rowTable[0][0] = c;
    factor.rowTable[0][1] = -s;
    factor.rowTable[1][0] = s;
    factor.rowTable[1][1] = c;
    if (factor.rows >= 3)
        factor.rowTable[2][2] = 1.0;
    *this *= factor;
}

KXMATRIX& KXMATRIX::Transpose()
{
    if (columns != rows)
        return *this;
    for (std::uint32_t i = 0; i < rows; ++i)
        for (std::uint32_t j = i + 1; j < columns; ++j)
            std::swap(rowTable[i][j], rowTable[j][i]);
    return *this;
}

namespace {

// Appends text to the used bytes of buffer, cutting it where the buffer ends.
void AppendCut(char* buffer, std::size_t size, std::size_t& used, const char* text)
{
    const std::size_t n = std::min(std::strlen(text), size - 1 - used);
    std::memcpy(buffer + used, text, n);
    used += n;
    buffer[used] = '\0';
}

} // namespace

// Each element is formatted into a piece of its own and then appended, so the buffer is
// never both source and destination of one formatting call and never written past size
// bytes. The piece holds any double: "%0.1f" of the largest needs some 312 characters.
char* KXMATRIX::ToText(char* buffer, std::size_t size) const
{
    if (buffer == nullptr || size == 0)
        return buffer;
    buffer[0] = '\0';
    std::size_t used = 0;
    char piece[400];
    for (std::uint32_t i = 0; i < rows; ++i) {
        for (std::uint32_t j = 0; j < columns; ++j) {
            std::snprintf(piece, sizeof piece, " %0.1f", rowTable[i][j]);
            AppendCut(buffer, size, used, piece);
        }
        AppendCut(buffer, size, used, "\n");
    }
    return buffer;
}
