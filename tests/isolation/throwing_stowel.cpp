// A memory manager from elsewhere whose entry points throw: a client that loads it must
// come away unbound, or released, rather than end the program.
#include "kxexport.h"
#include "kxmemmod.h"

#include <stdexcept>

KX_EXPORT KXMEMMOD* CreateMemMod()
{
    throw std::runtime_error("no manager today");
}

KX_EXPORT void ReleaseMemMod(KXMEMMOD* /*released*/)
{
    throw std::runtime_error("not giving it back");
}
