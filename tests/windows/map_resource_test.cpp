// Loading the map from the module's resource, and releasing whatever a failed load left.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "shell/map_format.h"
#include "shell/windows/map_resource.h"
#include "shell/windows/shell_state.h"
#include "tests/windows/test_resources.h"

namespace {

struct ResourceBytes {
    const std::uint8_t* bytes;
    DWORD size;
};

ResourceBytes Resource(std::uint16_t id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    return {static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found)};
}

std::int32_t HeaderField(std::size_t offset) {
    const auto* header = static_cast<const std::uint8_t*>(GlobalLock(mapImage.headerBlock));
    std::int32_t value;
    std::memcpy(&value, header + offset, sizeof value);
    GlobalUnlock(mapImage.headerBlock);
    return value;
}

bool RegionIsFree(const void* address) {
    MEMORY_BASIC_INFORMATION region{};
    return VirtualQuery(address, &region, sizeof region) != 0 && region.State == MEM_FREE;
}

class MapResource : public ::testing::Test {
protected:
    void SetUp() override { shellState.instance = GetModuleHandleA(nullptr); }
    void TearDown() override { FreeMapImage(); }

    static void ExpectNothingLeft() {
        EXPECT_EQ(nullptr, mapImage.headerBlock);
        EXPECT_EQ(nullptr, mapImage.pixelData);
    }
};

}  // namespace

TEST_F(MapResource, TheModulesMapLoadsWholeIntoItsOwnMemory) {
    ASSERT_EQ(1, LoadMapImage(mapResourceId));
    EXPECT_GE(GlobalSize(mapImage.headerBlock), 1064u);
    EXPECT_EQ(1000, HeaderField(4));
    EXPECT_EQ(500, HeaderField(8));
    EXPECT_EQ(24, HeaderField(14) & 0xFFFF);
    EXPECT_EQ(1500000, HeaderField(20));
    const ResourceBytes file = Resource(mapResourceId);
    ASSERT_EQ(1500054u, file.size);
    ASSERT_NE(nullptr, mapImage.pixelData);
    EXPECT_NE(file.bytes + 54, mapImage.pixelData) << "the pixels are a copy, not the resource";
    EXPECT_EQ(0, std::memcmp(file.bytes + 54, mapImage.pixelData, 1500000));
    EXPECT_GT(mapImage.pixelData[0], 200) << "the first stored row is the light southern ice";

    std::uint8_t* pixels = mapImage.pixelData;
    FreeMapImage();
    ExpectNothingLeft();
    EXPECT_TRUE(RegionIsFree(pixels)) << "the pixel region was not given back";
}

TEST_F(MapResource, PixelsStartAfterTheColourTableWhateverBfOffBitsSays) {
    ASSERT_EQ(1, LoadMapImage(colourTableId));
    const ResourceBytes file = Resource(colourTableId);
    EXPECT_EQ(0, std::memcmp(file.bytes + 54 + 2 * 4, mapImage.pixelData, 24));
}

TEST_F(MapResource, NothingIsKeptWhenThereIsNoBitmapToRead) {
    EXPECT_EQ(0, LoadMapImage(missingMapId));
    ExpectNothingLeft();
    EXPECT_EQ(0, LoadMapImage(notBitmapId));
    ExpectNothingLeft();
    FreeMapImage();
    ExpectNothingLeft();
}

TEST_F(MapResource, AHeaderWithoutHonestPixelBytesKeepsOnlyTheHeaderBlockUntilFreed) {
    for (const std::uint16_t id : {noSizeImageId, lyingHeaderId}) {
        EXPECT_EQ(0, LoadMapImage(id)) << "resource " << id;
        ASSERT_NE(nullptr, mapImage.headerBlock) << "resource " << id;
        EXPECT_EQ(nullptr, mapImage.pixelData);
        EXPECT_EQ(4, HeaderField(4)) << "the header is copied before the pixels are refused";
        EXPECT_EQ(0, GlobalFlags(mapImage.headerBlock) & GMEM_LOCKCOUNT) << "left locked";
        FreeMapImage();
        ExpectNothingLeft();
    }
}

TEST_F(MapResource, ASmallGoodMapLoadsAndFreesTwice) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(1, LoadMapImage(smallMapId));
        EXPECT_EQ(4, HeaderField(4));
        EXPECT_EQ(2, HeaderField(8));
        FreeMapImage();
        ExpectNothingLeft();
    }
}
