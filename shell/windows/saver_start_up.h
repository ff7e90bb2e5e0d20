// The second half of the entry procedure: window class, window, display device, frame timer,
// message loop and teardown, for the full-screen run and options mode alike.
#pragma once

// Runs the mode that shellState holds; the result is the process's exit code (always 0).
int RunSaver(int showCommand);
