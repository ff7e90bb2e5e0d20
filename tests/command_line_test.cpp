// What the screen-saver machinery's command lines choose: the run, and the window it names.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "shell/command_line.h"

namespace {

struct Expected {
    const char* commandLine;
    SaverMode mode;
    std::uint32_t hostWindow;
};

const char* ModeName(SaverMode mode) {
    switch (mode) {
    case SaverMode::fullScreen: return "full screen";
    case SaverMode::preview: return "preview";
    case SaverMode::options: return "options";
    }
    return "?";
}

void ExpectChoices(const Expected* cases, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const CommandChoice choice = ParseCommandLine(cases[k].commandLine);
        EXPECT_EQ(cases[k].mode, choice.mode)
            << "\"" << cases[k].commandLine << "\": expected " << ModeName(cases[k].mode) << ", got "
            << ModeName(choice.mode);
        EXPECT_EQ(cases[k].hostWindow, choice.hostWindow) << "\"" << cases[k].commandLine << "\"";
    }
}

}  // namespace

TEST(CommandLine, FullScreenIsTheDefaultAndSNeverNeeded) {
    const Expected cases[] = {
        {"", SaverMode::fullScreen, 0},      {"    ", SaverMode::fullScreen, 0},
        {"/s", SaverMode::fullScreen, 0},    {"-s", SaverMode::fullScreen, 0},
        {"s", SaverMode::fullScreen, 0},     {"/S", SaverMode::fullScreen, 0},
        {"/P 1234", SaverMode::fullScreen, 0}, {"/C 1234", SaverMode::fullScreen, 0},
        {"/p", SaverMode::fullScreen, 0},    {"/c", SaverMode::fullScreen, 0},
        {"/c:", SaverMode::fullScreen, 0},   {"/s 5 /c 7", SaverMode::fullScreen, 0},
        {"/x 12", SaverMode::fullScreen, 0},   {"/S 5", SaverMode::fullScreen, 0},
        {"/P 5 /C 7", SaverMode::fullScreen, 0},
    };
    ExpectChoices(cases, std::size(cases));
    EXPECT_EQ(SaverMode::fullScreen, ParseCommandLine(nullptr).mode);
}

TEST(CommandLine, PreviewTakesTheFirstNumberAfterP) {
    const Expected cases[] = {
        {"/p 1234", SaverMode::preview, 1234},   {"p1234", SaverMode::preview, 1234},
        {"/p -5", SaverMode::preview, 5},        {"/p 0", SaverMode::preview, 0},
        {"/p /c 12", SaverMode::preview, 12},    {"/c 12 /p 34", SaverMode::preview, 34},
        {"/p 12x34", SaverMode::preview, 12},    {"/p 56   ", SaverMode::preview, 56},
        {"/p 56\t", SaverMode::preview, 56},     {"/p 7 /c 8", SaverMode::preview, 7},
        {"/p 0042", SaverMode::preview, 42},
    };
    ExpectChoices(cases, std::size(cases));
}

TEST(CommandLine, OptionsOwnedByTheNamedWindow) {
    const Expected cases[] = {
        {"/c:1234", SaverMode::options, 1234},  {"/c 1234", SaverMode::options, 1234},
        {"-c 99", SaverMode::options, 99},      {"/c 12 /s 5", SaverMode::options, 12},
        {"/c 12 /c 34", SaverMode::options, 34}, {"/c:4294967295", SaverMode::options, 4294967295u},
    };
    ExpectChoices(cases, std::size(cases));
}

TEST(CommandLine, NumbersWrapInThirtyTwoBitsLikeAtol) {
    EXPECT_EQ(0u, ParseCommandLine("/c 4294967296").hostWindow);
    EXPECT_EQ(1u, ParseCommandLine("/c 4294967297").hostWindow);
}

TEST(CommandLine, OverlongInputIsCutShortNotOverrun) {
    // Only the first 511 characters are read: a switch past them is never seen.
    const std::string farSwitch = std::string(511, ' ') + "/p 12";
    EXPECT_EQ(SaverMode::fullScreen, ParseCommandLine(farSwitch.c_str()).mode);
    const std::string cutInNumber = std::string(507, ' ') + "/p 12";  // the 512th character is cut
    EXPECT_EQ(1u, ParseCommandLine(cutInNumber.c_str()).hostWindow);
    const std::string nearSwitch = std::string(505, 'x') + "/p 12" + std::string(4000, 'y');
    const CommandChoice nearChoice = ParseCommandLine(nearSwitch.c_str());
    EXPECT_EQ(SaverMode::preview, nearChoice.mode);
    EXPECT_EQ(12u, nearChoice.hostWindow);

    // A number text of more than 39 characters keeps its leading digits: these 39 wrap to the
    // same value as the full 60 would not, so the cut is visible.
    const std::string digits39 = std::string(38, '0') + "7";
    const std::string longNumber = "/c " + digits39 + std::string(21, '9');
    EXPECT_EQ(7u, ParseCommandLine(longNumber.c_str()).hostWindow);
}
