// The memory manager: the one library in which the memory that crosses deliverables is
// allocated and released, whichever deliverable asks. Its manager objects only run the
// library's own local routines.
#include "kxboundary.h"
#include "kxexport.h"
#include "kxfactory.h"
#include "kxmemmod.h"

#include <new>

namespace {

// Nothing thrown leaves the manager: an object whose construction throws is not made, and
// the out-pointer says so.
class KXMEMMODIMPL final : public KXMEMMOD {
public:
    void Alloc(void** out, int size) override
    {
        CallContained([out, size] { MemAllocLocal(out, size); });
    }
    void CreateObject(KXOBJECT** out, const char* className) override
    {
        Made(out, [out, className] { CreateObjectByName(out, className); });
    }
    void CreateObjectArray(KXOBJECT** out, const char* className, int count) override
    {
        Made(out, [out, className, count] { CreateObjectArrayByName(out, className, count); });
    }
    void Free(void** p) override
    {
        CallContained([p] { MemFreeLocal(p); });
    }
    void FreeObject(void* p) override
    {
        CallContained([p] { FreeObjectLocal(p); });
    }
    void DeleteObjectArray(KXOBJECT** p) override
    {
        CallContained([p] { DeleteObjectArrayByName(p); });
    }

private:
    // Runs create; when it throws, *out is null.
    template <class CREATE> static void Made(KXOBJECT** out, CREATE create)
    {
        const bool made = CallContained(false, [&create] {
            create();
            return true;
        });
        if (!made && out != nullptr)
            *out = nullptr;
    }
};

} // namespace

KX_EXPORT KXMEMMOD* CreateMemMod()
{
    return CallContained(static_cast<KXMEMMOD*>(nullptr),
                         [] { return new (std::nothrow) KXMEMMODIMPL; });
}

KX_EXPORT void ReleaseMemMod(KXMEMMOD* manager)
{
    CallContained([manager] { delete static_cast<KXMEMMODIMPL*>(manager); });
}
