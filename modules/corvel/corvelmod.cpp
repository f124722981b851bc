// The raytracer plug-in's entry points: a new renderer on every call, deleted by the
// plug-in's own code. Nothing thrown leaves them.
#include "corvel.h"

#include "kxboundary.h"
#include "kxexport.h"

#include <new>

KX_EXPORT KXMODULE* CreateMod()
{
    return CallContained(static_cast<KXMODULE*>(nullptr), [] { return new (std::nothrow) CORVEL; });
}

KX_EXPORT void ReleaseMod(KXMODULE* module)
{
    CallContained([module] { delete module; });
}
