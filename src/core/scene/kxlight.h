// KXLIGHT, a light source of a scene: its position is where the light is; it carries the
// colour of the diffuse term, the colour of the specular term, and data of its own (a
// kind word, a third colour, five settings and a target) that the light keeps for its
// users without reading them itself.
#pragma once

#include "kxcolor.h"
#include "kxnullobject.h"

#include <array>
#include <cstdint>

class KXLIGHT : public KXNULLOBJECT {
public:
    // At (x, y, z), white for both terms with alpha 0. The class name stays
    // "KXNULLOBJECT"; the type code says "light".
    KXLIGHT(double x = 0.0, double y = 0.0, double z = 0.0);
    // Not virtual, as for every scene object: a light is destroyed through its own type.
    ~KXLIGHT() = default;

    // The colours themselves: a caller may change them through the reference.
    KXCOLOR& GetColor() { return color; }
    const KXCOLOR& GetColor() const { return color; }
    KXCOLOR& GetSpecularColor() { return specularColor; }
    const KXCOLOR& GetSpecularColor() const { return specularColor; }

    std::uint16_t GetKind() const { return kind; }
    const KXCOLOR& GetThirdColor() const { return thirdColor; }
    const std::array<double, 5>& GetSettings() const { return settings; }
    const KXNULLOBJECT& GetTarget() const { return target; }

private:
    std::uint16_t kind = 6;
    KXCOLOR color;
    KXCOLOR specularColor;
    KXCOLOR thirdColor;
    std::array<double, 5> settings = {1000.0, 0.0, 1.0, 0.0, 0.0};
    KXNULLOBJECT target{0.0, 0.0, 0.0};
};
