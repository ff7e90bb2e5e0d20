// Frames pinned by checksum. They were looked at and judged right (a black sky with stars and
// twinkle marks, the textured globe with its day, night, twilight and lights); any change to
// the engine that moves a single pixel of them fails here. Speed work must keep them.
#include <gtest/gtest.h>

#include "scene/frame_tick.h"
#include "tests/support/scene_fixture.h"

namespace {

std::uint64_t RunAndHash(std::int32_t width, std::int32_t height, std::int64_t clock, int ticks, std::int32_t pitch = 0,
                         bool hashEveryFrame = false) {
    SetUpBuiltInScene(width, height, clock, pitch);
    std::uint64_t combined = 0;
    for (int tick = 1; tick <= ticks; ++tick) {
        AdvanceFrame();
        if (hashEveryFrame || tick == ticks) combined = combined * 31 + FrameChecksum(PeekMemoryFrame(), width, height);
    }
    return combined;
}

}  // namespace

TEST(PinnedFrames, EveryFrameOfAWholeOrbitAt640By480) {
    EXPECT_EQ(RunAndHash(640, 480, 1000000000, 1360, 0, true), 0x6c75bfd233d01a93ull);
}

TEST(PinnedFrames, LargestGlobeAt1920By1080) {
    EXPECT_EQ(RunAndHash(1920, 1080, 1765084800, 1610), 0xbc830a6d2238c2acull);
}

TEST(PinnedFrames, OddSizeWithAWidePitch) {
    EXPECT_EQ(RunAndHash(1025, 771, 5, 560, 4 * 1025 + 28), 0x7ead6e5871875791ull);
}
