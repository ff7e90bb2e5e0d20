// The map picture's format: the built-in map, and the images the loader must refuse rather
// than read past their end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "shell/builtin_map.h"
#include "shell/map_format.h"
#include "shell/map_image.h"
#include "tests/support/scene_fixture.h"

namespace {

struct Bgr {
    std::uint8_t blue, green, red;
};

std::vector<std::uint8_t> SmallMap() {
    return MakeMapFile(10, 6, [](int r, int c) { return Bgr{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(c), 7}; });
}

const char* Load(const std::vector<std::uint8_t>& file) {
    const char* reason = nullptr;
    return LoadMapImage(file.data(), file.size(), &reason) == 1 ? nullptr : reason;
}

}  // namespace

TEST(BuiltInMap, IsTheThousandByFiveHundredEarth) {
    ASSERT_EQ(BuiltInMapSize(), 1500054u);
    ASSERT_EQ(LoadMapImage(BuiltInMapBytes(), BuiltInMapSize(), nullptr), 1);
    const std::uint8_t* header = mapImage.headerBlock;
    EXPECT_EQ(header[4] | header[5] << 8, 1000);
    EXPECT_EQ(header[8] | header[9] << 8, 500);
    EXPECT_EQ(header[14], 24);
    EXPECT_EQ(mapImage.pixelBytes, 1500000u);
    // The first stored row is the bottom of the picture: Antarctic ice, light.
    const std::uint8_t* first = mapImage.pixelData.get();
    EXPECT_GT(first[0] + first[1] + first[2], 3 * 200);
}

TEST(MapLoader, TakesPixelsFromAfterTheColourTableWhateverTheOffsetField) {
    auto file = SmallMap();
    PutLittleEndian(file, 10, 9999, 4);  // bfOffBits is not looked at
    ASSERT_EQ(Load(file), nullptr);
    EXPECT_EQ(std::memcmp(mapImage.pixelData.get(), file.data() + 54, mapImage.pixelBytes), 0);

    // Two colour entries stand between header and pixels.
    auto withTable = SmallMap();
    withTable.insert(withTable.begin() + 54, 8, 0xCC);
    PutLittleEndian(withTable, 46, 2, 4);
    ASSERT_EQ(Load(withTable), nullptr);
    EXPECT_EQ(std::memcmp(mapImage.pixelData.get(), withTable.data() + 62, mapImage.pixelBytes), 0);
}

TEST(MapLoader, RefusesImagesItCannotTrust) {
    auto notBm = SmallMap();
    notBm[0] = 'M';
    EXPECT_STREQ(Load(notBm), "the image does not start with \"BM\"");
    EXPECT_EQ(mapImage.pixelData, nullptr);

    auto noSize = SmallMap();
    PutLittleEndian(noSize, 34, 0, 4);
    EXPECT_NE(Load(noSize), nullptr);

    auto lying = SmallMap();
    PutLittleEndian(lying, 34, 1500000, 4);
    EXPECT_STREQ(Load(lying), "the header promises more pixel bytes than the image holds");

    auto hugeTable = SmallMap();
    PutLittleEndian(hugeTable, 46, 0xFFFFFFFF, 4);
    EXPECT_NE(Load(hugeTable), nullptr);

    auto truncated = SmallMap();
    truncated.resize(40);
    EXPECT_NE(Load(truncated), nullptr);
    EXPECT_NE(Load({}), nullptr);
    EXPECT_EQ(mapImage.pixelData, nullptr);
}

TEST(MapLoader, FreeingIsSafeWhateverWasLoaded) {
    FreeMapImage();
    FreeMapImage();
    ASSERT_EQ(Load(SmallMap()), nullptr);
    FreeMapImage();
    EXPECT_EQ(mapImage.pixelData, nullptr);
    EXPECT_EQ(mapImage.pixelBytes, 0u);
}
