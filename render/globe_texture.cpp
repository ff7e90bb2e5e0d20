// Globe texture mapping. Each visible cell is walked one map row at a time: the cell's side
// edges are interpolated in three dimensions, the ends of each map row are projected with a
// perspective divide, and along the row the screen position moves by constant steps. Each
// texel fills the area swept by the segment between its upper and lower boundary points while
// both ends move one pixel per axis per step; later texels overwrite earlier ones.
//
// The work is shaped for speed without changing a pixel:
// - a cell's boundary lines are shared by the map rows on either side of them (the lower
//   boundary of one row is, value for value, the upper boundary of the next), so each line's
//   points along the row are stepped out and truncated once, not twice;
// - a map row whose swept points all lie on the screen is drawn without bounds tests, by
//   stepping a pixel pointer;
// - a texel is shaded only when it draws something.
#include "render/globe_texture.h"

#include <algorithm>
#include <cstring>

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

Point3 operator+(const Point3& p, const Point3& q) { return {p.x + q.x, p.y + q.y, p.z + q.z}; }
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

// A map row has at most mapWidth / 5 texels: the widest map is 1000 texels, and the band counts
// never fall below 5. Its boundary points run one further, for the leading skip's last test.
constexpr int largestRowPoints = brightnessColumns / 5 + 2;

// One boundary line of a cell: its points along the map row, from the left edge of the cell by
// steps of one texel, as floats and truncated to pixels.
struct PixelPoint {
    std::int32_t x;
    std::int32_t y;
};

// Both coordinates at once: one comparison instead of two, on the hottest path of the globe.
inline bool SamePixel(const PixelPoint& p, const PixelPoint& q) {
    std::uint64_t first, second;
    std::memcpy(&first, &p, sizeof first);
    std::memcpy(&second, &q, sizeof second);
    return first == second;
}

struct BoundaryLine {
    Point2 point[largestRowPoints];
    PixelPoint pixel[largestRowPoints];
    Point2 rightEnd;  // the projected right end, where the trailing skip starts
    Point2 step;

    Point2 At(int k) const { return point[k]; }
};

// The two lines around the map row being drawn; the lower one becomes the next row's upper.
BoundaryLine boundaryLines[2];

// Projects the line between the cell's left and right edge points and steps its points out.
void StepOutLine(const Point3& left, const Point3& right, Point2 origin, float bandColumns, int texels,
                 BoundaryLine* line) {
    const float lx = left.x / left.z, ly = left.y / left.z;
    const float rx = right.x / right.z, ry = right.y / right.z;
    line->rightEnd = {rx + origin.x, origin.y - ry};
    line->step = {(rx - lx) / bandColumns, -(ry - ly) / bandColumns};
    Point2 p{lx + origin.x, origin.y - ly};
    line->point[0] = p;
    line->pixel[0] = {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)};
    for (int k = 1; k <= texels + 1; ++k) {
        p = {p.x + line->step.x, p.y + line->step.y};
        line->point[k] = p;
        line->pixel[k] = {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)};
    }
}

// Whether every pixel point from 0 to `texels` lies on the screen. Adding a constant step never
// turns a float sequence back, and truncation keeps order, so the extremes are the two ends.
bool OnScreen(const BoundaryLine& line, int texels) {
    const GlobeScene& s = globeScene;
    const PixelPoint first = line.pixel[0], last = line.pixel[texels];
    return std::min(first.x, last.x) >= 0 && std::max(first.x, last.x) < s.clipWidth && std::min(first.y, last.y) >= 0 &&
           std::max(first.y, last.y) < s.clipHeight;
}

std::int32_t StepTowards(std::int32_t from, std::int32_t to) { return from < to ? from + 1 : from - 1; }

// (t x p) / 100 for every byte t and brightness p, so that shading a texel is three look-ups.
// The day-and-night table holds 34 to 100 only, but every byte has its row.
struct ShadeTable {
    std::uint8_t scaled[256][256];
};
constexpr ShadeTable MakeShadeTable() {
    ShadeTable table{};
    for (int p = 0; p < 256; ++p)
        for (int t = 0; t < 256; ++t) table.scaled[p][t] = static_cast<std::uint8_t>(t * p / 100);
    return table;
}
constexpr ShadeTable shadeTable = MakeShadeTable();

inline TexelColour Shade(const std::uint8_t* texel, std::uint8_t mask, std::uint8_t brightness) {
    // A light point on the night side keeps its own colour.
    if (mask == 255 && brightness < 35) return {texel[0], texel[1], texel[2]};
    const std::uint8_t* scaled = shadeTable.scaled[brightness];
    return {scaled[texel[0]], scaled[texel[1]], scaled[texel[2]]};
}

