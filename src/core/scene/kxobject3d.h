// KXOBJECT3D, the drawable object of a scene: a scene object with a transform built from
// its position, scale and rotation, its materials, vertex and face arrays created by
// class name through the memory manager, the renderer it is registered with, and the
// "Object Loader" modules through which it loads and saves itself.
#pragma once

#include "kxcollection.h"
#include "kxcolor.h"
#include "kxmanager.h"
#include "kxmatrix.h"
#include "kxnullobject.h"
#include "kxvector.h"
#include "kxvertex.h"

#include <cstdint>

class KXMATERIAL;
class KXRENDERER;

// Pending-change bits: what the next UpdateTransform has to build into the transform.
inline constexpr std::uint8_t KXCHANGE_POSITION = 1;
inline constexpr std::uint8_t KXCHANGE_SCALE = 2;
inline constexpr std::uint8_t KXCHANGE_ROTATION = 4;

class KXOBJECT3D : public KXNULLOBJECT {
public:
    // An empty mesh at the origin, visible, unscaled and unrotated, with the identity
    // transform. Loads the "Object Loader" modules of the current directory. The class
    // name stays the base's "KXNULLOBJECT".
    KXOBJECT3D();
    // Releases the mesh (which detaches the object from its renderer), then the loaders.
    ~KXOBJECT3D();

    // Moves the scale and the rotation by their velocities, then the object itself. The
    // pending changes stay as they are: the transform follows at the next update.
    void Move(double t) override;
    // Asks the registered renderer to draw this object; false without one.
    virtual bool Draw(int flag);

    double GetBoundingRadius() const { return boundingRadius; }
    void SetBoundingRadius(double radius) { boundingRadius = radius; }
    std::uint8_t IsVisible() const { return visible; }
    void SetValue(double newValue) { value = newValue; }
    double GetValue() const { return value; }
    // Stored by the world that the object joins; the object does not own the renderer.
    void SetRenderer(KXRENDERER* newRenderer) { renderer = newRenderer; }
    KXRENDERER* GetRenderer() const { return renderer; }

    // These hide the base's setters so that a move marks the transform as stale.
    void SetPosition(double x, double y, double z);
    void SetPositionVector(const KXVECTOR& v);
    // Multiplies the scale factors by sx, sy, sz (a scale is compounded, not replaced).
    void SetScale(double sx, double sy, double sz);
    // The same with s's first three components; a shorter s leaves the other factors.
    void SetScaleVector(const KXVECTOR& s);
    // Adds the angles, in radians, about X, Y and Z to the rotation.
    void Rotate(double ax, double ay, double az);
    void RotateVector(const KXVECTOR& angles);
    // Builds the pending changes into the transform and clears them.
    void UpdateTransform();
    std::uint8_t GetChanges() const { return changes; }
    KXMATRIX& GetTransform() { return transform; }
    // Position x, y, z are the scale factors; its velocity animates them.
    KXNULLOBJECT& GetScaleObject() { return scaleObject; }
    // Position x, y, z are the angles about X, Y and Z; its velocity animates them.
    KXNULLOBJECT& GetRotationObject() { return rotationObject; }
    KXCOLOR& GetColor() { return color; }

    // Lists the material (after the list's cursor) and records this object as its user.
    // The object does not own its materials; a null material is refused.
    void AddMaterial(KXMATERIAL* material);
    // Throws "index out of bounds" for a bad index.
    KXMATERIAL* GetMaterial(int i);
    int GetMaterialCount() const { return materials.GetCount(); }

    // Replaces the vertex array by n new vertices made by class name through the memory
    // manager. A count of 0 or less, or an array the manager cannot make, leaves no array
    // and a count of 0.
    KXVERTEX* AllocVertices(int n);
    // The same for the face array.
    KXFACE* AllocFaces(int n);
    KXVERTEX* GetVertices() { return vertices; }
    KXFACE* GetFaces() { return faces; }
    int GetVertexCount() const { return vertexCount; }
    int GetFaceCount() const { return faceCount; }
    // Forgets the pending changes, detaches the object from its renderer (which stays
    // registered), forgets the materials and deletes the faces and the vertices.
    void ReleaseMesh();

    // The set's owner is this object: a loader fills or writes it through the set.
    KXLOADERSET& GetLoaderSet() { return loaders; }

private:
    void RebuildRotationAndScale();
    void DeleteVertices();
    void DeleteFaces();

    KXLOADERSET loaders;
    std::uint8_t visible = 1;
    std::uint8_t changes = 0;
    KXCOLOR color;
    KXMATRIX transform{4, 4};
    KXREFCOLLECTION<KXMATERIAL*> materials;
    KXVERTEX* vertices = nullptr;
    KXFACE* faces = nullptr;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    KXRENDERER* renderer = nullptr;
    // Written by SetValue and read by no operation of the library.
    double value = 1.0;
    KXNULLOBJECT scaleObject{1.0, 1.0, 1.0};
    KXNULLOBJECT rotationObject{0.0, 0.0, 0.0};
};
