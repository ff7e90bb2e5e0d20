// What both PNG encoders share: the row conversion and the write-then-rename.
#include "shell/render_tool/png_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/render_tool/png_encoder.h"

void FrameRowToRgb(const LockedFrame& frame, std::int32_t width, std::int32_t y, std::uint8_t* rgb) {
    const std::uint8_t* pixel = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    for (std::int32_t x = 0; x < width; ++x, pixel += 4, rgb += 3) {
        rgb[0] = pixel[2];
        rgb[1] = pixel[1];
        rgb[2] = pixel[0];
    }
}

const char* WriteFramePng(const std::string& path, const LockedFrame& frame, std::int32_t width, std::int32_t height,
                          std::string* problem) {
    const std::string partial = path + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        *problem = "cannot write " + path + ": " + std::strerror(errno);
        return problem->c_str();
    }
    const bool encoded = EncodePng(file, frame, width, height);
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        std::remove(partial.c_str());
        *problem = "cannot write " + path + ": the disk refused the data";
        return problem->c_str();
    }
    std::remove(path.c_str());  // Windows' rename does not replace
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        *problem = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return problem->c_str();
    }
    return nullptr;
}
