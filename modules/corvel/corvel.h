// CORVEL, the raytracer's renderer module ("KX Raytracer"). Init makes a 32-bit drawing
// surface of its own and one primary ray per pixel; SetCamera aims the rays; Render traces
// every ray through the world into the surface and shows the surface, upright and
// stretched, in the window of the view given to Init. RunDemo renders a scene of its own.
#pragma once

#include "kxray.h"

#include "kxgdi.h"
#include "kxmodule.h"

#include <cstdint>

class KXHANDLE;

class CORVEL final : public KXRENDERER {
public:
    CORVEL();
    ~CORVEL() override;

    // Frees the rays, the section and the memory device context; the sizes and the view
    // stay. Safe before any Init and when called twice.
    void Release() override;
    // width and height are 16-bit values, 0 meaning the view's. False, with everything
    // released, without a view, for an empty size, or when the rays or the section cannot
    // be made. The surface is always 32 bits; bitsPerPixel and flags are not used.
    bool Init(KXHANDLE* view, int width, int height, int bitsPerPixel, int flags) override;
    bool SpareCheck() override { return true; }
    bool AttachObject(KXOBJECT3D*) override { return true; }
    bool AttachWorld(KXWORLD*) override { return true; }
    void BeginRender() override {}
    void EndRender() override {}
    // Traces every pixel and shows the picture; true, so that the world stops there. False
    // without a successful Init, when memory runs out (then nothing, or the surface as far
    // as it was traced, is shown) and when the view's window takes no copy.
    bool Render(KXWORLD* world) override;
    bool SpareBinary(int, int) override { return true; }
    bool DrawObject(KXOBJECT3D*, int) override { return true; }
    bool SpareTernary(int, int, int) override { return true; }
    // Ray n = row × width + column looks from the camera's position through the pixel
    // (column - width / 2, height / 2 - row) of an image plane at width / 2 times the focal
    // factor along +z: ray 0 at the top-left, +x to the right, +y up. The camera's
    // orientation plays no part. Each aim writes every ray's whole origin and direction,
    // so a camera whose rays cannot be aimed (focal factor 0 or NaN) spoils only the
    // frames aimed with it.
    void SetCamera(KXCAMERA* camera) override;
    bool DetachObject(KXOBJECT3D*) override { return true; }
    bool DetachWorld(KXWORLD*) override { return true; }
    // Builds the demo scene, renders it into the view and takes it down again. True only
    // when the whole scene was built, traced and copied into the view's window.
    bool RunDemo(int flag) override;

    bool IsReady() const { return rays != nullptr && bitmap != nullptr && memoryDC != nullptr; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    int GetPixelCount() const { return pixelCount; }
    KXRAY* GetRays() { return rays; }
    // The surface's pixels, bottom row first.
    const std::uint32_t* GetBits() const { return bits; }
    // The rays the last render traced: primary, shadow, reflected and transmitted.
    std::uint64_t GetRayCount() const { return rayCount; }

private:
    // What Init, SetCamera, Render and RunDemo do, which may throw; the operations
    // themselves let nothing out.
    bool Prepare(KXHANDLE* target, int w, int h);
    void Aim(KXCAMERA* camera);
    bool TraceWorld(KXWORLD* world);
    bool RenderDemo();
    bool MakeSurface();
    bool ShowSurface();
    void CheckBuffers() const;

    int width = 0;
    int height = 0;
    KXHANDLE* view = nullptr; // not owned
    // While the rays are set: pixelCount rays, pixelCount = width × height, and a section
    // of width × height pixels. Every aim and every render walks all of them by that
    // count, so each checks it once before its walk (CheckBuffers).
    KXRAY* rays = nullptr;
    int pixelCount = 0;
    std::uint16_t depth = 3;
    kxgdi::HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr; // the section's memory, owned through bitmap
    kxgdi::HDC memoryDC = nullptr;
    std::uint64_t rayCount = 0;
};
