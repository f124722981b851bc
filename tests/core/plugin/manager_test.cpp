// Plug-in discovery and loading through loader sets, with fixture plug-ins that record
// every call made on their modules.
#include "recorder.h"
#include "tempdir.h"
#include "throwvariants.h"

#include "kxcamera.h"
#include "kxloadermodule.h"
#include "kxmanager.h"
#include "kxobject3d.h"
#include "kxworld.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;

std::filesystem::path Fixture(const std::string& name)
{
    return fixtures / (name + ".dll");
}

class EVENTLOG final : public KXRECORDER {
public:
    void Record(const char* event) override { events.emplace_back(event); }
    std::vector<std::string> events;
};

// Keeps a fixture library loaded and reporting into a log while it lives, so that what
// its modules record survives their library being freed by the manager.
class RECORDEDLIBRARY {
public:
    RECORDEDLIBRARY(const std::filesystem::path& path, KXRECORDER* log)
        : library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        SetRecorder(log);
    }
    ~RECORDEDLIBRARY()
    {
        SetRecorder(nullptr);
        if (library != nullptr)
            dlclose(library);
    }
    RECORDEDLIBRARY(const RECORDEDLIBRARY&) = delete;
    RECORDEDLIBRARY& operator=(const RECORDEDLIBRARY&) = delete;

private:
    void SetRecorder(KXRECORDER* log)
    {
        auto set = reinterpret_cast<KXSETRECORDERPROC>(dlsym(library, "SetRecorder"));
        ASSERT_NE(set, nullptr);
        set(log);
    }

    void* library;
};

bool IsLoaded(const std::filesystem::path& path)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library != nullptr)
        dlclose(library);
    return library != nullptr;
}

// A temporary current directory holding chosen fixtures under chosen names, each
// reporting into one log.
class ManagerTest : public ::testing::Test {
protected:
    // Each pair is a fixture and the name it gets in the directory.
    void Install(std::initializer_list<std::pair<const char*, const char*>> files)
    {
        for (const auto& [fixture, name] : files) {
            dir.CopyAs(Fixture(fixture), name);
            libraries.push_back(std::make_unique<RECORDEDLIBRARY>(dir.Path() / name, &log));
        }
        dir.Enter();
    }

    std::vector<std::string> TakeEvents()
    {
        std::vector<std::string> events;
        events.swap(log.events);
        return events;
    }

    ScopedTempDir dir;
    EVENTLOG log;
    std::vector<std::unique_ptr<RECORDEDLIBRARY>> libraries;
};

std::vector<std::string> DisplayNames(KXMANAGER& manager)
{
    std::vector<std::string> names;
    for (std::uint16_t i = 0; i < manager.GetCount(); ++i)
        names.emplace_back(manager[i]->GetDisplayName().GetText());
    return names;
}

using Strings = std::vector<std::string>;

TEST(Manager, EmptyDirectoryGivesNoModules)
{
    ScopedTempDir dir;
    dir.Enter();
    KXLOADERSET set(KXKIND_IMAGELOADER);
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(set.LoadModules(KXKIND_IMAGELOADER, 0), 0);
    EXPECT_FALSE(set.LoadFile("picture.img"));
    EXPECT_FALSE(set.SaveFile("picture.img"));
    KXCOLLECTION<KXSTRING> filters;
    EXPECT_EQ(set.GetFilterList(filters), 0);
    EXPECT_EQ(filters.GetCount(), 0);
}

