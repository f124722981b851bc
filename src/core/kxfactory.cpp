#include "kxfactory.h"

#include "kxbcurve.h"
#include "kxcamera.h"
#include "kxcolor.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxmatrix.h"
#include "kxnullobject.h"
#include "kxobject3d.h"
#include "kxpicture.h"
#include "kxquaternion.h"
#include "kxstring.h"
#include "kxtexture.h"
#include "kxvector.h"
#include "kxvertex.h"
#include "kxworld.h"

#include <cstddef>
#include <cstdint>
#include <new>

namespace {

struct FACTORYENTRY;

// An array made by name is one block: this header, then the elements. The header keeps
// the entry that made the array, so that any array can be deleted again, also those of
// classes whose objects all report one class name.
struct ARRAYHEADER {
    std::uint32_t magic;
    const FACTORYENTRY* entry;
    std::size_t count;
};

constexpr std::uint32_t arrayMagic = 0x4B584152; // "KXAR"
constexpr std::size_t headerSize = (sizeof(ARRAYHEADER) + alignof(std::max_align_t) - 1) /
                                   alignof(std::max_align_t) * alignof(std::max_align_t);

struct FACTORYENTRY {
    const char* key;
    KXOBJECT* (*createOne)();
    KXOBJECT* (*createArray)(const FACTORYENTRY* entry, std::size_t count);
    void (*destroyArray)(KXOBJECT* first, std::size_t count);
};

ARRAYHEADER* HeaderOf(KXOBJECT* first)
{
    return reinterpret_cast<ARRAYHEADER*>(reinterpret_cast<char*>(first) - headerSize);
}

template <class T> KXOBJECT* CreateOne()
{
    return new (std::nothrow) T;
}

template <class T> void DestroyElements(T* elements, std::size_t count)
{
    while (count > 0)
        elements[--count].T::~T(); // each element is exactly a T: no virtual call needed
}

// Builds count default objects after a header; should a constructor throw, the ones
// already built are destroyed and the block released before the exception goes on.
template <class T> KXOBJECT* CreateArray(const FACTORYENTRY* entry, std::size_t count)
{
    void* block = ::operator new(headerSize + sizeof(T) * count, std::nothrow);
    if (block == nullptr)
        return nullptr;
    new (block) ARRAYHEADER{arrayMagic, entry, count};
    T* elements = reinterpret_cast<T*>(static_cast<char*>(block) + headerSize);
    std::size_t built = 0;
    try {
        for (; built < count; ++built)
            new (elements + built) T;
    } catch (...) {
        DestroyElements(elements, built);
        ::operator delete(block);
        throw;
    }
    return elements;
}

template <class T> void DestroyArray(KXOBJECT* first, std::size_t count)
{
    DestroyElements(static_cast<T*>(first), count);
}

template <class T> constexpr FACTORYENTRY Entry(const char* key)
{
    return {key, &CreateOne<T>, &CreateArray<T>, &DestroyArray<T>};
}

// The classes that can be made by name, in the order their keys are compared.
const FACTORYENTRY table[] = {
    Entry<KXVERTEX>("KXVERTEX"),         // 1
    Entry<KXFACE>("KXFACE"),             // 2
    Entry<KXCOLOR>("KXCOLOR"),           // 3
    Entry<KXPICTURE>("KXPICTURE"),       // 4
    Entry<KXVECTOR>("KXVECTOR"),         // 5
    Entry<KXMATRIX>("KXMATRIX"),         // 6
    Entry<KXQUATERNION>("KXQUATERNION"), // 7
    Entry<KXBCURVE>("KXBCURVE"),         // 8
    Entry<KXCAMERA>("KXCAMERA"),         // 9
    Entry<KXLIGHT>("KXLIGHT"),           // 10
    Entry<KXNULLOBJECT>("KXNULLOBJECT"), // 11
    Entry<KXOBJECT3D>("KXOBJECT3D"),     // 12
    Entry<KXTEXTURE>("KXTEXTURE"),       // 13
    Entry<KXMATERIAL>("KXMATERIAL"),     // 14
    Entry<KXWORLD>("KXWORLD"),           // 15
};

const FACTORYENTRY* Find(const char* className)
{
    if (className == nullptr)
        return nullptr;
    const KXSTRING name(className);
    for (const FACTORYENTRY& entry : table) {
        if (name == entry.key)
            return &entry;
    }
    return nullptr;
}

} // namespace

void CreateObjectByName(KXOBJECT** out, const char* className)
{
    if (out == nullptr)
        return;
    const FACTORYENTRY* entry = Find(className);
    *out = entry != nullptr ? entry->createOne() : nullptr;
}

// A name that no class has, and an array of no element, give null.
void CreateObjectArrayByName(KXOBJECT** out, const char* className, int count)
{
    if (out == nullptr)
        return;
    const FACTORYENTRY* entry = Find(className);
    *out = entry != nullptr && count > 0
               ? entry->createArray(entry, static_cast<std::size_t>(count))
               : nullptr;
}

void DeleteObjectArrayByName(KXOBJECT** p)
{
    if (p == nullptr || *p == nullptr)
        return;
    ARRAYHEADER* header = HeaderOf(*p);
    // An array this factory did not make is left alone.
    if (header->magic != arrayMagic)
        return;
    header->entry->destroyArray(*p, header->count);
    header->magic = 0;
    ::operator delete(header);
    *p = nullptr;
}
