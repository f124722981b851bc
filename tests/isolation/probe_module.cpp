// A plug-in that reports on its own copy of the library.
#include "probe.h"

#include "kxexport.h"
#include "kxmemmod.h"
#include "kxrandom.h"

namespace {

class PROBE final : public KXPROBE {
public:
    const KXMEMMODCLIENT* MemClient() override { return &GetMemClient(); }
    bool MemClientBound() override { return GetMemClient().IsBound(); }

    void* Alloc(int size) override
    {
        void* block = nullptr;
        MemAlloc(&block, size);
        return block;
    }

    void Free(void* block) override { MemFree(&block); }
    void SeedRandom(unsigned short seed) override { random.SetSeed(seed); }
    unsigned short DrawRandom() override { return random.RandomShort(32768); }

private:
    KXRANDOM random;
};

} // namespace

KX_EXPORT KXPROBE* CreateMod()
{
    return new PROBE;
}

KX_EXPORT void ReleaseMod(KXPROBE* probe)
{
    delete static_cast<PROBE*>(probe);
}
