// A plug-in that draws into the viewer's window the way the raytracer does: a section and a
// memory device context made on the window, then a stretch with a negative source height.
#include "painter.h"

#include "kxexport.h"
#include "kxgdi.h"
#include "kxhandle.h"

#include <cstring>

using namespace kxgdi;

namespace {

class PAINTER final : public KXPAINTER {
public:
    ~PAINTER() { Release(); }

    bool Init(KXHANDLE* target, int w, int h) override
    {
        Release();
        view = target;
        width = w != 0 ? w : view->GetWidth();
        height = h != 0 ? h : view->GetHeight();

        BITMAPINFOHEADER header;
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        header.biXPelsPerMeter = 92;
        header.biYPelsPerMeter = 92;

        HWND window = view->GetHandle();
        HDC dc = GetDC(window);
        void* memory = nullptr;
        bitmap = CreateDIBSection(dc, &header, &memory);
        bits = static_cast<std::uint32_t*>(memory);
        ReleaseDC(window, dc);

        dc = GetDC(window);
        memoryDC = CreateCompatibleDC(dc);
        ReleaseDC(window, dc);

        if (bitmap == nullptr) {
            Release();
            return false;
        }
        return true;
    }

    void Render(const std::uint32_t* frame) override
    {
        std::memcpy(bits, frame, sizeof(std::uint32_t) * width * height);
        HWND window = view->GetHandle();
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        SelectObject(memoryDC, bitmap);
        HDC dc = GetDC(window);
        StretchBlt(dc, 0, 0, view->GetWidth(), view->GetHeight(), memoryDC, 0, height, width,
                   -height, SRCCOPY);
        ReleaseDC(window, dc);
        EndPaint(window, &paint);
    }

    void Release() override
    {
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

private:
    KXHANDLE* view = nullptr;
    int width = 0;
    int height = 0;
    HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr;
    HDC memoryDC = nullptr;
};

} // namespace

KX_EXPORT KXPAINTER* CreateMod()
{
    return new PAINTER;
}

KX_EXPORT void ReleaseMod(KXPAINTER* painter)
{
    delete static_cast<PAINTER*>(painter);
}
