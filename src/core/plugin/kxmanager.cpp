#include "kxmanager.h"

#include "kxboundary.h"
#include "kxdirectory.h"
#include "kxloadermodule.h"

#include <algorithm>

int KXMANAGER::LoadModules(const char* kind, int /*flag*/)
{
    ReleaseAll();
    KXCOLLECTION<KXSTRING> names;
    ListFiles(names, "*.dll");
    for (int i = 0; i < names.GetCount(); ++i) {
        KXMODULE* module = LoadModule(names[i].GetText());
        // A module of another kind goes at once, before the next library loads.
        if (module != nullptr && kind != nullptr && !(module->GetKind() == kind))
            UnloadModule(module);
    }
    return modules.GetCount();
}

KXMODULE* KXMANAGER::LoadModule(const char* fileName)
{
    KXSTRING path;
    if (!FormPath(fileName, path))
        return nullptr;
    KXLIBRARY library = LoadModuleLibrary(path.GetText());
    if (library == nullptr)
        return nullptr;
    auto create = reinterpret_cast<KXCREATEMODPROC>(GetModuleProc(library, "CreateMod"));
    // A "CreateMod" that throws gives no module, like one that returns null.
    KXMODULE* module =
        create != nullptr ? CallContained(static_cast<KXMODULE*>(nullptr), create) : nullptr;
    if (module == nullptr) {
        FreeModuleLibrary(&library);
        return nullptr;
    }
    module->SetHandle(&library);
    // A list that cannot grow keeps nothing of the library: the module goes back to it.
    if (modules.Add(module) == -1) {
        GiveBack(module);
        return nullptr;
    }
    return module;
}

// A path formed only in part (memory ran out on the way) could name another library, and
// one without its directory would be looked for far from the current directory: both
// are refused.
bool KXMANAGER::FormPath(const char* fileName, KXSTRING& path)
{
    const KXSTRING name(fileName);
    if (name.GetLength() == 0)
        return false;
    int expected = name.GetLength();
    if (name.FindFirst('/') == -1) {
        GetCurrentDir(path);
        if (path.GetLength() == 0)
            return false;
        expected += path.GetLength() + 1;
        path += '/';
    }
    path += name;
    return path.GetLength() == expected;
}

void KXMANAGER::UnloadModule(KXMODULE* module)
{
    if (module == nullptr)
        return;
    modules.FindAndRemove(module);
    GiveBack(module);
}

void KXMANAGER::GiveBack(KXMODULE* module)
{
    KXLIBRARY library = *module->GetHandlePtr();
    auto release = reinterpret_cast<KXRELEASEMODPROC>(GetModuleProc(library, "ReleaseMod"));
    // A library without "ReleaseMod" still gets its module destroyed, by the module's
    // own code through its virtual destructor, before the library goes. A "ReleaseMod"
    // that throws has failed: the library goes all the same.
    if (release != nullptr)
        CallContained([release, module] { release(module); });
    else
        delete module;
    FreeModuleLibrary(&library);
}

void KXMANAGER::ReleaseAt(std::uint16_t position)
{
    if (position >= modules.GetCount())
        return;
    KXLIBRARY library = *modules[position]->GetHandlePtr();
    modules.DeleteAt(position);
    FreeModuleLibrary(&library);
}

void KXMANAGER::ReleaseAll()
{
    while (modules.GetCount() > 0)
        ReleaseAt(0);
}

KXMODULE* KXMANAGER::operator[](std::uint16_t position)
{
    if (position >= modules.GetCount())
        throw KXEXCEPTION(this, "op []", "index out of bounds");
    return modules[position];
}

void KXMANAGER::ChangeDirectory(const char* path)
{
    ChangeDir(KXSTRING(path));
}

KXLOADERSET::KXLOADERSET(const char* kindText) : kind(kindText)
{
    LoadModules(kind.GetText(), 0);
}

int KXLOADERSET::GetFilterList(KXCOLLECTION<KXSTRING>& list)
{
    list.RemoveAll();
    for (int i = 0; i < modules.GetCount(); ++i) {
        const auto* loader = static_cast<KXLOADERMODULE*>(modules[i]);
        KXSTRING entry(loader->GetFilterName());
        entry += '|';
        entry += loader->GetExtension();
        list.Add(entry);
    }
    return modules.GetCount();
}

bool KXLOADERSET::LoadFile(const char* path)
{
    return AskLoaders(&KXLOADERMODULE::Load, path);
}

bool KXLOADERSET::SaveFile(const char* path)
{
    return AskLoaders(&KXLOADERMODULE::Save, path);
}

int KXLOADERSET::FindLoader(const char* path, int start)
{
    for (int i = std::max(start, 0); i < modules.GetCount(); ++i) {
        auto* loader = static_cast<KXLOADERMODULE*>(modules[i]);
        // A module whose test throws does not support the path.
        if (CallContained(false, [loader, path] { return loader->SupportsExtension(path); }))
            return i;
    }
    return -1;
}

bool KXLOADERSET::AskLoaders(bool (KXLOADERMODULE::*serve)(KXLOADERSET*, const char*),
                             const char* path)
{
    for (int i = FindLoader(path); i >= 0; i = FindLoader(path, i + 1)) {
        auto* loader = static_cast<KXLOADERMODULE*>(modules[i]);
        // A load or save that throws has failed, and the next module gets its turn.
        if (CallContained(false, [&] { return (loader->*serve)(this, path); }))
            return true;
    }
    return false;
}
