// Windows of the drawing layer: placement, invalid parts, painting, the toolkit's hooks,
// text, object lifetimes, and the window handle that renderers are given.
#include "gdi_helpers.h"

#include "kxhandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

using namespace kxgdi;

namespace {

// A window placed at (10, 20) with a client area of width by height, and counts of what it
// told the toolkit.
class WINDOW {
public:
    WINDOW(int width, int height) : handle(CreateWindowSurface())
    {
        PlaceWindow(handle, {10, 20, 10 + width, 20 + height}, {10, 20, 10 + width, 20 + height});
        UpdateWindow(handle);
        KXWNDHOOKS hooks;
        hooks.context = this;
        hooks.paint = [](void* self) { static_cast<WINDOW*>(self)->OnPaint(); };
        hooks.invalidated = [](void* self) { ++static_cast<WINDOW*>(self)->invalidations; };
        hooks.drawn = [](void* self) { ++static_cast<WINDOW*>(self)->drawings; };
        SetWindowHooks(handle, hooks);
    }
    ~WINDOW() { DestroyWindowSurface(handle); }
    WINDOW(const WINDOW&) = delete;
    WINDOW& operator=(const WINDOW&) = delete;

    // The paint handler fills the client area with paintColour.
    void OnPaint()
    {
        ++paints;
        HDC dc = BeginPaint(handle, &lastPaint);
        RECT client;
        GetClientRect(handle, &client);
        FillSolidRect(dc, client, paintColour);
        EndPaint(handle, &lastPaint);
    }

    std::vector<std::string> Pixels()
    {
        HDC dc = GetDC(handle);
        KXSURFACE surface;
        GetWindowSurface(handle, &surface);
        std::vector<std::string> rows = Picture(dc, surface.width, surface.height);
        ReleaseDC(handle, dc);
        return rows;
    }

    HWND handle;
    COLORREF paintColour = RGB(0xFF, 0, 0);
    PAINTSTRUCT lastPaint;
    int paints = 0;
    int invalidations = 0;
    int drawings = 0;
};

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Window, PaintsOnlyWhenInvalidAndReportsTheInvalidPart)
{
    WINDOW w(4, 3);
    EXPECT_TRUE(UpdateWindow(w.handle));
    EXPECT_EQ(w.paints, 0) << "a valid window is not painted";

    const RECT a{0, 0, 1, 1}, b{2, 1, 9, 9};
    InvalidateRect(w.handle, &a, false);
    InvalidateRect(w.handle, &b, true);
    EXPECT_EQ(w.invalidations, 2);
    UpdateWindow(w.handle);
    EXPECT_EQ(w.paints, 1);
    EXPECT_TRUE(w.lastPaint.rcPaint == (RECT{0, 0, 4, 3})) << "union, clipped to the client";
    EXPECT_TRUE(w.lastPaint.fErase);
    EXPECT_EQ(w.Pixels(), (std::vector<std::string>{"AAAA", "AAAA", "AAAA"}));
    UpdateWindow(w.handle);
    EXPECT_EQ(w.paints, 1);
    EXPECT_EQ(w.drawings, 0) << "what a paint handler draws is shown by the paint itself";
}

TEST(Window, BeginPaintOutsideAPaintValidatesAndShowsWhatItDrew)
{
    WINDOW w(2, 2);
    InvalidateRect(w.handle, nullptr, true);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(w.handle, &paint);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(paint.rcPaint == (RECT{0, 0, 2, 2}));
    SetPixel(dc, 0, 0, RGB(0, 0xFF, 0));
    EndPaint(w.handle, &paint);
    EXPECT_EQ(w.drawings, 1);
    UpdateWindow(w.handle);
    EXPECT_EQ(w.paints, 0);

    // A device context that drew nothing asks for nothing to be shown.
    ReleaseDC(w.handle, GetDC(w.handle));
    EXPECT_EQ(w.drawings, 1);
    EXPECT_FALSE(EndPaint(w.handle, &paint)) << "given back once only";
}

TEST(Window, PlacementKeepsPixelsAndInvalidatesOnlyANewSize)
{
    WINDOW w(2, 2);
    HDC dc = GetDC(w.handle);
    SetPixel(dc, 1, 1, RGB(0, 0, 0xFF));
    ReleaseDC(w.handle, dc);
    const int invalidations = w.invalidations;

    EXPECT_TRUE(PlaceWindow(w.handle, {100, 50, 106, 56}, {101, 52, 104, 55}));
    RECT rect;
    GetWindowRect(w.handle, &rect);
    EXPECT_TRUE(rect == (RECT{100, 50, 106, 56}));
    GetClientRect(w.handle, &rect);
    EXPECT_TRUE(rect == (RECT{0, 0, 3, 3}));
    EXPECT_EQ(w.invalidations, invalidations + 1);
    EXPECT_EQ(w.Pixels(), (std::vector<std::string>{"...", ".C.", "..."}));

    PlaceWindow(w.handle, {0, 0, 6, 6}, {1, 2, 4, 5});
    EXPECT_EQ(w.invalidations, invalidations + 1) << "a move alone invalidates nothing";
}

