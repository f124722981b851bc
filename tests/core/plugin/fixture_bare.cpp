// A library that offers no module at all: it has no "CreateMod".
#include "fixture_record.h"

#include "kxexport.h"
#include "kxmodule.h"

KX_EXPORT void ReleaseMod(KXMODULE* module)
{
    delete module;
}
