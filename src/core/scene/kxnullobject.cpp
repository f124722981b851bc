#include "kxnullobject.h"

KXNULLOBJECT::KXNULLOBJECT(double x, double y, double z) : KXOBJECT("KXNULLOBJECT")
{
    position.Set(x, y, z, 1.0);
}

double* KXNULLOBJECT::GetCoord(int i)
{
    return position.GetItem(static_cast<std::uint32_t>(i));
}

void KXNULLOBJECT::Move(double t)
{
    position += velocity;
    Translate(t * *velocity.GetItem(0), t * *velocity.GetItem(1), t * *velocity.GetItem(2));
}

void KXNULLOBJECT::Update()
{
    Translate(*velocity.GetItem(0), *velocity.GetItem(1), *velocity.GetItem(2));
    modifiers.MoveFirst();
    KXSM_BASE* modifier = modifiers.GetCurrent();
    while (modifier != nullptr) {
        modifier->Apply(this);
        modifier = modifiers.MoveNext() >= 1 ? modifiers.GetCurrent() : nullptr;
    }
}

// Through KXNULLOBJECT::SetPosition, not an override, so a translation by itself
// marks no pending change in a drawable object.
void KXNULLOBJECT::Translate(double dx, double dy, double dz)
{
    KXNULLOBJECT::SetPosition(*position.GetItem(0) + dx, *position.GetItem(1) + dy,
                              *position.GetItem(2) + dz);
}

void KXNULLOBJECT::SetPosition(double x, double y, double z)
{
    position.Set(x, y, z);
}

void KXNULLOBJECT::SetPositionVector(const KXVECTOR& v)
{
    position = v;
}

void KXNULLOBJECT::SetVelocity(double x, double y, double z)
{
    velocity.Set(x, y, z);
}

void KXNULLOBJECT::AddModifier(KXSM_BASE* modifier)
{
    modifiers.Add(modifier);
}

void KXNULLOBJECT::SetParent(KXNULLOBJECT* newParent)
{
    if (parent != nullptr)
        position += parent->position;
    parent = newParent;
}

void KXNULLOBJECT::AttachTo(KXNULLOBJECT* newParent)
{
    position.Set(0.0, 0.0, 0.0, 1.0);
    parent = newParent;
}