TEST(Window, DeviceContextsOfADestroyedWindowDrawNothing)
{
    HWND window = CreateWindowSurface();
    PlaceWindow(window, {0, 0, 2, 2}, {0, 0, 2, 2});
    HDC dc = GetDC(window);
    EXPECT_TRUE(DestroyWindowSurface(window));
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(1, 1, 1)), CLR_INVALID);
    EXPECT_EQ(GetDC(window), nullptr);
    EXPECT_FALSE(InvalidateRect(window, nullptr, true));
    EXPECT_FALSE(DestroyWindowSurface(window));
    EXPECT_EQ(ReleaseDC(window, dc), 0);
}

TEST(Objects, ASelectedObjectDeletedIsFreedWhenDeselected)
{
    const int before = CountGdiObjects();
    HDC dc = CreateCompatibleDC(nullptr);
    SECTION other(1, 1);
    BITMAPINFOHEADER header{40, 2, 2, 1, 32, BI_RGB, 0, 92, 92, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &header, &bits);
    HBITMAP stock = SelectObject(dc, bitmap);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xFF, 0, 0));
    SelectObject(dc, pen);
    EXPECT_EQ(SelectObject(other.dc, bitmap), nullptr) << "one device context at a time";

    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(SetPixel(dc, 1, 1, RGB(0xFF, 0, 0)), RGB(0xFF, 0, 0)) << "still usable";
    EXPECT_EQ(static_cast<std::uint32_t*>(bits)[1], 0xFF0000u);
    EXPECT_EQ(SelectObject(dc, stock), stock) << "the freed bitmap is not handed back";
    EXPECT_FALSE(DeleteObject(bitmap)) << "freed on deselection";
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteObject(pen)) << "freed with its device context";
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(CountGdiObjects(), before + 2) << "only the other section and its context remain";
    EXPECT_EQ(GetDC(nullptr), nullptr);
}

TEST(Objects, SectionsAreMadeOnlyIn32BitsAndOfAPossibleSize)
{
    struct CASE {
        const char* what;
        BITMAPINFOHEADER header;
    } refused[] = {
        {"24 bits", {40, 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0}},
        {"bit fields", {40, 2, 2, 1, 32, 3, 0, 0, 0, 0, 0}},
        {"no width", {40, 0, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0}},
        {"no height", {40, 2, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0}},
        {"two planes", {40, 2, 2, 2, 32, BI_RGB, 0, 0, 0, 0, 0}},
        {"short header", {12, 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0}},
        {"too large", {40, 65536, 65536, 1, 32, BI_RGB, 0, 0, 0, 0, 0}},
    };
    for (const CASE& c : refused) {
        void* bits = reinterpret_cast<void*>(1);
        EXPECT_EQ(CreateDIBSection(nullptr, &c.header, &bits), nullptr) << c.what;
        EXPECT_EQ(bits, nullptr) << c.what;
    }
}

// Small sections come from the heap, large ones (a shown picture's) straight from the
// system: either way every pixel starts black, the last one included, and the device
// context draws on the caller's memory.
TEST(Objects, SectionsOfEverySizeStartBlackAndHoldEveryPixel)
{
    const int before = CountGdiObjects();
    for (const auto& [width, height] :
         {std::pair{3, 2}, std::pair{1024, 1024}, std::pair{700, 900}}) {
        SECTION s(width, height);
        ASSERT_NE(s.bits, nullptr) << width << "x" << height;
        const std::size_t count = std::size_t(width) * height;
        EXPECT_EQ(std::count(s.bits, s.bits + count, 0u), static_cast<std::ptrdiff_t>(count))
            << width << "x" << height;
        // Bottom-up: the top-left pixel is the first of the last row in memory, the
        // bottom-right one the last of the first.
        SetPixel(s.dc, 0, 0, RGB(1, 2, 3));
        SetPixel(s.dc, width - 1, height - 1, RGB(4, 5, 6));
        EXPECT_EQ(s.bits[count - width], 0x010203u) << width << "x" << height;
        EXPECT_EQ(s.bits[width - 1], 0x040506u) << width << "x" << height;
        s.bits[count - 1] = 0x070809;
        EXPECT_EQ(GetPixel(s.dc, width - 1, 0), RGB(7, 8, 9)) << width << "x" << height;
    }
    EXPECT_EQ(CountGdiObjects(), before);
}

