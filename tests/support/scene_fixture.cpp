#include "tests/support/scene_fixture.h"

#include <gtest/gtest.h>

#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "tests/support/recording_seam.h"

void SetUpBuiltInScene(std::int32_t width, std::int32_t height, std::int64_t clock, std::int32_t pitch) {
    SetTestClock(clock);
    ASSERT_EQ(LoadMapImage(BuiltInMapBytes(), BuiltInMapSize(), nullptr), 1);
    ASSERT_EQ(SetUpScene({width, height}, mapImage.headerBlock, mapImage.pixelData.get()), 1);
    ASSERT_EQ(CreateDisplay({0, width, height, pitch}), 1);
}

std::uint64_t FrameChecksum(const LockedFrame& frame, std::int32_t width, std::int32_t height) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        for (std::int32_t i = 0; i < width * 4; ++i) hash = (hash ^ row[i]) * 0x100000001b3ull;
    }
    return hash;
}

Pixel PixelAt(const LockedFrame& frame, std::int32_t x, std::int32_t y) {
    const std::uint8_t* p = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
