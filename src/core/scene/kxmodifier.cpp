#include "kxmodifier.h"

#include "kxobject.h"

KXSM_PATHFOLLOWERBR::KXSM_PATHFOLLOWERBR(int n, const KXVECTOR* points, double first, double second)
{
    RequirePoints(n, points);
    capacity = n;
    path = new KXVECTOR[n];
    spareWord = 0;
    SetPath(n, points, first, second);
    thirdParameter = -1.0;
}

KXSM_PATHFOLLOWERBR::~KXSM_PATHFOLLOWERBR()
{
    FreePath();
}

// A path of no point would leave nothing to follow, and a null array with a count would
// be read past; both are refused before any memory is touched.
void KXSM_PATHFOLLOWERBR::RequirePoints(int k, const KXVECTOR* points)
{
    if (k < 1 || points == nullptr)
        throw KXEXCEPTION("KXSM_PATHFOLLOWERBR", "SetPath", "Invalid param number");
}

void KXSM_PATHFOLLOWERBR::SetPath(int k, const KXVECTOR* points, double first, double second)
{
    firstParameter = first;
    secondParameter = second;
    if (k > capacity)
        throw KXEXCEPTION("KXSM_PATHFOLLOWERBR", "SetPath", "Invalid param number");
    RequirePoints(k, points);
    if (path == nullptr)
        return;
    for (int i = 0; i < k; ++i)
        path[i] = points[i];
}

bool KXSM_PATHFOLLOWERBR::Apply(KXNULLOBJECT* /*object*/)
{
    return true;
}

void KXSM_PATHFOLLOWERBR::FreePath()
{
    delete[] path;
    path = nullptr;
}

const KXVECTOR* KXSM_PATHFOLLOWERBR::GetPathPoint(int i) const
{
    if (path == nullptr || i < 0 || i >= capacity)
        return nullptr;
    return &path[i];
}

bool KXSM_FALL::Apply(KXNULLOBJECT* object)
{
    *object->GetCoord(1) -= amount;
    return true;
}
