#include "kxlibrary.h"

KXLIBRARY LoadModuleLibrary(const char* path)
{
    return kxsys::LoadLibrary(path);
}

void* GetModuleProc(KXLIBRARY library, const char* name)
{
    return kxsys::FindExport(library, name);
}

void FreeModuleLibrary(KXLIBRARY* library)
{
    if (library == nullptr)
        return;
    kxsys::FreeLibrary(*library);
    *library = nullptr;
}
