// Frame composition and globe texture mapping, judged on the frames they produce: star colours
// and twinkle marks, clipping at the edges, the day-and-night table, shading, the fourth byte,
// wide pitches, failed locks and the parts of the map the globe never shows.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <tuple>
#include <vector>

#include "render/frame_composition.h"
#include "render/globe_texture.h"
#include "scene/frame_tick.h"
#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "scene/random_generator.h"
#include "scene/sphere.h"
#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "tests/support/recording_seam.h"
#include "tests/support/scene_fixture.h"

namespace {

constexpr std::int32_t width = 64;
constexpr std::int32_t height = 48;

// A scene whose stars are all parked at one harmless spot, so a test can place the few it needs.
class StarFrame : public ::testing::Test {
protected:
    void SetUp() override {
        SetUpBuiltInScene(width, height, 1);
        for (int i = 0; i < starCount; ++i) globeScene.stars.position[i] = {3, 3}, globeScene.stars.brightness[i] = 0;
        frame = LockBackBuffer();
        std::memset(frame.pixels, 0, static_cast<std::size_t>(frame.pitch) * height);
    }
    void Place(int star, std::int32_t x, std::int32_t y, std::int32_t brightness) {
        globeScene.stars.position[star] = {x, y};
        globeScene.stars.brightness[star] = brightness;
    }
    LockedFrame frame{};
};

Pixel Grey(std::uint8_t level) { return {level, level, level, 0}; }

}  // namespace

TEST_F(StarFrame, ColoursAndMarksFollowTheBrightness) {
    Place(0, 10, 10, 231);
    Place(1, 30, 10, 232);
    Place(2, 50, 10, 235);
    Place(3, 10, 30, 248);
    Place(4, 30, 30, 251);
    DrawStarField(frame);

    EXPECT_EQ(PixelAt(frame, 10, 10), Grey(231));
    EXPECT_EQ(PixelAt(frame, 11, 10), Grey(0)) << "231 has no marks";

    EXPECT_EQ(PixelAt(frame, 30, 10), Grey(232));
    const Pixel inner = PixelAt(frame, 31, 10);
    EXPECT_GE(inner.blue, 64);
    EXPECT_LE(inner.blue, 190);
    for (auto [dx, dy] : {std::pair{2, 0}, {-2, 0}, {0, 2}, {0, -2}, {-1, 0}, {0, 1}, {0, -1}})
        EXPECT_EQ(PixelAt(frame, 30 + dx, 10 + dy), inner);
    EXPECT_EQ(PixelAt(frame, 31, 11), Grey(0)) << "232 has no outer marks";

    EXPECT_EQ(PixelAt(frame, 50, 10), (Pixel{255, 255, 0, 0})) << "235 is cyan";

    EXPECT_EQ(PixelAt(frame, 10, 30), Grey(248));
    const Pixel inner248 = PixelAt(frame, 11, 30);
    const Pixel outer248 = PixelAt(frame, 11, 31);
    EXPECT_EQ(outer248.blue, inner248.blue - 64);
    for (auto [dx, dy] : {std::pair{-1, -1}, {-1, 1}, {1, -1}, {3, 0}, {-3, 0}, {0, 3}, {0, -3}})
        EXPECT_EQ(PixelAt(frame, 10 + dx, 30 + dy), outer248);

    EXPECT_EQ(PixelAt(frame, 30, 30), (Pixel{0, 255, 255, 0})) << "251 is yellow";
}

TEST_F(StarFrame, TwinkleGreyIsDrawnAnewForEveryStarAndFrame) {
    Place(0, 20, 20, 240);
    Place(1, 40, 20, 240);
    std::uint8_t greys[8];
    for (int f = 0; f < 4; ++f) {
        DrawStarField(frame);
        greys[2 * f] = PixelAt(frame, 21, 20).blue;
        greys[2 * f + 1] = PixelAt(frame, 41, 20).blue;
    }
    EXPECT_GT(std::count_if(greys + 1, greys + 8, [&](std::uint8_t g) { return g != greys[0]; }), 4);
}

