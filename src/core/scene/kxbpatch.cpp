#include "kxbpatch.h"

KXBPATCH::KXBPATCH(std::uint32_t m, std::uint32_t n, const KXVECTOR* points)
{
    SetType(KXTYPE_BPATCH);
    SetName("KXBPATCH");
    if (points == nullptr || m == 0 || n == 0)
        return;
    pointsPerRow = m;
    rowCount = n;
    BuildRows(points);
}

// A row that fails to build releases the rows before it: the destructor of a patch whose
// constructor throws never runs.
void KXBPATCH::BuildRows(const KXVECTOR* points)
{
    rows = new KXBCURVE*[rowCount]();
    try {
        for (std::uint32_t i = 0; i < rowCount; ++i)
            rows[i] = new KXBCURVE(pointsPerRow, points + i * pointsPerRow);
    } catch (...) {
        FreeRows();
        throw;
    }
}

void KXBPATCH::ClearPoints(KXVECTOR& out, double /*u*/, double /*v*/)
{
    out.Set(0.0, 0.0, 0.0);
}

namespace {

void ReleaseRow(KXBCURVE* row)
{
    if (row == nullptr)
        return;
    row->FreeLevels();
    // Every row is a KXBCURVE itself, never a derived class, so deleting it through its own
    // type is exact even though the class has no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
    delete row;
#pragma GCC diagnostic pop
}

} // namespace

void KXBPATCH::FreeRows()
{
    for (std::uint32_t i = 0; rows != nullptr && i < rowCount; ++i)
        ReleaseRow(rows[i]);
    delete[] rows;
    rows = nullptr;
    pointsPerRow = 0;
    rowCount = 0;
}
