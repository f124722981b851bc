// Windows: their surfaces, placement, invalid parts, painting and device contexts.
#include "kxgdi_internal.h"

#include <algorithm>
#include <memory>

namespace kxgdi {

namespace {

bool IsEmpty(const RECT& rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

RECT ClientArea(HWND window)
{
    return {0, 0, window->width, window->height};
}

// A new surface of the given size that keeps the pixels it shares with the old one.
void Resize(HWND window, int width, int height)
{
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height), 0);
    const int rows = std::min(height, window->height);
    const int columns = std::min(width, window->width);
    for (int y = 0; y < rows; ++y)
        std::copy_n(window->pixels.begin() + std::ptrdiff_t{y} * window->width, columns,
                    pixels.begin() + std::ptrdiff_t{y} * width);
    window->pixels = std::move(pixels);
    window->width = width;
    window->height = height;
}

// Gives a window's device context back; tells the toolkit when it drew outside a paint.
void GiveBack(HWND window, HDC dc)
{
    const bool drew = dc->drew;
    FreeDC(dc);
    if (drew && !window->painting && window->hooks.drawn != nullptr)
        window->hooks.drawn(window->hooks.context);
}

bool IsWindowDCOf(HWND window, HDC dc)
{
    return IsLive(window) && IsLive(dc) && !dc->memory && dc->window == window;
}

} // namespace

bool IsLive(HWND window)
{
    return Registry().windows.contains(window);
}

HWND CreateWindowSurface()
{
    // Held until registered: a registration that runs out of memory frees the surface.
    auto window = std::make_unique<KXWINDOW>();
    Registry().windows.insert(window.get());
    return window.release();
}

bool DestroyWindowSurface(HWND window)
{
    REGISTRY& registry = Registry();
    if (!IsLive(window))
        return false;
    for (HDC dc : registry.dcs)
        if (dc->window == window)
            dc->window = nullptr;
    registry.windows.erase(window);
    delete window;
    return true;
}

bool PlaceWindow(HWND window, const RECT& windowRect, const RECT& clientRect)
{
    if (!IsLive(window))
        return false;
    window->windowRect = windowRect;
    window->clientRect = clientRect;
    const int width = std::max(0, clientRect.right - clientRect.left);
    const int height = std::max(0, clientRect.bottom - clientRect.top);
    if (width != window->width || height != window->height) {
        Resize(window, width, height);
        InvalidateRect(window, nullptr, true);
    }
    return true;
}

bool SetWindowHooks(HWND window, const KXWNDHOOKS& hooks)
{
    if (!IsLive(window))
        return false;
    window->hooks = hooks;
    return true;
}

bool DispatchPaint(HWND window)
{
    if (!IsLive(window) || !window->invalid)
        return false;
    const KXWNDHOOKS hooks = window->hooks;
    const int paintsBegun = window->paintsBegun;
    if (hooks.paint != nullptr) {
        const bool painting = window->painting;
        window->painting = true;
        hooks.paint(hooks.context);
        // The handler may have destroyed the window.
        if (!IsLive(window))
            return true;
        window->painting = painting;
    }
    // A handler that never began painting leaves nothing invalid behind, while one that
    // did keeps whatever it invalidated afterwards.
    if (window->paintsBegun == paintsBegun) {
        window->invalid = false;
        window->erase = false;
    }
    return hooks.paint != nullptr;
}

bool GetWindowSurface(HWND window, KXSURFACE* surface)
{
    if (!IsLive(window) || surface == nullptr)
        return false;
    surface->pixels = window->pixels.data();
    surface->width = window->width;
    surface->height = window->height;
    return true;
}

HDC GetDC(HWND window)
{
    return IsLive(window) ? NewWindowDC(window) : nullptr;
}

int ReleaseDC(HWND window, HDC dc)
{
    if (!IsWindowDCOf(window, dc))
        return 0;
    GiveBack(window, dc);
    return 1;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    if (!IsLive(window) || paint == nullptr)
        return nullptr;
    paint->hdc = NewWindowDC(window);
    ++window->paintsBegun;
    paint->fErase = window->erase;
    paint->rcPaint = window->invalid ? window->update : RECT{};
    window->invalid = false;
    window->erase = false;
    return paint->hdc;
}

bool EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    if (paint == nullptr || !IsWindowDCOf(window, paint->hdc))
        return false;
    GiveBack(window, paint->hdc);
    return true;
}

bool InvalidateRect(HWND window, const RECT* rect, bool erase)
{
    if (!IsLive(window))
        return false;
    const RECT part = Intersect(rect != nullptr ? *rect : ClientArea(window), ClientArea(window));
    if (IsEmpty(part))
        return true;
    window->update = window->invalid ? Union(window->update, part) : part;
    window->invalid = true;
    window->erase = window->erase || erase;
    if (window->hooks.invalidated != nullptr)
        window->hooks.invalidated(window->hooks.context);
    return true;
}

bool UpdateWindow(HWND window)
{
    if (!IsLive(window))
        return false;
    DispatchPaint(window);
    return true;
}

bool GetWindowRect(HWND window, RECT* rect)
{
    if (!IsLive(window) || rect == nullptr)
        return false;
    *rect = window->windowRect;
    return true;
}

bool GetClientRect(HWND window, RECT* rect)
{
    if (!IsLive(window) || rect == nullptr)
        return false;
    *rect = ClientArea(window);
    return true;
}

} // namespace kxgdi
