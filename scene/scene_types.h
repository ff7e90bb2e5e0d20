// The small value types that the scene, the renderer and the shells pass between them.
#pragma once

#include <cstdint>

// A screen or map position: star, orbit point or projected grid point.
struct ScreenPoint {
    std::int32_t x;
    std::int32_t y;
};

// One vertex of the sphere grid, in single precision like all of the globe's geometry.
struct Vertex3 {
    float x;
    float y;
    float z;
};

// The screen's size in pixels, read once when a run starts and constant for the run.
struct ScreenMetrics {
    std::int32_t width;
    std::int32_t height;
};