// A section over the caller's pixels reads and draws them where they lie, and deleting it
// leaves them to the caller: a section that freed them would free a buffer twice, one that
// copied them would not show a change made after it was made.
TEST(Objects, SectionOverTheCallersPixelsUsesThemWhereTheyLieAndLeavesThem)
{
    const int before = CountGdiObjects();
    std::vector<std::uint32_t> pixels(6, 0);
    BITMAPINFOHEADER header{40, 3, 2, 1, 32, BI_RGB, 0, 92, 92, 0, 0};
    EXPECT_EQ(CreateDIBSectionOver(nullptr, &header, nullptr), nullptr);
    BITMAPINFOHEADER deep = header;
    deep.biBitCount = 24;
    EXPECT_EQ(CreateDIBSectionOver(nullptr, &deep, pixels.data()), nullptr);

    HBITMAP bitmap = CreateDIBSectionOver(nullptr, &header, pixels.data());
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP stock = SelectObject(dc, bitmap);
    // Bottom-up: the top-left pixel is the first of the second row in memory.
    pixels[3] = 0x010203;
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
    SetPixel(dc, 2, 1, RGB(4, 5, 6));
    EXPECT_EQ(pixels[2], 0x040506u);
    SelectObject(dc, stock);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(pixels[3], 0x010203u) << "the caller's pixels stay";
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(Objects, ABitmapGoesOnlyIntoAMemoryDeviceContext)
{
    WINDOW w(1, 1);
    SECTION s(1, 1);
    HDC dc = GetDC(w.handle);
    HBITMAP loose = CreateDIBSection(nullptr, nullptr, nullptr);
    EXPECT_EQ(loose, nullptr);
    EXPECT_EQ(SelectObject(dc, s.bitmap), nullptr);
    EXPECT_FALSE(DeleteDC(dc)) << "a window's device context is given back, not deleted";
    EXPECT_EQ(ReleaseDC(w.handle, dc), 1);
}

// The text renderer the tests install: records the job and marks the layout's top-left.
KXTEXTJOB lastJob;
std::string lastText;
int RecordText(const KXTEXTJOB& job)
{
    lastJob = job;
    lastText.assign(job.text, job.length);
    job.pixels[job.clip.top * job.stride + job.clip.left] = 0x00FFFFFF;
    return 13;
}

TEST(Text, GoesThroughTheInstalledRendererOnTheFillColour)
{
    WINDOW w(8, 4);
    HDC dc = GetDC(w.handle);
    const RECT all{0, 0, 8, 4}, off{-2, 1, 20, 3};
    EXPECT_EQ(DrawText(dc, "x", 1, &all, DT_LEFT), 0) << "no renderer: nothing drawn";

    SetTextHook(RecordText);
    // As the status display does: text colour, background 0, then the fill.
    SetTextColor(dc, RGB(0xCC, 0xCC, 0xCC));
    SetBkColor(dc, RGB(0, 0, 0));
    FillSolidRect(dc, all, RGB(0, 0, 0xAA));
    EXPECT_EQ(DrawText(dc, "Loading from file...", -1, &off, DT_LEFT), 13);
    EXPECT_EQ(lastText, "Loading from file...");
    EXPECT_EQ(lastJob.textColour, RGB(0xCC, 0xCC, 0xCC));
    EXPECT_EQ(lastJob.bkColour, RGB(0, 0, 0xAA));
    EXPECT_EQ(lastJob.width, 8);
    EXPECT_EQ(lastJob.stride, 8);
    EXPECT_TRUE(lastJob.layout == off);
    EXPECT_TRUE(lastJob.clip == (RECT{0, 1, 8, 3}));
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0xFF, 0xFF, 0xFF));

    // The renderer draws on top-down rows only.
    SECTION bottomUp(4, 4);
    EXPECT_EQ(DrawText(bottomUp.dc, "x", 1, &all, DT_LEFT), 0);
    SetTextHook(nullptr);
    ReleaseDC(w.handle, dc);
}

TEST(Handle, AttachMeasuresTheWindowInScreenCoordinates)
{
    KXHANDLE handle;
    EXPECT_STREQ(handle.GetName(), "KXHANDLE");
    EXPECT_EQ(handle.GetHandle(), nullptr);
    EXPECT_EQ(handle.GetWidth(), 0);
    EXPECT_EQ(KXHANDLE("VIEW").GetName(), std::string("VIEW"));

    HWND window = CreateWindowSurface();
    PlaceWindow(window, {100, 50, 740, 530}, {104, 80, 736, 526});
    handle.Attach(&window);
    EXPECT_EQ(handle.GetHandle(), window);
    EXPECT_EQ(handle.GetScreenX(), 100);
    EXPECT_EQ(handle.GetScreenY(), 50);
    EXPECT_EQ(handle.GetWidth(), 640);
    EXPECT_EQ(handle.GetHeight(), 480);

    PlaceWindow(window, {0, 0, 10, 10}, {0, 0, 10, 10});
    EXPECT_EQ(handle.GetWidth(), 640) << "measured at Attach only";
    handle.Attach(&window);
    EXPECT_EQ(handle.GetWidth(), 10);
    DestroyWindowSurface(window);
}

} // namespace
