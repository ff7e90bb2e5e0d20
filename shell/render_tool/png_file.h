// Writing a composed frame as an 8-bit RGB PNG. The file appears whole or not at all: it is
// written under a temporary name and renamed into place only when complete.
#pragma once

#include <cstdint>
#include <string>

#include "display/display.h"

// Null on success; otherwise what went wrong.
const char* WriteFramePng(const std::string& path, const LockedFrame& frame, std::int32_t width, std::int32_t height,
                          std::string* problem);
