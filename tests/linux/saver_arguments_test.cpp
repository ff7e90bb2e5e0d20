// Which run a command line (and XSCREENSAVER_WINDOW) asks for.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shell/linux/saver_arguments.h"

namespace {

SaverRequest Read(std::initializer_list<const char*> arguments, const char* saverWindow = nullptr) {
    std::vector<const char*> argv{"quillomantrase"};
    argv.insert(argv.end(), arguments);
    return ReadSaverArguments(static_cast<int>(argv.size()), argv.data(), saverWindow);
}

TEST(SaverArguments, TheWindowsSwitchesForAFullScreenRun) {
    for (auto arguments : {std::initializer_list<const char*>{}, {"/s"}, {"-s"}, {"s"}, {"/S"}, {"/p"}, {"c"}})
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
    // The largest X window id and leading zeros are taken; trailing garbage is not (below).
    EXPECT_EQ(Read({"--window-id", "0xFFFFFFFF"}).window, 0xFFFFFFFFu);
    EXPECT_EQ(Read({"--window-id", "4294967295"}).window, 0xFFFFFFFFu);
    EXPECT_EQ(Read({"--window-id", "00042"}).window, 42u);
}

TEST(SaverArguments, OptionsHelpAndWrongArguments) {
    EXPECT_EQ(Read({"/c:1234"}).run, SaverRun::options);
    EXPECT_EQ(Read({"/c"}).run, SaverRun::options) << "no window number needed here";
    EXPECT_EQ(Read({"-c"}).run, SaverRun::options);
    EXPECT_EQ(Read({"/c", "12", "/s", "5"}).run, SaverRun::options);
    EXPECT_EQ(Read({"--help"}).run, SaverRun::help);
    EXPECT_EQ(Read({"-h"}).run, SaverRun::help);
    for (auto arguments : {std::initializer_list<const char*>{"--window-id"}, {"--window-id", "xyz"},
                           {"--window-id", "-5"}, {"--window-id", "0x"}, {"--window-id", " 5"},
                           {"--window-id", "0x100000000"}, {"--window-id", "4294967296"}, {"--window-id", "42x"},
                           {"--window-id", "0x2a "}, {"--fps"}}) {
        const SaverRequest request = Read(arguments);
        EXPECT_EQ(request.run, SaverRun::wrongArguments);
        EXPECT_EQ(request.problem, arguments.size() == 2 ? std::string(arguments.begin()[1]) + " is not a window id"
                                   : std::string(arguments.begin()[0]) == "--fps" ? "unknown option --fps"
                                                                                  : "--window-id needs a window id");
    }
    EXPECT_EQ(Read({}, "junk").run, SaverRun::wrongArguments);
}

}  // namespace
