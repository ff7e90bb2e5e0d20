// The about box that /c asks for: the saver has nothing to set.
#pragma once

// Shows it in a message box with OK, or on standard output where there is no display. Returns
// the exit code, 0.
int ShowAboutBox();
