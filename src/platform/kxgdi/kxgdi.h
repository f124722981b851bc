// The drawing layer: windows as retained 32-bit pixel surfaces, device contexts on windows
// and in memory, device-independent bitmap sections, blits, pixels, pens, fills and edges.
// The viewer and the renderer plug-ins draw through the one copy of this library that the
// process loads, so a renderer can draw into the viewer's window and the viewer can read
// the pixels back. Nothing here knows about the toolkit that shows the windows: the viewer
// places each window, answers its paint requests and installs the text renderer.
//
// Coordinates of a device context count from the top-left pixel of its surface, y down.
// A surface pixel is 32 bits with blue in the lowest byte, then green and red (the layout
// of a 32-bit DIB); a COLORREF holds red in its lowest byte, then green and blue.
#pragma once

#include <cstdint>

#define KXGDI_API __attribute__((visibility("default")))

namespace kxgdi {

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return red | (green << 8) | (blue << 16);
}

// What GetPixel returns for a point outside the surface, and SetPixel when it draws nothing.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct POINT {
    int x = 0;
    int y = 0;
};

// Opaque handles. Every call checks the handles it is given and refuses one that is not
// alive (never made, or already deleted), so a stale handle is harmless.
struct KXWINDOW;
struct KXDC;
struct KXBITMAP;
struct KXPEN;
using HWND = KXWINDOW*;
using HDC = KXDC*;
using HBITMAP = KXBITMAP*;
using HPEN = KXPEN*;

// The header of a device-independent bitmap. Only 32-bit uncompressed sections are made.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // positive: rows bottom-up; negative: rows top-down
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

constexpr std::uint32_t BI_RGB = 0;

// Raster operation of the blits: the only one there is copies the source.
enum ROP : std::uint32_t { SRCCOPY = 0x00CC0020 };

// Pen style: solid lines only.
constexpr int PS_SOLID = 0;

// DrawEdge: which rings of the edge are raised or sunken, and which sides are drawn.
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// The colours of the edges' rings.
constexpr COLORREF COLOR_3DHILIGHT = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF COLOR_3DLIGHT = RGB(0xE0, 0xE0, 0xE0);
constexpr COLORREF COLOR_3DSHADOW = RGB(0x80, 0x80, 0x80);
constexpr COLORREF COLOR_3DDKSHADOW = RGB(0x40, 0x40, 0x40);

// DrawText format: left-aligned from the top, lines broken only at line breaks.
constexpr unsigned DT_LEFT = 0;

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    bool fErase = false; // the invalidation asked for the background to be erased
    RECT rcPaint;        // the part of the client area that was invalid
};

// --- Windows: made and placed by the toolkit glue ---------------------------------------

// What the toolkit is told about a window. Every hook is optional.
struct KXWNDHOOKS {
    void* context = nullptr;
    // The window's paint handler: runs when an invalid window is painted.
    void (*paint)(void* context) = nullptr;
    // The window became invalid: a paint should follow soon.
    void (*invalidated)(void* context) = nullptr;
    // Pixels were drawn through a device context of the window, outside its paint
    // handler: they should be shown now.
    void (*drawn)(void* context) = nullptr;
};

// A window with an empty surface, placed nowhere.
KXGDI_API HWND CreateWindowSurface();
// Destroys the window; its device contexts stay valid handles that draw nothing.
KXGDI_API bool DestroyWindowSurface(HWND window);
// Places the window: its outer rectangle and its client area, both in screen
// coordinates. A client area of a new size gets a new surface that keeps the pixels it
// shares with the old one (the rest black) and becomes invalid as a whole.
KXGDI_API bool PlaceWindow(HWND window, const RECT& windowRect, const RECT& clientRect);
KXGDI_API bool SetWindowHooks(HWND window, const KXWNDHOOKS& hooks);
// Paints the window if it is invalid: its paint handler runs, then the window is valid
// (a handler that does not call BeginPaint leaves nothing invalid behind). True when
// the handler ran.
KXGDI_API bool DispatchPaint(HWND window);

// A window's pixels for showing them: top row first, width pixels a row.
struct KXSURFACE {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};
KXGDI_API bool GetWindowSurface(HWND window, KXSURFACE* surface);

// --- Text: drawn by a renderer that the viewer installs ----------------------------------

// One DrawText call, handed to the text renderer. The surface is top-down with stride
// pixels a row; the renderer lays the text out in layout, draws only inside clip (the
// layout rectangle within the surface) and fills the background behind the text with the
// background colour.
struct KXTEXTJOB {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    RECT layout; // where the text goes, in surface coordinates
    RECT clip;
    const char* text = nullptr;
    int length = 0;
    COLORREF textColour = 0;
    COLORREF bkColour = 0;
    unsigned format = DT_LEFT;
};
// Returns the height of the drawn text in pixels.
using KXTEXTHOOK = int (*)(const KXTEXTJOB& job);
// Installs the text renderer for the process; null removes it (DrawText then draws nothing).
KXGDI_API void SetTextHook(KXTEXTHOOK hook);

