#include "kxvertex.h"

#include "kxmemmod.h"

#include <climits>
#include <cstring>

KXVERTEX::KXVERTEX() : KXNULLOBJECT(0.0, 0.0, 0.0)
{
    SetName("KXVERTEX");
    SetType(KXTYPE_NULLOBJECT);
    normal.Set(0.0, 0.0, 0.0);
    color.Set(0, 0, 0, 0);
}

KXFACE::KXFACE() : KXOBJECT("KXFACE") {}

KXFACE::~KXFACE()
{
    FreeIndices();
}

void KXFACE::FreeIndices()
{
    MemFreeBuffer(indices);
}

void KXFACE::SetVertexCount(int n)
{
    if (n < 0 || n > INT_MAX / static_cast<int>(sizeof(std::uint32_t)))
        return;
    FreeIndices();
    const std::size_t size = static_cast<std::size_t>(n) * sizeof(std::uint32_t);
    indices = MemAllocBuffer<std::uint32_t>(size);
    vertexCount = indices != nullptr ? static_cast<std::uint32_t>(n) : 0;
    if (indices != nullptr)
        std::memset(indices, 0, size);
}

KXVECTOR& KXFACE::ComputeNormal(const KXVERTEX* first)
{
    if (vertexCount < 3)
        return normal;
    const KXVECTOR& origin = first[0].GetPosition();
    const KXVECTOR e1 = first[1].GetPosition() - origin;
    const KXVECTOR e2 = first[2].GetPosition() - origin;
    e1.CrossInto(normal, e2);
    normal.Normalize();
    return normal;
}
