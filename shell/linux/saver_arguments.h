// The Linux saver's command line: its own options for running as an xscreensaver hack, over the
// Windows-style switches that every saver shell reads the same way (shell/command_line.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class SaverRun {
    fullScreen,      // our own full-screen window, ended by input
    hostWindow,      // drawing into another program's window (window), no input taken
    rootWindow,      // drawing into the root window, no input taken
    options,         // the about box
    help,            // the usage text
    version,         // the version
    wrongArguments,  // problem says what
};

struct SaverRequest {
    SaverRun run;
    std::uintptr_t window;
    std::string problem;
    std::vector<std::string> notes;  // for standard error: options taken that have no effect
};

extern const char* const saverUsage;

// Reads argv (the program name first) and the XSCREENSAVER_WINDOW variable (null or empty when
// unset). Options start with one dash or two; besides its own, the saver takes the options that
// xscreensaver's hacks all share (-window, -root, -window-id, -visual, -install, -noinstall,
// -mono, -fps); any other is wrong.
SaverRequest ReadSaverArguments(int argc, const char* const* argv, const char* saverWindowVariable);
