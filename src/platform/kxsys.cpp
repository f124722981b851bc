#include "kxsys.h"

#include <cerrno>

#include <dirent.h>
#include <dlfcn.h>
#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <new>

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

std::vector<std::string> ListDirectory(const char* pattern)
{
    std::vector<std::string> names;
    DIR* dir = pattern != nullptr ? opendir(".") : nullptr;
    if (dir == nullptr)
        return names;
    // When memory runs out the listing ends with the names it holds: a scan then loads
    // what it found so far, rather than ending the program.
    try {
        while (const dirent* entry = readdir(dir)) {
            if (fnmatch(pattern, entry->d_name, 0) == 0)
                names.emplace_back(entry->d_name);
        }
    } catch (const std::bad_alloc&) {
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool ChangeDirectory(const char* path)
{
    return path != nullptr && chdir(path) == 0;
}

int RunCommand(const char* command)
{
    return command != nullptr ? std::system(command) : -1;
}

} // namespace kxsys
