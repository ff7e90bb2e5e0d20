// The run follows the Windows module's order: the screen's size, the map and the scene, the
// display, a trial lock, the start-up mouse flush, then one frame per 100 ms tick until the run
// ends, and teardown in reverse. A failure is said in words a Linux user knows (the Windows
// module speaks of DirectX), and unlike the Windows module the process then exits with 1, so
// that scripts and xscreensaver can tell.
//
// Where the full-screen window goes and how big it is are the window manager's or the
// compositor's to decide, not ours: the scene is sized from the window we were given, the
// covers go round the display it is on, and both follow when that changes.
#include "shell/linux/saver_run.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "display/sdl_display.h"
#include "scene/platform_seam.h"
#include "shell/builtin_map.h"
#include "shell/linux/display_covers.h"
#include "shell/linux/host_window.h"
#include "shell/linux/linux_seam.h"
#include "shell/linux/saver_input.h"
#include "shell/linux/sdl_video.h"
#include "shell/linux/started_by_hand.h"
#include "shell/map_image.h"
#include "shell/saver_rules.h"

namespace {

constexpr int exitFailure = 1;
constexpr Uint64 tickInterval = 100;  // milliseconds

struct LinuxShell {
    bool hack;  // drawing into another program's window
    ScreenMetrics screen;
    int globeDisplay;  // the display the covers leave to the globe's window
};

LinuxShell linuxShell;
volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// Says what failed, on standard error and, in a full-screen run that someone started by hand,
// in a message box.
int Fail(const std::string& text) {
    ShowUserMessage(text.c_str());
    return exitFailure;
}

// What SDL said about the last failure, when it said anything.
std::string SdlReason() {
    const char* reason = SDL_GetError();
    return reason != nullptr && reason[0] != '\0' ? std::string(" (SDL: ") + reason + ")" : std::string();
}

int FailNoDisplay() { return Fail(NoDisplayOpened() + SdlReason()); }

// The map linked into the program, and the scene set up on it for the screen.
bool SetUpForScreen() {
    const char* failure = SetUpSceneFromMap(linuxShell.screen, BuiltInMapBytes(), BuiltInMapSize());
    if (failure == nullptr) return true;
    Fail(std::string("the built-in map could not be used: ") + failure);
    return false;
}

// The display brought up and its memory tried once, before any frame depends on it.
int BringUpDisplay(std::uintptr_t window) {
    const ScreenMetrics& screen = linuxShell.screen;
    if (CreateDisplay({window, screen.width, screen.height, 0}) == 0) {
        char size[40];
        std::snprintf(size, sizeof size, "%dx%d", screen.width, screen.height);
        const char* driver = SDL_GetCurrentVideoDriver();
        return Fail(std::string("no window or no frame memory could be had for a ") + size + " frame on SDL's " +
                    (driver != nullptr ? driver : "unknown") + " video driver" + SdlReason());
    }
    if (LockBackBuffer().pixels == nullptr) {
        DestroyDisplay();
        return Fail("there is no frame memory to draw into");
    }
    UnlockBackBuffer();
    return 0;
}

bool IsExposure(const SDL_Event& event) {
    return event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED;
}

// The globe's window as an X window and its server's connection, when the run is on X11.
bool GlobeX11Window(Display** server, Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(DisplayWindow(), &info) || info.subsystem != SDL_SYSWM_X11) return false;
    *server = info.info.x11.display;
    *window = info.info.x11.window;
    return true;
}

// The display the globe's window is on: the one it overlaps most. A window manager may have put
// it on another display than the one asked for (the focused one), and SDL may not know yet where:
// on X11 the server is asked.
int GlobeDisplay() {
    SDL_Rect r;
    SDL_GetWindowPosition(DisplayWindow(), &r.x, &r.y);
    SDL_GetWindowSize(DisplayWindow(), &r.w, &r.h);
    Display* server;
    Window window;
    Window child;
    if (GlobeX11Window(&server, &window))
        XTranslateCoordinates(server, window, DefaultRootWindow(server), 0, 0, &r.x, &r.y, &child);
    const int display = SDL_GetRectDisplayIndex(&r);
    return display >= 0 ? display : 0;
}

