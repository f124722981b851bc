// The plug-in scan that every picture, 3-D object and world runs when it is built: a
// loader set constructed and destroyed in a directory of three plug-ins, against loading
// and freeing the same three libraries directly.
#include "benchtable.h"
#include "tempdir.h"

#include "kxmanager.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::filesystem::path fixtures = PELISK_FIXTURE_DIR;
const char* const plugins[] = {"loader_a.dll", "loader_b.dll", "loader_x.dll"};

// A current directory holding the three plug-ins: two image loaders, one object loader.
class PLUGINDIR {
public:
    PLUGINDIR()
    {
        for (const char* name : plugins)
            dir.Copy({fixtures / name});
        dir.Enter();
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const char* name : plugins)
            paths.push_back((dir.Path() / name).string());
        return paths;
    }

private:
    ScopedTempDir dir;
};

void Setup()
{
    const BENCHCASE line{"plug-in scan", "3 files", "-"};
    AddSide(line, oursSide, BENCHCLOCK::wall, [](benchmark::State& state) {
        PLUGINDIR dir;
        for (auto _ : state) {
            KXLOADERSET set(KXKIND_IMAGELOADER);
            benchmark::DoNotOptimize(set.GetCount());
        }
    });
    AddSide(line, "dlopen", BENCHCLOCK::wall, [](benchmark::State& state) {
        PLUGINDIR dir;
        const std::vector<std::string> paths = dir.Paths();
        for (auto _ : state) {
            for (const std::string& path : paths) {
                void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
                benchmark::DoNotOptimize(library);
                dlclose(library);
            }
        }
    });
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
