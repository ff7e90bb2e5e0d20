// Globe texture mapping. Each visible cell is walked one map row at a time: the cell's side
// edges are interpolated in three dimensions, the ends of each map row are projected with a
// perspective divide, and along the row the screen position moves by constant steps. Each
// texel fills the area swept by the segment between its upper and lower boundary points while
// both ends move one pixel per axis per step; later texels overwrite earlier ones.
//
// A texel whose end points lie on the screen writes its remembered footprint
// (render/texel_footprint.h); any other is swept pixel by pixel, each pixel tested against the
// screen's bounds. Both give the same pixels.
//
// The stepping runs in vectors of four lanes (GCC's and Clang's vector extensions: SSE2 on
// x86-64, WebAssembly's vector instructions in the page), one form for every target. A lane does
// exactly what one scalar would: the same float additions in the same order, and truncation
// toward zero, so the pixels are those of a plain loop to the bit.
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
    // A light point on the night side keeps its own colour: 100 percent of it, chosen without a
    // branch that the map's pattern of light points would make hard to foresee.
    const std::uint8_t* scaled = percentTable.of[mask == 255 && brightness < 35 ? 100 : brightness];
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

// Four boundary lines of a cell, stepped together as the four lanes of a vector: the lower
// boundary of a map row is, value for value, the upper boundary of the next, so each line is
// stepped once for both of its rows, and four of them at the cost of one. For each line: its
// start and end points on the screen, its step per texel, and at every texel column k from the
// cell's first, the point stepped k times, truncated (x, y) and packed; the packed points run on
// for a vector's width past the last, so that a row's moves can be read four at a time.
using FourFloats = float __attribute__((vector_size(16)));
using FourInts = std::int32_t __attribute__((vector_size(16)));
using FourWords = std::uint32_t __attribute__((vector_size(16)));
constexpr int lineLanes = 4;
// A line's points are stepped four at a time: room for the most a cell has, rounded up.
constexpr std::int32_t steppedPoints = (largestRowTexels + 1 + lineLanes - 1) / lineLanes * lineLanes;

struct LineGroup {
    float startX[lineLanes], startY[lineLanes], endX[lineLanes], endY[lineLanes];
    float stepX[lineLanes], stepY[lineLanes];
    std::int32_t x[steppedPoints][lineLanes];
    std::int32_t y[steppedPoints][lineLanes];
    std::uint32_t packed[lineLanes][steppedPoints + lineLanes];
};

