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
    "With no option (or /s, -s, s, -window) it covers the screen until the first key press, the\n"
    "first button press or the fourth mouse movement, and exits with 0.\n"
    "\n"
    "As an xscreensaver hack it draws into a window it is given, takes no input, and exits\n"
    "with 0 on SIGTERM or SIGINT:\n"
    "  -root              draw into the root window (or into $XSCREENSAVER_WINDOW when set)\n"
    "  -window-id ID      draw into the X window ID, decimal or 0x hex; 0 is the root window\n"
    "  /p ID              the same, in the Windows saver's words\n"
    "  XSCREENSAVER_WINDOW=ID in the environment has the same effect as -window-id ID;\n"
    "  set but empty, it counts as unset.\n"
    "When that window changes size, the run starts again at the new size.\n"
    "\n"
    "  /c, -c             the about box (on standard output when there is no display)\n"
    "  -help, -h          this text\n"
    "  -version           the version\n"
    "Options take one dash or two. The other options xscreensaver's hacks share are taken and\n"
    "have no effect, with a note on standard error: -visual NAME, -install, -noinstall, -mono,\n"
    "-fps. Any other option is wrong.\n"
    "\n"
    "It exits with 1 when it cannot run (no display could be opened, the window id is not a\n"
    "window, there is no memory for the frame), saying why on standard error, and with 2 on a\n"
    "wrong option. In a full-screen run started by hand (the X server saw input in the two\n"
    "seconds before; never in a Wayland session) failures also show in a message box.\n";

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

// The option's name without its one or two dashes; null when the argument is no option.
const char* OptionName(const char* argument) {
    if (argument[0] != '-') return nullptr;
    return argument[1] == '-' ? argument + 2 : argument + 1;
}

// -s, -c, -p, and -c:N or -p:N: the Windows switches written with a dash.
bool IsDashedWindowsSwitch(const char* argument) {
    if (argument[0] != '-' || std::strchr("scp", argument[1]) == nullptr || argument[1] == '\0') return false;
    const char* rest = argument + 2;
    if (*rest == '\0') return true;
    if (*rest != ':' || rest[1] == '\0') return false;
    for (++rest; *rest != '\0'; ++rest)
        if (!std::isdigit(static_cast<unsigned char>(*rest))) return false;
    return argument[1] != 's';
}

// /p, -p or p, alone or with ":": a preview switch that may still find its number later.
bool IsPreviewSwitch(const char* argument) {
    if (argument[0] == '/' || argument[0] == '-') ++argument;
    return argument[0] == 'p' && (argument[1] == '\0' || argument[1] == ':');
}

SaverRequest Wrong(std::string problem) { return {SaverRun::wrongArguments, 0, std::move(problem), {}}; }

SaverRequest IntoWindow(std::uintptr_t window) {
    return {window == 0 ? SaverRun::rootWindow : SaverRun::hostWindow, window, {}, {}};
}

}  // namespace

SaverRequest ReadSaverArguments(int argc, const char* const* argv, const char* saverWindowVariable) {
    bool root = false;
    bool windowGiven = false;
    bool bareOptionsSwitch = false;
    bool previewSwitch = false;
    std::uintptr_t window = 0;
    std::string windowsSwitches;
    std::vector<std::string> notes;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const char* name = OptionName(argument);
        const std::string option = name == nullptr ? std::string() : name;
        if (option == "help" || option == "h") return {SaverRun::help, 0, {}, {}};
        if (option == "version") return {SaverRun::version, 0, {}, {}};
        if (option == "root") {
            root = true;
        } else if (option == "window-id") {
            if (i + 1 == argc) return Wrong(std::string(argument) + " needs a window id");
            if (!ReadWindowId(argv[++i], &window)) return Wrong(std::string(argv[i]) + " is not a window id");
            windowGiven = true;
        } else if (option == "window") {
            // xscreensaver's "a window of its own", which is what a full-screen run makes.
        } else if (option == "visual") {
            if (i + 1 == argc) return Wrong(std::string(argument) + " needs a visual");
            notes.push_back(std::string(argument) + " " + argv[++i] + " has no effect: the saver always draws in true colour");
        } else if (option == "install" || option == "noinstall" || option == "mono") {
            notes.push_back(std::string(argument) + " has no effect: the saver always draws in true colour");
        } else if (option == "fps") {
            notes.push_back(std::string(argument) + " has no effect: the saver shows no frame rate");
        } else if (name != nullptr && !IsDashedWindowsSwitch(argument)) {
            return Wrong("unknown option " + std::string(argument));
        } else {
            // On Windows "c" comes with the number of the settings window; here there is none.
            if (std::strcmp(argument, "/c") == 0 || std::strcmp(argument, "-c") == 0) bareOptionsSwitch = true;
            previewSwitch = previewSwitch || IsPreviewSwitch(argument);
            if (!windowsSwitches.empty()) windowsSwitches += ' ';
            windowsSwitches += argument;
        }
    }
    SaverRequest request{SaverRun::fullScreen, 0, {}, {}};
    const CommandChoice choice = ParseCommandLine(windowsSwitches.c_str());
    if (windowGiven) {
        request = IntoWindow(window);
    } else if (choice.mode == SaverMode::preview) {
        request = IntoWindow(choice.hostWindow);
    } else if (previewSwitch) {
        return Wrong("/p needs a window id");
    } else if (choice.mode == SaverMode::options || bareOptionsSwitch) {
        request = {SaverRun::options, choice.hostWindow, {}, {}};
    } else if (saverWindowVariable != nullptr && saverWindowVariable[0] != '\0') {
        if (!ReadWindowId(saverWindowVariable, &window))
            return Wrong("XSCREENSAVER_WINDOW=" + std::string(saverWindowVariable) + " is not a window id");
        request = IntoWindow(window);
    } else if (root) {
        request = {SaverRun::rootWindow, 0, {}, {}};
    }
    request.notes = std::move(notes);
    return request;
}
