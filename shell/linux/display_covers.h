// The full-screen run's black windows over every monitor but the one that shows the globe, so
// that no other monitor goes on showing the desktop. They take input like the globe's window
// does (SDL puts every window's events in the one queue) and show no pointer (SDL hides it over
// all of its windows).
#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "shell/cover_layout.h"

// Lays the covers for the monitors as they are now (on Wayland in SDL's display order), around
// the one at index globe. A cover whose place stays is kept; on X11 a cover whose place went
// moves to a new place, or is hidden and kept for a later one; any other new place gets a
// borderless black window (its surface as ChooseWindowSurfaces set them), all before the covers
// of places gone are hidden or destroyed, so that no monitor shows the desktop in between. A
// place whose window cannot be created stays uncovered, with a line on stderr, until the next
// call: the run goes on without it.
void CoverOtherDisplays(const std::vector<DisplayRect>& monitors, std::size_t globe);

// Paints the covers black again, after an exposure wiped what they showed.
void PaintDisplayCovers();

// True when the window is one of the covers.
bool IsDisplayCover(Uint32 windowId);

// Destroys every cover, the hidden ones too; safe to repeat.
void RemoveDisplayCovers();
