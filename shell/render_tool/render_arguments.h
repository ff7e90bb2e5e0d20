// The headless renderer's command line:
//   quillomantrase-render --size WxH [--time T] --frames N [--pitch BYTES] [--map FILE.bmp]
//                         [--every K] --output FILE.png
//   quillomantrase-render --help | --version
#pragma once

#include <cstdint>
#include <string>

struct RenderRequest {
    bool helpWanted = false;     // --help or -h: the usage, nothing else
    bool versionWanted = false;  // --version: the version, nothing else
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool timeGiven = false;
    std::int64_t time = 0;
    std::int32_t frames = 0;
    std::int32_t pitch = 0;  // 0: four bytes a pixel, no padding
    std::string mapPath;     // empty: the built-in map
    std::int32_t every = 0;  // 0: only the last frame
    std::string output;      // may hold one frame-number field: %d, %Nd or %0Nd
};

extern const char* const renderUsage;

// Null when the arguments make a request; otherwise what is wrong with them.
const char* ParseRenderArguments(int argc, const char* const* argv, RenderRequest* request, std::string* problem);

// The output name for a tick: the frame-number field replaced by the tick as printf would write
// it (%5d pads with blanks, %05d with zeros), %% by %.
std::string FrameFileName(const std::string& output, std::int32_t tick);
