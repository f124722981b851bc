// What the handles of the drawing layer stand for, shared by its source files only.
#pragma once

#include "kxgdi.h"

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace kxgdi {

// What bitmaps and pens share: how many device contexts hold the object, and whether it
// was deleted while one did (it is freed when the last lets go). Stock objects, the ones a
// new device context starts with, are never freed.
struct KXGDIOBJECT {
    int selections = 0;
    bool deletePending = false;
    bool stock = false;
};

// A section's pixels, all zero when made. A large section (the picture the viewer shows)
// is mapped straight from the system, whose fresh pages read as zero, so nothing writes
// it before the caller's copy does, and it is asked for in large pages: faulting in a
// picture's worth of small pages costs more than copying the picture. Small sections come
// from the heap.
class SECTIONBITS {
public:
    SECTIONBITS() = default;
    ~SECTIONBITS();
    SECTIONBITS(const SECTIONBITS&) = delete;
    SECTIONBITS& operator=(const SECTIONBITS&) = delete;

    // Room for count pixels; false when there is no memory for them.
    bool Make(std::size_t count);
    // Pixels that stay their owner's: they are used where they are and never freed here.
    void Borrow(std::uint32_t* owned)
    {
        pixels = owned;
        borrowed = true;
    }
    std::uint32_t* Pixels() const { return pixels; }

private:
    std::uint32_t* pixels = nullptr;
    std::size_t mappedBytes = 0; // 0 for pixels from the heap
    bool borrowed = false;
};

struct KXBITMAP : KXGDIOBJECT {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    SECTIONBITS bits;
    HDC selectedInto = nullptr;
};

struct KXPEN : KXGDIOBJECT {
    COLORREF colour = 0;
};

struct KXWINDOW {
    RECT windowRect;
    RECT clientRect;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool invalid = false;
    bool erase = false;
    RECT update;
    bool painting = false; // its paint handler runs
    int paintsBegun = 0;   // BeginPaint calls so far
    KXWNDHOOKS hooks;
};

struct KXDC {
    HWND window = nullptr; // null for a memory device context (or once the window is gone)
    bool memory = false;
    HBITMAP bitmap = nullptr;
    HPEN pen = nullptr;
    POINT position;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF bkColour = RGB(0xFF, 0xFF, 0xFF);
    bool drew = false; // pixels were written since it was handed out
};

// Every live handle of the process, by kind.
struct REGISTRY {
    std::unordered_set<KXWINDOW*> windows;
    std::unordered_set<KXDC*> dcs;
    std::unordered_set<KXBITMAP*> bitmaps;
    std::unordered_set<KXPEN*> pens;
    KXBITMAP stockBitmap; // no pixels: what a memory device context starts with
    KXPEN stockPen;       // solid black, one pixel wide
    KXTEXTHOOK textHook = nullptr;
};
REGISTRY& Registry();

bool IsLive(HWND window);
bool IsLive(HDC dc);
HDC NewWindowDC(HWND window);
// Frees a device context, letting go of the objects selected into it.
void FreeDC(HDC dc);

// The pixels a device context draws on, addressed top-down whatever the layout in memory.
struct PIXELS {
    std::uint32_t* top = nullptr; // the top row
    int width = 0;
    int height = 0;
    std::ptrdiff_t step = 0; // from one row to the one below it

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    std::uint32_t& At(int x, int y) const { return top[y * step + x]; }
};
// Empty (no rows) when the device context has nothing to draw on.
PIXELS PixelsOf(HDC dc);

// A COLORREF as a surface pixel, and back.
constexpr std::uint32_t ToPixel(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}
constexpr COLORREF FromPixel(std::uint32_t pixel)
{
    return ToPixel(pixel & 0xFFFFFF);
}

} // namespace kxgdi
