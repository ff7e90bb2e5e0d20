// Which parts of a desktop of several monitors a full-screen run hides behind black windows of
// its own, beside the one monitor that shows the globe. Portable: each shell reads its monitors
// (SDL's displays, the monitors Windows enumerates) into DisplayRect records and creates a
// window at each rectangle this returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A monitor's place on the desktop, in desktop pixels; x and y may be negative (left of or above
// the primary monitor).
struct DisplayRect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;

    friend bool operator==(const DisplayRect&, const DisplayRect&) = default;
};

// The rectangles to cover, in the order of the monitors: every monitor but the one at index
// `shown` (the globe's), except those that show nothing (no area) and those that lie wholly
// inside the globe's monitor or inside another covered one (mirrored monitors), so no place is
// covered twice over.
std::vector<DisplayRect> CoverRects(const std::vector<DisplayRect>& displays, std::size_t shown);
