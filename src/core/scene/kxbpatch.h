// KXBPATCH, a surface given as rows of Bezier curves: n rows of m control points each.
// It is a mesh object of its own type; the surface is not evaluated here.
#pragma once

#include "kxbcurve.h"
#include "kxobject3d.h"
#include "kxvector.h"

#include <cstdint>

class KXBPATCH : public KXOBJECT3D {
public:
    // Row i is a curve through points[i × m] to points[i × m + m - 1]: points holds n × m
    // vectors, row after row. Without control points (points null, or m or n 0) the
    // patch is empty: no row and both counts 0.
    KXBPATCH(std::uint32_t m, std::uint32_t n, const KXVECTOR* points);
    ~KXBPATCH() { FreeRows(); }
    KXBPATCH(const KXBPATCH&) = delete;
    KXBPATCH& operator=(const KXBPATCH&) = delete;

    std::uint32_t GetPointsPerRow() const { return pointsPerRow; }
    std::uint32_t GetRowCount() const { return rowCount; }
    // Row i, or null beyond the rows.
    KXBCURVE* GetRow(std::uint32_t i) { return i < rowCount ? rows[i] : nullptr; }

    // Sets out's x, y and z to 0 (w stays); the surface parameters are not used.
    void ClearPoints(KXVECTOR& out, double u, double v);
    // Releases every row and the row table, leaving an empty patch.
    void FreeRows();

private:
    void BuildRows(const KXVECTOR* points);

    std::uint32_t pointsPerRow = 0;
    std::uint32_t rowCount = 0;
    KXBCURVE** rows = nullptr;
};
