// SDL's video started for the saver: only drivers that show a person something, so that without
// a display SDL fails instead of drawing into its offscreen driver.
#pragma once

constexpr const char* x11Driver = "x11";

// True when WAYLAND_DISPLAY names a compositor's socket.
bool InWaylandSession();

// Wayland first within a Wayland session, X11 (Xwayland there) next, or the console's kernel
// mode setting.
const char* ScreenDrivers();

// True when SDL's video is up with one of the given drivers (a comma-separated list, which the
// SDL_VIDEODRIVER variable overrides); SDL_GetError says why not.
bool StartSdlVideo(const char* drivers);
