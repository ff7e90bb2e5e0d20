// Globe texture mapping. Each visible cell is walked one map row at a time: the cell's side
// edges are interpolated in three dimensions, the ends of each map row are projected with a
// perspective divide, and along the row the screen position moves by constant steps. Each
// texel fills the area swept by the segment between its upper and lower boundary points while
// both ends move one pixel per axis per step; later texels overwrite earlier ones.
//
// A map row whose texels write only pixels on the screen writes each texel's remembered
// footprint (render/texel_footprint.h); a row that reaches off the screen is swept pixel by
// pixel, each pixel tested against the screen's bounds. Both give the same pixels.
#include "render/globe_texture.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "render/texel_footprint.h"
#include "render/texel_sweep.h"
#include "scene/globe_scene.h"

namespace {

struct Point3 {
    float x;
    float y;
    float z;
};

struct Point2 {
    float x;
    float y;
};

PixelPoint Truncate(const Point2& p) { return {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)}; }

// A map row has at most 200 texels: the widest map has 1000 columns, and there are at least 5
// longitude bands, since a map needs at least 5 pixels a side.
constexpr std::int32_t largestRowTexels = brightnessColumns / 5;

Point3 operator+(const Point3& p, const Point3& q) { return {p.x + q.x, p.y + q.y, p.z + q.z}; }
Point2 operator+(const Point2& p, const Point2& q) { return {p.x + q.x, p.y + q.y}; }
Point2 operator-(const Point2& p, const Point2& q) { return {p.x - q.x, p.y - q.y}; }

// The screen's bounds for rejecting and skipping: strictly beyond -1 on the left and top, strictly
// beyond W and H on the right and bottom, so that a point exactly on x = W still counts as inside.
struct ClipBounds {
    float right;
    float bottom;

    bool BothBeyond(const Point2& p, const Point2& q) const {
        return (p.x < -1.0f && q.x < -1.0f) || (p.y < -1.0f && q.y < -1.0f) || (p.x > right && q.x > right) ||
               (p.y > bottom && q.y > bottom);
    }
    bool AllBeyond(const Point2& a, const Point2& b, const Point2& c, const Point2& d) const {
        return (a.x < -1.0f && b.x < -1.0f && c.x < -1.0f && d.x < -1.0f) ||
               (a.y < -1.0f && b.y < -1.0f && c.y < -1.0f && d.y < -1.0f) ||
               (a.x > right && b.x > right && c.x > right && d.x > right) ||
               (a.y > bottom && b.y > bottom && c.y > bottom && d.y > bottom);
    }
};

// Colours travel as blue | green << 8 | red << 16 inside the renderer: a three-byte record is
// assembled in memory byte by byte and read back whole, which stalls on every texel.
using PackedColour = std::uint32_t;

PackedColour Pack(std::uint32_t blue, std::uint32_t green, std::uint32_t red) { return blue | green << 8 | red << 16; }

// (byte * percent) / 100, kept to a byte, for every byte and every percent a table entry can hold.
struct PercentTable {
    std::uint8_t of[256][256];

    constexpr PercentTable() : of{} {
        for (int percent = 0; percent < 256; ++percent)
            for (int byte = 0; byte < 256; ++byte) of[percent][byte] = static_cast<std::uint8_t>(byte * percent / 100);
    }
};
constexpr PercentTable percentTable;

PackedColour Shade(const std::uint8_t* texel, std::uint8_t mask, std::uint8_t brightness) {
    // A light point on the night side keeps its own colour.
    if (mask == 255 && brightness < 35) return Pack(texel[0], texel[1], texel[2]);
    const std::uint8_t* scaled = percentTable.of[brightness];
    return Pack(scaled[texel[0]], scaled[texel[1]], scaled[texel[2]]);
}

// Writes a pixel whole, the fourth byte 0: the frame has just been cleared, so that byte is 0
// already, and one store is cheaper than three.
void WritePixel(std::uint8_t* pixel, PackedColour colour) { std::memcpy(pixel, &colour, sizeof colour); }

// Plots that may fall off the screen: each is tested against the screen's bounds.
struct ClippedPlot {
    const LockedFrame& frame;
    PackedColour colour;

