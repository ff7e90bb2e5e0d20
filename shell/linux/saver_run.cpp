// The run follows the Windows module's order: the screen's size, the map and the scene, the
// display, a trial lock, the start-up mouse flush, then one frame per 100 ms tick until the run
// ends, and teardown in reverse. A failure is said in words a Linux user knows (the Windows
// module speaks of DirectX), and unlike the Windows module the process then exits with 1, so
// that scripts and xscreensaver can tell.
//
// Where the full-screen window goes and how big it is are the window manager's or the
// compositor's to decide, not ours: the scene is sized from the window we were given, the
// covers go round the monitor it is on, and both follow when that changes. Only where nobody
// places windows (X11 without a window manager) does the run put its window on the primary
// monitor itself, at the start and whenever the monitors change.
#include "shell/linux/saver_run.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "display/sdl_display.h"
#include "scene/platform_seam.h"
#include "shell/builtin_map.h"
#include "shell/linux/desk_monitors.h"
#include "shell/linux/display_covers.h"
#include "shell/linux/globe_window.h"
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

// The display could not be brought up for the screen's size: which size, on which driver, and why.
int FailNoFrame() {
    const ScreenMetrics& screen = linuxShell.screen;
    char size[40];
    std::snprintf(size, sizeof size, "%dx%d", screen.width, screen.height);
    const char* driver = SDL_GetCurrentVideoDriver();
    return Fail(std::string("no window or no frame memory could be had for a ") + size + " frame on SDL's " +
                (driver != nullptr ? driver : "unknown") + " video driver" + SdlReason());
}

// The display brought up and its memory tried once, before any frame depends on it.
int BringUpDisplay(std::uintptr_t window) {
    const ScreenMetrics& screen = linuxShell.screen;
    if (CreateDisplay({window, screen.width, screen.height, 0}) == 0) return FailNoFrame();
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
    SyncWithWindowSystem();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP);
    if (keyPress.type == SDL_KEYDOWN) SDL_PushEvent(&keyPress);
    PaintDisplayCovers();  // their exposures were taken in above
}

// The scene is set up for one size, so a window that changes size gets a new run at its new
// size: new stars, the globe back at the start of its orbit. Our own window goes on at its new
// size; a host window is taken again, since SDL does not follow another program's window.
int StartAgainAtSize(ScreenMetrics size) {
    linuxShell.screen = size;
    if (linuxShell.hack) {
        DestroyDisplay();
        if (!SetUpForScreen()) return exitFailure;
        return BringUpDisplay(HostWindowId());
    }
    if (!SetUpForScreen()) return exitFailure;
    if (ResizeDisplay(size.width, size.height) == 0) return FailNoFrame();
    return 0;
}

// The pointer moves that a change of the desk or of the windows made are no one's: the X server
// keeps the pointer on a screen that shrinks, and SDL tells a window moved under the pointer as a
// move of the pointer. Those counted so far are forgiven, and those still queued once the window
// system has done what it was asked are dropped.
void ForgetPointerMoves() {
    StartSaverRun();
    SyncWithWindowSystem();
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_MOUSEMOTION);
}

// The globe's window as the window system has it now: the covers round the monitor it is on,
// and a new run when its size is not the scene's. Returns an exit code, 0 while the run goes on.
int FollowGlobeWindow(const Desk& desk) {
    CoverOtherDisplays(desk.monitors, MonitorUnder(desk.monitors, GlobeWindowPlace()));
    int width = 0;
    int height = 0;
    // SDL's size, which its surface has: the window system's news of a new one comes as an event.
    SDL_GetWindowSizeInPixels(DisplayWindow(), &width, &height);
    if (width == linuxShell.screen.width && height == linuxShell.screen.height) return 0;
    return StartAgainAtSize({width, height});
}

// The globe's window lies on no monitor: its own went, and a compositor (or window manager) left
// it where nothing shows it. It is made anew, full screen on the first monitor SDL has, for a run
// of that monitor's size; the covers then go round it.
int RemakeGlobeWindow(const DisplayRect& monitor) {
    DestroyDisplay();
    linuxShell.screen = {monitor.width, monitor.height};
    if (!SetUpForScreen()) return exitFailure;
    if (const int failed = BringUpDisplay(0)) return failed;
    TakeKeyboard();
    return 0;
}

