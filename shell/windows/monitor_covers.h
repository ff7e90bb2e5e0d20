// Black windows of the saver's own over every monitor but the primary, for the whole full-screen
// run. The exclusive display mode fills the primary only; without the covers the other monitors
// go on showing the desktop, which neither hides the user's work nor spares those screens.
//
// A cover is top-most, borderless, kept out of the taskbar, hides the pointer and never takes
// the focus or activation from the full-screen window. Input over it is the run's input: it is
// handed to the full-screen window, whose procedure judges it by the saver rules, so a click
// over a cover ends the run and moves over any of the saver's windows count toward one fourth.
#pragma once

#include <windows.h>

// Registers the covers' window class and covers every monitor but the globe's (the primary).
// A cover that cannot be created is left out without a word: the run goes on on the primary.
void CoverOtherMonitors();

// Looks at the monitors as they are now. When they differ from those last seen, or when told
// that they changed, the covers are moved, added and removed to fit them (a monitor whose cover
// could not be created before gets another try), *globe is set to the globe's monitor (empty
// while no monitor shows anything) and the result is true; otherwise nothing changes.
bool FollowMonitorLayout(bool told, RECT* globe);

// Destroys every cover and unregisters their class; safe when there are none.
void RemoveCovers();