// --- The calls of the system -------------------------------------------------------------

// A device context on the window's client area; give it back with ReleaseDC.
KXGDI_API HDC GetDC(HWND window);
KXGDI_API int ReleaseDC(HWND window, HDC dc);
// Begins painting: returns a device context on the window, fills paint with it and the
// invalid part, and makes the window valid. Also usable outside a paint handler.
KXGDI_API HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
KXGDI_API bool EndPaint(HWND window, const PAINTSTRUCT* paint);
// Adds rect (the whole client area when null) to the invalid part of the window.
KXGDI_API bool InvalidateRect(HWND window, const RECT* rect, bool erase);
// Paints the window now if any of it is invalid.
KXGDI_API bool UpdateWindow(HWND window);
// The outer rectangle in screen coordinates.
KXGDI_API bool GetWindowRect(HWND window, RECT* rect);
// The client area: (0, 0, width, height).
KXGDI_API bool GetClientRect(HWND window, RECT* rect);

// A memory device context; dc is ignored (every surface has the same format). It draws
// nothing until a bitmap is selected into it.
KXGDI_API HDC CreateCompatibleDC(HDC dc);
KXGDI_API bool DeleteDC(HDC dc);
// A zero-filled 32-bit section; *bits receives its pixel memory (rows bottom-up when the
// height is positive). Null, and *bits null, for any other format or a size that cannot
// be allocated.
KXGDI_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFOHEADER* header, void** bits);
// A 32-bit section whose pixel memory is the caller's: pixels holds width × |height|
// pixels laid out as CreateDIBSection's, and outlives the section, which reads and draws
// into it where it is and never frees it. Null for the formats CreateDIBSection refuses or
// null pixels.
KXGDI_API HBITMAP CreateDIBSectionOver(HDC dc, const BITMAPINFOHEADER* header, void* pixels);
KXGDI_API HPEN CreatePen(int style, int width, COLORREF colour);
// Select returns the object it replaces (null on failure), or the stock object a new
// device context starts with when the replaced one was deleted and is freed by this very
// call. A bitmap goes only into a memory device context and into one at a time.
KXGDI_API HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
KXGDI_API HPEN SelectObject(HDC dc, HPEN pen);
// Deleting an object that is still selected is allowed: it is freed when it is deselected.
KXGDI_API bool DeleteObject(HBITMAP bitmap);
KXGDI_API bool DeleteObject(HPEN pen);

// Copies the source rectangle onto the destination rectangle, nearest pixel. Extents of
// different signs mirror the copy on that axis; a rectangle with a negative extent covers
// origin + extent up to origin - 1. Destination pixels whose source pixel lies outside the
// source surface are left as they are.
KXGDI_API bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
                          int sourceWidth, int sourceHeight, ROP rop);
KXGDI_API bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy,
                      ROP rop);
// Rows of 8-bit colour indices held by the caller: width bytes a row, no padding, the
// bottom row first, as a bottom-up section lays its rows; colours holds the surface pixel
// of each of the 256 indices.
struct INDEXEDROWS {
    const std::uint8_t* rows;
    int width;
    int height;
    const std::uint32_t* colours;
};
// StretchBlt with indexed rows as the source: each destination pixel is the colour of the
// index that StretchBlt would take from a section of those rows, so the copy is the one a
// 32-bit section of the colours would give, with no such section made first.
KXGDI_API bool StretchIndexed(HDC dest, int x, int y, int width, int height,
                              const INDEXEDROWS& source, int sx, int sy, int sourceWidth,
                              int sourceHeight);
KXGDI_API COLORREF GetPixel(HDC dc, int x, int y);
KXGDI_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
// Moves the current position; previous, when given, receives the old one.
KXGDI_API bool MoveTo(HDC dc, int x, int y, POINT* previous = nullptr);
// Draws with the selected pen from the current position to (x, y), without that last
// pixel, and moves the current position there.
KXGDI_API bool LineTo(HDC dc, int x, int y);
// Fills rect with colour; the device context's background colour becomes that colour.
KXGDI_API void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour);
// Draws the rings of an edge just inside rect: the outer ring on its border, the inner
// one a pixel further in. Top and left sides first, then bottom and right over them.
KXGDI_API bool DrawEdge(HDC dc, const RECT* rect, unsigned edge, unsigned sides);
// Both return the previous colour.
KXGDI_API COLORREF SetTextColor(HDC dc, COLORREF colour);
KXGDI_API COLORREF SetBkColor(HDC dc, COLORREF colour);
// Draws text (length -1: up to its terminating zero) into rect through the installed text
// renderer, on the device context's background colour. Returns the text's height, 0 when
// nothing was drawn.
KXGDI_API int DrawText(HDC dc, const char* text, int length, const RECT* rect, unsigned format);

// The number of live device contexts, bitmaps and pens (stock objects not counted), so
// that tests can see what was freed.
KXGDI_API int CountGdiObjects();

} // namespace kxgdi