// The covers over the other displays: painted again when exposed, laid out afresh when a
// display comes or goes. True when the event was theirs.
bool FollowOtherDisplays(const SDL_Event& event) {
    if (IsExposure(event) && IsDisplayCover(event.window.windowID)) {
        PaintDisplayCovers();
        return true;
    }
    if (event.type == SDL_DISPLAYEVENT && (event.display.event == SDL_DISPLAYEVENT_CONNECTED ||
                                           event.display.event == SDL_DISPLAYEVENT_DISCONNECTED)) {
        linuxShell.globeDisplay = GlobeDisplay();
        CoverOtherDisplays(linuxShell.globeDisplay);
        return true;
    }
    return false;
}

// On X11 the run takes the keyboard, as X11 screen savers do: a key must end it whichever of its
// windows has the pointer, and whether or not a window manager gave one of them the focus (none
// gives it to the covers, which it does not manage). A keyboard held by another program stays
// with it; then the window manager's focus has to do.
void TakeKeyboard() {
    Display* server;
    Window window;
    if (GlobeX11Window(&server, &window))
        XGrabKeyboard(server, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

// Mouse events queued while the window appeared (SDL reports the pointer entering it as a
// move) must not count towards the four moves that end the run: wait until the window is on the
// screen, take in everything the X server has said by then, and drop the mouse's part.
void FlushStartUpMouse() {
    SDL_Event event;
    SDL_Event keyPress{};  // a key pressed meanwhile still ends the run
    const Uint64 giveUpAt = SDL_GetTicks64() + 2000;
    while (SDL_GetTicks64() < giveUpAt && SDL_WaitEventTimeout(&event, 100) != 0) {
        if (event.type == SDL_KEYDOWN) keyPress = event;
        if (IsExposure(event) && event.window.windowID == SDL_GetWindowID(DisplayWindow())) break;
    }
    Display* server;
    Window window;
    if (GlobeX11Window(&server, &window)) XSync(server, False);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP);
    if (keyPress.type == SDL_KEYDOWN) SDL_PushEvent(&keyPress);
    PaintDisplayCovers();  // their exposures were taken in above
}

// The scene is set up for one size, so a window that changes size gets a new run at its new
// size: new stars, the globe back at the start of its orbit. Our own window is made anew, full
// screen as before; a host window is taken again.
int StartAgainAtSize(ScreenMetrics size) {
    DestroyDisplay();
    linuxShell.screen = size;
    if (!SetUpForScreen()) return exitFailure;
    if (linuxShell.hack) return BringUpDisplay(HostWindowId());
    if (const int failed = BringUpDisplay(0)) return failed;
    TakeKeyboard();
    return 0;
}

// The globe's window as the window manager or compositor made it: the covers round its display,
// and a new run when its size is not the scene's. Returns an exit code, 0 while the run goes on.
int FollowGlobeWindow() {
    const int display = GlobeDisplay();
    if (display != linuxShell.globeDisplay) {
        linuxShell.globeDisplay = display;
        CoverOtherDisplays(display);
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowSizeInPixels(DisplayWindow(), &width, &height);
    if (width == linuxShell.screen.width && height == linuxShell.screen.height) return 0;
    return StartAgainAtSize({width, height});
}

// The globe's window moved or changed size: the window manager placed it after it appeared, or
// the display it is on changed.
bool IsGlobeWindowPlaced(const SDL_Event& event) {
    return event.type == SDL_WINDOWEVENT &&
           (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_MOVED) &&
           event.window.windowID == SDL_GetWindowID(DisplayWindow());
}

// 0 while the run goes on; otherwise what ended it: -1 for a normal end, or an exit code.
int HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_QUIT) return -1;
    if (!linuxShell.hack && FollowOtherDisplays(event)) return 0;
    if (!linuxShell.hack && IsGlobeWindowPlaced(event)) return FollowGlobeWindow();
    if (IsExposure(event)) RepaintWholeFrame();
    if (linuxShell.hack) return 0;  // a hack takes no input
    return JudgeSaverInput(SaverInputOf(event)) == SaverVerdict::endRun ? -1 : 0;
}

