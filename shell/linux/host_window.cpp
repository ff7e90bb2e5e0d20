#include "shell/linux/host_window.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

#include "shell/linux/sdl_video.h"

namespace {

struct HostWindow {
    Display* display = nullptr;
    Window window = 0;
    ScreenMetrics size{};
};

HostWindow hostWindow;

std::string NoSuchWindow(std::uintptr_t window) {
    char text[160];
    std::snprintf(text, sizeof text, "the window id 0x%lx (%lu) is not a window on display %s",
                  static_cast<unsigned long>(window), static_cast<unsigned long>(window), DisplayString(hostWindow.display));
    return text;
}

}  // namespace

std::string NoDisplayOpened() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') return "no display could be opened: DISPLAY is not set";
    return std::string("no display could be opened at DISPLAY=") + display;
}

std::string WatchHostWindow(std::uintptr_t window) {
    HostWindow& h = hostWindow;
    h.display = XOpenDisplay(nullptr);
    if (h.display == nullptr) return NoDisplayOpened();
    NoteXErrors();
    h.window = window != 0 ? static_cast<Window>(window) : DefaultRootWindow(h.display);
    XWindowAttributes attributes;
    TakeXError();
    if (XGetWindowAttributes(h.display, h.window, &attributes) == 0) return NoSuchWindow(window);
    // Structure and exposure events may be selected by any number of clients, unlike input.
    XSelectInput(h.display, h.window, StructureNotifyMask | ExposureMask);
    XSync(h.display, False);
    if (TakeXError() != 0) return NoSuchWindow(window);
    h.size = {attributes.width, attributes.height};
    return {};
}

std::uintptr_t HostWindowId() { return hostWindow.window; }

ScreenMetrics HostWindowSize() { return hostWindow.size; }

HostChange ReadHostChanges() {
    HostWindow& h = hostWindow;
    HostChange change = HostChange::none;
    while (XPending(h.display) > 0) {
        XEvent event;
        XNextEvent(h.display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == h.window) return HostChange::gone;
        if (event.type == ConfigureNotify && event.xconfigure.window == h.window &&
            (event.xconfigure.width != h.size.width || event.xconfigure.height != h.size.height)) {
            h.size = {event.xconfigure.width, event.xconfigure.height};
            change = HostChange::resized;
        }
        if (event.type == Expose && change == HostChange::none) change = HostChange::exposed;
    }
    return change;
}

void StopWatchingHostWindow() {
    if (hostWindow.display != nullptr) XCloseDisplay(hostWindow.display);
    hostWindow = HostWindow{};
}
