#include "kxhandle.h"

KXHANDLE::KXHANDLE(const char* className) : KXOBJECT(className != nullptr ? className : "KXHANDLE")
{}

void KXHANDLE::Attach(kxgdi::HWND* source)
{
    window = *source;
    kxgdi::RECT rect;
    kxgdi::GetWindowRect(window, &rect);
    screenX = rect.left;
    screenY = rect.top;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
}
