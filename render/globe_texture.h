// Globe texture mapping: every visible cell of the sphere grid filled texel by texel from the map.
#pragma once

#include <cstdint>

#include "display/display.h"

struct TexelColour {
    std::uint8_t blue;
    std::uint8_t green;
    std::uint8_t red;
};

// Draws all cells that face the viewer into the frame, clipped to the screen. Pixels are written
// whole, blue, green, red and a fourth byte of 0, which is what that byte holds after the clear
// that comes before. Returns a box on the screen that holds every pixel written.
PixelBox DrawGlobe(const LockedFrame& frame);

// The colour a texel is drawn in: shaded by its column's brightness in percent, except that a
// light point (mask byte 255) keeps its own colour on the night side.
TexelColour ShadeTexel(const std::uint8_t* texel, std::uint8_t mask, std::uint8_t brightness);

// Plots the 4-connected stepping path from (fromX, fromY) towards (toX, toY), end point excluded,
// clipped to the scene's clip width and height.
void DrawSegment(const LockedFrame& frame, std::int32_t fromX, std::int32_t fromY, std::int32_t toX,
                 std::int32_t toY, TexelColour colour);
