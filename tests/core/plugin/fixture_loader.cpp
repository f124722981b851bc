// A loader module of a chosen kind and extension that records every call and loads or
// saves successfully or not, as it was built. Built with FIXTURE_NAME, FIXTURE_KIND,
// FIXTURE_EXTENSION, FIXTURE_FILTER, FIXTURE_SUCCEEDS (0 or 1) and, optionally,
// FIXTURE_CREATES_NOTHING or FIXTURE_WITHOUT_RELEASEMOD, or one of FIXTURE_CREATEMOD_THROWS,
// FIXTURE_RELEASEMOD_THROWS and FIXTURE_SERVE_THROWS (Load and Save throw), a plug-in that
// lets an exception out: a standard one, or with FIXTURE_THROWS_FOREIGN one of its own.
#include "fixture_record.h"
#include "fixturethrow.h"

#include "kxexport.h"
#include "kxloadermodule.h"
#include "kxmanager.h"

namespace {

class FIXTURELOADER final : public KXLOADERMODULE {
public:
    FIXTURELOADER() : KXLOADERMODULE("FIXTURELOADER")
    {
        SetName(KXSTRING(FIXTURE_NAME));
        SetKind(KXSTRING(FIXTURE_KIND));
        SetSupportedFiles(KXSTRING("All"));
        SetFilterName(FIXTURE_FILTER);
        SetExtension(FIXTURE_EXTENSION);
        Record(FIXTURE_NAME, "create");
    }

    ~FIXTURELOADER() override { Record(FIXTURE_NAME, "destroy"); }

    bool SupportsExtension(const char* path) override
    {
        Record(FIXTURE_NAME, "supports", path);
        return KXLOADERMODULE::SupportsExtension(path);
    }

    bool Load(KXLOADERSET* target, const char* path) override
    {
        return Serve("load", target, path);
    }
    bool Save(KXLOADERSET* target, const char* path) override
    {
        return Serve("save", target, path);
    }

private:
    // Records the call with the class name of the object that owns the set.
    static bool Serve(const char* what, KXLOADERSET* target, const char* path)
    {
        KXSTRING detail(path);
        detail += " for ";
        detail += target->GetOwner() != nullptr ? target->GetOwner()->GetName() : "nobody";
        Record(FIXTURE_NAME, what, detail.GetText());
#ifdef FIXTURE_SERVE_THROWS
        FixtureThrow(what);
#else
        return FIXTURE_SUCCEEDS != 0;
#endif
    }
};

} // namespace

KX_EXPORT KXMODULE* CreateMod()
{
#if defined(FIXTURE_CREATES_NOTHING)
    return nullptr;
#elif defined(FIXTURE_CREATEMOD_THROWS)
    Record(FIXTURE_NAME, "CreateMod throws");
    FixtureThrow("CreateMod");
#else
    return new FIXTURELOADER;
#endif
}

#ifndef FIXTURE_WITHOUT_RELEASEMOD
KX_EXPORT void ReleaseMod(KXMODULE* module)
{
    Record(FIXTURE_NAME, "ReleaseMod");
    delete module;
#ifdef FIXTURE_RELEASEMOD_THROWS
    FixtureThrow("ReleaseMod");
#endif
}
#endif
