// The memory manager: the one library in which the memory that crosses deliverables is
// allocated and released, whichever deliverable asks. Its manager objects only run the
// library's own local routines.
#include "kxexport.h"
#include "kxfactory.h"
#include "kxmemmod.h"

#include <new>

namespace {

class KXMEMMODIMPL final : public KXMEMMOD {
public:
    void Alloc(void** out, int size) override { MemAllocLocal(out, size); }
    void CreateObject(KXOBJECT** out, const char* className) override
    {
        CreateObjectByName(out, className);
    }
    void CreateObjectArray(KXOBJECT** out, const char* className, int count) override
    {
        CreateObjectArrayByName(out, className, count);
    }
    void Free(void** p) override { MemFreeLocal(p); }
    void FreeObject(void* p) override { FreeObjectLocal(p); }
    void DeleteObjectArray(KXOBJECT** p) override { DeleteObjectArrayByName(p); }
};

} // namespace

KX_EXPORT KXMEMMOD* CreateMemMod()
{
    return new (std::nothrow) KXMEMMODIMPL;
}

KX_EXPORT void ReleaseMemMod(KXMEMMOD* manager)
{
    delete static_cast<KXMEMMODIMPL*>(manager);
}
