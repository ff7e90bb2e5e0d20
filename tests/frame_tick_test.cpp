// The frame tick: spin, tilt swing and orbit position over many ticks, a tick on a scene whose
// set-up failed, and no memory allocated by any tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "display/memory_display.h"
#include "scene/frame_tick.h"
#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "tests/support/recording_seam.h"
#include "tests/support/scene_fixture.h"

namespace {
std::atomic<long> allocationCount{0};
}

// Counts every allocation the test program makes; the tick test reads the count around ticks.
void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocationCount;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(FrameTick, FirstTickSpinsOneDegreeAtTheOrbitsFirstPoint) {
    SetUpBuiltInScene(640, 480, 1);
    AdvanceFrame();
    EXPECT_EQ(globeOrientation.spin, 359);
    EXPECT_EQ(globeOrientation.tilt, 30);
    EXPECT_EQ(globeScene.globeOffsetX, 0);
    EXPECT_EQ(globeScene.orbitPosition, 1);
    EXPECT_EQ(globeOrientation.spinRadians, static_cast<float>(359 * (3.14159 / 180.0)));
}

TEST(FrameTick, TiltSwingsOnlyAroundTheRightHandEnd) {
    SetUpBuiltInScene(640, 480, 1);
    SetMemoryLockFailure(true);  // the angles are what matter here, not the pixels
    for (int position = 0; position < 1360; ++position) {
        const int tiltBefore = globeOrientation.tilt;
        AdvanceFrame();
        const bool inWindow = position >= 323 && position <= 358;
        EXPECT_EQ(globeOrientation.tilt - tiltBefore, inWindow ? 1 : 0) << "position " << position;
    }
    EXPECT_EQ(globeOrientation.tilt, 66);
    EXPECT_EQ(globeScene.orbitPosition, 0) << "the last position wraps to the first";
    SetMemoryLockFailure(false);
}

TEST(FrameTick, SwingRepeatsEverySixOrbitsAndSpinWraps) {
    SetUpBuiltInScene(160, 120, 1);
    SetMemoryLockFailure(true);
    const int orbit = globeScene.orbitLength;
    int highest = 0, lowest = 360;
    bool spinWrapped = false;
    for (int tick = 0; tick < 6 * orbit; ++tick) {
        const int spinBefore = globeOrientation.spin;
        AdvanceFrame();
        ASSERT_GE(globeOrientation.spin, 0);
        ASSERT_LE(globeOrientation.spin, 359);
        spinWrapped |= spinBefore == 0 && globeOrientation.spin == 359;
        highest = std::max(highest, globeOrientation.tilt);
        lowest = std::min(lowest, globeOrientation.tilt);
        if (tick % orbit == orbit - 1) {
            static const int endOfOrbit[] = {66, 102, 138, 102, 66, 30};
            EXPECT_EQ(globeOrientation.tilt, endOfOrbit[tick / orbit]) << "orbit " << tick / orbit;
        }
    }
    SetMemoryLockFailure(false);
    EXPECT_EQ(highest, 138);
    EXPECT_EQ(lowest, 30);
    EXPECT_EQ(globeOrientation.tilt, 30);
    EXPECT_EQ(globeOrientation.tiltFalling, 0);
    EXPECT_TRUE(spinWrapped);
}

TEST(FrameTick, OnOrbitsShorterThanTheSwingTheTiltStillTurns) {
    // 6 x 8 gives an orbit of a few points, all inside the swing window; 40 x 16 one whose
    // window is cut short at the orbit's start.
    for (const auto& [width, height] : {std::pair{6, 8}, std::pair{40, 16}}) {
        SetUpBuiltInScene(width, height, 1);
        SetMemoryLockFailure(true);
        int highest = 0, lowest = 360;
        for (int tick = 0; tick < 5000; ++tick) {
            AdvanceFrame();
            highest = std::max(highest, globeOrientation.tilt);
            lowest = std::min(lowest, globeOrientation.tilt);
        }
        SetMemoryLockFailure(false);
        EXPECT_GE(highest, 114) << width << "x" << height;
        EXPECT_LE(highest, 150) << width << "x" << height;
        EXPECT_GE(lowest, 0) << width << "x" << height;
        EXPECT_LE(lowest, 40) << width << "x" << height;
    }
}

TEST(FrameTick, AfterAFailedSetUpTicksTouchNothing) {
    ClearRecordedMessages();
    ASSERT_EQ(SetUpScene({640, 480}, nullptr, nullptr), 0);
    ASSERT_EQ(CreateDisplay({0, 640, 480, 0}), 1);
    LockedFrame frame = PeekMemoryFrame();
    std::memset(frame.pixels, 0xAB, 640 * 480 * 4);
    const std::uint64_t before = FrameChecksum(frame, 640, 480);
    for (int tick = 0; tick < 5; ++tick) AdvanceFrame();
    EXPECT_EQ(FrameChecksum(frame, 640, 480), before);
    EXPECT_EQ(globeOrientation.spin, 360);
}

TEST(FrameTick, AllocatesNothing) {
    SetUpBuiltInScene(1920, 1080, 42);
    AdvanceFrame();
    const long before = allocationCount.load();
    for (int tick = 0; tick < 300; ++tick) AdvanceFrame();
    EXPECT_EQ(allocationCount.load() - before, 0);
}
