// A memory manager from elsewhere whose entry points throw: a client that loads it must
// come away unbound, or released, rather than end the program. Built as it is,
// "CreateMemMod" throws; with STOWEL_RELEASE_THROWS it gives a manager (the local routines)
// and "ReleaseMemMod" throws instead. With FIXTURE_THROWS_FOREIGN what it throws is no
// standard exception.
#include "fixturethrow.h"

#include "kxexport.h"
#include "kxfactory.h"
#include "kxmemmod.h"

#ifdef STOWEL_RELEASE_THROWS
namespace {

class LOCALMEMMOD final : public KXMEMMOD {
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

LOCALMEMMOD manager;

} // namespace
#endif

KX_EXPORT KXMEMMOD* CreateMemMod()
{
#ifdef STOWEL_RELEASE_THROWS
    return &manager;
#else
    FixtureThrow("no manager today");
#endif
}

KX_EXPORT void ReleaseMemMod(KXMEMMOD* /*released*/)
{
    FixtureThrow("not giving it back");
}
