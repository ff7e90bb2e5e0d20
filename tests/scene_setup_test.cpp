// Scene set-up: what the built-in map and a screen give, the star field, the light points, the
// day-and-night table, the generator, and every way set-up refuses a map or a screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "scene/globe_scene.h"
#include "scene/random_generator.h"
#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "tests/support/recording_seam.h"
#include "tests/support/scene_fixture.h"

namespace {

struct Bgr {
    std::uint8_t blue, green, red;
};

std::vector<std::uint8_t> PlainMap(std::int32_t width, std::int32_t height) {
    return MakeMapFile(width, height, [](int, int) { return Bgr{10, 80, 90}; });
}

int SetUpFrom(const std::vector<std::uint8_t>& file, ScreenMetrics screen = {640, 480}) {
    ClearRecordedMessages();
    return SetUpScene(screen, InfoHeader(file), PixelRows(file));
}

}  // namespace

TEST(StandardRandom, FollowsTheClassicSequence) {
    SeedStandardRandom(1);
    const int expected[] = {346, 130, 10982, 1090, 11656};
    for (int value : expected) EXPECT_EQ(StandardRandom(), value);
}

TEST(LongRandom, ContinuesFromTheSeededState) {
    // Seeding sets the low half only; each standard draw replaces only the low half.
    SeedStandardRandom(12345);
    StandardRandom();
    std::uint64_t state = 12345u * 0x15A4E35u + 1u;
    for (int i = 0; i < 4; ++i) {
        state = state * 0x000015A400004E35ull + 1;
        EXPECT_EQ(LongRandom(), static_cast<std::int32_t>((state >> 32) & 0x7FFFFFFF));
    }
}

TEST(SceneSetUp, DerivesTheGeometryOfTheBuiltInMap) {
    SetUpBuiltInScene(640, 480, 1000000000);
    const GlobeScene& s = globeScene;
    EXPECT_EQ(s.mapWidth, 1000);
    EXPECT_EQ(s.mapHeight, 500);
    EXPECT_EQ(s.mapBitsPerPixel, 24);
    EXPECT_EQ(s.mapBytesPerPixel, 3);
    EXPECT_EQ(s.globeRadius, 1000);
    EXPECT_EQ(s.halfGlobeRadius, 500);
    EXPECT_EQ(s.latitudeBands, 30);
    EXPECT_EQ(s.longitudeBands, 30);
    EXPECT_EQ(s.bandRows, 16.0f);
    EXPECT_EQ(s.bandColumns, 33.0f);
    EXPECT_EQ(s.mapRowStride, 3000);
    EXPECT_EQ(s.screenCentreX, 320);
    EXPECT_EQ(s.screenCentreY, 240);
    EXPECT_EQ(s.orbitPosition, 0);
}

TEST(SceneSetUp, FillsTheDayAndNightTable) {
    SetUpBuiltInScene(640, 480, 1);
    const std::uint8_t* table = globeScene.columnBrightness;
    EXPECT_EQ(table[0], 99);
    EXPECT_EQ(table[1], 99);
    EXPECT_EQ(table[2], 98);
    EXPECT_EQ(table[129], 35);
    EXPECT_EQ(table[130], 34);
    EXPECT_EQ(table[499], 34);
    EXPECT_EQ(table[500], 35);
    EXPECT_EQ(table[629], 99);
    EXPECT_EQ(table[630], 100);
    EXPECT_EQ(table[999], 100);
}

TEST(SceneSetUp, KeepsEveryStarInsideTheScreenForAnyClock) {
    for (std::int64_t clock : {0LL, 1LL, 1000000000LL, 1765084800LL, 4294967295LL}) {
        SetUpBuiltInScene(320, 200, clock);
        for (int i = 0; i < starCount; ++i) {
            const ScreenPoint p = globeScene.stars.position[i];
            ASSERT_GE(p.x, 3);
            ASSERT_LE(p.x, 320 - 2);
            ASSERT_GE(p.y, 3);
            ASSERT_LE(p.y, 200 - 2);
            ASSERT_GE(globeScene.stars.brightness[i], 0);
            ASSERT_LE(globeScene.stars.brightness[i], 254);
        }
    }
}

TEST(SceneSetUp, SameClockSameStarsAndLights) {
    SetUpBuiltInScene(800, 600, 777);
    const StarField first = globeScene.stars;
    const std::vector<std::uint8_t> firstMask(globeScene.lightMask.get(), globeScene.lightMask.get() + 500000);
    SetUpBuiltInScene(800, 600, 777);
    EXPECT_EQ(std::memcmp(&first, &globeScene.stars, sizeof first), 0);
    EXPECT_TRUE(std::equal(firstMask.begin(), firstMask.end(), globeScene.lightMask.get()));
    SetUpBuiltInScene(800, 600, 778);
    EXPECT_NE(std::memcmp(&first, &globeScene.stars, sizeof first), 0);
}

