#include "kxsys.h"

#include <cerrno>

#include <dlfcn.h>
#include <unistd.h>

namespace kxsys {

LibraryHandle LoadLibrary(const char* path)
{
    if (path == nullptr)
        return nullptr;
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* FindExport(LibraryHandle library, const char* name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return dlsym(library, name);
}

void FreeLibrary(LibraryHandle library)
{
    if (library != nullptr)
        dlclose(library);
}

bool CurrentDirectory(char* buffer, std::size_t size)
{
    if (buffer == nullptr || size == 0)
        return false;
    if (getcwd(buffer, size) != nullptr)
        return true;
    if (errno == ERANGE)
        return false;
    buffer[0] = '\0';
    return true;
}

} // namespace kxsys
