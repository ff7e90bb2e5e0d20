// The globe scene: one module-level record holding everything set-up derives from the map and
// the screen, read and updated by the frame tick, the sphere projection and the renderer.
//
// Set-up fills it once per run. Its buffers are sized from the screen and the map at set-up, so
// no frame allocates anything; a second set-up (tests, tools) starts again from the load state.
#pragma once

#include <cstdint>
#include <memory>

#include "scene/scene_types.h"

constexpr int starCount = 1000;
constexpr int gridEntries = 1200;       // vertex, grid-point and visibility slots (31 x 31 used)
constexpr int brightnessColumns = 1000; // the day-and-night table's length, the widest usable map
constexpr int initialBands = 30;
constexpr int mapHeaderBytes = 40;      // the bitmap information header that set-up reads

struct StarField {
    ScreenPoint position[starCount];
    std::int32_t brightness[starCount];  // 0 .. 254; chooses colour and twinkle marks
};

struct GlobeScene {
    std::int32_t mapWidth;
    std::int32_t mapHeight;
    std::int32_t mapBitsPerPixel;
    std::int32_t mapBytesPerPixel;
    const std::uint8_t* mapPixels;  // stored rows, bottom row of the picture first, texels B, G, R
    std::int32_t mapRowStride;
    std::int32_t globeRadius;       // model units; the eye stands at twice this from the centre
    std::int32_t halfGlobeRadius;   // the projection's focal factor
    std::int32_t latitudeBands;
    std::int32_t longitudeBands;
    float bandRows;                 // map rows per latitude band
    float bandColumns;              // map columns per longitude band
    std::int32_t screenCentreX;
    std::int32_t screenCentreY;
    std::int32_t clipWidth;
    std::int32_t clipHeight;
    std::int32_t frameBytesPerPixel;
    Vertex3 vertices[gridEntries];
    ScreenPoint gridPoints[gridEntries];
    std::int32_t cellVisible[gridEntries];
    std::unique_ptr<ScreenPoint[]> orbitPoints;  // 2 x (width + height) entries, offsets from point 0
    std::unique_ptr<float[]> orbitScale;         // the globe's size factor in percent, 10 .. 130
    std::int32_t orbitLength;
    std::int32_t orbitPosition;
    std::int32_t globeOffsetX;
    std::int32_t globeOffsetY;
    std::unique_ptr<std::uint8_t[]> lightMask;   // one byte per map texel, 0xFF marks a light point
    std::uint8_t columnBrightness[brightnessColumns];
    StarField stars;
    // Whether the last set-up finished; ticks do nothing without it. When it did not, the reason
    // in a few words, for programs that can show more than the user-facing message.
    bool ready;
    const char* setUpFailure;
};

extern GlobeScene globeScene;

// Sets the scene up for a screen from a map: mapHeader points at the bitmap information header,
// mapPixels at the stored pixel rows. Seeds the star field from ReadClockSeconds. 1 on success,
// 0 on failure (after "Source image is NULL" when there are no pixels).
int SetUpScene(ScreenMetrics screen, const std::uint8_t* mapHeader, const std::uint8_t* mapPixels);

// Fills orbitPoints, orbitScale and orbitLength with the ellipse of centre (centreX, centreY) and
// radii radiusX, radiusY, and puts the globe at its first point.
void BuildOrbit(std::int32_t centreX, std::int32_t centreY, std::int32_t radiusX, std::int32_t radiusY);

// Computes mapRowStride and marks light points under the stars' map positions.
void MarkLightPoints();
