// The two mesh records: KXVERTEX, a scene point with a normal and a colour, and KXFACE,
// a polygon given by vertex indices with its normal. Mesh objects create both in arrays
// by class name through the memory manager, so any deliverable can free them.
#pragma once

#include "kxcolor.h"
#include "kxnullobject.h"
#include "kxobject.h"
#include "kxvector.h"

#include <cstdint>

class KXVERTEX : public KXNULLOBJECT {
public:
    KXVERTEX();
    ~KXVERTEX() = default;

    KXVECTOR& GetNormal() { return normal; }
    KXCOLOR& GetColor() { return color; }

private:
    KXVECTOR normal{4};
    // Part of the record that every deliverable shares; no operation reads them.
    double spare[2] = {0.0, 0.0};
    KXCOLOR color;
};

class KXFACE : public KXOBJECT {
public:
    KXFACE();
    // Frees the index array through the memory manager.
    ~KXFACE();
    // The face owns its index array; a copy would share it.
    KXFACE(const KXFACE&) = delete;
    KXFACE& operator=(const KXFACE&) = delete;

    // Replaces the index array by n zeroed entries from the memory manager. A count
    // that is negative, or too large to size in bytes, is refused with the face
    // unchanged; when the allocation fails the face is left with no entry.
    void SetVertexCount(int n);
    std::uint32_t GetVertexCount() const { return vertexCount; }
    std::uint32_t* GetIndices() { return indices; }
    KXVECTOR& GetNormal() { return normal; }

    // With three entries or more: the unit normal of the triangle formed by first and the
    // two vertex records that follow it in memory (the index array is not consulted),
    // written into the normal's x, y and z. With fewer, the stored normal as it is. A
    // degenerate triangle gives NaN, as normalising a zero vector does.
    KXVECTOR& ComputeNormal(const KXVERTEX* first);

private:
    void FreeIndices();

    std::uint32_t* indices = nullptr;
    std::uint32_t vertexCount = 0;
    KXVECTOR normal{4};
};
