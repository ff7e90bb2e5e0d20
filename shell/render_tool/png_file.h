// Writing a composed frame as an 8-bit RGB PNG. The file appears whole or not at all: it is
// written under a temporary name beside it and renamed into place only when complete. Only a
// regular file is ever replaced; a folder, a link, a device or a pipe at the path is refused.
#pragma once

#include <cstdint>
#include <string>

#include "display/display.h"

// Null when a frame can be written at path: nothing or a regular file stands there, and when
// tryFolder, a file can be created in its folder (a trial, removed at once); otherwise what is
// wrong, naming the path. For finding out before any frame is rendered.
const char* CheckOutputPath(const std::string& path, bool tryFolder, std::string* problem);

// Null on success; otherwise what went wrong.
const char* WriteFramePng(const std::string& path, const LockedFrame& frame, std::int32_t width, std::int32_t height,
                          std::string* problem);