    void operator()(std::int32_t x, std::int32_t y) const {
        const GlobeScene& s = globeScene;
        if (x < 0 || x >= s.clipWidth || y < 0 || y >= s.clipHeight) return;
        WritePixel(frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + 4 * x, colour);
    }
};

// Texels that draw nothing write their footprint here instead, so that every texel makes the
// same stores.
PackedColour idlePixel;

PixelPoint UnpackPoint(std::uint32_t packed) {
    return {static_cast<std::int32_t>(packed & 0xFFFFu), static_cast<std::int32_t>(packed >> 16)};
}

// The truncated boundary points of a map row lying wholly on the screen, packed, and which of
// its texels move: a texel whose end points stay where they started draws nothing.
struct RowPoints {
    std::uint32_t upper[largestRowTexels + 1];
    std::uint32_t lower[largestRowTexels + 1];
    std::int32_t moving[largestRowTexels];
    std::int32_t movingCount;
};

// Each moving texel of the row writes its remembered footprint.
void WriteFootprints(const LockedFrame& frame, const RowPoints& points, const std::uint8_t* texel,
                     const std::uint8_t* mask, const std::uint8_t* brightness) {
    const GlobeScene& s = globeScene;
    for (std::int32_t i = 0; i < points.movingCount; ++i) {
        const std::int32_t t = points.moving[i];
        const PackedColour colour = Shade(texel + t * s.mapBytesPerPixel, mask[t], brightness[t]);
        const TexelFootprint* footprint =
            FindTexelFootprint(points.upper[t], points.lower[t], points.upper[t + 1], points.lower[t + 1]);
        if (footprint == nullptr) {
            SweepTexel(UnpackPoint(points.upper[t]), UnpackPoint(points.lower[t]), UnpackPoint(points.upper[t + 1]),
                       UnpackPoint(points.lower[t + 1]), ClippedPlot{frame, colour});
            continue;
        }
        const PixelPoint upper = UnpackPoint(points.upper[t]);
        std::uint8_t* start = footprint->count == 0
                                  ? reinterpret_cast<std::uint8_t*>(&idlePixel)
                                  : frame.pixels + static_cast<std::ptrdiff_t>(upper.y) * frame.pitch + 4 * upper.x;
        for (int j = 0; j < footprintShortRun; ++j) WritePixel(start + footprint->offsets[j], colour);
        if (footprint->count <= footprintShortRun) continue;
        for (int j = footprintShortRun; j < footprintCapacity; ++j) WritePixel(start + footprint->offsets[j], colour);
    }
}

// One map row of one cell, between its upper boundary (left, right) and lower boundary
// (leftBelow, rightBelow), covering map columns columnBegin .. columnEnd.
struct MapRow {
    Point3 left;
    Point3 right;
    Point3 leftBelow;
    Point3 rightBelow;
    std::int32_t row;
    std::int32_t columnBegin;
    std::int32_t columnEnd;
};

// Whether the row's texels may write their footprints: the screen is narrow enough for packed
// points, and every pixel the texels write lies on it. Adding the same step again and again
// never turns a float sequence back, and truncation keeps order, so each boundary's extremes
// are its two ends, and every segment lies between its two end points.
bool CanWriteFootprints(PixelPoint upperBegin, PixelPoint lowerBegin, PixelPoint upperEnd, PixelPoint lowerEnd) {
    const GlobeScene& s = globeScene;
    if (s.clipWidth > widestFootprintScreen) return false;
    const auto inside = [&](PixelPoint p) { return p.x >= 0 && p.x < s.clipWidth && p.y >= 0 && p.y < s.clipHeight; };
    return inside(upperBegin) && inside(upperEnd) && inside(lowerBegin) && inside(lowerEnd);
}

// Widens the box to hold the point.
void Include(PixelBox& box, PixelPoint p) {
    box.left = std::min(box.left, p.x);
    box.top = std::min(box.top, p.y);
    box.right = std::max(box.right, p.x + 1);
    box.bottom = std::max(box.bottom, p.y + 1);
}