// 0 while the run goes on; otherwise what ended it: -1 for a normal end, or an exit code.
int FollowHostWindow() {
    switch (ReadHostChanges()) {
    case HostChange::none:
        return 0;
    case HostChange::exposed:
        RepaintWholeFrame();
        return 0;
    case HostChange::resized:
        return StartAgainAtSize(HostWindowSize());
    case HostChange::gone:
        std::fprintf(stderr, "quillomantrase: the window we drew into is gone\n");
        return -1;
    }
    return 0;
}

// One frame per tick, about ten a second; a late frame delays the next tick but ticks never
// pile up: after a stall of a tick or more (a stopped process, a busy machine) the next tick
// comes a whole interval later, not at once. Returns the exit code.
int RunFrames() {
    Uint64 nextTick = SDL_GetTicks64() + tickInterval;
    for (;;) {
        if (stopRequested) return 0;
        if (linuxShell.hack) {
            const int ended = FollowHostWindow();
            if (ended != 0) return ended < 0 ? 0 : ended;
        }
        const Uint64 now = SDL_GetTicks64();
        if (now >= nextTick) {
            RunSaverTick();
            nextTick = now - nextTick < tickInterval ? nextTick + tickInterval : now + tickInterval;
            continue;
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, static_cast<int>(nextTick - now)) == 0) continue;
        const int ended = HandleEvent(event);
        if (ended != 0) return ended < 0 ? 0 : ended;
    }
}

int RunAndTearDown() {
    const int exitCode = RunFrames();
    DestroyDisplay();
    RemoveDisplayCovers();
    FreeMapImage();
    SDL_Quit();
    return exitCode;
}

}  // namespace

int RunFullScreen() {
    linuxShell.hack = false;
    CatchStopSignals();
    const bool byHand = StartedByHand();  // asked first: the start-up takes time of its own
    if (!StartSdlVideo(ScreenDrivers())) return FailNoDisplay();
    ShowMessagesInBoxes(byHand);
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return Fail("the screen's size could not be read" + SdlReason());
    linuxShell.screen = {desktop.w, desktop.h};
    SDL_ShowCursor(SDL_DISABLE);
    if (!SetUpForScreen()) return exitFailure;
    // Covered first, so that the globe's window stacks above them where displays overlap.
    ChooseWindowSurfaces();
    linuxShell.globeDisplay = 0;
    CoverOtherDisplays(0);
    if (const int failed = BringUpDisplay(0)) {
        RemoveDisplayCovers();
        return failed;
    }
    TakeKeyboard();
    if (const int failed = FollowGlobeWindow()) {
        RemoveDisplayCovers();
        return failed;
    }
    FlushStartUpMouse();
    StartSaverRun();
    return RunAndTearDown();
}

int RunInHostWindow(std::uintptr_t window) {
    linuxShell.hack = true;
    CatchStopSignals();
    const std::string problem = WatchHostWindow(window);
    if (!problem.empty()) return Fail(problem);
    // The window is an X window, whatever SDL would pick by itself.
    if (!StartSdlVideo(x11Driver)) return FailNoDisplay();
    linuxShell.screen = HostWindowSize();
    if (!SetUpForScreen()) return exitFailure;
    if (const int failed = BringUpDisplay(HostWindowId())) return failed;
    const int exitCode = RunAndTearDown();
    StopWatchingHostWindow();
    return exitCode;
}
