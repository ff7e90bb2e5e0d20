// The full-screen run's black windows over every display but the one that shows the globe, so
// that no other monitor goes on showing the desktop. They take input like the globe's window
// does (SDL puts every window's events in the one queue) and show no pointer (SDL hides it over
// all of its windows).
#pragma once

#include <SDL.h>

// Creates a borderless black window over each display SDL reports other than the one that shows
// the globe; the window surfaces are as ChooseWindowSurfaces set them. A display whose window
// cannot be created stays uncovered, with a line on stderr: the run goes on without it.
void CoverOtherDisplays(int shownDisplay);

// Paints the covers black again, after an exposure wiped what they showed.
void PaintDisplayCovers();

// True when the window is one of the covers.
bool IsDisplayCover(Uint32 windowId);

// Destroys every cover; safe to repeat.
void RemoveDisplayCovers();
