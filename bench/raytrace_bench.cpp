// The raytracer's demo scene, rendered as the viewer shows it (every pixel traced into the
// surface, then stretched into a window), against POV-Ray rendering the same scene
// (corvel_demo.pov beside this file) at 800 x 600, without anti-aliasing, on one work
// thread, into a PNG file. POV-Ray is timed twice: as a whole process, and by the trace
// time it reports itself. Rays per second count the primary, shadow, reflected and
// transmitted rays of a frame.
//
// The frame alone leaves out what a user also waits for: the demo as the viewer runs it
// (the renderer's RunDemo through the plug-in that the renderer manager loaded, with the
// viewer's picture and its loaders held) builds the scene, aims the rays and takes the
// scene down again around the frame.
#include "corvel.h"
#include "kxdemoscene.h"
#include "benchtable.h"
#include "tempdir.h"

#include "kxgdi.h"
#include "kxhandle.h"
#include "kxmanager.h"
#include "kxpicture.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

void CorvelDemo(benchmark::State& state, int width, int height)
{
    ScopedTempDir dir;
    dir.Enter();
    kxgdi::HWND window = kxgdi::CreateWindowSurface();
    kxgdi::PlaceWindow(window, {0, 0, width, height}, {0, 0, width, height});
    KXHANDLE view;
    view.Attach(&window);
    {
        CORVEL renderer;
        if (!renderer.Init(&view, width, height, 32, 0)) {
            state.SkipWithError("the renderer could not be initialised");
            return;
        }
        KXDEMOSCENE scene;
        scene.Stage(&renderer); // aims the rays from the demo's camera
        for (auto _ : state) {
            scene.GetWorld().Render();
            benchmark::DoNotOptimize(renderer.GetBits()[width * height / 2]);
        }
        const double rays = static_cast<double>(renderer.GetRayCount());
        state.counters["rays_per_frame"] = rays;
        state.counters["rays_per_second"] = benchmark::Counter(
            rays * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        scene.GetWorld().Clear();
    }
    kxgdi::DestroyWindowSurface(window);
}

// The renderer's demo as the viewer's command runs it: the renderer found by a manager in
// the current directory (the program runs in the viewer's folder), initialised once on a
// window, then RunDemo each time; the viewer's picture is held, with its loader set, as
// in the viewer.
void RunDemoAsTheViewer(benchmark::State& state, int width, int height)
{
    KXPICTURE shown;
    KXMANAGER renderers;
    if (renderers.LoadModules(KXKIND_RENDERER, 0) == 0) {
        state.SkipWithError("no renderer plug-in here: run in the viewer's folder");
        return;
    }
    auto* renderer = static_cast<KXRENDERER*>(renderers[0]);
    kxgdi::HWND window = kxgdi::CreateWindowSurface();
    kxgdi::PlaceWindow(window, {0, 0, width, height}, {0, 0, width, height});
    KXHANDLE view;
    view.Attach(&window);
    if (!renderer->Init(&view, width, height, 32, 0)) {
        state.SkipWithError("the renderer could not be initialised");
    } else {
        for (auto _ : state)
            benchmark::DoNotOptimize(renderer->RunDemo(0));
    }
    renderer->Release();
    kxgdi::DestroyWindowSurface(window);
}

// POV-Ray's run on the demo scene in a directory of its own: the scene file is read from
// there and the picture written there.
class POVRAYRUN {
public:
    POVRAYRUN()
    {
        std::filesystem::copy_file(PELISK_POV_SCENE, dir.Path() / "corvel_demo.pov");
        dir.Enter();
    }

    static bool Installed()
    {
        const char* path = std::getenv("PATH");
        std::stringstream folders(path != nullptr ? path : "");
        std::string folder;
        while (std::getline(folders, folder, ':'))
            if (!folder.empty() && access((folder + "/povray").c_str(), X_OK) == 0)
                return true;
        return false;
    }

    // Renders once; returns the whole process's seconds and sets the reported trace time.
    // Negative when the render failed.
    double Render(double& traceSeconds)
    {
        std::filesystem::remove("demo.png");
        const std::vector<std::string> arguments = {
            "povray", "+Icorvel_demo.pov", "+Odemo.png", "+FN", "+W800", "+H600", "-A", "+WT1",
            "-D"};
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "povray.out", O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, "povray.err", O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);

        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        int status = 0;
        const bool ran =
            posix_spawnp(&child, "povray", &actions, nullptr, argv.data(), environ) == 0 &&
            waitpid(child, &status, 0) == child;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        posix_spawn_file_actions_destroy(&actions);
        if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            std::filesystem::file_size("demo.png") == 0)
            return -1.0;
        traceSeconds = ReportedTraceTime();
        return traceSeconds < 0.0 ? -1.0 : elapsed.count();
    }

private:
    // "Trace Time:       0 hours  0 minutes  0 seconds (0.145 seconds)"
    static double ReportedTraceTime()
    {
        std::ifstream report("povray.err");
        std::string line;
        while (std::getline(report, line)) {
            const std::size_t at = line.find("Trace Time:");
            const std::size_t open = line.rfind('(');
            if (at != std::string::npos && open != std::string::npos)
                return std::atof(line.c_str() + open + 1);
        }
        return -1.0;
    }

    ScopedTempDir dir;
};

// whole: the process from start to exit; otherwise the trace time POV-Ray reports.
void Povray(benchmark::State& state, bool whole)
{
    if (!POVRAYRUN::Installed()) {
        state.SkipWithError("POV-Ray is not installed (Debian package povray): peer skipped");
        return;
    }
    POVRAYRUN run;
    for (auto _ : state) {
        double trace = 0.0;
        const double process = run.Render(trace);
        if (process < 0.0) {
            state.SkipWithError("POV-Ray did not render the scene");
            return;
        }
        state.SetIterationTime(whole ? process : trace);
    }
}

void PovrayProcess(benchmark::State& state)
{
    Povray(state, true);
}

void PovrayTrace(benchmark::State& state)
{
    Povray(state, false);
}

// Our side at the viewer's default size and at POV-Ray's; POV-Ray is timed as a whole
// process and by its own trace time, the fairer of the two, since our frame excludes the
// scene's setup as its trace time excludes parsing.
void Setup()
{
    AddSide({"raytracer demo frame", "256x256", "-"}, oursSide, BENCHCLOCK::wall,
            [](benchmark::State& state) { CorvelDemo(state, 256, 256); });
    const BENCHCASE frame{"raytracer demo frame", "800x600", "-"};
    AddSide(frame, oursSide, BENCHCLOCK::wall,
            [](benchmark::State& state) { CorvelDemo(state, 800, 600); });
    AddSide(frame, "POV-Ray process", BENCHCLOCK::wall, PovrayProcess)
        ->UseManualTime()
        ->Iterations(1);
    AddSide(frame, "POV-Ray trace", BENCHCLOCK::wall, PovrayTrace)->UseManualTime()->Iterations(1);
    // The whole demo, set-up included, against POV-Ray's trace alone.
    const BENCHCASE demo{"raytracer RunDemo, whole", "800x600", "-"};
    AddSide(demo, oursSide, BENCHCLOCK::wall,
            [](benchmark::State& state) { RunDemoAsTheViewer(state, 800, 600); });
    AddSide(demo, "POV-Ray trace", BENCHCLOCK::wall, PovrayTrace)->UseManualTime()->Iterations(1);
}

[[maybe_unused]] const bool registered = AddSetup(Setup);

} // namespace
