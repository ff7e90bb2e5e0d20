// The second half of the entry procedure: window class, window, display device, frame timer,
// message loop and teardown, for the full-screen run and options mode alike.
#pragma once

// Runs the mode that shellState holds; the result is the process's exit code (always 0).
int RunSaver(int showCommand);

// The desk as it is now, on every tick, before a pointer move is judged, and whenever the system
// says the display changed (told). When the monitors changed, the covers are laid again, the
// full-screen window goes over the globe's monitor (the primary) wherever it now is, and when
// that monitor's size changed the scene is set up again for it, as a new run sets it up, and the
// display's chain is made again at that size (a try on each call until it is). The moves of the
// pointer counted so far are forgiven: the change made them. True when the monitors changed.
bool FollowDesk(bool told);