// Draws the row's texels; `drawn` grows to hold every pixel they write.
void DrawMapRow(const LockedFrame& frame, const MapRow& mapRow, Point2 origin, ClipBounds bounds, PixelBox& drawn) {
    const GlobeScene& s = globeScene;
    const float lx = mapRow.left.x / mapRow.left.z, ly = mapRow.left.y / mapRow.left.z;
    const float rx = mapRow.right.x / mapRow.right.z, ry = mapRow.right.y / mapRow.right.z;
    const float blx = mapRow.leftBelow.x / mapRow.leftBelow.z, bly = mapRow.leftBelow.y / mapRow.leftBelow.z;
    const float brx = mapRow.rightBelow.x / mapRow.rightBelow.z, bry = mapRow.rightBelow.y / mapRow.rightBelow.z;
    Point2 a{lx + origin.x, origin.y - ly};
    Point2 b{blx + origin.x, origin.y - bly};
    Point2 c{rx + origin.x, origin.y - ry};
    Point2 d{brx + origin.x, origin.y - bry};
    const Point2 upperStep{(rx - lx) / s.bandColumns, -(ry - ly) / s.bandColumns};
    const Point2 lowerStep{(brx - blx) / s.bandColumns, -(bry - bly) / s.bandColumns};
    if (bounds.AllBeyond(a, b, c, d)) return;

    // Texels whose far side lies wholly beyond one edge are dropped from the front...
    std::int32_t column = mapRow.columnBegin;
    while (column <= mapRow.columnEnd) {
        const Point2 nextA = a + upperStep, nextB = b + lowerStep;
        if (!bounds.BothBeyond(nextA, nextB)) break;
        a = nextA, b = nextB, ++column;
    }
    // ...and from the back.
    std::int32_t end = mapRow.columnEnd;
    while (end > column) {
        const Point2 previousC = c - upperStep, previousD = d - lowerStep;
        if (!bounds.BothBeyond(previousC, previousD)) break;
        c = previousC, d = previousD, --end;
    }

    // The truncated boundary points at the start of each drawn texel and at the end of the last.
    const std::int32_t texels = end - column;
    if (texels <= 0) return;
    const Point2 upperBegin = a, lowerBegin = b;
    RowPoints points;
    points.upper[0] = PackPoint(Truncate(a)), points.lower[0] = PackPoint(Truncate(b));
    points.movingCount = 0;
    for (std::int32_t t = 1; t <= texels; ++t) {
        a = a + upperStep, b = b + lowerStep;
        points.upper[t] = PackPoint(Truncate(a)), points.lower[t] = PackPoint(Truncate(b));
        points.moving[points.movingCount] = t - 1;
        points.movingCount +=
            ((points.upper[t] ^ points.upper[t - 1]) | (points.lower[t] ^ points.lower[t - 1])) != 0;
    }

    // Every pixel a texel writes lies between the texel's end points, so the row's pixels lie
    // between its extremes: its ends.
    const PixelPoint upperFirst = Truncate(upperBegin), lowerFirst = Truncate(lowerBegin);
    const PixelPoint upperLast = Truncate(a), lowerLast = Truncate(b);
    for (const PixelPoint end : {upperFirst, lowerFirst, upperLast, lowerLast}) Include(drawn, end);

    const std::uint8_t* texel = s.mapPixels + mapRow.row * s.mapRowStride + column * s.mapBytesPerPixel;
    const std::uint8_t* mask = s.lightMask.get() + mapRow.row * s.mapWidth + column;
    const std::uint8_t* brightness = s.columnBrightness + column;
    if (CanWriteFootprints(upperFirst, lowerFirst, upperLast, lowerLast)) {
        WriteFootprints(frame, points, texel, mask, brightness);
        return;
    }
    // Off the screen the packed points may not tell every move apart: the row is stepped again.
    a = upperBegin, b = lowerBegin;
    for (std::int32_t t = 0; t < texels; ++t, texel += s.mapBytesPerPixel) {
        const PixelPoint upper = Truncate(a), lower = Truncate(b);
        a = a + upperStep, b = b + lowerStep;
        SweepTexel(upper, lower, Truncate(a), Truncate(b), ClippedPlot{frame, Shade(texel, mask[t], brightness[t])});
    }
}

}  // namespace

