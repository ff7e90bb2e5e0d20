// The display in memory, as the renderer and the tests use it: which sizes and pitches it takes,
// and what a device that is down or failing lends out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "display/memory_display.h"

TEST(MemoryDisplay, TakesAnyPositiveSizeAndAPitchOfAtLeastFourBytesAPixel) {
    ASSERT_EQ(CreateDisplay({0, 1, 1, 0}), 1);
    EXPECT_EQ(LockBackBuffer().pitch, 4);

    ASSERT_EQ(CreateDisplay({0, 13, 7, 52}), 1) << "a pitch of exactly four bytes a pixel";
    LockedFrame frame = LockBackBuffer();
    ASSERT_NE(frame.pixels, nullptr);
    EXPECT_EQ(frame.pitch, 52);
    // The whole frame, pitch times height, is there and starts black.
    EXPECT_TRUE(std::all_of(frame.pixels, frame.pixels + 52 * 7, [](std::uint8_t b) { return b == 0; }));
    UnlockBackBuffer();

    ASSERT_EQ(CreateDisplay({0, 13, 7, 61}), 1) << "a wider pitch need not be a multiple of four";
    EXPECT_EQ(LockBackBuffer().pitch, 61);
    EXPECT_EQ(PeekMemoryFrame().pitch, 61);

    EXPECT_EQ(CreateDisplay({0, 13, 7, 51}), 0) << "one byte short of the row";
    EXPECT_EQ(LockBackBuffer().pixels, nullptr) << "a refused device is down";
    EXPECT_EQ(CreateDisplay({0, 0, 7, 0}), 0);
    EXPECT_EQ(CreateDisplay({0, 13, 0, 0}), 0);
    EXPECT_EQ(CreateDisplay({0, -13, 7, 0}), 0);
    EXPECT_EQ(CreateDisplay({0, 13, -7, 0}), 0);
    EXPECT_EQ(CreateDisplay({0, 13, 7, -52}), 0);
    EXPECT_EQ(CreateDisplay({0, INT32_MAX / 4 + 1, 1, 0}), 0) << "a row of more than 2^31 bytes";
    DestroyDisplay();
}

TEST(MemoryDisplay, CountsPresentsOnlyWhileUpAndLendsNothingWhenDownOrFailing) {
    ASSERT_EQ(CreateDisplay({0, 8, 8, 0}), 1);
    PresentFrame();
    PresentFrame();
    EXPECT_EQ(MemoryPresentCount(), 2);
    SetMemoryLockFailure(true);
    EXPECT_EQ(LockBackBuffer().pixels, nullptr);
    SetMemoryLockFailure(false);
    EXPECT_NE(LockBackBuffer().pixels, nullptr);
    UnlockBackBuffer();

    EXPECT_EQ(DestroyDisplay(), 1);
    EXPECT_EQ(DestroyDisplay(), 1);
    EXPECT_EQ(LockBackBuffer().pixels, nullptr);
    EXPECT_EQ(PeekMemoryFrame().pixels, nullptr);
    PresentFrame();
    EXPECT_EQ(MemoryPresentCount(), 0);
}
