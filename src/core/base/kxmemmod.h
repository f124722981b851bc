// The memory manager: the KXMEMMOD interface that stowel implements, the client that
// every deliverable holds, and the free functions through which the library allocates
// whatever may cross deliverables (string buffers, picture buffers, mesh arrays).
#pragma once

#include "kxlibrary.h"

#include <cstdint>

class KXOBJECT;

// The six operations of a memory manager, in this slot order in every deliverable.
class KXMEMMOD {
public:
    virtual void Alloc(void** out, int size) = 0;
    virtual void CreateObject(KXOBJECT** out, const char* className) = 0;
    virtual void CreateObjectArray(KXOBJECT** out, const char* className, int count) = 0;
    virtual void Free(void** p) = 0;
    virtual void FreeObject(void* p) = 0;
    virtual void DeleteObjectArray(KXOBJECT** p) = 0;

protected:
    // A manager is destroyed only by the library that made it, through its own type.
    ~KXMEMMOD() = default;
};

// One release request for KXMEMMODCLIENT::ReleaseByKind: kind 1 frees the block whose
// pointer variable lies at pointer, kind 2 frees the block at pointer without running a
// destructor, kind 3 deletes the object array whose pointer variable lies at pointer.
struct KXMEMENTRY {
    void* pointer;
    std::uint8_t kind;
};

class KXMEMMODCLIENT {
public:
    explicit KXMEMMODCLIENT(const char* baseName);
    // Keeps the manager and the library: the global client gives its manager back only
    // when its deliverable unloads.
    ~KXMEMMODCLIENT() = default;
    KXMEMMODCLIENT(const KXMEMMODCLIENT&) = delete;
    KXMEMMODCLIENT& operator=(const KXMEMMODCLIENT&) = delete;

    // Loads <current directory>/<baseName>.dll and asks its "CreateMemMod" for a
    // manager. False when the library does not load.
    bool Load(const char* baseName);
    // Hands the manager to the library's "ReleaseMemMod" and frees the library.
    void Release();
    // Hands the manager to "ReleaseMemMod" but keeps the library, whose blocks may still
    // be in use; from then on the client allocates locally.
    void GiveBackManager();

    bool IsBound() const { return manager != nullptr; }

    void Alloc(void** out, int size);
    void CreateObject(KXOBJECT** out, const char* className);
    void CreateObjectArray(KXOBJECT** out, const char* className, int count);
    void Free(void** p);
    void FreeObject(void* p);
    void DeleteObjectArray(KXOBJECT** p);
    void ReleaseByKind(const KXMEMENTRY& entry);

private:
    KXLIBRARY library = nullptr;
    KXMEMMOD* manager = nullptr;
};

// The exports of the memory-manager library.
using KXCREATEMEMMODPROC = KXMEMMOD* (*)();
using KXRELEASEMEMMODPROC = void (*)(KXMEMMOD*);

// The deliverable's one client. It is built while the deliverable loads (or by the
// first allocation, should another global allocate earlier) and never destroyed.
KXMEMMODCLIENT& GetMemClient();

// The local routines: what a client without a manager runs, and what stowel runs for
// every deliverable.
void MemAllocLocal(void** out, int size);
void MemFreeLocal(void** p);
void FreeObjectLocal(void* p);

// Allocation through the deliverable's client. MemFree gives the block back to the
// memory manager.
void MemAlloc(void** out, int size);
void MemFree(void** p);
// MemFree of a block the caller knows to hold at least size bytes (what it was allocated
// with, or fewer): the deliverable's open shelf may keep it for reuse under that size.
// Only the caller can tell it; no allocator is asked, since the block may come from a
// memory manager whose allocator is not the C library's.
void MemFreeSized(void** p, std::uint64_t size);

// Typed forms for buffers of T. The size comes in 64 bits, so a product of two 32-bit
// counts never wraps to a small request; no bytes, a size beyond what the memory manager
// hands out (an int), or a failed allocation give null.
template <class T> T* MemAllocBuffer(std::uint64_t bytes)
{
    void* block = nullptr;
    if (bytes > 0 && bytes <= 0x7FFFFFFF)
        MemAlloc(&block, static_cast<int>(bytes));
    return static_cast<T*>(block);
}

// Frees the buffer and clears the pointer; the memory manager is handed a pointer of its
// own, never one of another type.
template <class T> void MemFreeBuffer(T*& buffer)
{
    void* block = buffer;
    MemFree(&block);
    buffer = nullptr;
}

// The same for a buffer of bytes bytes (what MemAllocBuffer was asked for, or fewer),
// which the shelf may keep.
template <class T> void MemFreeBuffer(T*& buffer, std::uint64_t bytes)
{
    void* block = buffer;
    MemFreeSized(&block, bytes);
    buffer = nullptr;
}
void NewObjectArray(KXOBJECT** out, const char* className, int count);
void DeleteObjectArray(KXOBJECT** p);
