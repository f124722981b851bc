// KXNULLOBJECT, the base of everything that has a place in a scene (mesh objects,
// cameras, lights, vertices), and KXSM_BASE, the modifier that acts on such an object at
// every update. An object carries a position and a velocity, a parent, a type code by
// which renderers tell kinds apart, its modifiers, its world and a bounding radius.
#pragma once

#include "kxcollection.h"
#include "kxobject.h"
#include "kxvector.h"

#include <cstdint>

class KXNULLOBJECT;
class KXWORLD;

// A scene modifier: a table of one virtual operation and nothing else. Objects list
// modifiers without owning them; whoever makes a modifier destroys it, through its own
// type (hence the protected destructor).
class KXSM_BASE {
public:
    KXSM_BASE() = default;
    // Acts on object; the objects that call it ignore the answer.
    virtual bool Apply(KXNULLOBJECT* object) = 0;

protected:
    ~KXSM_BASE() = default;
};

// Type codes: each scene class sets its own after the base is built.
inline constexpr std::uint16_t KXTYPE_NULLOBJECT = 0;
inline constexpr std::uint16_t KXTYPE_OBJECT3D = 1;
inline constexpr std::uint16_t KXTYPE_CAMERA = 4;
inline constexpr std::uint16_t KXTYPE_LIGHT = 5;
inline constexpr std::uint16_t KXTYPE_BPATCH = 9;
inline constexpr std::uint16_t KXTYPE_SPHERE = 101;
inline constexpr std::uint16_t KXTYPE_PLANE = 102;

class KXNULLOBJECT : public KXOBJECT {
public:
    // At (x, y, z, 1.0), at rest, with no parent, no modifier and no world.
    KXNULLOBJECT(double x = 0.0, double y = 0.0, double z = 0.0);
    // Not virtual: scene objects are destroyed through their own type. The modifiers,
    // the parent and the world stay alive.
    ~KXNULLOBJECT() = default;
    // The modifier list owns its nodes; a copy would share them.
    KXNULLOBJECT(const KXNULLOBJECT&) = delete;
    KXNULLOBJECT& operator=(const KXNULLOBJECT&) = delete;

    // The address of position component i; no range test, 0 to 3 are valid.
    virtual double* GetCoord(int i);
    // Adds the velocity to the position (all four components), then translates by t times
    // the velocity: x, y and z move by (1 + t) times the velocity, not by t times it.
    virtual void Move(double t);
    // Translates by the velocity, then applies every modifier in list order.
    virtual void Update();

    // Position x, y and z change; w stays.
    void Translate(double dx, double dy, double dz);
    void SetPosition(double x, double y, double z);
    // Vector assignment: a shorter vector zeroes the rest of the position.
    void SetPositionVector(const KXVECTOR& v);
    KXVECTOR& GetPosition() { return position; }
    const KXVECTOR& GetPosition() const { return position; }
    void SetVelocity(double x, double y, double z);
    const KXVECTOR& GetVelocity() const { return velocity; }

    // Lists the modifier after the list's cursor (Update leaves the cursor on the last).
    void AddModifier(KXSM_BASE* modifier);
    // First adds the former parent's position to this one (all four components, so w
    // grows), then stores the new parent. The new parent's position is not subtracted.
    void SetParent(KXNULLOBJECT* newParent);
    // Moves to (0, 0, 0, 1.0) and stores the parent.
    void AttachTo(KXNULLOBJECT* newParent);
    KXNULLOBJECT* GetParent() const { return parent; }
    // Stored by the world that the object is added to.
    void SetWorld(KXWORLD* newWorld) { world = newWorld; }
    KXWORLD* GetWorld() const { return world; }
    std::uint16_t GetType() const { return type; }

protected:
    void SetType(std::uint16_t code) { type = code; }

private:
    KXVECTOR position{4};
    KXVECTOR velocity{4};
    KXNULLOBJECT* parent = nullptr;
    std::uint16_t type = KXTYPE_NULLOBJECT;
    KXREFCOLLECTION<KXSM_BASE*> modifiers;
    KXWORLD* world = nullptr;

protected:
    // Read and written by the drawable objects built on this class; last, as in every
    // deliverable's layout of the record.
    double boundingRadius = 0.0;
};
