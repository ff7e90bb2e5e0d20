// Remembered texel footprints against the sweeps they stand for: every pixel the sweep passes and
// no other, whatever the move, and nothing remembered that cannot be.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "render/texel_footprint.h"
#include "render/texel_sweep.h"

namespace {

constexpr PixelPoint origin{100, 100};

PixelPoint Offset(PixelPoint p, std::int32_t dx, std::int32_t dy) { return {p.x + dx, p.y + dy}; }

// The byte offsets, from the upper start point, of the pixels the sweep passes.
std::set<std::int32_t> SweptOffsets(PixelPoint upper, PixelPoint lower, PixelPoint upperEnd, PixelPoint lowerEnd,
                                    std::int32_t pitch) {
    std::set<std::int32_t> offsets;
    SweepTexel(upper, lower, upperEnd, lowerEnd, [&](std::int32_t x, std::int32_t y) {
        offsets.insert((y - upper.y) * pitch + 4 * (x - upper.x));
    });
    return offsets;
}

const TexelFootprint* Find(PixelPoint upper, PixelPoint lower, PixelPoint upperEnd, PixelPoint lowerEnd) {
    const TexelFootprint& footprint = FindTexelFootprint(
        FootprintKeyPlusOne(PackPoint(upper), PackPoint(lower), PackPoint(upperEnd), PackPoint(lowerEnd)));
    return footprint.count >= 0 ? &footprint : nullptr;
}

TEST(TexelFootprint, HoldsExactlyTheSweptPixelsForEveryShortMove) {
    constexpr std::int32_t pitch = 4096;
    UseFootprintsForPitch(pitch);
    int remembered = 0, tooLarge = 0, largest = 0;
    for (int spanX = -4; spanX <= 4; ++spanX)
        for (int spanY = -4; spanY <= 4; ++spanY)
            for (int upperX = -4; upperX <= 4; ++upperX)
                for (int upperY = -4; upperY <= 4; ++upperY)
                    for (int lowerX = -4; lowerX <= 4; ++lowerX)
                        for (int lowerY = -4; lowerY <= 4; ++lowerY) {
                            const PixelPoint lower = Offset(origin, spanX, spanY);
                            const PixelPoint upperEnd = Offset(origin, upperX, upperY);
                            const PixelPoint lowerEnd = Offset(lower, lowerX, lowerY);
                            const std::set<std::int32_t> swept = SweptOffsets(origin, lower, upperEnd, lowerEnd, pitch);
                            const TexelFootprint* footprint = Find(origin, lower, upperEnd, lowerEnd);
                            const auto move = std::make_tuple(spanX, spanY, upperX, upperY, lowerX, lowerY);
                            if (swept.size() > footprintCapacity) {
                                ASSERT_EQ(footprint, nullptr) << testing::PrintToString(move);
                                ++tooLarge;
                                continue;
                            }
                            ASSERT_NE(footprint, nullptr) << testing::PrintToString(move);
                            ASSERT_EQ(footprint->count, static_cast<std::int32_t>(swept.size()));
                            const std::set<std::int32_t> held(footprint->offsets, footprint->offsets + footprint->count);
                            ASSERT_EQ(held, swept) << testing::PrintToString(move);
                            // The unused places repeat a swept pixel, or stay 0 when nothing is swept.
                            const std::int32_t filler = footprint->count == 0 ? 0 : footprint->offsets[0];
                            for (int i = footprint->count; i < footprintCapacity; ++i)
                                ASSERT_EQ(footprint->offsets[i], filler) << testing::PrintToString(move);
                            ++remembered;
                            largest = std::max(largest, footprint->count);
                        }
    EXPECT_GT(remembered, 100000);
    EXPECT_GT(tooLarge, 0);
    EXPECT_EQ(largest, footprintCapacity) << "the fullest footprint";
}

TEST(TexelFootprint, MovesBeyondSevenOrEightAreNotRemembered) {
    UseFootprintsForPitch(64);
    const PixelPoint lower = Offset(origin, 0, 1);
    EXPECT_NE(Find(origin, lower, Offset(origin, 7, 0), Offset(lower, 7, 0)), nullptr);
    EXPECT_EQ(Find(origin, lower, Offset(origin, 8, 0), Offset(lower, 7, 0)), nullptr);
    EXPECT_NE(Find(origin, lower, Offset(origin, 0, -8), Offset(lower, 0, -8)), nullptr);
    EXPECT_EQ(Find(origin, lower, Offset(origin, 0, -8), Offset(lower, 0, -9)), nullptr);
    EXPECT_EQ(Find(origin, Offset(origin, 0, 8), origin, Offset(origin, 0, 8)), nullptr) << "segment too long";
    EXPECT_NE(Find(origin, Offset(origin, -8, 0), Offset(origin, 0, 0), Offset(origin, -8, 0)), nullptr);
}

TEST(TexelFootprint, AnotherPitchForgetsTheFootprintsOfTheFirst) {
    // One step right with a segment two pixels down: its pixels are the start point and the one
    // below it; the segment at the end points belongs to the next texel.
    const PixelPoint lower = Offset(origin, 0, 2);
    UseFootprintsForPitch(400);
    const TexelFootprint* narrow = Find(origin, lower, Offset(origin, 1, 0), Offset(lower, 1, 0));
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(std::set<std::int32_t>(narrow->offsets, narrow->offsets + narrow->count),
              (std::set<std::int32_t>{0, 400}));
    UseFootprintsForPitch(1000);
    const TexelFootprint* wide = Find(origin, lower, Offset(origin, 1, 0), Offset(lower, 1, 0));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::set<std::int32_t>(wide->offsets, wide->offsets + wide->count), (std::set<std::int32_t>{0, 1000}));
}

}  // namespace
