// The monitors of the desk that a full-screen run covers, as they are now, and word of their
// changes during the run.
//
// On X11 they come from the X server's RandR extension, over an X connection of our own: SDL 2.26
// learns of monitors that are connected or disconnected, but not of those moved, resized or
// switched off, and keeps their first place for good. Elsewhere (Wayland, the console) SDL's
// displays are the monitors, and SDL's display events bring the word.
#pragma once

#include <cstddef>
#include <vector>

#include "shell/cover_layout.h"

struct Desk {
    std::vector<DisplayRect> monitors;  // in desktop pixels; on Wayland in SDL's display order
    std::size_t primary;                // monitors.size() when none is marked
};

// Starts listening for the X server's word of monitor changes when SDL runs on X11 and the server
// has RandR 1.5; otherwise does nothing, and the desk is SDL's.
void WatchDesk();

// True when the X server said, since the last call, that monitors changed; with byNow, all it
// said before it answers a question asked now (a round trip).
bool DeskChanged(bool byNow);

// The monitors as they are now.
Desk ReadDesk();

// Closes the connection WatchDesk opened; safe to repeat.
void StopWatchingDesk();
