#include "kxloadermodule.h"

bool KXLOADERMODULE::SupportsExtension(const char* path)
{
    const KXSTRING file(path);
    const int dot = file.ReverseFind('.', 0);
    if (dot == -1)
        return false;
    KXSTRING fileExtension = file.Right(file.GetLength() - dot - 1);
    fileExtension.MakeLower();
    return fileExtension == extension;
}

void KXLOADERMODULE::SetExtension(const char* text)
{
    extension = text;
    extension.MakeLower();
}