TEST(LightPoints, FallOnlyWhereBlueIsStrictlyTheSmallest) {
    // Columns alternate: land-like (blue smallest), grey, and blue equal to green.
    const auto file = MakeMapFile(200, 100, [](int, int c) {
        if (c % 3 == 0) return Bgr{20, 90, 120};
        if (c % 3 == 1) return Bgr{200, 200, 200};
        return Bgr{50, 50, 120};
    });
    ASSERT_EQ(SetUpFrom(file), 1);
    int lights = 0;
    for (int r = 0; r < 100; ++r) {
        for (int c = 0; c < 200; ++c) {
            const std::uint8_t mark = globeScene.lightMask[r * 200 + c];
            if (mark == 0) continue;
            ASSERT_EQ(mark, 0xFF);
            ASSERT_EQ(c % 3, 0) << "a light point on a texel whose blue is not the smallest, column " << c;
            ++lights;
        }
    }
    EXPECT_GT(lights, 100);  // about a third of 1000 stars, fewer where two share a texel
    EXPECT_LE(lights, starCount);
}

TEST(LightPoints, BuiltInMapLightsLandAndNeverIceOrSea) {
    SetUpBuiltInScene(640, 480, 1000000000);
    const std::uint8_t* pixels = globeScene.mapPixels;
    int lights = 0;
    for (int i = 0; i < 1000 * 500; ++i) {
        if (globeScene.lightMask[i] == 0) continue;
        const std::uint8_t* texel = pixels + (i / 1000) * 3000 + (i % 1000) * 3;
        ASSERT_LT(texel[0], texel[1]);
        ASSERT_LT(texel[0], texel[2]);
        ++lights;
    }
    // About a fifth of the map's texels are land.
    EXPECT_GT(lights, 100);
    EXPECT_LT(lights, 400);
}

TEST(SceneSetUpRefuses, NoPixelsWithTheSystemsOwnMessage) {
    const auto file = PlainMap(100, 50);
    ClearRecordedMessages();
    EXPECT_EQ(SetUpScene({640, 480}, InfoHeader(file), nullptr), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0], "Source image is NULL");
    EXPECT_FALSE(globeScene.ready);
}

TEST(SceneSetUpRefuses, NoHeaderSilently) {
    const auto file = PlainMap(100, 50);
    ClearRecordedMessages();
    EXPECT_EQ(SetUpScene({640, 480}, nullptr, PixelRows(file)), 0);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST(SceneSetUpRefuses, ScreensTooSmallForTheFormulas) {
    const auto file = PlainMap(100, 50);
    EXPECT_EQ(SetUpFrom(file, {4, 480}), 0);
    EXPECT_EQ(SetUpFrom(file, {640, 4}), 0);
    EXPECT_EQ(SetUpFrom(file, {640, 7}), 0);
    EXPECT_EQ(SetUpFrom(file, {0, 0}), 0);
    EXPECT_EQ(SetUpFrom(file, {-640, 480}), 0);
    EXPECT_EQ(SetUpFrom(file, {5, 8}), 1);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST(SceneSetUpRefuses, MapsTooSmallOrTooWide) {
    EXPECT_EQ(SetUpFrom(PlainMap(4, 50)), 0);
    EXPECT_EQ(SetUpFrom(PlainMap(100, 4)), 0);
    EXPECT_EQ(SetUpFrom(PlainMap(1001, 50)), 0);
    EXPECT_EQ(SetUpFrom(PlainMap(1000, 500)), 1);
    // A 5 x 5 map lowers the bands to 5 each way, one texel per band.
    ASSERT_EQ(SetUpFrom(PlainMap(5, 5)), 1);
    EXPECT_EQ(globeScene.latitudeBands, 5);
    EXPECT_EQ(globeScene.bandRows, 1.0f);
}

TEST(SceneSetUpRefuses, MapsThatAreNot24Bit) {
    for (std::uint32_t bits : {1u, 8u, 16u, 32u}) {
        auto file = PlainMap(100, 50);
        PutLittleEndian(file, 28, bits, 2);
        EXPECT_EQ(SetUpFrom(file), 0) << bits << " bits per pixel";
    }
}

TEST(SceneSetUpRefuses, PixelBytesThatDoNotCoverTheRows) {
    auto file = PlainMap(101, 50);  // 303 bytes a row, stored in 304
    PutLittleEndian(file, 34, 304 * 50 - 1, 4);
    EXPECT_EQ(SetUpFrom(file), 0);
    PutLittleEndian(file, 34, 304 * 50, 4);
    EXPECT_EQ(SetUpFrom(file), 1);
}
