#include "kxmemmod.h"

#include "kxboundary.h"
#include "kxdirectory.h"
#include "kxfactory.h"
#include "kxlibrary.h"
#include "kxspareblocks.h"
#include "kxstring.h"

#include <new>

namespace {

// The global client lives in static storage and is never destroyed, so strings that
// other globals free during exit still reach it. It is built on first use rather than
// by a global constructor, so no allocation can come before it, whatever order the
// linker gives the deliverable's globals.
alignas(KXMEMMODCLIENT) unsigned char clientStorage[sizeof(KXMEMMODCLIENT)];
KXMEMMODCLIENT* client = nullptr;
bool clientUnderConstruction = false;

// Hands the client's manager back when the deliverable unloads or the program ends:
// every load of a plug-in binds a manager object of its own, which would otherwise outlive
// the plug-in for good. It is built with the client, before any allocation completes, so
// it goes after every object that may still free memory through the client; what is freed
// later still goes to the same heap, through the local routines.
struct CLIENTRELEASER {
    ~CLIENTRELEASER() { client->GiveBackManager(); }
};

// The built client, or null while its constructor runs: the strings with which it forms
// the library path then use the local heap, and are freed there before it binds.
KXMEMMODCLIENT* BuiltClient()
{
    if (client == nullptr && !clientUnderConstruction) {
        clientUnderConstruction = true;
        KXMEMMODCLIENT* built = new (clientStorage) KXMEMMODCLIENT("stowel");
        clientUnderConstruction = false;
        client = built;
        static CLIENTRELEASER releaser;
    }
    return client;
}

// Binds the memory manager while the deliverable loads, before its own code runs.
[[maybe_unused]] const bool clientBuiltAtLoad = BuiltClient() != nullptr;

} // namespace

KXMEMMODCLIENT& GetMemClient()
{
    return *BuiltClient();
}

KXMEMMODCLIENT::KXMEMMODCLIENT(const char* baseName)
{
    Load(baseName != nullptr ? baseName : "stowel");
}

bool KXMEMMODCLIENT::Load(const char* baseName)
{
    {
        KXSTRING path;
        GetCurrentDir(path);
        path += '/';
        KXSTRING name(baseName);
        name += ".dll";
        path += name;
        library = LoadModuleLibrary(path.GetText());
    }
    if (library == nullptr)
        return false;
    auto create = reinterpret_cast<KXCREATEMEMMODPROC>(GetModuleProc(library, "CreateMemMod"));
    if (create != nullptr)
        manager = CallContained<KXMEMMOD*>(nullptr, create);
    if (manager == nullptr) {
        // A library that provides no manager is of no use: the client stays unbound and
        // keeps no reference to it.
        FreeModuleLibrary(&library);
        return false;
    }
    return true;
}

void KXMEMMODCLIENT::Release()
{
    if (library == nullptr)
        return;
    auto release =
        reinterpret_cast<KXRELEASEMEMMODPROC>(GetModuleProc(library, "ReleaseMemMod"));
    if (release != nullptr)
        CallContained([&] { release(manager); });
    FreeModuleLibrary(&library);
    manager = nullptr;
}

void KXMEMMODCLIENT::GiveBackManager()
{
    if (manager == nullptr)
        return;
    auto release =
        reinterpret_cast<KXRELEASEMEMMODPROC>(GetModuleProc(library, "ReleaseMemMod"));
    KXMEMMOD* released = manager;
    manager = nullptr;
    if (release != nullptr)
        CallContained([&] { release(released); });
}

void KXMEMMODCLIENT::Alloc(void** out, int size)
{
    if (manager != nullptr)
        manager->Alloc(out, size);
    else
        MemAllocLocal(out, size);
}

void KXMEMMODCLIENT::CreateObject(KXOBJECT** out, const char* className)
{
    if (manager != nullptr)
        manager->CreateObject(out, className);
    else
        CreateObjectByName(out, className);
}

void KXMEMMODCLIENT::CreateObjectArray(KXOBJECT** out, const char* className, int count)
{
    if (manager != nullptr)
        manager->CreateObjectArray(out, className, count);
    else
        CreateObjectArrayByName(out, className, count);
}

