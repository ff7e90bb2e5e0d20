// The orbit: its length, its landmarks on a 640 x 480 screen, the size factors, and a closed,
// unbroken path on screens of every size, the widest included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "scene/globe_scene.h"
#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "tests/support/scene_fixture.h"

namespace {

// The absolute screen position of orbit point i, point 0 having been (321, 241) on 640 x 480.
ScreenPoint Absolute(int i, ScreenPoint first) {
    return {globeScene.orbitPoints[i].x + first.x, globeScene.orbitPoints[i].y + first.y};
}

}  // namespace

TEST(Orbit, LandmarksOnA640By480Screen) {
    SetUpBuiltInScene(640, 480, 1);
    const GlobeScene& s = globeScene;
    ASSERT_EQ(s.orbitLength, 1360);
    EXPECT_EQ(s.orbitPoints[0].x, 0);
    EXPECT_EQ(s.orbitPoints[0].y, 0);
    const ScreenPoint first{321, 241};
    EXPECT_EQ(Absolute(339, first).x, 639);
    EXPECT_EQ(Absolute(339, first).y, 360);
    EXPECT_NEAR(s.orbitScale[339], 70.0f, 0.001f);
    for (int i = 333; i <= 345; ++i) EXPECT_EQ(Absolute(i, first).x, 639) << i;
    EXPECT_NE(Absolute(332, first).x, 639);
    EXPECT_NE(Absolute(346, first).x, 639);
    EXPECT_EQ(Absolute(679, first).x, 320);
    EXPECT_EQ(Absolute(679, first).y, 479);
    for (int i = 650; i <= 708; ++i) EXPECT_EQ(Absolute(i, first).y, 479) << i;
    EXPECT_NE(Absolute(649, first).y, 479);
    EXPECT_NE(Absolute(709, first).y, 479);
    int lowest = 0, highest = 0;
    for (int i = 0; i < s.orbitLength; ++i) {
        lowest = std::min(lowest, s.orbitPoints[i].x);
        highest = std::max(highest, s.orbitPoints[i].x);
    }
    EXPECT_EQ(lowest, -320);
    EXPECT_EQ(highest, 318);
}

TEST(Orbit, LengthsOfCommonScreens) {
    const struct {
        std::int32_t width, height, length;
    } screens[] = {{640, 480, 1360}, {800, 600, 1704}, {1024, 768, 2184}};
    for (const auto& screen : screens) {
        SetUpBuiltInScene(screen.width, screen.height, 1);
        EXPECT_EQ(globeScene.orbitLength, screen.length) << screen.width << "x" << screen.height;
    }
}

TEST(Orbit, SizeFactorRisesFrom10To130AndBack) {
    SetUpBuiltInScene(640, 480, 1);
    const GlobeScene& s = globeScene;
    EXPECT_EQ(s.orbitScale[0], 10.0f);
    const float* largest = std::max_element(s.orbitScale.get(), s.orbitScale.get() + s.orbitLength);
    EXPECT_NEAR(*largest, 130.0f, 0.001f);
    const auto where = largest - s.orbitScale.get();
    EXPECT_TRUE(where >= 650 && where <= 708) << "largest at " << where << ", off the bottom run";
    EXPECT_NEAR(s.orbitScale[s.orbitLength - 1], 10.0f, 0.01f);
}

// Each step of the orbit moves the globe at most one pixel each way, also where a 32-bit walk
// would overflow (from about 4096 pixels wide) and make the globe jump.
TEST(Orbit, IsUnbrokenAndFitsItsBuffersOnEveryScreen) {
    const ScreenMetrics screens[] = {{5, 8}, {64, 48}, {1025, 771}, {1920, 1080}, {3840, 2160}, {7680, 4320}, {16384, 16384}};
    for (const ScreenMetrics screen : screens) {
        ASSERT_EQ(LoadMapImage(BuiltInMapBytes(), BuiltInMapSize(), nullptr), 1);
        ASSERT_EQ(SetUpScene(screen, mapImage.headerBlock, mapImage.pixelData.get()), 1);
        const GlobeScene& s = globeScene;
        ASSERT_GT(s.orbitLength, 0);
        ASSERT_LE(s.orbitLength, 2 * (screen.width + screen.height));
        for (int i = 0; i < s.orbitLength; ++i) {
            const ScreenPoint p = s.orbitPoints[i];
            const ScreenPoint q = s.orbitPoints[(i + 1) % s.orbitLength];
            ASSERT_LE(std::abs(p.x - q.x), 1) << screen.width << "x" << screen.height << " at " << i;
            ASSERT_LE(std::abs(p.y - q.y), 1) << screen.width << "x" << screen.height << " at " << i;
            if (screen.height < 48) continue;  // a few pixels of orbit have no meaningful size factor
            ASSERT_GE(s.orbitScale[i], 9.99f);
            ASSERT_LE(s.orbitScale[i], 130.01f);
        }
        // The right-hand extreme lies near a quarter of the way round, where the tilt swings.
        const int rightEnd = static_cast<int>(std::max_element(s.orbitPoints.get(), s.orbitPoints.get() + s.orbitLength,
                                                               [](ScreenPoint a, ScreenPoint b) { return a.x < b.x; }) -
                                              s.orbitPoints.get());
        EXPECT_LE(std::abs(rightEnd - s.orbitLength / 4), std::max(18, s.orbitLength / 100)) << screen.width;
    }
}
