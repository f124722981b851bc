#include "kxmanager.h"

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
        if (module != nullptr && kind != nullptr && !(module->GetKind() == KXSTRING(kind)))
            UnloadModule(module);
    }
    return modules.GetCount();
}

KXMODULE* KXMANAGER::LoadModule(const char* fileName)
{
    KXSTRING name(fileName);
    KXSTRING path;
    if (name.FindFirst('/') == -1) {
        GetCurrentDir(path);
        path += '/';
    }
    path += name;

    KXLIBRARY library = LoadModuleLibrary(path.GetText());
    if (library == nullptr)
        return nullptr;
    auto create = reinterpret_cast<KXCREATEMODPROC>(GetModuleProc(library, "CreateMod"));
    KXMODULE* module = create != nullptr ? create() : nullptr;
    if (module == nullptr) {
        FreeModuleLibrary(&library);
        return nullptr;
    }
    module->SetHandle(&library);
    modules.Add(module);
    return module;
}

void KXMANAGER::UnloadModule(KXMODULE* module)
{
    if (module == nullptr)
        return;
    KXLIBRARY library = *module->GetHandlePtr();
    auto release = reinterpret_cast<KXRELEASEMODPROC>(GetModuleProc(library, "ReleaseMod"));
    modules.FindAndRemove(module);
    // A library without "ReleaseMod" still gets its module destroyed, by the module's
    // own code through its virtual destructor, before the library goes.
    if (release != nullptr)
        release(module);
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
    for (int i = std::max(start, 0); i < modules.GetCount(); ++i)
        if (static_cast<KXLOADERMODULE*>(modules[i])->SupportsExtension(path))
            return i;
    return -1;
}

bool KXLOADERSET::AskLoaders(bool (KXLOADERMODULE::*serve)(KXLOADERSET*, const char*),
                             const char* path)
{
    for (int i = FindLoader(path); i >= 0; i = FindLoader(path, i + 1))
        if ((static_cast<KXLOADERMODULE*>(modules[i])->*serve)(this, path))
            return true;
    return false;
}
