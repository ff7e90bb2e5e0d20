#include "shell/linux/globe_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "display/sdl_display.h"

namespace {

// The globe's window as an X window and its server's connection, when the run is on X11.
bool GlobeX11Window(Display** server, Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (DisplayWindow() == nullptr || !SDL_GetWindowWMInfo(DisplayWindow(), &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *server = info.info.x11.display;
    *window = info.info.x11.window;
    return true;
}

// A window manager that follows the conventions holds the WM_Sn selection of the screen.
bool WindowManagerRuns(Display* server) {
    char name[32];
    SDL_snprintf(name, sizeof name, "WM_S%d", DefaultScreen(server));
    return XGetSelectionOwner(server, XInternAtom(server, name, False)) != None;
}

}  // namespace

DisplayRect GlobeWindowPlace() {
    Display* server;
    Window window;
    XWindowAttributes attributes;
    Window child;
    DisplayRect place{};
    if (GlobeX11Window(&server, &window) && XGetWindowAttributes(server, window, &attributes) != 0 &&
        XTranslateCoordinates(server, window, DefaultRootWindow(server), 0, 0, &place.x, &place.y, &child)) {
        place.width = attributes.width;
        place.height = attributes.height;
        return place;
    }
    if (DisplayWindow() == nullptr) return place;
    SDL_GetWindowPosition(DisplayWindow(), &place.x, &place.y);
    SDL_GetWindowSize(DisplayWindow(), &place.width, &place.height);
    return place;
}

void PlaceGlobeWindow(const DisplayRect& monitor) {
    Display* server;
    Window window;
    if (!GlobeX11Window(&server, &window) || WindowManagerRuns(server)) return;
    XMoveResizeWindow(server, window, monitor.x, monitor.y, static_cast<unsigned>(monitor.width),
                      static_cast<unsigned>(monitor.height));
    XRaiseWindow(server, window);
    XSync(server, False);
}

// A key must end the run whichever of its windows has the pointer, and whether or not a window
// manager gave one of them the focus (none gives it to the covers, which it does not manage). A
// keyboard held by another program stays with it; then the window manager's focus has to do.
void TakeKeyboard() {
    Display* server;
    Window window;
    if (GlobeX11Window(&server, &window))
        XGrabKeyboard(server, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

void SyncWithWindowSystem() {
    Display* server;
    Window window;
    if (GlobeX11Window(&server, &window)) XSync(server, False);
}
