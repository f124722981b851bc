// The memory manager when memory runs out: pictures, whose construction allocates (each
// scans the current directory for its loaders), are made through the manager with the 1st,
// 2nd, ... allocation failing in turn. Each time the manager gives the pictures or null,
// and nothing thrown comes out of it.
#include "failnth.h"
#include "tempdir.h"

#include "kxmemmod.h"
#include "kxobject.h"
#include "kxsys.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::filesystem::path bin = PELISK_BIN_DIR;

TEST(StowelAllocation, ObjectsAreMadeWholeOrNotAtAll)
{
    ScopedTempDir dir;
    dir.Copy({bin / "stowel.dll", bin / "pimbrel.dll"});
    dir.Enter();
    kxsys::LibraryHandle library = kxsys::LoadLibrary((dir.Path() / "stowel.dll").c_str());
    ASSERT_NE(library, nullptr);
    auto create = reinterpret_cast<KXCREATEMEMMODPROC>(kxsys::FindExport(library, "CreateMemMod"));
    auto release =
        reinterpret_cast<KXRELEASEMEMMODPROC>(kxsys::FindExport(library, "ReleaseMemMod"));
    ASSERT_NE(create, nullptr);
    ASSERT_NE(release, nullptr);
    KXMEMMOD* manager = create();
    ASSERT_NE(manager, nullptr);

    int refused = 0;
    for (int n = 1;; ++n) {
        KXOBJECT* pictures = nullptr;
        bool reached = false;
        {
            FAILNTH failing(n);
            manager->CreateObjectArray(&pictures, "KXPICTURE", 2);
            reached = FAILNTH::Reached();
        }
        const bool made = pictures != nullptr;
        if (made) {
            EXPECT_STREQ(pictures->GetName(), "KXPICTURE") << "allocation " << n;
        }
        manager->DeleteObjectArray(&pictures);
        if (!reached) {
            EXPECT_TRUE(made);
            break;
        }
        refused += made ? 0 : 1;
    }
    EXPECT_GE(refused, 1);
    release(manager);
    kxsys::FreeLibrary(library);
}

} // namespace
