// Which run a command line (and XSCREENSAVER_WINDOW) asks for.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "shell/linux/saver_arguments.h"

namespace {

SaverRequest Read(const std::vector<const char*>& arguments, const char* saverWindow = nullptr) {
    std::vector<const char*> argv{"quillomantrase"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return ReadSaverArguments(static_cast<int>(argv.size()), argv.data(), saverWindow);
}

TEST(SaverArguments, TheWindowsSwitchesForAFullScreenRun) {
    for (auto arguments : {std::initializer_list<const char*>{}, {"/s"}, {"-s"}, {"s"}, {"/S"}, {"c"}, {"-window"},
                           {"--window"}})
        EXPECT_EQ(Read(arguments).run, SaverRun::fullScreen);
}

TEST(SaverArguments, HackModeFromOptionsSwitchesOrTheEnvironment) {
    EXPECT_EQ(Read({"--root"}).run, SaverRun::rootWindow);
    EXPECT_EQ(Read({"-root"}).run, SaverRun::rootWindow);
    for (auto arguments : {std::initializer_list<const char*>{"--window-id", "0x2a"}, {"-window-id", "42"},
                           {"--window-id", "0X2A"}, {"/p", "42"}, {"/p:42"}, {"/c", "12", "/p", "42"}}) {
        const SaverRequest request = Read(arguments);
        EXPECT_EQ(request.run, SaverRun::hostWindow);
        EXPECT_EQ(request.window, 42u);
    }
    EXPECT_EQ(Read({}, "0x1e00007").window, 0x1e00007u);
    EXPECT_EQ(Read({"--root"}, "0x1e00007").run, SaverRun::hostWindow) << "xscreensaver's window over the root";
    EXPECT_EQ(Read({"--window-id", "7"}, "0x1e00007").window, 7u) << "the command line over the environment";
    EXPECT_EQ(Read({"/p", "0"}).run, SaverRun::rootWindow) << "window 0 is the whole screen";
    EXPECT_EQ(Read({}, "").run, SaverRun::fullScreen) << "an empty XSCREENSAVER_WINDOW counts as unset";
    EXPECT_EQ(Read({"-root"}, "").run, SaverRun::rootWindow) << "an empty XSCREENSAVER_WINDOW counts as unset";
    // The largest X window id and leading zeros are taken; trailing garbage is not (below).
    EXPECT_EQ(Read({"--window-id", "0xFFFFFFFF"}).window, 0xFFFFFFFFu);
    EXPECT_EQ(Read({"--window-id", "4294967295"}).window, 0xFFFFFFFFu);
    EXPECT_EQ(Read({"--window-id", "00042"}).window, 42u);
}

TEST(SaverArguments, TheOptionsXscreensaverGivesEveryHackAreTakenTheIneffectiveOnesWithANote) {
    SaverRequest request = Read({"-root", "-fps", "--visual", "TrueColor", "-install", "--noinstall", "-mono"});
    EXPECT_EQ(request.run, SaverRun::rootWindow);
    const std::vector<std::string> notes = {
        "-fps has no effect: the saver shows no frame rate",
        "--visual TrueColor has no effect: the saver always draws in true colour",
        "-install has no effect: the saver always draws in true colour",
        "--noinstall has no effect: the saver always draws in true colour",
        "-mono has no effect: the saver always draws in true colour"};
    EXPECT_EQ(request.notes, notes);
    request = Read({"-window-id", "0x2a", "-fps"});
    EXPECT_EQ(request.run, SaverRun::hostWindow);
    EXPECT_EQ(request.window, 42u);
    EXPECT_TRUE(Read({"-root"}).notes.empty());
}

TEST(SaverArguments, OptionsHelpAndWrongArguments) {
    EXPECT_EQ(Read({"/c:1234"}).run, SaverRun::options);
    EXPECT_EQ(Read({"/c"}).run, SaverRun::options) << "no window number needed here";
    EXPECT_EQ(Read({"-c"}).run, SaverRun::options);
    EXPECT_EQ(Read({"/c", "12", "/s", "5"}).run, SaverRun::options);
    EXPECT_EQ(Read({"--help"}).run, SaverRun::help);
    EXPECT_EQ(Read({"-h"}).run, SaverRun::help);
    EXPECT_EQ(Read({"--version"}).run, SaverRun::version);
    EXPECT_EQ(Read({"-version", "--root"}).run, SaverRun::version);
    const std::pair<std::vector<const char*>, const char*> wrong[] = {
        {{"--window-id"}, "--window-id needs a window id"},
        {{"--window-id", "xyz"}, "xyz is not a window id"},
        {{"--window-id", "-5"}, "-5 is not a window id"},
        {{"--window-id", "0x"}, "0x is not a window id"},
        {{"--window-id", " 5"}, " 5 is not a window id"},
        {{"--window-id", "0x100000000"}, "0x100000000 is not a window id"},
        {{"--window-id", "4294967296"}, "4294967296 is not a window id"},
        {{"--window-id", "42x"}, "42x is not a window id"},
        {{"--window-id", "0x2a "}, "0x2a  is not a window id"},
        {{"-visual"}, "-visual needs a visual"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"-bogus"}, "unknown option -bogus"},
        {{"-root", "-delay", "5"}, "unknown option -delay"},
        {{"-"}, "unknown option -"},
        {{"-S"}, "unknown option -S"},
        {{"-s:5"}, "unknown option -s:5"},
        {{"/p"}, "/p needs a window id"},
        {{"-p"}, "/p needs a window id"},
        {{"/p", "x"}, "/p needs a window id"},
        {{"/c", "12", "/p"}, "/p needs a window id"},
    };
    for (const auto& [arguments, problem] : wrong) {
        const SaverRequest request = Read(arguments);
        EXPECT_EQ(request.run, SaverRun::wrongArguments) << problem;
        EXPECT_EQ(request.problem, problem);
    }
    EXPECT_EQ(Read({}, "junk").run, SaverRun::wrongArguments);
}

}  // namespace
