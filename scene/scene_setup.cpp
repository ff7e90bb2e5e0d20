// Scene set-up: the map's geometry and bands, the star field, the light points, the
// day-and-night table and the orbit, all derived once from the map and the screen.
//
// Beyond the classic rules, set-up refuses what the formulas cannot carry, instead of dividing
// by zero or reading past a buffer: screens or maps of 4 pixels or less a side (the star passes
// divide by side - 4), screens under 8 pixels high (the orbit's vertical radius would be 0), maps
// that are not 24-bit, maps wider than the day-and-night table, and maps whose pixel bytes do not
// cover their rows.
#include <cstring>
#include <new>

#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "scene/platform_seam.h"
#include "scene/random_generator.h"

GlobeScene globeScene;

namespace {

template <typename T>
std::unique_ptr<T[]> AllocateZeroed(std::int64_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(count)]());
}

std::int32_t ReadSigned32(const std::uint8_t* bytes) {
    std::int32_t value;
    std::memcpy(&value, bytes, sizeof value);  // the header is little-endian, like every target
    return value;
}

std::uint32_t ReadUnsigned32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

std::uint16_t ReadUnsigned16(const std::uint8_t* bytes) {
    std::uint16_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void ResetScene() {
    globeScene = GlobeScene{};
    globeScene.latitudeBands = initialBands;
    globeScene.longitudeBands = initialBands;
    ResetOrientation();
}

int Fail(const char* reason) {
    globeScene.setUpFailure = reason;
    return 0;
}

// Both star passes draw the same three numbers per star in the same order: brightness, x, y.
void PlaceStars(std::int32_t width, std::int32_t height) {
    SeedStandardRandom(static_cast<std::uint32_t>(ReadClockSeconds()));
    StarField& stars = globeScene.stars;
    for (int i = 0; i < starCount; ++i) {
        stars.brightness[i] = StandardRandom() % 255;
        stars.position[i].x = StandardRandom() % (width - 4) + 3;
        stars.position[i].y = StandardRandom() % (height - 4) + 3;
    }
}

// 130 falling entries (day into night), 370 of night, 130 rising, 370 of full day.
void FillColumnBrightness() {
    std::uint8_t* table = globeScene.columnBrightness;
    for (int j = 0; j < 130; ++j) table[j] = static_cast<std::uint8_t>(99 - j / 2);
    for (int j = 130; j < 500; ++j) table[j] = 34;
    for (int j = 0; j < 130; ++j) table[500 + j] = static_cast<std::uint8_t>(35 + j / 2);
    for (int j = 630; j < brightnessColumns; ++j) table[j] = 100;
}

}  // namespace

int SetUpScene(ScreenMetrics screen, const std::uint8_t* mapHeader, const std::uint8_t* mapPixels) {
    ResetScene();
    GlobeScene& s = globeScene;
    if (mapPixels == nullptr) {
        ShowUserMessage("Source image is NULL");
        return Fail("there are no map pixels");
    }
    if (mapHeader == nullptr) return Fail("there is no map header");
    if (screen.width <= 4 || screen.height < 8) return Fail("the screen is too small for the globe's orbit");

    const std::int64_t orbitEntries = 2 * (std::int64_t{screen.width} + screen.height);
    s.orbitPoints = AllocateZeroed<ScreenPoint>(orbitEntries);
    s.orbitScale = AllocateZeroed<float>(orbitEntries);
    if (!s.orbitPoints || !s.orbitScale) return Fail("there is not enough memory for the orbit");

    const std::int32_t bitCount = ReadUnsigned16(mapHeader + 14);
    s.mapWidth = ReadSigned32(mapHeader + 4);
    s.mapHeight = ReadSigned32(mapHeader + 8);
    s.mapBitsPerPixel = bitCount > 8 ? 24 : 8;
    s.mapBytesPerPixel = bitCount > 8 ? 3 : 1;
    s.mapPixels = mapPixels;
    if (bitCount != 24) return Fail("the map is not a 24-bit picture");
    if (s.mapWidth <= 4 || s.mapHeight <= 4) return Fail("the map is too small");
    if (s.mapWidth > brightnessColumns) return Fail("the map is more than 1000 pixels wide");
    const std::int64_t rowStride = ((std::int64_t{s.mapWidth} * s.mapBitsPerPixel + 31) & ~31) >> 3;
    if (ReadUnsigned32(mapHeader + 20) < rowStride * s.mapHeight)
        return Fail("the map's pixel bytes do not cover its rows");

    s.lightMask = AllocateZeroed<std::uint8_t>(std::int64_t{s.mapWidth} * s.mapHeight + 6);
    if (!s.lightMask) return Fail("there is not enough memory for the light points");

    s.globeRadius = s.mapWidth > s.mapHeight ? s.mapWidth : s.mapHeight;
    s.screenCentreX = screen.width >> 1;
    s.screenCentreY = screen.height >> 1;
    s.clipWidth = screen.width;
    s.clipHeight = screen.height;
    s.frameBytesPerPixel = 4;

    // Both loops compare with longitudeBands: the counts start equal and fall together.
    while (s.mapWidth < s.longitudeBands) --s.longitudeBands, --s.latitudeBands;
    while (s.mapHeight < s.longitudeBands) --s.longitudeBands, --s.latitudeBands;
    s.bandColumns = static_cast<float>(s.mapWidth / s.longitudeBands);
    s.bandRows = static_cast<float>(s.mapHeight / s.latitudeBands);
    if (s.bandRows < 1.0f || s.bandColumns < 1.0f) return Fail("the map has too few pixels for the bands");
    s.halfGlobeRadius = s.globeRadius >> 1;

    // The first pass places the stars on the map, where they choose the light points; the
    // second, seeded alike, places them on the screen.
    PlaceStars(s.mapWidth, s.mapHeight);
    MarkLightPoints();
    PlaceStars(screen.width, screen.height);
    FillColumnBrightness();
    BuildOrbit(screen.width / 2, screen.height - screen.height / 4, screen.width / 2 - 1, screen.height / 4 - 1);
    s.ready = true;
    return 1;
}

void MarkLightPoints() {
    GlobeScene& s = globeScene;
    s.mapRowStride = ((s.mapWidth * s.mapBitsPerPixel + 31) & ~31) >> 3;
    std::memset(s.lightMask.get(), 0, static_cast<std::size_t>(s.mapWidth) * s.mapHeight);
    for (int i = 0; i < starCount; ++i) {
        const ScreenPoint p = s.stars.position[i];
        const std::uint8_t* texel = s.mapPixels + p.y * s.mapRowStride + p.x * s.mapBytesPerPixel;
        // Blue strictly the smallest: land, never sea, ice or grey.
        if (texel[0] < texel[1] && texel[0] < texel[2]) s.lightMask[p.y * s.mapWidth + p.x] = 0xFF;
    }
}
