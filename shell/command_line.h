// The command line the screen-saver machinery starts a saver with: which run it asks for, and
// the window it names for a preview or the options dialog.
//
// Portable on purpose: the Windows module and the Linux saver read the same switches the same way.
#pragma once

#include <cstdint>

enum class SaverMode { fullScreen, preview, options };

struct CommandChoice {
    SaverMode mode;
    std::uint32_t hostWindow;  // the number after "p" or "c"; 0 when none was taken
};

// Reads the command line (without the program name). Only the lower-case letters c, p and s
// count, wherever they stand; each takes the first number after it. "s" or "p" with a number
// ends the reading; "c" with a number chooses options mode and the reading goes on from that
// number. Anything else is a full-screen run. A null command line is an empty one.
CommandChoice ParseCommandLine(const char* commandLine);
