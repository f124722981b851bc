// Objects and arrays of objects made and deleted by their class name.
#include "kxbcurve.h"
#include "kxcamera.h"
#include "kxcolor.h"
#include "kxfactory.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxmatrix.h"
#include "kxmemmod.h"
#include "kxnullobject.h"
#include "kxobject3d.h"
#include "kxpicture.h"
#include "kxquaternion.h"
#include "kxtexture.h"
#include "kxvector.h"
#include "kxvertex.h"
#include "kxworld.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// An object made by name is released by whoever asked for it, as its own type.
template <class T> void Destroy(KXOBJECT* object)
{
    T* typed = static_cast<T*>(object);
    typed->T::~T();
    ::operator delete(typed);
}

struct KEYCASE {
    const char* key;
    const char* reportedName;
    // One property that shows the object was built as the class's default.
    std::function<bool(KXOBJECT*)> isDefault;
    void (*destroy)(KXOBJECT*);
};

const KEYCASE keys[] = {
    {"KXVERTEX", "KXVERTEX",
     [](KXOBJECT* o) { return static_cast<KXVERTEX*>(o)->GetPosition().GetDimension() == 4; },
     &Destroy<KXVERTEX>},
    {"KXFACE", "KXFACE", [](KXOBJECT* o) { return static_cast<KXFACE*>(o)->GetVertexCount() == 0; },
     &Destroy<KXFACE>},
    {"KXCOLOR", "KXCOLOR", [](KXOBJECT* o) { return static_cast<KXCOLOR*>(o)->ToPixel32() == 0; },
     &Destroy<KXCOLOR>},
    {"KXPICTURE", "KXPICTURE",
     [](KXOBJECT* o) { return static_cast<KXPICTURE*>(o)->GetData() == nullptr; },
     &Destroy<KXPICTURE>},
    {"KXVECTOR", "KXVECTOR",
     [](KXOBJECT* o) { return static_cast<KXVECTOR*>(o)->GetDimension() == 4; },
     &Destroy<KXVECTOR>},
    {"KXMATRIX", "KXMATRIX",
     [](KXOBJECT* o) {
         auto* m = static_cast<KXMATRIX*>(o);
         return m->GetColumns() == 4 && m->GetRows() == 4;
     },
     &Destroy<KXMATRIX>},
    {"KXQUATERNION", "KXQUATERNION",
     [](KXOBJECT* o) { return static_cast<KXQUATERNION*>(o)->GetW() == 0.0; },
     &Destroy<KXQUATERNION>},
    {"KXBCURVE", "KXBCURVE",
     [](KXOBJECT* o) { return static_cast<KXBCURVE*>(o)->GetPointCount() == 3; },
     &Destroy<KXBCURVE>},
    {"KXCAMERA", "KXNULLOBJECT",
     [](KXOBJECT* o) { return static_cast<KXCAMERA*>(o)->GetType() == KXTYPE_CAMERA; },
     &Destroy<KXCAMERA>},
    {"KXLIGHT", "KXNULLOBJECT",
     [](KXOBJECT* o) { return static_cast<KXLIGHT*>(o)->GetType() == KXTYPE_LIGHT; },
     &Destroy<KXLIGHT>},
    {"KXNULLOBJECT", "KXNULLOBJECT",
     [](KXOBJECT* o) { return static_cast<KXNULLOBJECT*>(o)->GetType() == KXTYPE_NULLOBJECT; },
     &Destroy<KXNULLOBJECT>},
    {"KXOBJECT3D", "KXNULLOBJECT",
     [](KXOBJECT* o) { return static_cast<KXOBJECT3D*>(o)->GetType() == KXTYPE_OBJECT3D; },
     &Destroy<KXOBJECT3D>},
    {"KXTEXTURE", "KXTEXTURE",
     [](KXOBJECT* o) { return static_cast<KXTEXTURE*>(o)->GetData() == nullptr; },
     &Destroy<KXTEXTURE>},
    {"KXMATERIAL", "KXMATERIAL",
     [](KXOBJECT* o) { return static_cast<KXMATERIAL*>(o)->GetDiffuse() == 1.0; },
     &Destroy<KXMATERIAL>},
    {"KXWORLD", "KXWORLD",
     [](KXOBJECT* o) { return static_cast<KXWORLD*>(o)->GetCurrentCamera() == -1; },
     &Destroy<KXWORLD>},
};

TEST(Factory, EachKeyBuildsItsClass)
{
    for (const KEYCASE& c : keys) {
        KXOBJECT* object = nullptr;
        CreateObjectByName(&object, c.key);
        ASSERT_NE(object, nullptr) << c.key;
        EXPECT_STREQ(object->GetName(), c.reportedName);
        EXPECT_TRUE(c.isDefault(object)) << c.key;
        c.destroy(object);
        object = nullptr;
        CreateObjectArrayByName(&object, c.key, 2);
        ASSERT_NE(object, nullptr) << c.key;
        EXPECT_STREQ(object->GetName(), c.reportedName);
        DeleteObjectArrayByName(&object);
        EXPECT_EQ(object, nullptr) << c.key;
    }
}

TEST(Factory, UnknownNamesGiveNull)
{
    for (const char* name :
         {"kxvector", "", "KXSTRING", "KXVECTORS", static_cast<const char*>(nullptr)}) {
        KXOBJECT* object = reinterpret_cast<KXOBJECT*>(&object);
        CreateObjectByName(&object, name);
        EXPECT_EQ(object, nullptr) << (name ? name : "null");
        object = reinterpret_cast<KXOBJECT*>(&object);
        CreateObjectArrayByName(&object, name, 3);
        EXPECT_EQ(object, nullptr) << (name ? name : "null");
    }
}

TEST(Factory, ArraysOfNoElementAreNull)
{
    for (int count : {0, -1}) {
        KXOBJECT* array = reinterpret_cast<KXOBJECT*>(&array);
        CreateObjectArrayByName(&array, "KXVERTEX", count);
        EXPECT_EQ(array, nullptr) << count;
    }
    KXOBJECT* none = nullptr;
    DeleteObjectArrayByName(&none);
    DeleteObjectArrayByName(nullptr);
}

// Every element is built as the class's default and destroyed again (the sanitizer
// build's leak check sees any element left undestroyed: each holds a buffer).
TEST(Factory, ArrayElementsAreBuiltAndDestroyedInFull)
{
    KXOBJECT* array = nullptr;
    CreateObjectArrayByName(&array, "KXVECTOR", 3);
    ASSERT_NE(array, nullptr);
    auto* vectors = static_cast<KXVECTOR*>(array);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(vectors[i].GetDimension(), 4u);
        EXPECT_STREQ(vectors[i].GetName(), "KXVECTOR");
    }
    DeleteObjectArrayByName(&array);
    EXPECT_EQ(array, nullptr);

    KXOBJECT* faces = nullptr;
    NewObjectArray(&faces, "KXFACE", 3);
    ASSERT_NE(faces, nullptr);
    static_cast<KXFACE*>(faces)[2].SetVertexCount(4);
    DeleteObjectArray(&faces);
    EXPECT_EQ(faces, nullptr);
}

} // namespace
