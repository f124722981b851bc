#include "kxobject3d.h"

#include "kxboundary.h"

#include "kxmaterial.h"
#include "kxmemmod.h"
#include "kxmodule.h"

namespace {

// Asks the memory manager for an array of count objects of className; null for a count
// of 0 or less, which has no element to delete the array by later.
KXOBJECT* NewArray(const char* className, int count)
{
    KXOBJECT* array = nullptr;
    if (count > 0)
        NewObjectArray(&array, className, count);
    return array;
}

} // namespace

KXOBJECT3D::KXOBJECT3D() : KXNULLOBJECT(0.0, 0.0, 0.0), loaders(KXKIND_OBJECTLOADER)
{
    loaders.SetOwner(this);
    color.SetFromPacked(0);
    SetType(KXTYPE_OBJECT3D);
    transform.SetIdentity();
}

KXOBJECT3D::~KXOBJECT3D()
{
    ReleaseMesh();
}

void KXOBJECT3D::Move(double t)
{
    scaleObject.Move(t);
    rotationObject.Move(t);
    KXNULLOBJECT::Move(t);
}

bool KXOBJECT3D::Draw(int flag)
{
    // A renderer that throws has failed to draw.
    return renderer != nullptr &&
           CallContained(false, [this, flag] { return renderer->DrawObject(this, flag); });
}

void KXOBJECT3D::SetPosition(double x, double y, double z)
{
    KXNULLOBJECT::SetPosition(x, y, z);
    changes |= KXCHANGE_POSITION;
}

void KXOBJECT3D::SetPositionVector(const KXVECTOR& v)
{
    KXNULLOBJECT::SetPositionVector(v);
    changes |= KXCHANGE_POSITION;
}

void KXOBJECT3D::SetScale(double sx, double sy, double sz)
{
    *scaleObject.GetCoord(0) *= sx;
    *scaleObject.GetCoord(1) *= sy;
    *scaleObject.GetCoord(2) *= sz;
    changes |= KXCHANGE_SCALE;
}

// As the library's vector arithmetic does, a vector shorter than three components
// leaves the factors it has no component for, rather than reading past its end.
void KXOBJECT3D::SetScaleVector(const KXVECTOR& s)
{
    for (std::uint32_t i = 0; i < 3 && i < s.GetDimension(); ++i)
        *scaleObject.GetCoord(static_cast<int>(i)) *= *s.GetItem(i);
    changes |= KXCHANGE_SCALE;
}

void KXOBJECT3D::Rotate(double ax, double ay, double az)
{
    *rotationObject.GetCoord(0) += ax;
    *rotationObject.GetCoord(1) += ay;
    *rotationObject.GetCoord(2) += az;
    changes |= KXCHANGE_ROTATION;
}

void KXOBJECT3D::RotateVector(const KXVECTOR& angles)
{
    rotationObject.GetPosition() += angles;
    changes |= KXCHANGE_ROTATION;
}

void KXOBJECT3D::UpdateTransform()
{
    if (changes == 0)
        return;
    if ((changes & (KXCHANGE_SCALE | KXCHANGE_ROTATION)) != 0)
        RebuildRotationAndScale();
    const KXVECTOR& position = GetPosition();
    for (std::uint32_t row = 0; row < 3; ++row)
        *transform.GetElement(row, 3) = *position.GetItem(row);
    changes = 0;
}

// A new scale also starts from the rotation: scaling the current transform again would
// apply every earlier scale once more.
void KXOBJECT3D::RebuildRotationAndScale()
{
    transform.SetRotation(rotationObject.GetPosition());
    for (std::uint32_t row = 0; row < 3; ++row) {
        const double factor = *scaleObject.GetCoord(static_cast<int>(row));
        for (std::uint32_t column = 0; column < 3; ++column)
            *transform.GetElement(row, column) *= factor;
    }
}

void KXOBJECT3D::AddMaterial(KXMATERIAL* material)
{
    // A null entry would be read as a material by every renderer that shades the object.
    if (material == nullptr)
        return;
    materials.Add(material);
    material->AddUser(this, -1);
}

KXMATERIAL* KXOBJECT3D::GetMaterial(int i)
{
    return materials[i];
}

KXVERTEX* KXOBJECT3D::AllocVertices(int n)
{
    DeleteVertices();
    vertices = static_cast<KXVERTEX*>(NewArray("KXVERTEX", n));
    vertexCount = vertices != nullptr ? n : 0;
    return vertices;
}

KXFACE* KXOBJECT3D::AllocFaces(int n)
{
    DeleteFaces();
    faces = static_cast<KXFACE*>(NewArray("KXFACE", n));
    faceCount = faces != nullptr ? n : 0;
    return faces;
}

void KXOBJECT3D::ReleaseMesh()
{
    changes = 0;
    if (renderer != nullptr)
        CallContained([this] { renderer->DetachObject(this); });
    materials.RemoveAll();
    DeleteFaces();
    DeleteVertices();
}

// The array goes back to the memory manager that made it, which deletes it by the class
// of its elements; the count goes with it, so no caller walks a deleted array.
void KXOBJECT3D::DeleteVertices()
{
    KXOBJECT* array = vertices;
    DeleteObjectArray(&array);
    vertices = static_cast<KXVERTEX*>(array);
    vertexCount = 0;
}

void KXOBJECT3D::DeleteFaces()
{
    KXOBJECT* array = faces;
    DeleteObjectArray(&array);
    faces = static_cast<KXFACE*>(array);
    faceCount = 0;
}