// Marks near the top-left edge reach row and column 0; near the bottom-right they are clipped
// pixel by pixel, never wrapping into the next row's first columns, and the star still takes its
// draw from the twinkle generator.
TEST_F(StarFrame, MarksAtTheEdgesAreClippedNotSkipped) {
    Place(0, 3, 3, 250);
    Place(1, width - 2, height - 2, 250);
    Place(2, 20, 20, 240);
    Place(3, width - 2, 30, 250);
    SeedStandardRandom(99);
    DrawStarField(frame);
    EXPECT_NE(PixelAt(frame, 0, 3).blue, 0);
    EXPECT_NE(PixelAt(frame, 3, 0).blue, 0);
    EXPECT_NE(PixelAt(frame, width - 1, height - 2).blue, 0);
    EXPECT_NE(PixelAt(frame, width - 2, height - 1).blue, 0);
    EXPECT_NE(PixelAt(frame, width - 3, height - 3).blue, 0);
    for (int y : {30, height - 2})
        for (int x : {0, 1}) EXPECT_EQ(PixelAt(frame, x, y + 1), Grey(0)) << "a mark wrapped into (" << x << ", " << y + 1 << ")";

    SeedStandardRandom(99);
    LongRandom();
    LongRandom();
    EXPECT_EQ(PixelAt(frame, 21, 20).blue, 64 + LongRandom() % 127) << "the clipped star skipped its draw";
}

TEST(ShadeTexel, NightLightsKeepTheirColourAndEverythingElseIsScaled) {
    const std::uint8_t texel[3] = {200, 100, 50};
    const auto equal = [](TexelColour c, int b, int g, int r) { return c.blue == b && c.green == g && c.red == r; };
    EXPECT_TRUE(equal(ShadeTexel(texel, 0, 34), 68, 34, 17));
    EXPECT_TRUE(equal(ShadeTexel(texel, 255, 34), 200, 100, 50));
    EXPECT_TRUE(equal(ShadeTexel(texel, 255, 35), 70, 35, 17));
    EXPECT_TRUE(equal(ShadeTexel(texel, 254, 34), 68, 34, 17));
    EXPECT_TRUE(equal(ShadeTexel(texel, 0, 100), 200, 100, 50));
    EXPECT_TRUE(equal(ShadeTexel(texel, 0, 0), 0, 0, 0));
    EXPECT_TRUE(equal(ShadeTexel(texel, 0, 255), static_cast<std::uint8_t>(510), 255, 127));
}

TEST(DrawSegment, StepsAlternatelyAndLeavesTheEndPoint) {
    SetUpBuiltInScene(width, height, 1);
    LockedFrame frame = LockBackBuffer();
    std::memset(frame.pixels, 0, static_cast<std::size_t>(frame.pitch) * height);
    const TexelColour white{255, 255, 255};
    DrawSegment(frame, 10, 10, 13, 11, white);
    DrawSegment(frame, 20, 20, 20, 20, white);  // coincident: nothing
    DrawSegment(frame, -2, 30, 2, 30, white);   // clipped at the left edge
    DrawSegment(frame, width - 1, 40, width + 3, 40, white);
    int lit = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) lit += PixelAt(frame, x, y).blue != 0;
    EXPECT_EQ(lit, 4 + 2 + 1);
    for (auto [x, y] : {std::pair{10, 10}, {11, 10}, {11, 11}, {12, 11}, {0, 30}, {1, 30}, {width - 1, 40}})
        EXPECT_EQ(PixelAt(frame, x, y), (Pixel{255, 255, 255, 0})) << x << "," << y;
}

TEST(DrawGlobe, DrawsOnlyCellsMarkedExactlyOne) {
    SetUpBuiltInScene(640, 480, 1);
    ComputeOrientation(30, 0, 100);
    const auto litPixelsWith = [](int marking) {
        BuildSphere(100.0f);
        for (int& v : globeScene.cellVisible) v = (v == 1) ? marking : v;
        LockedFrame frame = LockBackBuffer();
        std::memset(frame.pixels, 0, static_cast<std::size_t>(frame.pitch) * 480);
        DrawGlobe(frame);
        UnlockBackBuffer();
        return std::count_if(frame.pixels, frame.pixels + 640 * 480 * 4, [](std::uint8_t b) { return b != 0; });
    };
    EXPECT_GT(litPixelsWith(1), 100000);
    EXPECT_EQ(litPixelsWith(0), 0);
    EXPECT_EQ(litPixelsWith(2), 0);
    EXPECT_EQ(litPixelsWith(-1), 0);
}

