#include "kxbcurve.h"

KXBCURVE::KXBCURVE(std::uint32_t n, const KXVECTOR* points)
    : KXOBJECT("KXBCURVE"), pointCount(n), levels(nullptr)
{
    if (n == 0)
        throw KXEXCEPTION("KXBCURVE", "KXBCURVE", "Invalid param number");
    const std::uint32_t count = LevelCount();
    levels = new KXVECTOR*[count];
    for (std::uint32_t i = 0; i < count; ++i)
        levels[i] = new KXVECTOR[n - i];
    if (points != nullptr)
        Set(n, points);
}

KXBCURVE::~KXBCURVE()
{
    FreeLevels();
}

// n - 1 levels, down to the last pair; a single point is its own level.
std::uint32_t KXBCURVE::LevelCount() const
{
    return pointCount > 1 ? pointCount - 1 : 1;
}

void KXBCURVE::Set(std::uint32_t k, const KXVECTOR* points)
{
    if (k > pointCount)
        throw KXEXCEPTION("KXBCURVE", "Set", "Too many points in param.");
    if (levels == nullptr)
        return;
    for (std::uint32_t i = 0; i < k; ++i)
        levels[0][i] = points[i];
}

// Every step is the difference, the scaling by t and the sum, in that order, so the
// rounding is that of the vector operations.
void KXBCURVE::GetPoint(KXVECTOR& out, double t)
{
    if (levels == nullptr)
        return;
    if (pointCount == 1) {
        out = levels[0][0];
        return;
    }
    for (std::uint32_t i = 1; i + 1 < pointCount; ++i) {
        for (std::uint32_t j = 0; j < pointCount - i; ++j) {
            KXVECTOR& point = levels[i][j];
            point = levels[i - 1][j + 1] - levels[i - 1][j];
            point *= t;
            point += levels[i - 1][j];
        }
    }
    const KXVECTOR* last = levels[pointCount - 2];
    out = last[1] - last[0];
    out *= t;
    out += last[0];
}

void KXBCURVE::FreeLevels()
{
    if (levels == nullptr)
        return;
    const std::uint32_t count = LevelCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        delete[] levels[i];
        levels[i] = nullptr;
    }
    delete[] levels;
    levels = nullptr;
}
