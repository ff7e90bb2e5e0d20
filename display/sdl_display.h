// The SDL2 display back end's extras, for the Linux saver's shell.
#pragma once

#include <SDL.h>

#include "display/display.h"

// Tells SDL how to back the window surfaces made from now on, for the video driver that runs:
// plain memory on X11, a texture on Wayland. CreateDisplay does it for its own window.
void ChooseWindowSurfaces();

// The device goes on in the same window with a frame of a new size (the window's own after the
// window system resized it): 1 when it is up at that size; 0 with the device, window and all,
// down.
int ResizeDisplay(std::int32_t width, std::int32_t height);

// The next PresentFrame sends the whole frame, not only what changed: the window lost what it
// showed (an exposure).
void RepaintWholeFrame();

// The window the device draws through: our full-screen window or one made from a foreign X
// window; null while the device is down.
SDL_Window* DisplayWindow();
