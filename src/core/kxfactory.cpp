#include "kxfactory.h"

// The table of classes that can be built by name arrives with the scene classes; until
// then no name is known. This file is the one place the memory-manager client reaches
// for objects by name, so the table fills in here without touching the client.

void CreateObjectByName(KXOBJECT** out, const char* /*className*/)
{
    if (out != nullptr)
        *out = nullptr;
}

void CreateObjectArrayByName(KXOBJECT** /*out*/, const char* /*className*/, int /*count*/) {}

void DeleteObjectArrayByName(KXOBJECT** /*p*/) {}
