// A run of the Linux saver: start-up, the 100 ms frame loop, teardown.
#pragma once

#include <cstdint>

// Full screen: our own window at the desktop's size, ended by the first key press, the first
// button press or the fourth mouse movement after start-up. Returns the exit code.
int RunFullScreen();

// As an xscreensaver hack: draws into the given window (0: the root window), takes no input,
// and ends on SIGTERM or SIGINT. Returns the exit code.
int RunInHostWindow(std::uintptr_t window);
