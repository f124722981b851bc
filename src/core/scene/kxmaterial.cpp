#include "kxmaterial.h"

#include "kxobject3d.h"

#include <new>

KXMATERIAL::KXMATERIAL(const char* name) : KXOBJECT(name)
{
    if (name == nullptr)
        SetName("KXMATERIAL");
    color.SetFromPacked(0);
}

KXMATERIAL::~KXMATERIAL()
{
    for (int i = 0; i < users.GetCount(); ++i)
        delete users[i];
}

int KXMATERIAL::AddUser(KXOBJECT3D* object, std::int32_t index)
{
    if (object == nullptr)
        return -1;
    if (index < 0)
        index = object->GetMaterialCount();
    auto* record = new (std::nothrow) KXMATERIALUSER{object, index};
    if (record == nullptr)
        return -1;
    const int position = users.Add(record);
    if (position < 0)
        delete record;
    return position;
}

bool KXMATERIAL::RemoveUser(const KXOBJECT3D* object)
{
    for (int i = 0; i < users.GetCount(); ++i) {
        KXMATERIALUSER* record = users[i];
        if (record->object == object) {
            // Indexing left the cursor on the record, which is what RemoveCurrent takes.
            users.RemoveCurrent();
            delete record;
            return true;
        }
    }
    return false;
}
