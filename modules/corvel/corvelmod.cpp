// The raytracer plug-in's entry points: a new renderer on every call, deleted by the
// plug-in's own code.
#include "corvel.h"

#include "kxexport.h"

#include <new>

KX_EXPORT KXMODULE* CreateMod()
{
    return new (std::nothrow) CORVEL;
}

KX_EXPORT void ReleaseMod(KXMODULE* module)
{
    delete module;
}
