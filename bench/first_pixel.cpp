// A whole program timed from outside, as a user sees it: starts the command and watches the
// X server's screen until the colour given shows at the centre of a window that the
// command mapped. Every side of the whole-viewer benchmarks runs under it, so every figure
// ends at the same event: the picture on the screen, not one program's own paint event or
// exit. The pictures of those benchmarks carry a block of that colour over their centre,
// and every viewer measured fits the picture to its window, so the window's centre shows
// the block once the picture is on the screen.
//
//   first_pixel RRGGBB COMMAND [ARGUMENTS...]
//
// Prints three readings of the monotonic clock, in seconds: just before the command
// starts, when its first window was mapped, and when the colour was seen. Then it ends the
// command (SIGKILL: how a program closes is not what is measured) and waits for it, so the
// peak memory that GNU time reports for this program includes the command's.
#include "clockseconds.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// How long the command may take to show the picture, and the last run's windows to leave
// the screen.
constexpr double kPatience = 20.0;
constexpr double kEmptyingPatience = 2.0;
// How often the screen is read between the server's events: the resolution of the figure,
// since drawing into a window sends no event.
constexpr timespec kPollInterval{0, 200'000};
// A viewer may round a channel by a step or two as it scales.
constexpr int kTolerance = 8;

struct WATCHED {
    Window window;
    int centreX;
    int centreY;
};

bool Near(unsigned long pixel, unsigned long colour)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF);
        const int b = static_cast<int>((colour >> shift) & 0xFF);
        if (std::abs(a - b) > kTolerance)
            return false;
    }
    return true;
}

// The window's centre on the screen, from its place and size; false once it is gone.
bool Locate(Display* display, Window window, WATCHED& watched)
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable)
        return false;
    const int border = attributes.border_width;
    watched = {window, attributes.x + border + attributes.width / 2,
               attributes.y + border + attributes.height / 2};
    return true;
}

unsigned long ScreenPixel(Display* display, int x, int y)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

// A window the root still shows from an earlier run would show its picture through a new
// window that has no background of its own: wait until the root has no mapped window, then
// paint it afresh. A screen that keeps windows of its own (a desktop) is refused: the
// figures are for a screen that shows nothing but the program measured.
bool WaitForEmptyScreen(Display* display)
{
    const Window root = DefaultRootWindow(display);
    const double until = ClockSeconds() + kEmptyingPatience;
    for (;;) {
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        bool mapped = false;
        if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) != 0) {
            for (unsigned i = 0; i < count && !mapped; ++i) {
                XWindowAttributes attributes;
                mapped = XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                         attributes.map_state != IsUnmapped;
            }
            XFree(children);
        }
        if (!mapped)
            break;
        if (ClockSeconds() > until)
            return false;
        usleep(1000);
    }
    XClearWindow(display, root);
    XSync(display, False);
    return true;
}

// The server may refuse a connection for a moment while it takes down the last run's
// client: a few tries, before the clock starts.
Display* Connect()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr))
            return display;
        usleep(20'000);
    }
    return nullptr;
}

// Ignores the errors of a window that went away between its event and a request about it.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

pid_t Start(char** command)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The command's output is not the watch's: only this program's readings reach the
    // benchmark.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const bool started = posix_spawnp(&child, command[0], &actions, nullptr, command, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? child : -1;
}

void Stop(pid_t child)
{
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

// Takes the server's events: a window mapped on the root joins the watch, one that moved
// or changed its size is located again. The first mapping's time goes to mappedAt.
void TakeEvents(Display* display, std::vector<WATCHED>& watched, double& mappedAt)
{
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        Window window = 0;
        if (event.type == MapNotify)
            window = event.xmap.window;
        else if (event.type == ConfigureNotify)
            window = event.xconfigure.window;
        else
            continue;
        if (event.type == MapNotify && mappedAt == 0.0)
            mappedAt = ClockSeconds();
        WATCHED located;
        const bool there = Locate(display, window, located);
        bool known = false;
        for (WATCHED& entry : watched) {
            if (entry.window == window) {
                known = true;
                if (there)
                    entry = located;
            }
        }
        if (!known && there && event.type == MapNotify)
            watched.push_back(located);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: first_pixel RRGGBB COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    const unsigned long colour = std::strtoul(argv[1], nullptr, 16);
    Display* display = Connect();
    if (display == nullptr) {
        std::fprintf(stderr, "first_pixel: no display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreError);
    if (!WaitForEmptyScreen(display)) {
        std::fprintf(stderr, "first_pixel: the screen keeps other windows; it needs an X server "
                             "of its own (scripts/bench starts one)\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double startedAt = ClockSeconds();
    const pid_t child = Start(argv + 2);
    if (child < 0) {
        std::fprintf(stderr, "first_pixel: cannot start %s\n", argv[2]);
        return 1;
    }
    std::vector<WATCHED> watched;
    double mappedAt = 0.0;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        TakeEvents(display, watched, mappedAt);
        for (const WATCHED& entry : watched) {
            if (Near(ScreenPixel(display, entry.centreX, entry.centreY), colour)) {
                const double seenAt = ClockSeconds();
                Stop(child);
                std::printf("%.9f %.9f %.9f\n", startedAt, mappedAt, seenAt);
                return 0;
            }
        }
        const bool ended = waitpid(child, nullptr, WNOHANG) == child;
        if (ended || ClockSeconds() - startedAt > kPatience) {
            std::fprintf(stderr, "first_pixel: %s showed no picture\n", argv[2]);
            if (!ended)
                Stop(child);
            return 1;
        }
        // Wakes on the server's next event, or after a short while to read the screen again.
        ppoll(&connection, 1, &kPollInterval, nullptr);
    }
}
