// The bitmap loader plug-in: an image loader module that reads and writes BMP files
// for the picture that owns the loader set it is called through.
#include "bmpcodec.h"

#include "kxboundary.h"
#include "kxexport.h"
#include "kxloadermodule.h"
#include "kxmanager.h"
#include "kxpicture.h"

#include <new>

namespace {

class PIMBRELMOD final : public KXLOADERMODULE {
public:
    PIMBRELMOD() : KXLOADERMODULE("PIMBRELMOD")
    {
        SetName(KXSTRING("Bitmap loader"));
        SetSupportedFiles(KXSTRING("All"));
        SetKind(KXSTRING(KXKIND_IMAGELOADER));
        SetFilterName("Bitmap");
        SetExtension("bmp");
    }

    // No exception leaves the plug-in: whatever fails inside is a refusal.
    bool Load(KXLOADERSET* target, const char* path) noexcept override
    {
        try {
            KXPICTURE* picture = PictureOf(target);
            return picture != nullptr && bmp::ReadFile(path, *picture) == bmp::REFUSAL::NONE;
        } catch (...) {
            return false;
        }
    }

    bool Save(KXLOADERSET* target, const char* path) noexcept override
    {
        try {
            KXPICTURE* picture = PictureOf(target);
            if (picture == nullptr)
                return false;
            // Deeper pictures are stored as 24 bits, blue, green, red: the picture itself
            // is converted, and stays so.
            if (picture->GetDepth() >= 32)
                picture->ConvertDepth(24, 0xFF0000, 0xFF00, 0xFF, 0);
            std::vector<std::uint8_t> bytes;
            return bmp::Encode(*picture, bytes) && bmp::WriteFile(path, bytes);
        } catch (...) {
            return false;
        }
    }

private:
    // Image loader sets belong to pictures (textures among them). The set's kind is checked
    // before the cast: dynamic_cast cannot see across deliverables with hidden visibility.
    static KXPICTURE* PictureOf(KXLOADERSET* target)
    {
        if (target == nullptr || !(target->GetKind() == KXKIND_IMAGELOADER))
            return nullptr;
        return static_cast<KXPICTURE*>(target->GetOwner());
    }
};

} // namespace

KX_EXPORT KXMODULE* CreateMod()
{
    return CallContained(static_cast<KXMODULE*>(nullptr),
                         [] { return new (std::nothrow) PIMBRELMOD; });
}

KX_EXPORT void ReleaseMod(KXMODULE* module)
{
    CallContained([module] { delete module; });
}
