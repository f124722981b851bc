// A renderer that records every call made on it, in order. Built with
// FIXTURE_RENDERER_THROWS, every operation throws once it has recorded the call (with
// FIXTURE_THROWS_FOREIGN, a type that is no standard exception).
#include "fixture_record.h"
#include "fixturethrow.h"

#include "kxexport.h"
#include "kxmodule.h"

namespace {

class FIXTURERENDERER final : public KXRENDERER {
public:
    FIXTURERENDERER() : KXRENDERER("FIXTURERENDERER")
    {
        SetName(KXSTRING("Recording renderer"));
        SetKind(KXSTRING(KXKIND_RENDERER));
        SetSupportedFiles(KXSTRING("All"));
        SetFastFlag(0);
    }

    ~FIXTURERENDERER() override { Record("renderer", "destroy"); }

    void Release() override { Note("Release"); }

    bool Init(KXHANDLE*, int width, int height, int bitsPerPixel, int flags) override
    {
        KXSTRING detail;
        for (int value : {width, height, bitsPerPixel, flags}) {
            KXSTRING number;
            number.FromInt(value, 0);
            detail += detail.GetLength() > 0 ? " " : "";
            detail += number;
        }
        Record("renderer", "Init", detail.GetText());
        return true;
    }

    bool SpareCheck() override { return Note("SpareCheck"); }
    bool AttachObject(KXOBJECT3D*) override { return Note("AttachObject"); }
    bool AttachWorld(KXWORLD*) override { return Note("AttachWorld"); }
    void BeginRender() override { Note("BeginRender"); }
    void EndRender() override { Note("EndRender"); }
    bool Render(KXWORLD*) override { return !Note("Render"); }
    bool SpareBinary(int, int) override { return Note("SpareBinary"); }
    bool DrawObject(KXOBJECT3D*, int) override { return Note("DrawObject"); }
    bool SpareTernary(int, int, int) override { return Note("SpareTernary"); }
    void SetCamera(KXCAMERA*) override { Note("SetCamera"); }
    bool DetachObject(KXOBJECT3D*) override { return Note("DetachObject"); }
    bool DetachWorld(KXWORLD*) override { return Note("DetachWorld"); }
    bool RunDemo(int) override { return Note("RunDemo"); }

private:
    static bool Note(const char* what)
    {
        Record("renderer", what);
#ifdef FIXTURE_RENDERER_THROWS
        FixtureThrow(what);
#endif
        return true;
    }
};

} // namespace

KX_EXPORT KXMODULE* CreateMod()
{
    return new FIXTURERENDERER;
}

KX_EXPORT void ReleaseMod(KXMODULE* module)
{
    delete module;
}
