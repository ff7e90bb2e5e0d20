// The PNG encoder behind WriteFramePng: libpng where the platform has it, a small built-in one
// (uncompressed deflate blocks) for the Windows build, chosen when the program is linked.
#pragma once

#include <cstdint>
#include <cstdio>

#include "display/display.h"

// Encodes the frame's width x height pixels as 8-bit RGB; false when writing failed.
bool EncodePng(std::FILE* file, const LockedFrame& frame, std::int32_t width, std::int32_t height);

// One frame row's pixels (B, G, R, 0) as R, G, B bytes.
void FrameRowToRgb(const LockedFrame& frame, std::int32_t width, std::int32_t y, std::uint8_t* rgb);
