#include "corvel.h"

#include "kxdemoscene.h"

#include "kxassert.h"
#include "kxboundary.h"

#include "kxcamera.h"
#include "kxhandle.h"
#include "kxworld.h"

#include <climits>
#include <new>

using namespace kxgdi;

namespace {

// How many rays ahead aiming and tracing ask for the line of a ray's origin and direction:
// a frame's rays are far more than the caches hold, and each is used once per pass.
constexpr int kRaysAhead = 32;

// A device context of a window, given back however the block is left: when memory runs
// out while the surface is made or shown, no context stays behind.
class WINDOWDC {
public:
    explicit WINDOWDC(HWND w) : window(w), dc(GetDC(w)) {}
    ~WINDOWDC() { ReleaseDC(window, dc); }
    WINDOWDC(const WINDOWDC&) = delete;
    WINDOWDC& operator=(const WINDOWDC&) = delete;
    HDC Get() const { return dc; }

private:
    HWND window;
    HDC dc;
};

// The painting of a window, ended however the block is left.
class PAINTING {
public:
    explicit PAINTING(HWND w) : window(w) { BeginPaint(window, &paint); }
    ~PAINTING() { EndPaint(window, &paint); }
    PAINTING(const PAINTING&) = delete;
    PAINTING& operator=(const PAINTING&) = delete;

private:
    HWND window;
    PAINTSTRUCT paint{};
};

} // namespace

CORVEL::CORVEL() : KXRENDERER("CORVEL")
{
    SetName(KXSTRING("KX Raytracer"));
    SetSupportedFiles(KXSTRING("All"));
    SetKind(KXSTRING(KXKIND_RENDERER));
    SetFastFlag(0);
}

CORVEL::~CORVEL()
{
    Release();
}

void CORVEL::Release()
{
    delete[] rays;
    rays = nullptr;
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
        bitmap = nullptr;
        bits = nullptr;
    }
    if (memoryDC != nullptr) {
        DeleteDC(memoryDC);
        memoryDC = nullptr;
    }
}

// The renderer's operations are called from other deliverables: whatever throws inside
// (memory that runs out while the scene is copied, the surface made or the demo built)
// is that call's failure.
bool CORVEL::Init(KXHANDLE* target, int w, int h, int, int)
{
    if (CallContained(false, [&] { return Prepare(target, w, h); }))
        return true;
    Release();
    return false;
}

bool CORVEL::Prepare(KXHANDLE* target, int w, int h)
{
    Release();
    view = target;
    if (view == nullptr)
        return false;
    const int givenWidth = static_cast<std::uint16_t>(w);
    const int givenHeight = static_cast<std::uint16_t>(h);
    width = givenWidth != 0 ? givenWidth : view->GetWidth();
    height = givenHeight != 0 ? givenHeight : view->GetHeight();

    // A view's own size may be anything: the count is formed in 64 bits and must fit the
    // int it is kept in.
    const std::int64_t count = std::int64_t{width} * height;
    if (width <= 0 || height <= 0 || count > INT_MAX) {
        pixelCount = 0;
        return false;
    }
    pixelCount = static_cast<int>(count);
    // The surface first: a size the drawing layer refuses costs no rays.
    if (!MakeSurface()) {
        Release();
        return false;
    }
    rays = new (std::nothrow) KXRAY[static_cast<std::size_t>(count)];
    if (rays == nullptr) {
        Release();
        return false;
    }
    return true;
}

bool CORVEL::MakeSurface()
{
    BITMAPINFOHEADER header;
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height; // rows bottom-up
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = 92;
    header.biYPelsPerMeter = 92;

    HWND window = view->GetHandle();
    {
        const WINDOWDC dc(window);
        void* memory = nullptr;
        bitmap = CreateDIBSection(dc.Get(), &header, &memory);
        bits = static_cast<std::uint32_t*>(memory);
    }
    {
        const WINDOWDC dc(window);
        memoryDC = CreateCompatibleDC(dc.Get());
    }
    return bitmap != nullptr && memoryDC != nullptr;
}

// The walks over the rays and the surface trust the count they run to: a ray array or a
// section made for another size would be written past its end. Checked once per frame,
// not per ray, so the walks themselves stay as fast.
void CORVEL::CheckBuffers() const
{
    KX_CHECK(width > 0 && height > 0 && std::int64_t{width} * height == pixelCount, width, height,
             pixelCount);
}

void CORVEL::SetCamera(KXCAMERA* camera)
{
    CallContained([this, camera] { Aim(camera); });
}

void CORVEL::Aim(KXCAMERA* camera)
{
    if (rays == nullptr || camera == nullptr)
        return;
    CheckBuffers();
    const int hw = width >> 1;
    const int hh = height >> 1;
    const double d = hw * camera->GetFocal();
    // The position is read once: every primary ray starts there.
    const corvel::VEC4 eye = corvel::ToVec4(camera->GetPosition());
    int n = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column, ++n) {
            // Each ray's origin and direction fill one cache line, which the core fetches
            // before it writes it: asked for ahead, it is there in time.
            if (n < pixelCount - kRaysAhead)
                rays[n + kRaysAhead].PrefetchAim();
            rays[n].Aim(eye, column - hw, hh - row, d);
        }
    }
}

bool CORVEL::Render(KXWORLD* world)
{
    return CallContained(false, [this, world] { return TraceWorld(world); });
}

bool CORVEL::TraceWorld(KXWORLD* world)
{
    if (!IsReady() || world == nullptr)
        return false;
    CheckBuffers();
    KXRAYSCENE scene(*world);
    for (int n = 0; n < pixelCount; ++n) {
        if (n < pixelCount - kRaysAhead)
            rays[n + kRaysAhead].PrefetchAim();
        rays[n].Trace(scene, depth);
        bits[n] = rays[n].GetPixel();
    }
    rayCount = scene.rayCount;
    return ShowSurface();
}

// The section is bottom-up and ray 0 sits at its position 0, the bottom-left: a negative
// source height turns it over, so ray 0's row comes out at the top of the window. False
// when the copy was not made (the view's window is gone).
bool CORVEL::ShowSurface()
{
    HWND window = view->GetHandle();
    const PAINTING painting(window);
    SelectObject(memoryDC, bitmap);
    const WINDOWDC dc(window);
    return StretchBlt(dc.Get(), 0, 0, view->GetWidth(), view->GetHeight(), memoryDC, 0, height,
                      width, -height, SRCCOPY);
}

bool CORVEL::RunDemo(int)
{
    return CallContained(false, [this] { return RenderDemo(); });
}

bool CORVEL::RenderDemo()
{
    if (!IsReady())
        return false;
    KXDEMOSCENE scene;
    KXWORLD& world = scene.GetWorld();
    // A scene short of a part would draw another picture: it is not rendered. The world's
    // own Render would report a failed trace as drawn (it then lets the objects without a
    // material draw themselves, and the demo has none), so the demo makes the world's two
    // calls itself and keeps the answer of the trace.
    bool shown = false;
    if (scene.Stage(this)) {
        BeginRender();
        shown = Render(&world);
    }
    world.Clear();
    return shown;
}
