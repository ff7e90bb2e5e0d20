// The sweep of one texel. The segment from the texel's upper boundary point to its lower one is
// drawn, then both ends move one pixel per axis towards their end points, and so on until both
// arrive; the segment at the end points belongs to the next texel. Each segment is the
// 4-connected stepping path from its upper end towards its lower end, the lower end excluded.
#pragma once

#include <cstdint>

struct PixelPoint {
    std::int32_t x;
    std::int32_t y;

    bool operator==(const PixelPoint&) const = default;
};

inline std::int32_t StepTowards(std::int32_t from, std::int32_t to) { return from < to ? from + 1 : from - 1; }

// Calls plot(x, y) for each pixel of the path from `from` towards `to`, `to` excluded: single x
// and y steps alternate while both coordinates differ, then the path goes straight on.
template <typename Plot>
void TraceSegment(PixelPoint from, PixelPoint to, Plot&& plot) {
    while (from != to) {
        if (from.x != to.x) {
            plot(from.x, from.y);
            from.x = StepTowards(from.x, to.x);
        }
        if (from.y != to.y) {
            plot(from.x, from.y);
            from.y = StepTowards(from.y, to.y);
        }
    }
}

// Calls plot(x, y) for every pixel of every segment of the sweep from (upper, lower) to
// (upperEnd, lowerEnd), in drawing order. Nothing is plotted when no end point moves.
template <typename Plot>
void SweepTexel(PixelPoint upper, PixelPoint lower, PixelPoint upperEnd, PixelPoint lowerEnd, Plot&& plot) {
    while (upper != upperEnd || lower != lowerEnd) {
        TraceSegment(upper, lower, plot);
        if (upper.x != upperEnd.x) upper.x = StepTowards(upper.x, upperEnd.x);
        if (upper.y != upperEnd.y) upper.y = StepTowards(upper.y, upperEnd.y);
        if (lower.x != lowerEnd.x) lower.x = StepTowards(lower.x, lowerEnd.x);
        if (lower.y != lowerEnd.y) lower.y = StepTowards(lower.y, lowerEnd.y);
    }
}