std::uint32_t PackedColour(TexelColour colour) {
    return static_cast<std::uint32_t>(colour.blue) | static_cast<std::uint32_t>(colour.green) << 8 |
           static_cast<std::uint32_t>(colour.red) << 16;
}

// The frame's pixels are written whole, with the fourth byte 0: it is 0 in every composed frame
// (the frame is cleared first and nothing else writes it), so this leaves it as it was.
inline void Store(std::uint8_t* pixel, std::uint32_t colour) { std::memcpy(pixel, &colour, sizeof colour); }

// The stepping path from the pixel at `pixel` by (dx, dy), end excluded, with no bounds tests:
// alternate x and y steps while both remain, then straight on.
inline void SweepUnclipped(std::uint8_t* pixel, std::int32_t dx, std::int32_t dy, std::ptrdiff_t pitch,
                           std::uint32_t colour) {
    const std::ptrdiff_t stepX = dx > 0 ? 4 : -4;
    const std::ptrdiff_t stepY = dy > 0 ? pitch : -pitch;
    const std::int32_t lengthX = dx > 0 ? dx : -dx;
    const std::int32_t lengthY = dy > 0 ? dy : -dy;
    const std::int32_t both = std::min(lengthX, lengthY);
    for (std::int32_t i = 0; i < both; ++i) {
        Store(pixel, colour);
        pixel += stepX;
        Store(pixel, colour);
        pixel += stepY;
    }
    for (std::int32_t i = both; i < lengthX; ++i, pixel += stepX) Store(pixel, colour);
    for (std::int32_t i = both; i < lengthY; ++i, pixel += stepY) Store(pixel, colour);
}

struct MapRowSpan {
    std::int32_t mapRow;
    std::int32_t columnBegin;
    std::int32_t first;  // texels first .. end - 1 of the row are swept
    std::int32_t end;
};

// Sweeps the texels of one map row between its upper and lower boundary lines.
template <bool clipped>
void SweepMapRow(const LockedFrame& frame, const BoundaryLine& upper, const BoundaryLine& lower, MapRowSpan span) {
    const GlobeScene& s = globeScene;
    PixelPoint a = upper.pixel[span.first], b = lower.pixel[span.first];
    const std::int32_t column = span.columnBegin + span.first;
    const std::uint8_t* texel = s.mapPixels + span.mapRow * s.mapRowStride + column * s.mapBytesPerPixel;
    const std::uint8_t* mask = s.lightMask.get() + span.mapRow * s.mapWidth + column;
    const std::uint8_t* brightness = s.columnBrightness + column;
    for (std::int32_t k = span.first; k < span.end; ++k, texel += s.mapBytesPerPixel, ++mask, ++brightness) {
        const PixelPoint nextA = upper.pixel[k + 1], nextB = lower.pixel[k + 1];
        if (SamePixel(a, nextA) && SamePixel(b, nextB)) continue;  // the texel covers no pixel step: it draws nothing
        const TexelColour colour = Shade(texel, *mask, *brightness);
        const std::uint32_t packed = PackedColour(colour);
        do {
            if constexpr (clipped) {
                DrawSegment(frame, a.x, a.y, b.x, b.y, colour);
            } else {
                SweepUnclipped(frame.pixels + static_cast<std::ptrdiff_t>(a.y) * frame.pitch + 4 * a.x, b.x - a.x,
                               b.y - a.y, frame.pitch, packed);
            }
            if (a.x != nextA.x) a.x = StepTowards(a.x, nextA.x);
            if (a.y != nextA.y) a.y = StepTowards(a.y, nextA.y);
            if (b.x != nextB.x) b.x = StepTowards(b.x, nextB.x);
            if (b.y != nextB.y) b.y = StepTowards(b.y, nextB.y);
        } while (!(SamePixel(a, nextA) && SamePixel(b, nextB)));
    }
}

