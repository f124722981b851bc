// A stand-in memory manager that counts the blocks it hands out, so tests can see which
// deliverables allocate through it.
#include "probe.h"

#include "kxexport.h"
#include "kxfactory.h"
#include "kxmemmod.h"

namespace {

int liveBlocks = 0;

class COUNTINGMEMMOD final : public KXMEMMOD {
public:
    void Alloc(void** out, int size) override
    {
        MemAllocLocal(out, size);
        if (*out != nullptr)
            ++liveBlocks;
    }

    void CreateObject(KXOBJECT** out, const char* className) override
    {
        CreateObjectByName(out, className);
    }

    void CreateObjectArray(KXOBJECT** out, const char* className, int count) override
    {
        CreateObjectArrayByName(out, className, count);
    }

    void Free(void** p) override
    {
        if (p != nullptr && *p != nullptr)
            --liveBlocks;
        MemFreeLocal(p);
    }

    void FreeObject(void* p) override { FreeObjectLocal(p); }
    void DeleteObjectArray(KXOBJECT** p) override { DeleteObjectArrayByName(p); }
};

// The stand-in holds no state of its own, so one object serves every client.
COUNTINGMEMMOD manager;

} // namespace

KX_EXPORT KXMEMMOD* CreateMemMod()
{
    return &manager;
}

KX_EXPORT void ReleaseMemMod(KXMEMMOD* /*released*/) {}

KX_EXPORT int LiveBlocks()
{
    return liveBlocks;
}