// A module of another kind is released before the next library loads, so the next
// module goes in right after the first one held.
TEST_F(ManagerTest, ReleasingAModuleOfAnotherKindReordersTheList)
{
    Install({{"loader_a", "a.dll"},
             {"loader_b", "b.dll"},
             {"loader_x", "c.dll"},
             {"loader_d", "d.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    EXPECT_EQ(DisplayNames(set), (Strings{"loader_a", "loader_d", "loader_b"}));
    EXPECT_EQ(TakeEvents(),
              (Strings{"loader_a create", "loader_b create", "loader_x create",
                       "loader_x ReleaseMod", "loader_x destroy", "loader_d create"}));
    // Its library was freed again; the kept ones stay loaded.
    libraries.clear();
    EXPECT_FALSE(IsLoaded(dir.Path() / "c.dll"));
    EXPECT_TRUE(IsLoaded(dir.Path() / "a.dll"));
}

TEST_F(ManagerTest, NullKindKeepsEveryModule)
{
    Install({{"loader_a", "a.dll"}, {"loader_x", "x.dll"}, {"renderer_r", "r.dll"}});
    KXMANAGER manager;
    EXPECT_EQ(manager.LoadModules(nullptr, 0), 3);
    EXPECT_EQ(DisplayNames(manager), (Strings{"loader_a", "Recording renderer", "loader_x"}));
    KXMANAGER renderers;
    EXPECT_EQ(renderers.LoadModules(KXKIND_RENDERER, 7), 1);
    EXPECT_EQ(DisplayNames(renderers), (Strings{"Recording renderer"}));
}

TEST_F(ManagerTest, LibrariesWithoutAModuleAreSkippedAndFreed)
{
    Install({{"no_createmod", "a.dll"}, {"null_createmod", "b.dll"}, {"loader_d", "c.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    EXPECT_EQ(DisplayNames(set), (Strings{"loader_d"}));
    libraries.clear();
    EXPECT_FALSE(IsLoaded(dir.Path() / "a.dll"));
    EXPECT_FALSE(IsLoaded(dir.Path() / "b.dll"));
    EXPECT_TRUE(IsLoaded(dir.Path() / "c.dll"));
}

// The throwing fixtures, each built to throw a standard exception and (_foreign) a type
// of its own that is none: whatever a plug-in lets out stops at the crossing.
class ThrowingPluginTest : public ManagerTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Fixture(const char* name) const { return name + std::string(GetParam()); }
};

INSTANTIATE_TEST_SUITE_P(StandardAndForeign, ThrowingPluginTest, ThrowVariants(), ThrowVariantName);

// A plug-in that lets an exception out of "CreateMod" gives no module: it is skipped and
// freed like one whose "CreateMod" gives nothing, and the scan goes on.
TEST_P(ThrowingPluginTest, LibraryWhoseCreateModThrowsIsSkippedAndFreed)
{
    const std::string throwing = Fixture("throwing_createmod");
    Install({{throwing.c_str(), "a.dll"}, {"loader_d", "b.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    EXPECT_EQ(DisplayNames(set), (Strings{"loader_d"}));
    EXPECT_EQ(TakeEvents(), (Strings{throwing + " CreateMod throws", "loader_d create"}));
    libraries.clear();
    EXPECT_FALSE(IsLoaded(dir.Path() / "a.dll"));
    EXPECT_TRUE(IsLoaded(dir.Path() / "b.dll"));
    EXPECT_EQ(set.LoadModule("a.dll"), nullptr);
    EXPECT_EQ(set.GetCount(), 1);
}

// A "ReleaseMod" that throws has failed; its module leaves the list, its library is freed,
// and the next library loads. That holds for the release of a module of another kind
// during a scan, and for releasing a module held.
TEST_P(ThrowingPluginTest, ReleaseModThatThrowsStillFreesTheLibrary)
{
    const std::string throwing = Fixture("throwing_releasemod");
    Install({{throwing.c_str(), "a.dll"}, {"loader_d", "b.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    EXPECT_EQ(DisplayNames(set), (Strings{"loader_d"}));
    EXPECT_EQ(TakeEvents(), (Strings{throwing + " create", throwing + " ReleaseMod",
                                     throwing + " destroy", "loader_d create"}));
    KXMANAGER all;
    ASSERT_EQ(all.LoadModules(nullptr, 0), 2);
    all.UnloadModule(all[0]);
    EXPECT_EQ(DisplayNames(all), (Strings{"loader_d"}));
    libraries.clear();
    EXPECT_FALSE(IsLoaded(dir.Path() / "a.dll"));
}

// A load or save that throws has failed: the next module that supports the path gets its
// turn, and without one the call reports failure.
TEST_P(ThrowingPluginTest, LoadOrSaveThatThrowsFailsAndTheNextModuleGetsItsTurn)
{
    const std::string throwing = Fixture("throwing_loader");
    Install({{throwing.c_str(), "a.dll"}, {"loader_b", "b.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    KXOBJECT picture("KXPICTURE");
    set.SetOwner(&picture);
    TakeEvents();
    EXPECT_TRUE(set.LoadFile("x.img"));
    EXPECT_TRUE(set.SaveFile("y.img"));
    EXPECT_EQ(TakeEvents(),
              (Strings{throwing + " supports x.img", throwing + " load x.img for KXPICTURE",
                       "loader_b supports x.img", "loader_b load x.img for KXPICTURE",
                       throwing + " supports y.img", throwing + " save y.img for KXPICTURE",
                       "loader_b supports y.img", "loader_b save y.img for KXPICTURE"}));
    set.ReleaseAt(1);
    EXPECT_FALSE(set.LoadFile("x.img"));
    EXPECT_FALSE(set.SaveFile("y.img"));
}

// Without "ReleaseMod" the module is still destroyed by its own code before its library
// goes.
TEST_F(ManagerTest, ModuleWithoutReleaseModIsStillDestroyed)
{
    Install({{"no_releasemod", "a.dll"}});
    {
        KXMANAGER manager;
        manager.LoadModules(KXKIND_OBJECTLOADER, 0);
        EXPECT_EQ(manager.GetCount(), 0);
    }
    EXPECT_EQ(TakeEvents(), (Strings{"no_releasemod create", "no_releasemod destroy"}));
    libraries.clear();
    EXPECT_FALSE(IsLoaded(dir.Path() / "a.dll"));
}

TEST_F(ManagerTest, ReleaseAllReleasesEveryModuleInListOrder)
{
    Install({{"loader_a", "a.dll"}, {"loader_b", "b.dll"}, {"loader_d", "d.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    ASSERT_EQ(set.GetCount(), 3);
    TakeEvents();
    set.ReleaseAll();
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(TakeEvents(), (Strings{"loader_a destroy", "loader_b destroy", "loader_d destroy"}));
    libraries.clear();
    EXPECT_FALSE(IsLoaded(dir.Path() / "a.dll"));
    EXPECT_FALSE(IsLoaded(dir.Path() / "d.dll"));
}

TEST_F(ManagerTest, SecondScanReleasesWhatTheFirstKept)
{
    Install({{"loader_a", "a.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    TakeEvents();
    EXPECT_EQ(set.LoadModules(KXKIND_IMAGELOADER, 0), 1);
    EXPECT_EQ(TakeEvents(), (Strings{"loader_a destroy", "loader_a create"}));
}

TEST_F(ManagerTest, DestroyingTheSetReleasesItsModules)
{
    Install({{"loader_a", "a.dll"}, {"loader_b", "b.dll"}});
    {
        KXLOADERSET set(KXKIND_IMAGELOADER);
        TakeEvents();
    }
    EXPECT_EQ(TakeEvents(), (Strings{"loader_a destroy", "loader_b destroy"}));
}

TEST_F(ManagerTest, ReleaseAtAndTheIndexOperation)
{
    Install({{"loader_a", "a.dll"}, {"loader_b", "b.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    TakeEvents();
    set.ReleaseAt(2);
    EXPECT_EQ(set.GetCount(), 2);
    EXPECT_TRUE(TakeEvents().empty());
    try {
        set[2];
        FAIL() << "no exception";
    } catch (const KXEXCEPTION& e) {
        EXPECT_STREQ(e.GetMessage(), "Exception in op [] of KXMANAGER:index out of bounds");
    }
    set.ReleaseAt(0);
    EXPECT_EQ(TakeEvents(), (Strings{"loader_a destroy"}));
    EXPECT_EQ(DisplayNames(set), (Strings{"loader_b"}));
}

TEST_F(ManagerTest, LoadModuleTakesANameWithASlashAsItIs)
{
    Install({});
    KXMANAGER manager;
    EXPECT_EQ(manager.LoadModule("loader_a.dll"), nullptr); // not in the current directory
    KXMODULE* module = manager.LoadModule(Fixture("loader_a").c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_NE(*module->GetHandlePtr(), nullptr);
    EXPECT_EQ(manager.GetCount(), 1);
    manager.UnloadModule(module);
    EXPECT_EQ(manager.GetCount(), 0);
}

// LoadFile and SaveFile ask the modules in list order; one that claims the extension
// but fails leaves the next its turn, and the first success ends the search.
TEST_F(ManagerTest, LoadAndSaveAskTheModulesInListOrder)
{
    Install({{"loader_a", "a.dll"}, {"loader_b", "b.dll"}, {"loader_d", "d.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    KXOBJECT picture("KXPICTURE");
    set.SetOwner(&picture);
    TakeEvents();

    EXPECT_TRUE(set.LoadFile("x.IMG"));
    EXPECT_EQ(TakeEvents(),
              (Strings{"loader_a supports x.IMG", "loader_a load x.IMG for KXPICTURE",
                       "loader_b supports x.IMG", "loader_b load x.IMG for KXPICTURE"}));
    EXPECT_TRUE(set.SaveFile("y.dee"));
    EXPECT_EQ(TakeEvents(),
              (Strings{"loader_a supports y.dee", "loader_b supports y.dee",
                       "loader_d supports y.dee", "loader_d save y.dee for KXPICTURE"}));
    EXPECT_FALSE(set.LoadFile("z.none"));
    EXPECT_EQ(TakeEvents().size(), 3u);
}

TEST_F(ManagerTest, FilterListHasOneEntryPerModule)
{
    Install({{"loader_a", "a.dll"}, {"loader_b", "b.dll"}, {"loader_w", "w.dll"}});
    KXLOADERSET set(KXKIND_IMAGELOADER);
    KXCOLLECTION<KXSTRING> filters;
    filters.Add(KXSTRING("stale"));
    EXPECT_EQ(set.GetFilterList(filters), 2);
    ASSERT_EQ(filters.GetCount(), 2);
    EXPECT_STREQ(filters[0].GetText(), "Alpha|img");
    EXPECT_STREQ(filters[1].GetText(), "Beta|img"); // extensions are kept in lower case
    KXLOADERSET worlds(KXKIND_WORLDLOADER);
    EXPECT_EQ(worlds.GetFilterList(filters), 1);
    EXPECT_STREQ(filters[0].GetText(), "Whiskey|wld");
}

// Every operation of a renderer reaches the plug-in's own slot of the same name.
TEST_F(ManagerTest, RendererOperationsKeepTheirOrder)
{
    Install({{"renderer_r", "r.dll"}});
    KXMANAGER manager;
    ASSERT_EQ(manager.LoadModules(KXKIND_RENDERER, 0), 1);
    auto* renderer = static_cast<KXRENDERER*>(manager[0]);
    EXPECT_EQ(renderer->GetFastFlag(), 0);
    renderer->Release();
    renderer->Init(nullptr, 256, 256, 32, 0);
    renderer->SpareCheck();
    renderer->AttachObject(nullptr);
    renderer->AttachWorld(nullptr);
    renderer->BeginRender();
    renderer->EndRender();
    EXPECT_FALSE(renderer->Render(nullptr));
    renderer->SpareBinary(1, 2);
    renderer->DrawObject(nullptr, 0);
    renderer->SpareTernary(1, 2, 3);
    renderer->SetCamera(nullptr);
    renderer->DetachObject(nullptr);
    renderer->DetachWorld(nullptr);
    renderer->RunDemo(0);
    manager.ReleaseAll();
    EXPECT_EQ(TakeEvents(),
              (Strings{"renderer Release", "renderer Init 256 256 32 0", "renderer SpareCheck",
                       "renderer AttachObject", "renderer AttachWorld", "renderer BeginRender",
                       "renderer EndRender", "renderer Render", "renderer SpareBinary",
                       "renderer DrawObject", "renderer SpareTernary", "renderer SetCamera",
                       "renderer DetachObject", "renderer DetachWorld", "renderer RunDemo",
                       "renderer destroy"}));
}

// A renderer whose every operation throws: each call the world makes on it fails there,
// and the world goes on as after that failure. A render the renderer did not finish asks
// the objects to draw themselves and ends the render.
TEST_P(ThrowingPluginTest, RendererOperationsThatThrowFailAtTheWorld)
{
    const std::string throwing = Fixture("throwing_renderer");
    Install({{throwing.c_str(), "r.dll"}});
    KXMANAGER manager;
    ASSERT_EQ(manager.LoadModules(KXKIND_RENDERER, 0), 1);
    auto* renderer = static_cast<KXRENDERER*>(manager[0]);
    std::vector<std::string> calls;
    {
        KXWORLD world;
        KXOBJECT3D object;
        KXCAMERA camera(0, 0, 0);
        world.SetRenderer(renderer);
        TakeEvents();
        world.AddCamera(&camera);
        world.AddObject(&object);
        EXPECT_TRUE(world.AttachRenderer());
        EXPECT_TRUE(world.Render());
        EXPECT_FALSE(object.Draw(0));
        EXPECT_TRUE(world.Clear());
        calls = TakeEvents();
    }
    EXPECT_EQ(calls, (Strings{"renderer SetCamera", "renderer AttachObject", "renderer AttachWorld",
                              "renderer AttachObject", "renderer SetCamera",
                              "renderer BeginRender", "renderer Render", "renderer DrawObject",
                              "renderer EndRender", "renderer DrawObject", "renderer DetachWorld",
                              "renderer DetachObject"}));
}

} // namespace
