#include "shell/linux/sdl_video.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>

namespace {

int lastXError = 0;

int NoteXError(Display*, XErrorEvent* error) {
    lastXError = error->error_code;
    return 0;
}

}  // namespace

void NoteXErrors() { XSetErrorHandler(NoteXError); }

int TakeXError() {
    const int error = lastXError;
    lastXError = 0;
    return error;
}

bool InWaylandSession() {
    const char* socket = std::getenv("WAYLAND_DISPLAY");
    return socket != nullptr && socket[0] != '\0';
}

const char* ScreenDrivers() {
    // In a Wayland session a native client is the only one that the compositor lets cover every
    // output: it moves X11 windows where it likes. Outside one, libwayland would complain on
    // stderr before SDL moved on.
    return InWaylandSession() ? "wayland,x11,KMSDRM" : "x11,KMSDRM";
}

bool StartSdlVideo(const char* drivers) {
    // Our own flag answers SIGTERM and SIGINT; SDL would turn them into a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A screen saver must not hold off the system's own blanking and power saving.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
    return SDL_Init(SDL_INIT_VIDEO) == 0;
}
