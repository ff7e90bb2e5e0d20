// The X server's idle time comes from its screen-saver extension, which every X server has
// (Xorg, Xvfb, Xwayland). A server that cannot be asked counts as one with nobody at it: the
// message still goes to stderr, and a process that nobody answers must not wait.
#include "shell/linux/started_by_hand.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include "shell/linux/sdl_video.h"

namespace {
constexpr unsigned long handStartIdleLimit = 2000;  // milliseconds since the last input
}

bool StartedByHand() {
    if (InWaylandSession()) return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    int eventBase = 0;
    int errorBase = 0;
    bool recent = false;
    if (XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (info != nullptr && XScreenSaverQueryInfo(display, DefaultRootWindow(display), info) != 0)
            recent = info->idle < handStartIdleLimit;
        XFree(info);
    }
    XCloseDisplay(display);
    return recent;
}
