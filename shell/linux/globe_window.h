// The globe's full-screen window as the window system has it. On X11 the server is asked and
// told directly: SDL takes a full-screen window's place from the display it started on, which it
// never learns has moved, and moves no window when the monitors change.
#pragma once

#include "shell/cover_layout.h"

// Where the window is on the desktop and how big: on X11 as the server has it now (a window
// manager may have placed it since), elsewhere as SDL last heard.
DisplayRect GlobeWindowPlace();

// Moves the window onto the monitor and gives it that monitor's size, on X11 where no window
// manager runs (one that does places its full-screen windows itself, and so does a compositor).
void PlaceGlobeWindow(const DisplayRect& monitor);

// On X11 the run takes the keyboard, as X11 screen savers do.
void TakeKeyboard();

// Waits until the X server has handled everything asked of it so far (nothing elsewhere).
void SyncWithWindowSystem();
