// The window another program gave us to draw into (xscreensaver's, a preview's, or the root
// window), watched over an X connection of our own: whether it exists, its size, and what
// happens to it during the run. SDL draws into it; it never learns of such changes itself.
#pragma once

#include <cstdint>
#include <string>

#include "scene/scene_types.h"

enum class HostChange { none, exposed, resized, gone };

// "no display could be opened", naming the display asked for.
std::string NoDisplayOpened();

// Opens the X display and starts watching the window (0: the root window). Empty on success;
// otherwise why the window cannot be used. From then on X errors are noted, never fatal
// (NoteXErrors), so that a window that disappears under us ends the run instead of the process.
std::string WatchHostWindow(std::uintptr_t window);

// The window's X id and its size as last seen.
std::uintptr_t HostWindowId();
ScreenMetrics HostWindowSize();

// Reads what the X server said about the window since the last call; the weightiest change wins.
HostChange ReadHostChanges();

void StopWatchingHostWindow();
