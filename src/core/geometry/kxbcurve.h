// KXBCURVE, a Bezier curve of n control points evaluated by de Casteljau's construction.
// The triangle of 4-vectors that the construction needs is allocated once and reused:
// level 0 holds the control points, each further level one point fewer.
#pragma once

#include "kxobject.h"
#include "kxvector.h"

#include <cstdint>

class KXBCURVE : public KXOBJECT {
public:
    // Control points default to zero 4-vectors; a non-null points array of n vectors is
    // copied in. Throws "Invalid param number" for a curve of no point.
    explicit KXBCURVE(std::uint32_t n = 3, const KXVECTOR* points = nullptr);
    ~KXBCURVE();
    // The curve owns its levels; a copy would share them.
    KXBCURVE(const KXBCURVE&) = delete;
    KXBCURVE& operator=(const KXBCURVE&) = delete;

    std::uint32_t GetPointCount() const { return pointCount; }
    // Replaces the first k control points by vector assignment (each keeps dimension 4);
    // throws "Too many points in param." when k exceeds the point count.
    void Set(std::uint32_t k, const KXVECTOR* points);
    // The point at t into out (which keeps its own dimension). t is not clamped: outside
    // 0 to 1 the curve extrapolates. All four components are interpolated, w included.
    void GetPoint(KXVECTOR& out, double t);
    // Destroys every level and the level table; the curve then holds no point, and Set and
    // GetPoint leave everything as it is.
    void FreeLevels();

private:
    std::uint32_t LevelCount() const;

    std::uint32_t pointCount;
    // Level i holds pointCount - i vectors. A curve of one point keeps its one level, so
    // that evaluating it gives that point.
    KXVECTOR** levels;
};