void KXMEMMODCLIENT::Free(void** p)
{
    if (manager != nullptr)
        manager->Free(p);
    else
        MemFreeLocal(p);
}

void KXMEMMODCLIENT::FreeObject(void* p)
{
    if (manager != nullptr)
        manager->FreeObject(p);
    else
        FreeObjectLocal(p);
}

void KXMEMMODCLIENT::DeleteObjectArray(KXOBJECT** p)
{
    if (manager != nullptr)
        manager->DeleteObjectArray(p);
    else
        DeleteObjectArrayByName(p);
}

void KXMEMMODCLIENT::ReleaseByKind(const KXMEMENTRY& entry)
{
    switch (entry.kind) {
    case 1:
        Free(static_cast<void**>(entry.pointer));
        break;
    case 2:
        FreeObject(entry.pointer);
        break;
    case 3:
        DeleteObjectArray(static_cast<KXOBJECT**>(entry.pointer));
        break;
    default:
        break;
    }
}

void MemAllocLocal(void** out, int size)
{
    if (out == nullptr)
        return;
    *out = size >= 0 ? ::operator new(static_cast<std::size_t>(size), std::nothrow) : nullptr;
}

void MemFreeLocal(void** p)
{
    if (p == nullptr || *p == nullptr)
        return;
    ::operator delete(*p);
    *p = nullptr;
}

void FreeObjectLocal(void* p)
{
    if (p != nullptr)
        ::operator delete(p);
}

namespace {

// A block leaves the shelf the way it came: through the client, to the memory manager
// that made it.
void GiveBack(void* block)
{
    if (KXMEMMODCLIENT* memClient = BuiltClient())
        memClient->Free(&block);
    else
        MemFreeLocal(&block);
}

// Closes the shelf when the deliverable's globals are torn down. It is built by the first
// allocation that reaches the shelf, after the client and its releaser, so it is torn
// down before them and gives its blocks back through the client.
struct SHELFCLOSER {
    // Not constexpr: built when the first allocation passes, which registers its teardown.
    SHELFCLOSER() noexcept {}
    ~SHELFCLOSER() { SpareBlocks().Close(); }
};

} // namespace

KXSPAREBLOCKS& SpareBlocks()
{
    // Constant-initialised, so it is ready before any global allocates, and never torn
    // down, so blocks freed after it closed are still handled: they go straight back.
    static constinit KXSPAREBLOCKS shelf(&GiveBack);
    static SHELFCLOSER closer;
    return shelf;
}

// While the client is being built, its strings use the local heap and never the shelf.
void MemAlloc(void** out, int size)
{
    KXMEMMODCLIENT* memClient = BuiltClient();
    if (memClient == nullptr) {
        MemAllocLocal(out, size);
        return;
    }
    if (out == nullptr)
        return;
    *out = size > 0 ? SpareBlocks().Take(static_cast<std::size_t>(size)) : nullptr;
    if (*out != nullptr)
        return;
    memClient->Alloc(out, size);
    // What the shelf holds is better spent on this request.
    if (*out == nullptr && size > 0 && SpareBlocks().ReleaseAll())
        memClient->Alloc(out, size);
}

// A block of unknown size is never kept: only its caller could tell how large it is.
void MemFree(void** p)
{
    MemFreeSized(p, 0);
}

// The shelf keeps a block under the size its caller gives, never one an allocator reports:
// the memory manager is whatever library the start folder holds, and its blocks need not
// be the C library's.
void MemFreeSized(void** p, std::uint64_t size)
{
    KXMEMMODCLIENT* memClient = BuiltClient();
    if (memClient == nullptr) {
        MemFreeLocal(p);
        return;
    }
    if (p != nullptr && *p != nullptr && size <= SIZE_MAX &&
        SpareBlocks().Keep(*p, static_cast<std::size_t>(size))) {
        *p = nullptr;
        return;
    }
    memClient->Free(p);
}

void NewObjectArray(KXOBJECT** out, const char* className, int count)
{
    GetMemClient().CreateObjectArray(out, className, count);
}

void DeleteObjectArray(KXOBJECT** p)
{
    GetMemClient().DeleteObjectArray(p);
}
