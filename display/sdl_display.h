// The SDL2 display back end's extras, for the Linux saver's shell.
#pragma once

#include <SDL.h>

#include "display/display.h"

// The next PresentFrame sends the whole frame, not only what changed: the window lost what it
// showed (an exposure).
void RepaintWholeFrame();

// The window the device draws through: our full-screen window or one made from a foreign X
// window; null while the device is down.
SDL_Window* DisplayWindow();
