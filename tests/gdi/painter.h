// The interface of the painter fixture plug-in: it draws frames into a window through the
// drawing layer exactly as the raytracer does.
#pragma once

#include <cstdint>

class KXHANDLE;

class KXPAINTER {
public:
    // Makes a bottom-up 32-bit section of width by height pixels (0: the view's size) and a
    // memory device context, both on the view's window.
    virtual bool Init(KXHANDLE* view, int width, int height) = 0;
    // Stores frame pixel n (counted from the top-left, row by row) at position n of the
    // section and shows the section upright, stretched over the whole view.
    virtual void Render(const std::uint32_t* frame) = 0;
    // Deletes the section (still selected) and then the memory device context.
    virtual void Release() = 0;

protected:
    ~KXPAINTER() = default;
};

using KXCREATEPAINTERPROC = KXPAINTER* (*)();
using KXRELEASEPAINTERPROC = void (*)(KXPAINTER*);
