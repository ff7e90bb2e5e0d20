#include "shell/linux/desk_monitors.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>

namespace {

struct DeskWatch {
    Display* server = nullptr;  // null: the desk is SDL's
    int randrEventBase = 0;
};

DeskWatch deskWatch;

Desk SdlDesk() {
    Desk desk;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect r{};
        // One that cannot be read counts as showing nothing.
        if (SDL_GetDisplayBounds(i, &r) != 0) r = SDL_Rect{};
        desk.monitors.push_back({r.x, r.y, r.w, r.h});
    }
    // SDL puts the primary first where the system has one.
    desk.primary = 0;
    return desk;
}

}  // namespace

void WatchDesk() {
    StopWatchingDesk();
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
    Display* server = XOpenDisplay(nullptr);
    if (server == nullptr) return;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    // Monitors as a list of their own came with RandR 1.5.
    if (!XRRQueryExtension(server, &deskWatch.randrEventBase, &errorBase) || !XRRQueryVersion(server, &major, &minor) ||
        major * 100 + minor < 105) {
        XCloseDisplay(server);
        return;
    }
    XRRSelectInput(server, DefaultRootWindow(server),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    XSync(server, False);
    deskWatch.server = server;
}

bool DeskChanged(bool byNow) {
    Display* server = deskWatch.server;
    if (server == nullptr) return false;
    if (byNow) XSync(server, False);
    bool changed = false;
    while (XPending(server) > 0) {
        XEvent event;
        XNextEvent(server, &event);
        // Keeps Xlib's idea of the screen's size up to date.
        XRRUpdateConfiguration(&event);
        const int kind = event.type - deskWatch.randrEventBase;
        changed = changed || kind == RRScreenChangeNotify || kind == RRNotify;
    }
    return changed;
}

Desk ReadDesk() {
    Display* server = deskWatch.server;
    if (server == nullptr) return SdlDesk();
    int count = -1;
    XRRMonitorInfo* monitors = XRRGetMonitors(server, DefaultRootWindow(server), True, &count);
    // No list is -1; with every monitor off the list is empty.
    if (count < 0) return SdlDesk();
    Desk desk;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        desk.monitors.push_back({m.x, m.y, m.width, m.height});
    }
    desk.primary = desk.monitors.size();
    for (int i = 0; i < count; ++i)
        if (monitors[i].primary) desk.primary = static_cast<std::size_t>(i);
    if (monitors != nullptr) XRRFreeMonitors(monitors);
    return desk;
}

void StopWatchingDesk() {
    if (deskWatch.server != nullptr) XCloseDisplay(deskWatch.server);
    deskWatch = DeskWatch{};
}
