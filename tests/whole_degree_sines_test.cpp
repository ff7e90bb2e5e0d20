// The sine table: the angles the globe is turned by, and the failure of any other angle. That
// the entries are correctly rounded is checked by scripts/generate-sine-table.py --check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "scene/whole_degree_sines.h"

TEST(WholeDegreeSines, QuarterTurnsAndSymmetries) {
    EXPECT_EQ(WholeDegreeSine(0), 0.0);
    EXPECT_EQ(WholeDegreeCosine(0), 1.0);
    // 3.14159 falls short of pi: a quarter turn leaves a cosine of about 1.3e-6.
    EXPECT_NEAR(WholeDegreeCosine(90), 1.3e-6, 1e-7);
    for (std::int32_t degrees = 1; degrees <= 90; ++degrees) {
        EXPECT_EQ(WholeDegreeSine(-degrees), -WholeDegreeSine(degrees)) << degrees;
        EXPECT_EQ(WholeDegreeCosine(-degrees), WholeDegreeCosine(degrees)) << degrees;
    }
}

TEST(WholeDegreeSines, AgreeWithTheCLibraryToTheLastBitButOne) {
    for (std::int32_t degrees = firstTableDegree; degrees <= lastTableDegree; ++degrees) {
        const double radians = static_cast<float>(degrees * (3.14159 / 180.0));
        EXPECT_NEAR(WholeDegreeSine(degrees), std::sin(radians), 2.3e-16) << degrees;
        EXPECT_NEAR(WholeDegreeCosine(degrees), std::cos(radians), 2.3e-16) << degrees;
    }
}

TEST(WholeDegreeSinesDeathTest, AnAngleOutsideTheTableStopsTheProgram) {
    EXPECT_DEATH_IF_SUPPORTED(WholeDegreeSine(lastTableDegree + 1), "");
    EXPECT_DEATH_IF_SUPPORTED(WholeDegreeCosine(firstTableDegree - 1), "");
}
