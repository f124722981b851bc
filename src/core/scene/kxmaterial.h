// KXMATERIAL, the surface description that a mesh object carries and a renderer shades
// with: one colour, six coefficients, and the records of the objects that use it.
#pragma once

#include "kxcollection.h"
#include "kxcolor.h"
#include "kxobject.h"

#include <cstdint>

class KXOBJECT3D;

// One object that uses a material, and the material's place in that object's list as the
// object reported it. The material makes these records and frees them.
struct KXMATERIALUSER {
    KXOBJECT3D* object;
    std::int32_t index;
};

class KXMATERIAL : public KXOBJECT {
public:
    // A null name gives the class name "KXMATERIAL". Black (all four channels 0), fully
    // diffuse, slightly specular, with no reflection, refraction or ambient term.
    explicit KXMATERIAL(const char* name = nullptr);
    // Frees the user records; the objects they name are not touched.
    ~KXMATERIAL();
    // The material owns its user records; a copy would share them.
    KXMATERIAL(const KXMATERIAL&) = delete;
    KXMATERIAL& operator=(const KXMATERIAL&) = delete;

    // Each field itself: a renderer reads them, and the reflection coefficient, which has
    // no setter, is written only through its reference.
    KXCOLOR& GetColor() { return color; }
    double& GetAmbient() { return ambient; }
    double& GetDiffuse() { return diffuse; }
    double& GetSpecular() { return specular; }
    double& GetReflection() { return reflection; }
    double& GetRefraction() { return refraction; }
    std::uint16_t& GetShininess() { return shininess; }

    void SetAmbient(const double& value) { ambient = value; }
    void SetDiffuse(const double& value) { diffuse = value; }
    void SetSpecular(const double& value) { specular = value; }
    void SetRefraction(const double& value) { refraction = value; }
    void SetShininess(const std::uint16_t& value) { shininess = value; }
    // Copies the four channels only: the material's colour keeps its own masks.
    void SetColor(const KXCOLOR& value) { color = value; }

    // Records that object uses the material at index; a negative index stands for the
    // object's current material count. Returns the list's position of the record
    // (from 1), or -1, with nothing recorded, for a null object or when no record can be
    // allocated.
    int AddUser(KXOBJECT3D* object, std::int32_t index);
    // Removes and frees the first record of object; false when no record names it.
    bool RemoveUser(const KXOBJECT3D* object);
    int GetUserCount() const { return users.GetCount(); }
    // The record at position (from 0); throws "index out of bounds" for a bad position.
    const KXMATERIALUSER& GetUser(int position) { return *users[position]; }

private:
    KXREFCOLLECTION<KXMATERIALUSER*> users;
    double refraction = 0.0;
    double reflection = 0.0;
    double ambient = 0.0;
    double diffuse = 1.0;
    double specular = 0.1;
    std::uint16_t shininess = 2;
    KXCOLOR color;
};
