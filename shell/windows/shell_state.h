// The shell's module-level state: what the entry procedure learnt from the command line and what
// the start-up made, read by the window procedure. (The mouse-move count lives with the saver
// rules, and the command line's working copies with its parser.)
#pragma once

#include <windows.h>

#include <cstdint>

#include "scene/scene_types.h"

struct ShellState {
    HINSTANCE instance;
    HWND mainWindow;          // null until the creation of the window returns
    std::uint32_t hostWindow; // the window number after "c" (the options dialog's owner)
    int optionsMode;
    UINT_PTR timerId;         // 0 until the frame timer runs, and always in options mode
    int runStarted;           // 1 once the full-screen run is up: display, covers, timer, flush
    int displayDue;           // 1 while the display is to be made again for a new screen size
    ScreenMetrics screen;     // read before the main window exists; the primary's size after a change
};

extern ShellState shellState;

constexpr const char* saverName = "Quillomantrase";

inline HWND HostWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(shellState.hostWindow)); }
