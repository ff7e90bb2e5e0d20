// Helpers shared by the engine's tests: a scene set up from the built-in map or a made-up one,
// a frame in the memory display, and checksums of what it shows.
#pragma once

#include <cstdint>
#include <vector>

#include "display/memory_display.h"
#include "scene/globe_scene.h"

// Sets the scene up from the built-in map for a screen, with the stars seeded by clock, and
// brings up a memory display of that size (pitch 0: 4 x width). Fails the test when either fails.
void SetUpBuiltInScene(std::int32_t width, std::int32_t height, std::int64_t clock, std::int32_t pitch = 0);

// A BMP file image of a 24-bit map whose every texel is made by colour(row, column), rows
// counted in stored order. biSizeImage is filled in.
template <typename Colour>
std::vector<std::uint8_t> MakeMapFile(std::int32_t width, std::int32_t height, Colour colour);

// The information header bytes of a map file image.
inline const std::uint8_t* InfoHeader(const std::vector<std::uint8_t>& file) { return file.data() + 14; }
inline const std::uint8_t* PixelRows(const std::vector<std::uint8_t>& file) { return file.data() + 54; }

// FNV-1a over the frame's visible pixels (width x 4 bytes of each row).
std::uint64_t FrameChecksum(const LockedFrame& frame, std::int32_t width, std::int32_t height);

// The pixel's blue, green, red and fourth byte.
struct Pixel {
    std::uint8_t blue, green, red, fourth;
    bool operator==(const Pixel&) const = default;
};
Pixel PixelAt(const LockedFrame& frame, std::int32_t x, std::int32_t y);

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value, int size);

template <typename Colour>
std::vector<std::uint8_t> MakeMapFile(std::int32_t width, std::int32_t height, Colour colour) {
    const std::int32_t stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + static_cast<std::size_t>(stride) * height);
    file[0] = 'B';
    file[1] = 'M';
    PutLittleEndian(file, 2, static_cast<std::uint32_t>(file.size()), 4);
    PutLittleEndian(file, 10, 54, 4);
    PutLittleEndian(file, 14, 40, 4);
    PutLittleEndian(file, 18, static_cast<std::uint32_t>(width), 4);
    PutLittleEndian(file, 22, static_cast<std::uint32_t>(height), 4);
    PutLittleEndian(file, 26, 1, 2);
    PutLittleEndian(file, 28, 24, 2);
    PutLittleEndian(file, 34, static_cast<std::uint32_t>(stride) * height, 4);
    for (std::int32_t r = 0; r < height; ++r) {
        for (std::int32_t c = 0; c < width; ++c) {
            const auto [blue, green, red] = colour(r, c);
            std::uint8_t* texel = file.data() + 54 + r * stride + 3 * c;
            texel[0] = blue;
            texel[1] = green;
            texel[2] = red;
        }
    }
    return file;
}
