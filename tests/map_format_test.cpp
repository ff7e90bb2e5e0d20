// The map picture's format: the built-in map, and the images the loader must refuse rather
// than read past their end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "scene/frame_tick.h"
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

TEST(MapLoader, RefusesImagesItCannotTrustAndSaysWhy) {
    auto notBm = SmallMap();
    notBm[0] = 'M';
    EXPECT_STREQ(Load(notBm), "the image does not start with \"BM\"");
    EXPECT_EQ(mapImage.pixelData, nullptr);

    auto noSize = SmallMap();
    PutLittleEndian(noSize, 34, 0, 4);
    EXPECT_STREQ(Load(noSize), "the header gives no pixel byte count (biSizeImage is 0)");

    auto lying = SmallMap();
    PutLittleEndian(lying, 34, 1500000, 4);
    EXPECT_STREQ(Load(lying), "the header promises more pixel bytes than the image holds");

    // A colour table of 2^32 - 1 entries would wrap a 32-bit sum round to a small offset.
    auto hugeTable = SmallMap();
    PutLittleEndian(hugeTable, 46, 0xFFFFFFFF, 4);
    EXPECT_STREQ(Load(hugeTable), "the header promises more pixel bytes than the image holds");
    PutLittleEndian(hugeTable, 46, 0x40000000, 4);  // four bytes an entry: 2^32, 0 in 32 bits
    EXPECT_STREQ(Load(hugeTable), "the header promises more pixel bytes than the image holds");

    EXPECT_STREQ(Load({'B'}), "the image is empty");
    EXPECT_STREQ(Load({}), "the image is empty");
    EXPECT_EQ(mapImage.pixelData, nullptr);
}

// Every size the header gives, exactly at what the file holds and one byte past it.
TEST(MapLoader, EachSizeFieldAtTheLimitLoadsAndOneBytePastIsRefused) {
    const auto map = SmallMap();  // 10 x 6: 32 bytes a row (30 and 2 of padding), 192 pixel bytes
    ASSERT_EQ(map.size(), 54u + 192u);

    auto headersOnly = map;
    headersOnly.resize(54);
    PutLittleEndian(headersOnly, 34, 1, 4);
    EXPECT_STREQ(Load(headersOnly), "the header promises more pixel bytes than the image holds");
    headersOnly.resize(53);
    EXPECT_STREQ(Load(headersOnly), "the image ends inside its headers");

    // biSizeImage against the bytes after the headers.
    auto sized = map;
    PutLittleEndian(sized, 34, 192, 4);
    EXPECT_EQ(Load(sized), nullptr);
    EXPECT_EQ(mapImage.pixelBytes, 192u);
    PutLittleEndian(sized, 34, 193, 4);
    EXPECT_STREQ(Load(sized), "the header promises more pixel bytes than the image holds");
    EXPECT_EQ(mapImage.pixelData, nullptr);

    // Colour-table entries: the pixels start after them, so they eat into the same bytes.
    auto withTable = map;
    withTable.insert(withTable.begin() + 54, 12, 0xEE);  // three entries
    PutLittleEndian(withTable, 46, 3, 4);
    EXPECT_EQ(Load(withTable), nullptr);
    EXPECT_EQ(mapImage.pixelData[0], map[54]) << "the pixels start right after the third entry";
    PutLittleEndian(withTable, 46, 4, 4);
    EXPECT_STREQ(Load(withTable), "the header promises more pixel bytes than the image holds");

    // Trailing bytes past the pixels are not looked at.
    auto trailing = map;
    trailing.insert(trailing.end(), 7, 0x55);
    ASSERT_EQ(Load(trailing), nullptr);
    EXPECT_EQ(mapImage.pixelBytes, 192u);
}

// The scene's own limits on a map that loaded: the width against the day-and-night table, the
// least size the star passes can divide by, the bit count, and row stride times height against
// the pixel bytes, each exactly at the limit and one past it, with the reason given.
TEST(MapLoader, SceneTakesMapsUpToEachLimitAndSaysWhyNotPastIt) {
    const auto plain = [](int r, int c) { return Bgr{static_cast<std::uint8_t>(r + c), 90, 200}; };
    const auto setUp = [](const std::vector<std::uint8_t>& file) -> const char* {
        return SetUpSceneFromMap({64, 48}, file.data(), file.size());
    };
    EXPECT_EQ(setUp(MakeMapFile(1000, 5, plain)), nullptr);
    EXPECT_STREQ(setUp(MakeMapFile(1001, 5, plain)), "the map is more than 1000 pixels wide");
    EXPECT_EQ(setUp(MakeMapFile(5, 5, plain)), nullptr);
    EXPECT_STREQ(setUp(MakeMapFile(4, 9, plain)), "the map is too small");
    EXPECT_STREQ(setUp(MakeMapFile(9, 4, plain)), "the map is too small");

    auto eightBit = MakeMapFile(12, 8, plain);
    PutLittleEndian(eightBit, 28, 8, 2);
    EXPECT_STREQ(setUp(eightBit), "the map is not a 24-bit picture");

    // 13 texels a row: 39 bytes stored in 40; 9 rows need 360 bytes.
    auto odd = MakeMapFile(13, 9, plain);
    ASSERT_EQ(setUp(odd), nullptr);
    EXPECT_EQ(globeScene.mapRowStride, 40);
    PutLittleEndian(odd, 34, 359, 4);
    EXPECT_STREQ(setUp(odd), "the map's pixel bytes do not cover its rows");
    // A height that outgrows the pixels is refused the same way.
    odd = MakeMapFile(13, 9, plain);
    PutLittleEndian(odd, 22, 10, 4);
    EXPECT_STREQ(setUp(odd), "the map's pixel bytes do not cover its rows");
    FreeMapImage();
}

// Whatever the fuzzer kept, and the maps the Windows build is tested with: each is loaded and
// drawn, or refused with a reason, never read past its end.
TEST(MapCorpus, EveryFileIsLoadedAndDrawnOrRefusedWithAReason) {
    std::string corpora = QUILLOMANTRASE_MAP_CORPORA;
    int files = 0;
    ASSERT_EQ(CreateDisplay({0, 64, 48, 0}), 1);
    for (std::size_t start = 0; start < corpora.size();) {
        std::size_t end = corpora.find(':', start);
        if (end == std::string::npos) end = corpora.size();
        for (const auto& entry : std::filesystem::directory_iterator(corpora.substr(start, end - start))) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            ++files;
            const char* reason = SetUpSceneFromMap({64, 48}, bytes.data(), bytes.size());
            if (reason == nullptr) {
                AdvanceFrame();
                AdvanceFrame();
                EXPECT_EQ(PixelAt(PeekMemoryFrame(), 0, 0).fourth, 0) << entry.path();
            } else {
                EXPECT_GT(std::strlen(reason), 10u) << entry.path();
            }
        }
        start = end + 1;
    }
    FreeMapImage();
    DestroyDisplay();
    EXPECT_GE(files, 7);
}

TEST(MapLoader, FreeingIsSafeWhateverWasLoaded) {
    FreeMapImage();
    FreeMapImage();
    ASSERT_EQ(Load(SmallMap()), nullptr);
    FreeMapImage();
    EXPECT_EQ(mapImage.pixelData, nullptr);
    EXPECT_EQ(mapImage.pixelBytes, 0u);
}
