#include "shell/linux/saver_arguments.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "shell/command_line.h"

const char* const saverUsage =
    "Usage: quillomantrase [OPTION]\n"
    "The Earth as a turning, texture-mapped globe in front of 1000 twinkling stars.\n"
    "\n"
    "With no option (or /s, -s, s) it covers the screen until the first key press, the first\n"
    "button press or the fourth mouse movement, and exits with 0.\n"
    "\n"
    "As an xscreensaver hack it draws into a window it is given, takes no input, and exits\n"
    "with 0 on SIGTERM or SIGINT:\n"
    "  --root             draw into the root window (or into $XSCREENSAVER_WINDOW when set)\n"
    "  --window-id ID     draw into the X window ID, decimal or 0x hex; 0 is the root window\n"
    "  /p ID              the same, in the Windows saver's words\n"
    "  XSCREENSAVER_WINDOW=ID in the environment has the same effect as --window-id ID.\n"
    "When that window changes size, the run starts again at the new size.\n"
    "\n"
    "  /c, -c             the about box (on standard output when there is no display)\n"
    "  --help             this text\n"
    "\n"
    "It exits with 1 when the map cannot be loaded (\"Error loading image\") or the display\n"
    "cannot be set up (\"Can't initiliaze DirectX\", after the reason), and with 2 on a wrong\n"
    "option. Failures also show in a message box, except in a window it was given.\n";

namespace {

// A window id as xscreensaver writes them (0x hex) or as a decimal number; false when it is not one.
bool ReadWindowId(const char* text, std::uintptr_t* window) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    const unsigned char first = static_cast<unsigned char>(*digits);
    if (!(hex ? std::isxdigit(first) : std::isdigit(first))) return false;  // no blanks or signs
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value > UINT32_MAX) return false;
    *window = static_cast<std::uintptr_t>(value);
    return true;
}

bool Is(const char* argument, const char* option) {
    // xscreensaver's hacks take their options with one dash or two.
    return std::strcmp(argument, option) == 0 || (argument[0] == '-' && std::strcmp(argument + 1, option) == 0);
}

SaverRequest Wrong(std::string problem) { return {SaverRun::wrongArguments, 0, std::move(problem)}; }

SaverRequest IntoWindow(std::uintptr_t window) {
    return {window == 0 ? SaverRun::rootWindow : SaverRun::hostWindow, window, {}};
}

}  // namespace

SaverRequest ReadSaverArguments(int argc, const char* const* argv, const char* saverWindowVariable) {
    bool root = false;
    bool windowGiven = false;
    bool bareOptionsSwitch = false;
    std::uintptr_t window = 0;
    std::string windowsSwitches;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (Is(argument, "-help") || Is(argument, "-h")) return {SaverRun::help, 0, {}};
        if (Is(argument, "-root")) {
            root = true;
        } else if (Is(argument, "-window-id")) {
            if (i + 1 == argc) return Wrong(std::string(argument) + " needs a window id");
            if (!ReadWindowId(argv[++i], &window)) return Wrong(std::string(argv[i]) + " is not a window id");
            windowGiven = true;
        } else if (std::strncmp(argument, "--", 2) == 0) {
            return Wrong("unknown option " + std::string(argument));
        } else {
            // On Windows "c" comes with the number of the settings window; here there is none.
            if (std::strcmp(argument, "/c") == 0 || std::strcmp(argument, "-c") == 0) bareOptionsSwitch = true;
            if (!windowsSwitches.empty()) windowsSwitches += ' ';
            windowsSwitches += argument;
        }
    }
    if (windowGiven) return IntoWindow(window);
    const CommandChoice choice = ParseCommandLine(windowsSwitches.c_str());
    if (choice.mode == SaverMode::preview) return IntoWindow(choice.hostWindow);
    if (choice.mode == SaverMode::options || bareOptionsSwitch) return {SaverRun::options, choice.hostWindow, {}};
    if (saverWindowVariable != nullptr && saverWindowVariable[0] != '\0') {
        if (!ReadWindowId(saverWindowVariable, &window))
            return Wrong("XSCREENSAVER_WINDOW=" + std::string(saverWindowVariable) + " is not a window id");
        return IntoWindow(window);
    }
    if (root) return {SaverRun::rootWindow, 0, {}};
    return {SaverRun::fullScreen, 0, {}};
}