// The monitors changed: a monitor came, went, moved, changed its size or was switched off, or
// another became the primary. Where nobody else places windows, the globe's goes to the primary
// (or the first monitor left); then it is followed wherever it is. While every monitor is off
// there is nothing to fit, and everything stays as it was.
int FollowDesk() {
    const Desk desk = ReadDesk();
    const std::size_t globe = GlobeMonitor(desk.monitors, desk.primary);
    int ended = 0;
    if (globe < desk.monitors.size()) {
        PlaceGlobeWindow(desk.monitors[globe]);
        if (MonitorUnder(desk.monitors, GlobeWindowPlace()) == desk.monitors.size())
            ended = RemakeGlobeWindow(desk.monitors[globe]);
        if (ended == 0) ended = FollowGlobeWindow(desk);
    }
    ForgetPointerMoves();
    return ended;
}

// The window manager or the compositor placed the globe's window, or gave it another size.
int FollowPlacedGlobeWindow() {
    const int ended = FollowGlobeWindow(ReadDesk());
    ForgetPointerMoves();
    return ended;
}

// The globe's window moved or changed size: the window manager placed it after it appeared, or
// the display it is on changed.
bool IsGlobeWindowPlaced(const SDL_Event& event) {
    return event.type == SDL_WINDOWEVENT &&
           (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_MOVED) &&
           event.window.windowID == SDL_GetWindowID(DisplayWindow());
}

bool IsDisplayComingOrGoing(const SDL_Event& event) {
    return event.type == SDL_DISPLAYEVENT && (event.display.event == SDL_DISPLAYEVENT_CONNECTED ||
                                              event.display.event == SDL_DISPLAYEVENT_DISCONNECTED);
}

// 0 while the run goes on; otherwise what ended it: -1 for a normal end, or an exit code.
int HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_QUIT) return -1;
    if (!linuxShell.hack && IsExposure(event) && IsDisplayCover(event.window.windowID)) {
        PaintDisplayCovers();
        return 0;
    }
    if (!linuxShell.hack && IsDisplayComingOrGoing(event)) return FollowDesk();
    if (!linuxShell.hack && IsGlobeWindowPlaced(event)) return FollowPlacedGlobeWindow();
    if (IsExposure(event)) RepaintWholeFrame();
    if (linuxShell.hack) return 0;  // a hack takes no input
    const SaverInput input = SaverInputOf(event);
    // The X server tells of a change of the monitors before the pointer moves it made.
    if (input == SaverInput::pointerMove && DeskChanged(true)) return FollowDesk();
    return JudgeSaverInput(input) == SaverVerdict::endRun ? -1 : 0;
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
        const int changed = linuxShell.hack ? FollowHostWindow() : DeskChanged(false) ? FollowDesk() : 0;
        if (changed != 0) return changed < 0 ? 0 : changed;
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
    StopWatchingDesk();
    FreeMapImage();
    SDL_Quit();
    return exitCode;
}

}  // namespace

int RunFullScreen() {
    linuxShell.hack = false;
    CatchStopSignals();
    const bool byHand = StartedByHand();  // asked first: the start-up takes time of its own
    NoteXErrors();
    if (!StartSdlVideo(ScreenDrivers())) return FailNoDisplay();
    ShowMessagesInBoxes(byHand);
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return Fail("the screen's size could not be read" + SdlReason());
    linuxShell.screen = {desktop.w, desktop.h};
    SDL_ShowCursor(SDL_DISABLE);
    if (!SetUpForScreen()) return exitFailure;
    WatchDesk();
    // Covered first, so that the globe's window stacks above them where displays overlap.
    ChooseWindowSurfaces();
    const Desk desk = ReadDesk();
    CoverOtherDisplays(desk.monitors, GlobeMonitor(desk.monitors, desk.primary));
    if (const int failed = BringUpDisplay(0)) {
        RemoveDisplayCovers();
        StopWatchingDesk();
        return failed;
    }
    TakeKeyboard();
    if (const int failed = FollowDesk()) {
        RemoveDisplayCovers();
        StopWatchingDesk();
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
