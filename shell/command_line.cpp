// The switches are found in a fixed 512-byte working copy of the command line and the window
// number in a 40-byte copy of its text, as the module has always done; both copies are bounded
// here, so an overlong line or number is cut short instead of overrunning them.
#include "shell/command_line.h"

#include <cstddef>

namespace {

constexpr std::size_t commandTextBytes = 512;
constexpr std::size_t handleTextBytes = 40;

// Copies at most size - 1 characters and always ends the copy with a NUL.
std::size_t CopyBounded(char* target, std::size_t size, const char* source) {
    std::size_t length = 0;
    while (length + 1 < size && source[length] != '\0') {
        target[length] = source[length];
        ++length;
    }
    target[length] = '\0';
    return length;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSwitchLetter(char c) { return c == 'c' || c == 'p' || c == 's'; }

// The leading digits as atol reads them, wrapping in 32 bits like the window number it was.
std::uint32_t ReadWindowNumber(const char* text) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; IsDigit(text[i]); ++i) value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    return value;
}

}  // namespace

CommandChoice ParseCommandLine(const char* commandLine) {
    char commandText[commandTextBytes] = {};
    char handleText[handleTextBytes] = {};
    CommandChoice choice{SaverMode::fullScreen, 0};
    bool optionsMode = false;

    std::size_t length = CopyBounded(commandText, sizeof commandText, commandLine ? commandLine : "");
    // Trailing blanks only; a trailing tab stays and ends the number like any non-digit.
    while (length > 0 && commandText[length - 1] == ' ') commandText[--length] = '\0';

    std::size_t i = 0;
    for (;;) {
        while (i < length && !IsSwitchLetter(commandText[i])) ++i;
        if (i == length) break;
        const char letter = commandText[i++];
        while (i < length && !IsDigit(commandText[i])) ++i;
        if (i == length) break;
        if (letter == 's') break;
        CopyBounded(handleText, sizeof handleText, commandText + i);
        choice.hostWindow = ReadWindowNumber(handleText);
        if (letter == 'p') {
            choice.mode = SaverMode::preview;
            return choice;
        }
        optionsMode = true;
        // The search goes on from the number's first digit: a later switch may still win.
    }
    if (optionsMode) choice.mode = SaverMode::options;
    return choice;
}
