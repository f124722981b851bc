// Loading a shared library and binding its exports: the one road by which plug-ins and
// the memory manager are brought into a deliverable.
#pragma once

#include "kxsys.h"

using KXLIBRARY = kxsys::LibraryHandle;

// Loads the shared library at path; null when it does not load.
KXLIBRARY LoadModuleLibrary(const char* path);
// The address of the library's export name; null when it has none.
void* GetModuleProc(KXLIBRARY library, const char* name);
// Frees the library *library and sets the handle to null.
void FreeModuleLibrary(KXLIBRARY* library);
