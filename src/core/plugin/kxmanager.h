// KXMANAGER finds the plug-ins of the current directory and keeps the modules of one
// kind; KXLOADERSET is a manager of loaders through which a picture, a 3-D object or a
// world loads and saves itself.
#pragma once

#include "kxcollection.h"
#include "kxmodule.h"
#include "kxobject.h"
#include "kxstring.h"

#include <cstdint>

class KXLOADERMODULE;

class KXMANAGER : public KXOBJECT {
public:
    KXMANAGER() : KXOBJECT("KXMANAGER") {}
    ~KXMANAGER() { ReleaseAll(); }
    KXMANAGER(const KXMANAGER&) = delete;
    KXMANAGER& operator=(const KXMANAGER&) = delete;

    // Releases every module held, then loads each "*.dll" of the current directory and
    // keeps the modules of the given kind (all of them when kind is null). Returns the
    // number of modules held. The flag changes nothing.
    int LoadModules(const char* kind, int flag);
    // Loads one library (a name without '/' is taken in the current directory) and adds
    // the module its "CreateMod" gives; null, with the library freed, when there is none,
    // when "CreateMod" throws, or when the list cannot grow.
    KXMODULE* LoadModule(const char* fileName);
    // Removes the module and releases it through its library's "ReleaseMod", then frees
    // the library. A "ReleaseMod" that throws has failed; the library is freed all the same.
    void UnloadModule(KXMODULE* module);
    // Deletes the module at position and frees its library; nothing beyond the count.
    void ReleaseAt(std::uint16_t position);
    // Releases every module, in list order.
    void ReleaseAll();
    void ReleaseAllModules() { ReleaseAll(); }

    // The module at position; throws beyond the count.
    KXMODULE* operator[](std::uint16_t position);
    std::uint16_t GetCount() { return static_cast<std::uint16_t>(modules.GetCount()); }

    // Changes the process's current directory; the modules stay as they are.
    void ChangeDirectory(const char* path);

protected:
    KXREFCOLLECTION<KXMODULE*> modules;

private:
    // The library's path: fileName, in the current directory when it has no '/'. False
    // when it cannot be formed whole.
    static bool FormPath(const char* fileName, KXSTRING& path);
    // Hands the module, held by no list, back to its library's "ReleaseMod" (or destroys
    // it) and frees the library.
    static void GiveBack(KXMODULE* module);
};

class KXLOADERSET : public KXMANAGER {
public:
    // Loads the modules of kind from the current directory.
    explicit KXLOADERSET(const char* kind);
    ~KXLOADERSET() { ReleaseAll(); }

    // The object that loads and saves itself through this set, as its constructor
    // registered it. Loaders reach the object to fill through it.
    void SetOwner(KXOBJECT* object) { owner = object; }
    KXOBJECT* GetOwner() const { return owner; }
    const KXSTRING& GetKind() const { return kind; }

    // Fills list with one "filter name|extension" entry per module, in list order, and
    // returns their number.
    int GetFilterList(KXCOLLECTION<KXSTRING>& list);
    // Asks each module in list order; true at the first that supports the path and
    // loads (or saves) the owner. A module that fails, or throws, leaves the next its turn.
    bool LoadFile(const char* path);
    bool SaveFile(const char* path);
    // The position of the first module, from start on, that supports the path's
    // extension; -1 when none does.
    int FindLoader(const char* path, int start = 0);

private:
    // Asks each module in list order to load or save (serve) the owner.
    bool AskLoaders(bool (KXLOADERMODULE::*serve)(KXLOADERSET*, const char*), const char* path);

    KXSTRING kind;
    KXOBJECT* owner = nullptr;
};
