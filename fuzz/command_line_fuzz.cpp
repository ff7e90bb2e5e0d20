// Any bytes as a command line: the parser must stay inside its copies and choose a window only
// when the line holds a digit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string commandLine(reinterpret_cast<const char*>(data), size);  // ends at any NUL
    const CommandChoice choice = ParseCommandLine(commandLine.c_str());
    const bool hasDigit = std::strpbrk(commandLine.c_str(), "0123456789") != nullptr;
    if (choice.mode != SaverMode::fullScreen && !hasDigit) std::abort();
    if (choice.mode == SaverMode::fullScreen && choice.hostWindow != 0) std::abort();
    return 0;
}
