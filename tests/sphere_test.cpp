// Orientation and sphere projection: the rotation's conventions, the cells marked as facing
// the viewer, and the globe's size on the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "scene/sphere.h"
#include "tests/support/scene_fixture.h"

TEST(Orientation, RotatesAboutThePolarAxisThenTheHorizontal) {
    Vertex3 v;
    ComputeOrientation(0, 0, 90);
    RotatePoint(1000, 0, 0, &v);
    EXPECT_NEAR(v.x, 0, 0.01);
    EXPECT_NEAR(v.y, 1000, 0.01);
    EXPECT_NEAR(v.z, 0, 0.01);
    ComputeOrientation(90, 0, 0);
    RotatePoint(0, 0, 1000, &v);
    EXPECT_NEAR(v.x, 0, 0.01);
    EXPECT_NEAR(v.y, -1000, 0.01);
    EXPECT_NEAR(v.z, 0, 0.01);
}

TEST(Orientation, UsesTheDecimalPiAndSinglePrecisionRadians) {
    ComputeOrientation(30, 0, 180);
    EXPECT_EQ(globeOrientation.sinTurn, 0.0);
    EXPECT_EQ(globeOrientation.cosTurn, 1.0);
    EXPECT_NEAR(globeOrientation.sinSpin, 0.0000025, 0.0000005);
    EXPECT_EQ(globeOrientation.spinRadians, static_cast<float>(180 * (3.14159 / 180.0)));
    ComputeOrientation(30, 0, 90);
    EXPECT_NEAR(globeOrientation.cosSpin, 0.0000013, 0.0000005);
}

class SphereProjection : public ::testing::Test {
protected:
    void SetUp() override { SetUpBuiltInScene(640, 480, 1); }

    void Build(int tilt, int spin, float scale) {
        ComputeOrientation(tilt, 0, spin);
        BuildSphere(scale);
    }
};

TEST_F(SphereProjection, SeamColumnRepeatsTheFirstAndNothingLiesPastTheLastRow) {
    for (int spin : {0, 45, 200, 359}) {
        Build(30 + spin % 100, spin, 70.0f);
        for (int r = 0; r < 30; ++r) EXPECT_EQ(globeScene.cellVisible[r * 31 + 30], globeScene.cellVisible[r * 31]);
        for (int i = 30 * 31; i < gridEntries; ++i) ASSERT_EQ(globeScene.cellVisible[i], 0) << i;
    }
}

// The marked cells are the cap that the eye sees: none on the far hemisphere, and every cell
// well inside the near one.
TEST_F(SphereProjection, MarksExactlyTheCapFacingTheViewer) {
    for (int tilt : {30, 66, 90, 102, 138}) {
        for (int spin = 0; spin < 360; spin += 37) {
            Build(tilt, spin, 100.0f);
            int marked = 0;
            for (int r = 0; r < 30; ++r) {
                for (int c = 0; c < 30; ++c) {
                    const int i = r * 31 + c;
                    const float z = (globeScene.vertices[i].z + globeScene.vertices[i + 1].z + globeScene.vertices[i + 31].z +
                                     globeScene.vertices[i + 32].z) / 4;
                    if (globeScene.cellVisible[i] == 1) {
                        ++marked;
                        EXPECT_LT(z, -300.0f) << "far cell marked at tilt " << tilt << " spin " << spin;
                    } else {
                        EXPECT_GT(z, -600.0f) << "near cell left out at tilt " << tilt << " spin " << spin;
                    }
                }
            }
            EXPECT_GT(marked, 120);
            EXPECT_LT(marked, 450);
        }
    }
}

TEST_F(SphereProjection, OutlineGrowsWithTheSizeFactor) {
    const auto outlineRadius = [](float scale) {
        ComputeOrientation(30, 0, 359);
        BuildSphere(scale);
        int radius = 0;
        for (int i = 0; i < 31 * 31; ++i) {
            radius = std::max(radius, std::abs(globeScene.gridPoints[i].x - globeScene.screenCentreX));
            radius = std::max(radius, std::abs(globeScene.gridPoints[i].y - globeScene.screenCentreY));
        }
        return radius;
    };
    EXPECT_NEAR(outlineRadius(10.0f), 29, 3);
    EXPECT_NEAR(outlineRadius(130.0f), 375, 15);
}
