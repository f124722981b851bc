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

// Through a void pointer of its own, so the memory manager never writes an index
// pointer through a pointer of another type.
void KXFACE::FreeIndices()
{
    void* block = indices;
    MemFree(&block);
    indices = nullptr;
}

void KXFACE::SetVertexCount(int n)
{
    if (n < 0 || n > INT_MAX / static_cast<int>(sizeof(std::uint32_t)))
        return;
    FreeIndices();
    const int size = n * static_cast<int>(sizeof(std::uint32_t));
    void* block = nullptr;
    MemAlloc(&block, size);
    indices = static_cast<std::uint32_t*>(block);
    if (indices == nullptr) {
        vertexCount = 0;
        return;
    }
    vertexCount = static_cast<std::uint32_t>(n);
    std::memset(indices, 0, static_cast<std::size_t>(size));
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