FourFloats LoadFour(const float* from) {
    FourFloats v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

void StoreFour(float* to, FourFloats v) { std::memcpy(to, &v, sizeof v); }

// The two groups in use: a map row's lower line may lie in the group after its upper line's.
LineGroup lineGroups[2];

// One boundary line of a cell, as its row stepping sees it.
struct BoundaryLine {
    const LineGroup* group;
    int lane;

    Point2 Start() const { return {group->startX[lane], group->startY[lane]}; }
    Point2 End() const { return {group->endX[lane], group->endY[lane]}; }
    Point2 Step() const { return {group->stepX[lane], group->stepY[lane]}; }
    PixelPoint At(std::int32_t k) const { return {group->x[k][lane], group->y[k][lane]}; }
    const std::uint32_t* Packed() const { return group->packed[lane]; }
};

FourWords LoadFour(const std::uint32_t* from) {
    FourWords v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

// For each set of the four lanes that moved (a bit a lane), those lanes in order.
struct MovedLanes {
    std::int32_t lanes[16][lineLanes];
    std::int32_t count[16];

    constexpr MovedLanes() : lanes{}, count{} {
        for (int moved = 0; moved < 16; ++moved) {
            for (int lane = 0; lane < lineLanes; ++lane)
                if (moved >> lane & 1) lanes[moved][count[moved]++] = lane;
        }
    }
};
constexpr MovedLanes movedLanes;

// Whether the point lies on a screen narrow enough for packed points to tell every move apart.
bool OnFootprintScreen(PixelPoint p) {
    const GlobeScene& s = globeScene;
    return s.clipWidth <= widestFootprintScreen && p.x >= 0 && p.x < s.clipWidth && p.y >= 0 && p.y < s.clipHeight;
}

// Whether the texel's four end points lie on that screen.
bool TexelOnScreen(BoundaryLine upper, BoundaryLine lower, std::int32_t k) {
    return OnFootprintScreen(upper.At(k)) && OnFootprintScreen(upper.At(k + 1)) && OnFootprintScreen(lower.At(k)) &&
           OnFootprintScreen(lower.At(k + 1));
}

// Where a row's texels lie, as its drawing needs to know: all of their end points on a screen
// where footprints may be written; near enough for packed points to tell every move apart; or
// (far off the screen) neither.
enum class RowPlace { onScreen, near, far };

// Draws the row's texels from column k0 of its lines on. A texel whose end points all lie on the
// screen writes its remembered footprint, or nothing when none of them moves; any other texel is
// swept pixel by pixel, each pixel tested against the screen's bounds. Both give the same pixels.
// The moves and their keys are worked out four texels at a time.
void DrawTexels(const LockedFrame& frame, BoundaryLine upper, BoundaryLine lower, std::int32_t k0, std::int32_t texels,
                RowPlace place, const std::uint8_t* texel, const std::uint8_t* mask, const std::uint8_t* brightness) {
    const GlobeScene& s = globeScene;
    std::uint32_t keyPlusOne[largestRowTexels + lineLanes];
    std::int32_t drawing[largestRowTexels + lineLanes];  // the texels that may draw
    std::int32_t drawingCount = 0;
    const std::uint32_t* upperPoints = upper.Packed() + k0;
    const std::uint32_t* lowerPoints = lower.Packed() + k0;
    // Packed points far off the screen may not tell every move apart: there every texel is looked at.
    const std::uint32_t everyTexel = place == RowPlace::far ? 1u : 0u;
    for (std::int32_t t = 0; t < texels; t += lineLanes) {
        const FourWords upperAt = LoadFour(upperPoints + t), upperNext = LoadFour(upperPoints + t + 1);
        const FourWords lowerAt = LoadFour(lowerPoints + t), lowerNext = LoadFour(lowerPoints + t + 1);
        const FourWords keys = FootprintKeyPlusOne(upperAt, lowerAt, upperNext, lowerNext);
        std::memcpy(keyPlusOne + t, &keys, sizeof keys);
        FourWords moved = ((upperAt ^ upperNext) | (lowerAt ^ lowerNext) | everyTexel) != 0u;
        moved &= FourWords{1, 2, 4, 8};
        moved |= __builtin_shufflevector(moved, moved, 2, 3, 0, 1);
        moved |= __builtin_shufflevector(moved, moved, 1, 0, 3, 2);
        FourInts lanes;
        std::memcpy(&lanes, movedLanes.lanes[moved[0]], sizeof lanes);
        lanes += t;
        std::memcpy(drawing + drawingCount, &lanes, sizeof lanes);
        drawingCount += movedLanes.count[moved[0]];
    }
    // The last four may reach past the row's texels.
    while (drawingCount > 0 && drawing[drawingCount - 1] >= texels) --drawingCount;

    for (std::int32_t i = 0; i < drawingCount; ++i) {
        const std::int32_t t = drawing[i], k = k0 + t;
        const auto sweep = [&] {
            SweepTexel(upper.At(k), lower.At(k), upper.At(k + 1), lower.At(k + 1),
                       ClippedPlot{frame, Shade(texel + t * s.mapBytesPerPixel, mask[t], brightness[t])});
        };
        if (place != RowPlace::onScreen && !TexelOnScreen(upper, lower, k)) {
            sweep();
            continue;
        }
        const TexelFootprint& footprint = FindTexelFootprint(keyPlusOne[t]);
        if (footprint.count <= 0) {
            if (footprint.count < 0) sweep();
            continue;
        }
        const PackedColour colour = Shade(texel + t * s.mapBytesPerPixel, mask[t], brightness[t]);
        const PixelPoint start = upper.At(k);
        std::uint8_t* pixel = frame.pixels + static_cast<std::ptrdiff_t>(start.y) * frame.pitch + 4 * start.x;
        for (int j = 0; j < footprintShortRun; ++j) WritePixel(pixel + footprint.offsets[j], colour);
        if (footprint.count <= footprintShortRun) continue;
        for (int j = footprintShortRun; j < footprintFirstLine; ++j) WritePixel(pixel + footprint.offsets[j], colour);
        if (footprint.count <= footprintFirstLine) continue;
        for (int j = footprintFirstLine; j < footprintCapacity; ++j) WritePixel(pixel + footprint.offsets[j], colour);
    }
}

// The boundary points of a cell's map rows: the upper boundary of its first row, left and right,
// and what each row adds to them.
struct CellEdges {
    Point3 left;
    Point3 right;
    Point3 leftStep;
    Point3 rightStep;
    std::int32_t points;  // stepped points per line: the cell's texel columns and one more
};

// Projects the cell's next four lines and steps them along the cell's texel columns. edges.left
// and edges.right are those of the first of them on entry and of the line after them on return.
void StepLineGroup(LineGroup& group, CellEdges& edges, Point2 origin) {
    const GlobeScene& s = globeScene;
    float leftX[lineLanes], leftY[lineLanes], leftZ[lineLanes], rightX[lineLanes], rightY[lineLanes],
        rightZ[lineLanes];
    for (int lane = 0; lane < lineLanes; ++lane) {
        leftX[lane] = edges.left.x, leftY[lane] = edges.left.y, leftZ[lane] = edges.left.z;
        rightX[lane] = edges.right.x, rightY[lane] = edges.right.y, rightZ[lane] = edges.right.z;
        edges.left = edges.leftStep + edges.left;
        edges.right = edges.rightStep + edges.right;
    }
    const FourFloats lx = LoadFour(leftX) / LoadFour(leftZ), ly = LoadFour(leftY) / LoadFour(leftZ);
    const FourFloats rx = LoadFour(rightX) / LoadFour(rightZ), ry = LoadFour(rightY) / LoadFour(rightZ);
    const FourFloats stepX = (rx - lx) / s.bandColumns, stepY = -(ry - ly) / s.bandColumns;
    FourFloats x = lx + origin.x, y = origin.y - ly;
    StoreFour(group.startX, x), StoreFour(group.startY, y);
    StoreFour(group.endX, rx + origin.x), StoreFour(group.endY, origin.y - ry);
    StoreFour(group.stepX, stepX), StoreFour(group.stepY, stepY);
    for (std::int32_t k = 0; k < edges.points; k += lineLanes) {
        FourWords packed[lineLanes];  // point k + i of the four lines
        for (int i = 0; i < lineLanes; ++i, x = x + stepX, y = y + stepY) {
            const FourInts truncatedX = __builtin_convertvector(x, FourInts);
            const FourInts truncatedY = __builtin_convertvector(y, FourInts);
            std::memcpy(group.x[k + i], &truncatedX, sizeof truncatedX);
            std::memcpy(group.y[k + i], &truncatedY, sizeof truncatedY);
            // PackPoint, lane by lane.
            packed[i] = __builtin_convertvector(truncatedX, FourWords) +
                        (__builtin_convertvector(truncatedY, FourWords) << 16);
        }
        // Turned about, to points k .. k + 3 of each line.
        const FourWords low01 = __builtin_shufflevector(packed[0], packed[1], 0, 4, 1, 5);
        const FourWords low23 = __builtin_shufflevector(packed[2], packed[3], 0, 4, 1, 5);
        const FourWords high01 = __builtin_shufflevector(packed[0], packed[1], 2, 6, 3, 7);
        const FourWords high23 = __builtin_shufflevector(packed[2], packed[3], 2, 6, 3, 7);
        const FourWords line[lineLanes] = {
            __builtin_shufflevector(low01, low23, 0, 1, 4, 5), __builtin_shufflevector(low01, low23, 2, 3, 6, 7),
            __builtin_shufflevector(high01, high23, 0, 1, 4, 5), __builtin_shufflevector(high01, high23, 2, 3, 6, 7)};
        for (int lane = 0; lane < lineLanes; ++lane) std::memcpy(group.packed[lane] + k, &line[lane], sizeof line[lane]);
    }
}

// Where the row's texels lie. Adding the same step again and again never turns a float sequence
// back, and truncation keeps order, so each boundary's extremes are its two ends.
RowPlace PlaceOfRow(PixelPoint upperBegin, PixelPoint lowerBegin, PixelPoint upperEnd, PixelPoint lowerEnd) {
    const auto near = [](PixelPoint p) {
        return p.x >= -packedReach && p.x <= packedReach && p.y >= -packedReach && p.y <= packedReach;
    };
    if (OnFootprintScreen(upperBegin) && OnFootprintScreen(upperEnd) && OnFootprintScreen(lowerBegin) &&
        OnFootprintScreen(lowerEnd))
        return RowPlace::onScreen;
    return near(upperBegin) && near(upperEnd) && near(lowerBegin) && near(lowerEnd) ? RowPlace::near : RowPlace::far;
}

// Widens the box to hold the point.
void Include(PixelBox& box, PixelPoint p) {
    box.left = std::min(box.left, p.x);
    box.top = std::min(box.top, p.y);
    box.right = std::max(box.right, p.x + 1);
    box.bottom = std::max(box.bottom, p.y + 1);
}

// Draws the texels of map row `row` between boundary lines upper and lower, whose texel columns
// are columnBegin .. columnEnd; `drawn` grows to hold every pixel they write.
void DrawMapRow(const LockedFrame& frame, BoundaryLine upper, BoundaryLine lower, std::int32_t row,
                std::int32_t columnBegin, std::int32_t columnEnd, ClipBounds bounds, PixelBox& drawn) {
    const GlobeScene& s = globeScene;
    Point2 a = upper.Start(), b = lower.Start(), c = upper.End(), d = lower.End();
    const Point2 upperStep = upper.Step(), lowerStep = lower.Step();
    if (bounds.AllBeyond(a, b, c, d)) return;

    // Texels whose far side lies wholly beyond one edge are dropped from the front...
    std::int32_t column = columnBegin;
    while (column <= columnEnd) {
        const Point2 nextA = a + upperStep, nextB = b + lowerStep;
        if (!bounds.BothBeyond(nextA, nextB)) break;
        a = nextA, b = nextB, ++column;
    }
    // ...and from the back.
    std::int32_t end = columnEnd;
    while (end > column) {
        const Point2 previousC = c - upperStep, previousD = d - lowerStep;
        if (!bounds.BothBeyond(previousC, previousD)) break;
        c = previousC, d = previousD, --end;
    }
    const std::int32_t texels = end - column;
    if (texels <= 0) return;

    // The dropped texels stepped the start points just as the lines' own stepping does, so the
    // row's points are those of the lines from column k0 on. Every pixel a texel writes lies
    // between the texel's end points, so the row's pixels lie between its extremes: its ends.
    const std::int32_t k0 = column - columnBegin;
    const PixelPoint upperFirst = upper.At(k0), lowerFirst = lower.At(k0);
    const PixelPoint upperLast = upper.At(k0 + texels), lowerLast = lower.At(k0 + texels);
    for (const PixelPoint p : {upperFirst, lowerFirst, upperLast, lowerLast}) Include(drawn, p);

    const std::uint8_t* texel = s.mapPixels + row * s.mapRowStride + column * s.mapBytesPerPixel;
    const std::uint8_t* mask = s.lightMask.get() + row * s.mapWidth + column;
    const std::uint8_t* brightness = s.columnBrightness + column;
    DrawTexels(frame, upper, lower, k0, texels, PlaceOfRow(upperFirst, lowerFirst, upperLast, lowerLast), texel, mask,
               brightness);
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
            const std::int32_t rowBegin = static_cast<std::int32_t>(static_cast<float>(i) * s.bandRows);
            const std::int32_t rows = static_cast<std::int32_t>(s.bandRows);
            const std::int32_t columnBegin = static_cast<std::int32_t>(static_cast<float>(j) * s.bandColumns);
            const std::int32_t columnEnd = columnBegin + static_cast<std::int32_t>(s.bandColumns);

            const Vertex3& v00 = s.vertices[i * rowLength + j];
            const Vertex3& v10 = s.vertices[(i + 1) * rowLength + j];
            const Vertex3& v01 = s.vertices[i * rowLength + j + 1];
            const Vertex3& v11 = s.vertices[(i + 1) * rowLength + j + 1];
            // The boundary points only ever grow by these additions, so neighbouring map rows
            // share their screen points exactly.
            CellEdges edges;
            edges.leftStep = {(v10.x - v00.x) / s.bandRows * focal, (v10.y - v00.y) / s.bandRows * focal,
                              (v10.z - v00.z) / s.bandRows};
            edges.rightStep = {(v11.x - v01.x) / s.bandRows * focal, (v11.y - v01.y) / s.bandRows * focal,
                               (v11.z - v01.z) / s.bandRows};
            edges.left = {v00.x * focal, v00.y * focal, static_cast<float>(v00.z + eyeDistance)};
            edges.right = {v01.x * focal, v01.y * focal, static_cast<float>(v01.z + eyeDistance)};
            edges.points = columnEnd - columnBegin + 1;

            // Map row r lies between lines r and r + 1, each stepped once, four at a time.
            std::int32_t stepped = 0;
            for (std::int32_t r = 0; r < rows; ++r) {
                for (; stepped <= r + 1; stepped += lineLanes)
                    StepLineGroup(lineGroups[stepped / lineLanes % 2], edges, origin);
                const BoundaryLine upper{&lineGroups[r / lineLanes % 2], r % lineLanes};
                const BoundaryLine lower{&lineGroups[(r + 1) / lineLanes % 2], (r + 1) % lineLanes};
                DrawMapRow(frame, upper, lower, rowBegin + r, columnBegin, columnEnd, bounds, drawn);
            }
        }
    }
    return {std::max(drawn.left, 0), std::max(drawn.top, 0), std::min(drawn.right, s.clipWidth),
            std::min(drawn.bottom, s.clipHeight)};
}