TEST(RenderFrame, FourthByteStaysZeroAndAWiderPitchOnlyMovesRows) {
    SetUpBuiltInScene(1025, 771, 5);
    for (int tick = 0; tick < 700; ++tick) AdvanceFrame();
    const LockedFrame narrow = PeekMemoryFrame();
    std::vector<std::uint8_t> expected(narrow.pixels, narrow.pixels + 4 * 1025 * 771);
    for (std::size_t i = 3; i < expected.size(); i += 4) ASSERT_EQ(expected[i], 0) << "pixel " << i / 4;

    SetUpBuiltInScene(1025, 771, 5, 4 * 1025 + 28);
    std::memset(PeekMemoryFrame().pixels, 0xEE, static_cast<std::size_t>(4 * 1025 + 28) * 771);
    for (int tick = 0; tick < 700; ++tick) AdvanceFrame();
    const LockedFrame wide = PeekMemoryFrame();
    for (int y = 0; y < 771; ++y) {
        const std::uint8_t* row = wide.pixels + static_cast<std::ptrdiff_t>(y) * wide.pitch;
        ASSERT_EQ(std::memcmp(row, expected.data() + 4 * 1025 * y, 4 * 1025), 0) << "row " << y;
        for (int i = 4 * 1025; i < wide.pitch; ++i) ASSERT_EQ(row[i], 0) << "padding of row " << y << " not cleared";
    }
}

// A word-wise digest of a whole frame, padding included, quick enough to take every tick.
std::uint64_t FrameDigest() {
    const LockedFrame frame = PeekMemoryFrame();
    const std::size_t words = static_cast<std::size_t>(frame.pitch) * globeScene.clipHeight / 8;
    std::uint64_t digest = 0;
    for (std::size_t i = 0; i < words; ++i) {
        std::uint64_t word;
        std::memcpy(&word, frame.pixels + 8 * i, 8);
        digest = (digest ^ word) * 0x100000001b3ull + i;
    }
    return digest;
}

// A frame drawn over the last one, with only the places that one drew cleared and only the stars
// that may have changed drawn, is the frame drawn on a cleared screen: over a whole orbit with the
// globe running off the screen's edges (a small screen), and on rows padded past their last pixel.
TEST(RenderFrame, ClearingWhereTheLastFrameDrewGivesTheFramesOfAWholeClear) {
    for (const auto& [width, height, pitch, ticks] :
         {std::tuple{320, 240, 0, 0}, std::tuple{1025, 771, 4 * 1025 + 28, 150}}) {
        std::vector<std::uint64_t> frames[2];
        for (const bool kept : {false, true}) {
            SetUpBuiltInScene(width, height, 9, pitch);
            SetMemoryFrameKept(kept);
            const std::int32_t count = ticks > 0 ? ticks : globeScene.orbitLength + 40;
            for (std::int32_t tick = 0; tick < count; ++tick) {
                AdvanceFrame();
                frames[kept].push_back(FrameDigest());
                ASSERT_EQ(MemoryChangedPlaces().count < 0, !kept || tick == 0) << "tick " << tick + 1;
            }
        }
        ASSERT_EQ(frames[0].size(), frames[1].size());
        for (std::size_t i = 0; i < frames[0].size(); ++i)
            ASSERT_EQ(frames[0][i], frames[1][i]) << width << "x" << height << ", tick " << i + 1;
    }
}

// Every pixel that differs from the frame before lies in a place the renderer named when it
// unlocked: over a whole orbit of a small screen (the globe off its edges), and across a new
// set-up on the same display, which moves every star.
TEST(RenderFrame, EveryChangedPixelLiesWhereTheRendererSaidItMightChange) {
    const auto checkTick = [](const std::vector<std::uint8_t>& before, std::int32_t width, std::int32_t height,
                              std::int32_t tick) {
        const LockedFrame frame = PeekMemoryFrame();
        const ChangedPlaces places = MemoryChangedPlaces();
        ASSERT_GE(places.count, 0) << "tick " << tick << ": the places of a frame drawn over the last are known";
        std::int32_t changedPixels = 0;
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * frame.pitch + 4 * x;
                if (std::memcmp(&before[at], frame.pixels + at, 4) == 0) continue;
                ++changedPixels;
                const bool named = std::any_of(places.boxes, places.boxes + places.count, [&](const PixelBox& b) {
                    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
                });
                ASSERT_TRUE(named) << "tick " << tick << ": pixel " << x << "," << y << " changed unnamed";
            }
        ASSERT_GT(changedPixels, 0) << "tick " << tick;
    };
    SetUpBuiltInScene(320, 240, 4);
    AdvanceFrame();
    EXPECT_EQ(MemoryChangedPlaces().count, -1) << "a frame cleared whole may differ anywhere";
    const std::int32_t ticks = globeScene.orbitLength;
    for (std::int32_t tick = 2; tick <= ticks; ++tick) {
        const LockedFrame frame = PeekMemoryFrame();
        const std::vector<std::uint8_t> before(frame.pixels, frame.pixels + frame.pitch * 240);
        AdvanceFrame();
        checkTick(before, 320, 240, tick);
    }
    const LockedFrame frame = PeekMemoryFrame();
    const std::vector<std::uint8_t> before(frame.pixels, frame.pixels + frame.pitch * 240);
    SetTestClock(5);
    ASSERT_EQ(SetUpScene({320, 240}, mapImage.headerBlock, mapImage.pixelData.get()), 1);
    AdvanceFrame();
    checkTick(before, 320, 240, 0);
}

