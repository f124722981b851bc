#include "kxtexture.h"

KXTEXTURE::KXTEXTURE(const char* fileName)
{
    SetName("KXTEXTURE");
    if (fileName != nullptr)
        GetLoaderSet().LoadFile(fileName);
}