TexelColour ShadeTexel(const std::uint8_t* texel, std::uint8_t mask, std::uint8_t brightness) {
    const PackedColour colour = Shade(texel, mask, brightness);
    return {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour >> 16)};
}

void DrawSegment(const LockedFrame& frame, std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY,
                 TexelColour colour) {
    const GlobeScene& s = globeScene;
    TraceSegment({fromX, fromY}, {toX, toY}, [&](std::int32_t x, std::int32_t y) {
        if (x < 0 || x >= s.clipWidth || y < 0 || y >= s.clipHeight) return;
        std::uint8_t* pixel = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + 4 * x;
        pixel[0] = colour.blue;
        pixel[1] = colour.green;
        pixel[2] = colour.red;
    });
}

PixelBox DrawGlobe(const LockedFrame& frame) {
    GlobeScene& s = globeScene;
    PixelBox drawn{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    s.mapRowStride = ((s.mapWidth * s.mapBitsPerPixel + 31) & ~31) >> 3;
    UseFootprintsForPitch(frame.pitch);
    const int rowLength = s.longitudeBands + 1;
    const float focal = static_cast<float>(s.halfGlobeRadius);
    const double eyeDistance = s.globeRadius * 2.0;
    const Point2 origin{static_cast<float>(s.screenCentreX + s.globeOffsetX),
                        static_cast<float>(s.screenCentreY + s.globeOffsetY)};
    const ClipBounds bounds{static_cast<float>(s.clipWidth), static_cast<float>(s.clipHeight)};

    for (int i = 0; i < s.latitudeBands; ++i) {
        for (int j = 0; j < s.longitudeBands; ++j) {
            if (s.cellVisible[i * rowLength + j] != 1) continue;
            MapRow mapRow;
            const std::int32_t rowBegin = static_cast<std::int32_t>(static_cast<float>(i) * s.bandRows);
            const std::int32_t rowEnd = rowBegin + static_cast<std::int32_t>(s.bandRows);
            mapRow.columnBegin = static_cast<std::int32_t>(static_cast<float>(j) * s.bandColumns);
            mapRow.columnEnd = mapRow.columnBegin + static_cast<std::int32_t>(s.bandColumns);

            const Vertex3& v00 = s.vertices[i * rowLength + j];
            const Vertex3& v10 = s.vertices[(i + 1) * rowLength + j];
            const Vertex3& v01 = s.vertices[i * rowLength + j + 1];
            const Vertex3& v11 = s.vertices[(i + 1) * rowLength + j + 1];
            const Point3 leftStep{(v10.x - v00.x) / s.bandRows * focal, (v10.y - v00.y) / s.bandRows * focal,
                                  (v10.z - v00.z) / s.bandRows};
            const Point3 rightStep{(v11.x - v01.x) / s.bandRows * focal, (v11.y - v01.y) / s.bandRows * focal,
                                   (v11.z - v01.z) / s.bandRows};
            mapRow.left = {v00.x * focal, v00.y * focal, static_cast<float>(v00.z + eyeDistance)};
            mapRow.right = {v01.x * focal, v01.y * focal, static_cast<float>(v01.z + eyeDistance)};
            mapRow.leftBelow = leftStep + mapRow.left;
            mapRow.rightBelow = rightStep + mapRow.right;

            // The boundary points only ever grow by these additions, so neighbouring map rows
            // share their screen points exactly.
            for (mapRow.row = rowBegin; mapRow.row < rowEnd; ++mapRow.row) {
                DrawMapRow(frame, mapRow, origin, bounds, drawn);
                mapRow.left = leftStep + mapRow.left;
                mapRow.right = rightStep + mapRow.right;
                mapRow.leftBelow = leftStep + mapRow.leftBelow;
                mapRow.rightBelow = rightStep + mapRow.rightBelow;
            }
        }
    }
    return {std::max(drawn.left, 0), std::max(drawn.top, 0), std::min(drawn.right, s.clipWidth),
            std::min(drawn.bottom, s.clipHeight)};
}