// A new set-up on the same display moves the stars: none of the old ones stays behind.
TEST(RenderFrame, ANewSceneOnTheSameDisplayLeavesNothingOfTheOld) {
    SetUpBuiltInScene(640, 480, 1);
    const LockedFrame frame = PeekMemoryFrame();
    std::vector<std::uint64_t> fresh;
    for (int tick = 0; tick < 30; ++tick) {
        AdvanceFrame();
        fresh.push_back(FrameChecksum(frame, 640, 480));
    }
    SetUpBuiltInScene(640, 480, 2);
    for (int tick = 0; tick < 50; ++tick) AdvanceFrame();
    ASSERT_EQ(LoadMapImage(BuiltInMapBytes(), BuiltInMapSize(), nullptr), 1);
    SetTestClock(1);
    ASSERT_EQ(SetUpScene({640, 480}, mapImage.headerBlock, mapImage.pixelData.get()), 1);
    for (int tick = 0; tick < 30; ++tick) {
        AdvanceFrame();
        ASSERT_EQ(FrameChecksum(PeekMemoryFrame(), 640, 480), fresh[tick]) << "tick " << tick + 1;
    }
}

TEST(RenderFrame, AFailedLockNeitherDrawsNorTurnsTheTable) {
    SetUpBuiltInScene(320, 240, 3);
    AdvanceFrame();
    const std::uint64_t before = FrameChecksum(PeekMemoryFrame(), 320, 240);
    std::uint8_t table[brightnessColumns];
    std::memcpy(table, globeScene.columnBrightness, sizeof table);
    const std::int32_t position = globeScene.orbitPosition;
    SetMemoryLockFailure(true);
    AdvanceFrame();
    SetMemoryLockFailure(false);
    EXPECT_EQ(FrameChecksum(PeekMemoryFrame(), 320, 240), before);
    EXPECT_EQ(std::memcmp(table, globeScene.columnBrightness, sizeof table), 0);
    EXPECT_EQ(globeScene.orbitPosition, position + 1) << "the animation still advances";
}

TEST(RenderFrame, DayAndNightTableTurnsOnceAFrameAndComesBackAfterAThousand) {
    SetUpBuiltInScene(64, 48, 3);
    std::uint8_t first[brightnessColumns];
    std::memcpy(first, globeScene.columnBrightness, sizeof first);
    RenderFrame();
    EXPECT_EQ(globeScene.columnBrightness[0], first[1]);
    EXPECT_EQ(globeScene.columnBrightness[998], first[999]);
    EXPECT_EQ(globeScene.columnBrightness[999], first[0]);
    for (int i = 1; i < 1000; ++i) RenderFrame();
    EXPECT_EQ(std::memcmp(first, globeScene.columnBrightness, sizeof first), 0);
}

// The globe shows map rows 0 to 479 and columns 0 to 989 only: paint the rest a colour nothing
// else in a frame can have (red alone) and look for it over a whole orbit.
TEST(DrawGlobe, NeverShowsTheMapsLastRowsAndColumns) {
    const auto file = MakeMapFile(1000, 500, [](int r, int c) {
        struct Bgr { std::uint8_t blue, green, red; };
        return r >= 480 || c >= 990 ? Bgr{0, 0, 250} : Bgr{0, 200, 0};
    });
    SetTestClock(11);
    ASSERT_EQ(SetUpScene({320, 240}, InfoHeader(file), PixelRows(file)), 1);
    ASSERT_EQ(CreateDisplay({0, 320, 240, 0}), 1);
    int globePixels = 0;
    for (int tick = 0; tick < globeScene.orbitLength * 2; tick += 1) {
        AdvanceFrame();
        if (tick % 9 != 0) continue;
        const LockedFrame frame = PeekMemoryFrame();
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const Pixel p = PixelAt(frame, x, y);
                ASSERT_FALSE(p.red != 0 && p.green == 0 && p.blue == 0) << "tick " << tick << " at " << x << "," << y;
                globePixels += p.green != 0 && p.blue == 0 && p.red == 0;
            }
        }
    }
    EXPECT_GT(globePixels, 100000);
}