// Draws map row `mapRow` of a cell: rejects it when it lies wholly beyond one edge, drops the
// texels beyond an edge at either end, and sweeps the rest.
void DrawMapRow(const LockedFrame& frame, const BoundaryLine& upper, const BoundaryLine& lower, std::int32_t mapRow,
                std::int32_t columnBegin, std::int32_t texels, ClipBounds bounds) {
    if (bounds.AllBeyond(upper.At(0), lower.At(0), upper.rightEnd, lower.rightEnd)) return;
    // The test looks at the far side of each texel and drops the texel when that side is
    // wholly beyond one edge.
    std::int32_t first = 0;
    while (first <= texels && bounds.BothBeyond(upper.At(first + 1), lower.At(first + 1))) ++first;
    std::int32_t end = texels;
    for (Point2 c = upper.rightEnd, d = lower.rightEnd; end > first; --end) {
        const Point2 previousC = c - upper.step, previousD = d - lower.step;
        if (!bounds.BothBeyond(previousC, previousD)) break;
        c = previousC, d = previousD;
    }
    const MapRowSpan span{mapRow, columnBegin, first, end};
    if (OnScreen(upper, texels) && OnScreen(lower, texels)) {
        SweepMapRow<false>(frame, upper, lower, span);
    } else {
        SweepMapRow<true>(frame, upper, lower, span);
    }
}

}  // namespace

TexelColour ShadeTexel(const std::uint8_t* texel, std::uint8_t mask, std::uint8_t brightness) {
    return Shade(texel, mask, brightness);
}

void DrawSegment(const LockedFrame& frame, std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY,
                 TexelColour colour) {
    const GlobeScene& s = globeScene;
    const std::uint32_t packed = PackedColour(colour);
    const auto plot = [&](std::int32_t x, std::int32_t y) {
        if (x < 0 || x >= s.clipWidth || y < 0 || y >= s.clipHeight) return;
        Store(frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + 4 * x, packed);
    };
    // Alternate single x and y steps while both differ, then straight on; the end is not plotted.
    while (fromX != toX || fromY != toY) {
        if (fromX != toX) {
            plot(fromX, fromY);
            fromX = StepTowards(fromX, toX);
        }
        if (fromY != toY) {
            plot(fromX, fromY);
            fromY = StepTowards(fromY, toY);
        }
    }
}

void DrawGlobe(const LockedFrame& frame) {
    GlobeScene& s = globeScene;
    s.mapRowStride = ((s.mapWidth * s.mapBitsPerPixel + 31) & ~31) >> 3;
    const int rowLength = s.longitudeBands + 1;
    const float focal = static_cast<float>(s.halfGlobeRadius);
    const double eyeDistance = s.globeRadius * 2.0;
    const Point2 origin{static_cast<float>(s.screenCentreX + s.globeOffsetX),
                        static_cast<float>(s.screenCentreY + s.globeOffsetY)};
    const ClipBounds bounds{static_cast<float>(s.clipWidth), static_cast<float>(s.clipHeight)};
    const std::int32_t rowsPerCell = static_cast<std::int32_t>(s.bandRows);
    const std::int32_t texelsPerRow = static_cast<std::int32_t>(s.bandColumns);

    for (int i = 0; i < s.latitudeBands; ++i) {
        for (int j = 0; j < s.longitudeBands; ++j) {
            if (s.cellVisible[i * rowLength + j] != 1) continue;
            const std::int32_t rowBegin = static_cast<std::int32_t>(static_cast<float>(i) * s.bandRows);
            const std::int32_t columnBegin = static_cast<std::int32_t>(static_cast<float>(j) * s.bandColumns);
            const Vertex3& v00 = s.vertices[i * rowLength + j];
            const Vertex3& v10 = s.vertices[(i + 1) * rowLength + j];
            const Vertex3& v01 = s.vertices[i * rowLength + j + 1];
            const Vertex3& v11 = s.vertices[(i + 1) * rowLength + j + 1];
            const Point3 leftStep{(v10.x - v00.x) / s.bandRows * focal, (v10.y - v00.y) / s.bandRows * focal,
                                  (v10.z - v00.z) / s.bandRows};
            const Point3 rightStep{(v11.x - v01.x) / s.bandRows * focal, (v11.y - v01.y) / s.bandRows * focal,
                                   (v11.z - v01.z) / s.bandRows};
            // The boundary points only ever grow by these additions, so neighbouring map rows
            // share their screen points exactly.
            Point3 left{v00.x * focal, v00.y * focal, static_cast<float>(v00.z + eyeDistance)};
            Point3 right{v01.x * focal, v01.y * focal, static_cast<float>(v01.z + eyeDistance)};
            StepOutLine(left, right, origin, s.bandColumns, texelsPerRow, &boundaryLines[0]);
            for (std::int32_t r = 0; r < rowsPerCell; ++r) {
                left = leftStep + left;
                right = rightStep + right;
                StepOutLine(left, right, origin, s.bandColumns, texelsPerRow, &boundaryLines[(r + 1) & 1]);
                DrawMapRow(frame, boundaryLines[r & 1], boundaryLines[(r + 1) & 1], rowBegin + r, columnBegin, texelsPerRow, bounds);
            }
        }
    }
}
