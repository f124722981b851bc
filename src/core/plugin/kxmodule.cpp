#include "kxmodule.h"

KXMODULE::KXMODULE(const char* className) : KXOBJECT(className) {}

KXMODULE::~KXMODULE()
{
    // The base's own release, not the derived one: that part of the object is gone.
    KXMODULE::Release();
}
