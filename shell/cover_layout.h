// Which monitor of a desk shows the globe, and which parts of it a full-screen run hides behind
// black windows of its own. Portable: each shell reads its monitors (RandR's or SDL's on Linux,
// the monitors Windows enumerates) into DisplayRect records, asks again whenever the desk
// changes during a run, and puts its windows where these say.
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

// The monitor the globe goes to on a desk as it is now: the primary when it shows anything, else
// the first monitor that does; displays.size() when none does (every monitor switched off).
std::size_t GlobeMonitor(const std::vector<DisplayRect>& displays, std::size_t primary);

// The monitor a window lies on: the one it overlaps most, the first of equals;
// displays.size() when it overlaps none.
std::size_t MonitorUnder(const std::vector<DisplayRect>& displays, const DisplayRect& window);
