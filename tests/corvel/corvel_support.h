// What the raytracer's tests share: a window of the drawing layer with the view handle a
// renderer draws into, and a small world of spheres and planes built in a temporary
// directory (every world and object scans the current directory for plug-ins).
#pragma once

#include "kxprimitive.h"

#include "kxcamera.h"
#include "kxcolor.h"
#include "kxgdi.h"
#include "kxhandle.h"
#include "kxlight.h"
#include "kxmaterial.h"
#include "kxworld.h"

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

// A window of width × height pixels placed at the screen's origin, and its view handle.
class VIEWWINDOW {
public:
    VIEWWINDOW(int width, int height) : window(kxgdi::CreateWindowSurface())
    {
        kxgdi::PlaceWindow(window, {0, 0, width, height}, {0, 0, width, height});
        view.Attach(&window);
    }
    ~VIEWWINDOW() { kxgdi::DestroyWindowSurface(window); }
    VIEWWINDOW(const VIEWWINDOW&) = delete;
    VIEWWINDOW& operator=(const VIEWWINDOW&) = delete;

    KXHANDLE* View() { return &view; }
    // A window pixel as the surface holds it: red in the low byte.
    kxgdi::COLORREF Pixel(int x, int y)
    {
        kxgdi::HDC dc = kxgdi::GetDC(window);
        const kxgdi::COLORREF pixel = kxgdi::GetPixel(dc, x, y);
        kxgdi::ReleaseDC(window, dc);
        return pixel;
    }

    // Every window pixel, top row first, as the surface holds them.
    std::vector<std::uint32_t> Pixels() const
    {
        kxgdi::KXSURFACE surface;
        if (!kxgdi::GetWindowSurface(window, &surface))
            return {};
        return {surface.pixels, surface.pixels + std::size_t(surface.width) * surface.height};
    }
    // Paints the whole window in one colour, so that a test sees whether a renderer drew.
    void Fill(kxgdi::COLORREF colour)
    {
        kxgdi::HDC dc = kxgdi::GetDC(window);
        kxgdi::RECT client;
        kxgdi::GetClientRect(window, &client);
        kxgdi::FillSolidRect(dc, client, colour);
        kxgdi::ReleaseDC(window, dc);
    }

private:
    kxgdi::HWND window;
    KXHANDLE view;
};

// The coefficients of a test material: colour, then ambient, diffuse, specular,
// reflection, refraction and shininess.
struct MATERIALVALUES {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    double ambient = 0.0;
    double diffuse = 1.0;
    double specular = 0.0;
    double reflection = 0.0;
    double refraction = 0.0;
    std::uint16_t shininess = 2;
};

// One scene object held by value in a list. The holder is final, so the list destroys it
// through its own type, as every scene object is destroyed.
template <class T> struct HELD final {
    template <class... A> explicit HELD(A&&... arguments) : item(std::forward<A>(arguments)...) {}
    T item;
};

// A world that owns what it holds; objects are added in the order they are made.
class TESTWORLD {
public:
    TESTWORLD() { world.SetBackground(KXCOLOR().Set(0, 0, 0, 0)); }
    ~TESTWORLD() = default;
    TESTWORLD(const TESTWORLD&) = delete;
    TESTWORLD& operator=(const TESTWORLD&) = delete;

    KXSPHERE& AddSphere(double x, double y, double z, double radius, const MATERIALVALUES& values)
    {
        KXSPHERE& sphere = AddBareSphere(radius);
        sphere.SetPosition(x, y, z);
        sphere.AddMaterial(&Material(values));
        return sphere;
    }

    // A sphere on the origin without a material.
    KXSPHERE& AddBareSphere(double radius)
    {
        KXSPHERE& sphere = spheres.emplace_back(radius).item;
        world.AddObject(&sphere);
        return sphere;
    }

    KXPLANE& AddPlane(const MATERIALVALUES& values)
    {
        KXPLANE& plane = planes.emplace_back(0.0).item;
        plane.AddMaterial(&Material(values));
        world.AddObject(&plane);
        return plane;
    }

    // A mesh object with the bounding radius at z on the axis, not yet in the world.
    KXOBJECT3D& MakeMesh(double z, double boundingRadius)
    {
        KXOBJECT3D& mesh = meshes.emplace_back().item;
        mesh.SetPosition(0, 0, z);
        mesh.SetBoundingRadius(boundingRadius);
        return mesh;
    }

    KXLIGHT& AddLight(double x, double y, double z)
    {
        KXLIGHT& light = lights.emplace_back(x, y, z).item;
        world.AddLight(&light);
        return light;
    }

    KXMATERIAL& Material(const MATERIALVALUES& values)
    {
        KXMATERIAL& m = materials.emplace_back().item;
        m.SetColor(KXCOLOR().Set(values.r, values.g, values.b, 0));
        m.SetAmbient(values.ambient);
        m.SetDiffuse(values.diffuse);
        m.SetSpecular(values.specular);
        m.GetReflection() = values.reflection;
        m.SetRefraction(values.refraction);
        m.SetShininess(values.shininess);
        return m;
    }

    // The materials go last: the objects still list them until they are destroyed.
    std::deque<HELD<KXMATERIAL>> materials;
    KXWORLD world;

private:
    std::deque<HELD<KXSPHERE>> spheres;
    std::deque<HELD<KXPLANE>> planes;
    std::deque<HELD<KXLIGHT>> lights;
    std::deque<HELD<KXOBJECT3D>> meshes;
};

// The packed surface pixel of a colour: alpha, red, green, blue from the top byte down.
constexpr std::uint32_t Packed(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}
