// KXHANDLE: a window of the drawing layer with its position and size, as the viewer hands
// it to a renderer for a drawing target. The renderer plug-ins include this header too, so
// it knows nothing of the toolkit that shows the window.
#pragma once

#include "kxgdi.h"
#include "kxobject.h"

#include <cstdint>

class KXHANDLE : public KXOBJECT {
public:
    // A null class name gives "KXHANDLE".
    explicit KXHANDLE(const char* className = nullptr);

    // Copies the handle that *window holds and measures that window's outer rectangle in
    // screen coordinates, anew at every call; nothing follows the window afterwards.
    void Attach(kxgdi::HWND* window);

    kxgdi::HWND GetHandle() const { return window; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    int GetScreenX() const { return screenX; }
    int GetScreenY() const { return screenY; }

private:
    kxgdi::HWND window = nullptr; // not owned
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t screenX = 0;
    std::int32_t screenY = 0;
};
