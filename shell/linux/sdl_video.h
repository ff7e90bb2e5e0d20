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

// From now on an X error is noted, never fatal: Xlib's own handler ends the process, and SDL
// hands errors on to the handler it finds when it starts, so this comes first. A request that
// meets a window gone meanwhile is no reason to end a run: SDL wakes its wait with a message to
// its newest window over a connection of its own, which may reach the server after that window
// (a cover of a monitor just unplugged) was destroyed.
void NoteXErrors();

// The code of the last X error noted since the last call; 0 when there was none.
int TakeXError();
