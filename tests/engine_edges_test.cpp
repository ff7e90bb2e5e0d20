// The engine away from its comfortable inputs, each frame compared with one worked out here by
// plain references that follow the drawing rules pixel by pixel: every star brightness with its
// colour and marks up to the right and bottom edges, the globe clipped at every edge of odd-sized
// screens, maps of odd widths (padded rows), band counts that do not divide 360, flat and narrow
// maps, light points either side of the night threshold; the rotation's roundings with all three
// angles turned; and the orbit starting over after a whole round.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "render/frame_composition.h"
#include "render/globe_texture.h"
#include "scene/frame_tick.h"
#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "scene/random_generator.h"
#include "scene/sphere.h"
#include "shell/map_image.h"
#include "tests/support/recording_seam.h"
#include "tests/support/scene_fixture.h"

namespace {

// A frame of its own, black, of the scene's screen size and the given pitch, with one more row
// below it that nothing may touch.
struct Canvas {
    std::int32_t width, height, pitch;
    std::vector<std::uint8_t> bytes;

    Canvas(std::int32_t w, std::int32_t h, std::int32_t p) : width(w), height(h), pitch(p), bytes(std::size_t(p) * (h + 1)) {}
    void Put(std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
        if (x < 0 || x >= width || y < 0 || y >= height) return;
        std::uint8_t* pixel = bytes.data() + std::size_t(y) * pitch + 4 * std::size_t(x);
        pixel[0] = blue, pixel[1] = green, pixel[2] = red;
    }
    LockedFrame Frame() { return {bytes.data(), pitch, false}; }
};

// The first differing pixel of two frames of the same size, or "" when they agree.
std::string FirstDifference(Canvas& expected, const LockedFrame& actual) {
    for (std::int32_t y = 0; y < expected.height; ++y)
        for (std::int32_t x = 0; x < expected.width; ++x)
            if (!(PixelAt(expected.Frame(), x, y) == PixelAt(actual, x, y))) {
                const Pixel e = PixelAt(expected.Frame(), x, y), a = PixelAt(actual, x, y);
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): expected " + std::to_string(e.blue) + "," +
                       std::to_string(e.green) + "," + std::to_string(e.red) + "," + std::to_string(e.fourth) + " got " +
                       std::to_string(a.blue) + "," + std::to_string(a.green) + "," + std::to_string(a.red) + "," +
                       std::to_string(a.fourth);
            }
    return "";
}

// The twinkle generator worked out from its definition: S = S x 0x15A44E35 + 1, bits 32 to 62.
struct TwinkleReference {
    std::uint64_t state;
    std::int32_t Next() {
        state = state * 0x000015A400004E35ull + 1;
        return static_cast<std::int32_t>((state >> 32) & 0x7FFFFFFF);
    }
};

void DrawStarsByHand(Canvas& canvas, TwinkleReference& twinkle) {
    const StarField& stars = globeScene.stars;
    for (int i = 0; i < starCount; ++i) {
        const std::int32_t x = stars.position[i].x, y = stars.position[i].y, v = stars.brightness[i];
        if (v >= 251) canvas.Put(x, y, 0, 255, 255);
        else if (v >= 235 && v <= 239) canvas.Put(x, y, 255, 255, 0);
        else canvas.Put(x, y, std::uint8_t(v), std::uint8_t(v), std::uint8_t(v));
        if (v <= 231) continue;
        const auto g = std::uint8_t(64 + twinkle.Next() % 127);
        for (auto [dx, dy] : {std::pair{2, 0}, {-2, 0}, {0, 2}, {0, -2}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            canvas.Put(x + dx, y + dy, g, g, g);
        if (v <= 247) continue;
        const auto d = std::uint8_t(g - 64);
        for (auto [dx, dy] : {std::pair{-1, -1}, {-1, 1}, {1, -1}, {1, 1}, {3, 0}, {-3, 0}, {0, 3}, {0, -3}})
            canvas.Put(x + dx, y + dy, d, d, d);
    }
}

// The globe, following the texture-mapping rules one pixel at a time, with nothing remembered.
struct GlobeReference {
    Canvas& canvas;
    float W, H;

    bool AllBeyond(std::initializer_list<std::pair<float, float>> points) const {
        for (int side = 0; side < 4; ++side) {
            bool all = true;
            for (auto [x, y] : points) {
                const bool beyond = side == 0 ? x < -1.0f : side == 1 ? y < -1.0f : side == 2 ? x > W : y > H;
                all = all && beyond;
            }
            if (all) return true;
        }
        return false;
    }
    void Segment(std::int32_t cx, std::int32_t cy, std::int32_t tx, std::int32_t ty, const std::uint8_t* colour) {
        while (cx != tx || cy != ty) {
            if (cx != tx) canvas.Put(cx, cy, colour[0], colour[1], colour[2]), cx += cx < tx ? 1 : -1;
            if (cy != ty) canvas.Put(cx, cy, colour[0], colour[1], colour[2]), cy += cy < ty ? 1 : -1;
        }
    }
    void Draw() {
        const GlobeScene& s = globeScene;
        const int n = s.longitudeBands + 1;
        const float f = float(s.halfGlobeRadius), e = float(s.globeRadius) * 2.0f;
        const int stride = (s.mapWidth * 3 + 3) / 4 * 4;
        const float ox = float(s.screenCentreX + s.globeOffsetX), oy = float(s.screenCentreY + s.globeOffsetY);
        for (int i = 0; i < s.latitudeBands; ++i)
            for (int j = 0; j < s.longitudeBands; ++j) {
                if (s.cellVisible[i * n + j] != 1) continue;
                const int rowBegin = int(float(i) * s.bandRows), rowEnd = rowBegin + int(s.bandRows);
                const int columnBegin = int(float(j) * s.bandColumns), columnEnd = columnBegin + int(s.bandColumns);
                const Vertex3 v00 = s.vertices[i * n + j], v10 = s.vertices[(i + 1) * n + j];
                const Vertex3 v01 = s.vertices[i * n + j + 1], v11 = s.vertices[(i + 1) * n + j + 1];
                float dL[3] = {(v10.x - v00.x) / s.bandRows * f, (v10.y - v00.y) / s.bandRows * f, (v10.z - v00.z) / s.bandRows};
                float dR[3] = {(v11.x - v01.x) / s.bandRows * f, (v11.y - v01.y) / s.bandRows * f, (v11.z - v01.z) / s.bandRows};
                float L[3] = {v00.x * f, v00.y * f, v00.z + e}, R[3] = {v01.x * f, v01.y * f, v01.z + e};
                float L2[3], R2[3];
                for (int k = 0; k < 3; ++k) L2[k] = dL[k] + L[k], R2[k] = dR[k] + R[k];
                for (int r = rowBegin; r < rowEnd; ++r) {
                    Row(r, columnBegin, columnEnd, L, R, L2, R2, ox, oy, stride);
                    for (int k = 0; k < 3; ++k) L[k] = dL[k] + L[k], R[k] = dR[k] + R[k], L2[k] = dL[k] + L2[k], R2[k] = dR[k] + R2[k];
                }
            }
    }
    void Row(int r, int columnBegin, int columnEnd, const float* L, const float* R, const float* L2, const float* R2,
             float ox, float oy, int stride) {
        const GlobeScene& s = globeScene;
        const float lx = L[0] / L[2], ly = L[1] / L[2], rx = R[0] / R[2], ry = R[1] / R[2];
        const float l2x = L2[0] / L2[2], l2y = L2[1] / L2[2], r2x = R2[0] / R2[2], r2y = R2[1] / R2[2];
        float ax = lx + ox, ay = oy - ly, bx = l2x + ox, by = oy - l2y, cx = rx + ox, cy = oy - ry, dx = r2x + ox, dy = oy - r2y;
        const float sux = (rx - lx) / s.bandColumns, suy = -(ry - ly) / s.bandColumns;
        const float slx = (r2x - l2x) / s.bandColumns, sly = -(r2y - l2y) / s.bandColumns;
        if (AllBeyond({{ax, ay}, {bx, by}, {cx, cy}, {dx, dy}})) return;
        int c = columnBegin;
        while (c <= columnEnd && AllBeyond({{ax + sux, ay + suy}, {bx + slx, by + sly}})) ax += sux, ay += suy, bx += slx, by += sly, ++c;
        int end = columnEnd;
        while (end > c && AllBeyond({{cx - sux, cy - suy}, {dx - slx, dy - sly}})) cx -= sux, cy -= suy, dx -= slx, dy -= sly, --end;
        int pax = int(ax), pay = int(ay), pbx = int(bx), pby = int(by);
        for (int k = c; k < end; ++k) {
            const std::uint8_t* texel = s.mapPixels + r * stride + 3 * k;
            const std::uint8_t mask = s.lightMask[r * s.mapWidth + k];
            const int p = s.columnBrightness[k];
            std::uint8_t colour[3];
            for (int b = 0; b < 3; ++b) colour[b] = mask == 255 && p < 35 ? texel[b] : std::uint8_t(texel[b] * p / 100);
            ax += sux, ay += suy, bx += slx, by += sly;
            const int nax = int(ax), nay = int(ay), nbx = int(bx), nby = int(by);
            const auto toward = [](int& v, int target) { v += v < target ? 1 : v > target ? -1 : 0; };
            while (pax != nax || pay != nay || pbx != nbx || pby != nby) {
                Segment(pax, pay, pbx, pby, colour);
                toward(pax, nax), toward(pay, nay), toward(pbx, nbx), toward(pby, nby);
            }
        }
    }
};

// A map whose every texel differs from its neighbours, about a third of them land (blue the
// smallest), and the maximum a byte can hold in places.
std::vector<std::uint8_t> PatternMap(std::int32_t width, std::int32_t height) {
    return MakeMapFile(width, height, [](int r, int c) {
        const auto v = std::uint8_t(r * 37 + c * 11);
        return (r + c) % 3 == 0 ? std::array<std::uint8_t, 3>{std::uint8_t(v / 3), std::uint8_t(v | 64), 255}
                                : std::array<std::uint8_t, 3>{std::uint8_t(255 - v), v, std::uint8_t(v ^ 0x5A)};
    });
}

// Lights every third texel and fills the day-and-night table with values either side of the
// night threshold and the ends of the scale.
void PaintLightsAndTable() {
    GlobeScene& s = globeScene;
    for (std::int32_t t = 0; t < s.mapWidth * s.mapHeight; ++t) s.lightMask[t] = t % 3 == 0 ? 0xFF : t % 3 == 1 ? 0xFE : 0;
    const std::uint8_t levels[] = {34, 35, 100, 0, 33, 99, 50, 34, 1};
    for (int c = 0; c < brightnessColumns; ++c) s.columnBrightness[c] = levels[(c / 2) % 9];
}

struct GlobeCase {
    std::int32_t mapWidth, mapHeight, screenWidth, screenHeight, pitch;
    std::int32_t tilt, turn, spin;
    float scale;
    std::int32_t offsetX, offsetY;
};

void ExpectGlobeAsWorkedOut(const GlobeCase& g) {
    const auto map = PatternMap(g.mapWidth, g.mapHeight);
    SetTestClock(7);
    ASSERT_EQ(SetUpSceneFromMap({g.screenWidth, g.screenHeight}, map.data(), map.size()), nullptr);
    PaintLightsAndTable();
    globeScene.globeOffsetX = g.offsetX;
    globeScene.globeOffsetY = g.offsetY;
    ComputeOrientation(g.tilt, g.turn, g.spin);
    BuildSphere(g.scale);
    Canvas expected(g.screenWidth, g.screenHeight, g.pitch), actual(g.screenWidth, g.screenHeight, g.pitch);
    GlobeReference{expected, float(g.screenWidth), float(g.screenHeight)}.Draw();
    DrawGlobe(actual.Frame());
    int lit = 0;
    for (std::int32_t y = 0; y < g.screenHeight; ++y)
        for (std::int32_t x = 0; x < g.screenWidth; ++x) lit += PixelAt(expected.Frame(), x, y).green != 0;
    EXPECT_GT(lit, 20) << "the case must show some globe: map " << g.mapWidth << "x" << g.mapHeight;
    EXPECT_EQ(FirstDifference(expected, actual.Frame()), "");
    EXPECT_EQ(actual.bytes, expected.bytes) << "bytes between rows, below the last or fourth bytes touched";
    FreeMapImage();
}

}  // namespace

// Every brightness from 0 to 254 somewhere, and stars two pixels from the right and bottom edges,
// whose marks must be cut off there and never wrap into the next row or into column 0.
TEST(StarsAsWorkedOut, EveryBrightnessAndTheEdgesOfOddScreens) {
    for (auto [width, height, pitch] : {std::tuple{97, 61, 97 * 4}, {96, 60, 96 * 4 + 12}}) {
        SetUpBuiltInScene(width, height, 3, pitch);
        StarField& stars = globeScene.stars;
        for (int i = 0; i < starCount; ++i) {
            stars.brightness[i] = i % 255;
            stars.position[i] = {3 + (i * 7) % (width - 4), 3 + (i * 13) % (height - 4)};
        }
        const std::pair<int, int> edges[] = {{width - 2, height - 2}, {width - 2, 10}, {10, height - 2},
                                             {width - 3, height - 3}, {width - 2, 3},  {3, height - 2}};
        for (int k = 0; k < 6; ++k) stars.position[starCount - 1 - k] = {edges[k].first, edges[k].second},
                                    stars.brightness[starCount - 1 - k] = 250 + k % 5;
        SeedStandardRandom(12345);
        Canvas expected(width, height, pitch);
        TwinkleReference twinkle{12345};
        DrawStarsByHand(expected, twinkle);
        const LockedFrame frame = LockBackBuffer();
        std::memset(frame.pixels, 0, std::size_t(pitch) * height);
        DrawStarField(frame);
        EXPECT_EQ(FirstDifference(expected, frame), "") << width << "x" << height;
        EXPECT_EQ(std::memcmp(expected.bytes.data(), frame.pixels, std::size_t(pitch) * height), 0);
        EXPECT_EQ(LongRandom(), twinkle.Next()) << "one twinkle draw per star above 231, clipped or not";
        UnlockBackBuffer();
    }
}

TEST(GlobeAsWorkedOut, BuiltInSizedMapAcrossEachEdgeOfAnOddScreen) {
    // Right and bottom edges, then left and top; screens whose orbit radii differ in parity.
    ExpectGlobeAsWorkedOut({1000, 500, 161, 119, 161 * 4, 66, 20, 123, 130.0f, 60, 45});
    ExpectGlobeAsWorkedOut({1000, 500, 160, 121, 160 * 4 + 8, 102, 350, 7, 130.0f, -70, -40});
    // A small globe half over the right and bottom edges, then over the left and top ones.
    ExpectGlobeAsWorkedOut({1000, 500, 161, 119, 161 * 4, 45, 10, 200, 12.0f, 72, 50});
    ExpectGlobeAsWorkedOut({1000, 500, 161, 119, 161 * 4 + 4, 120, 0, 30, 12.0f, -77, -55});
}

TEST(GlobeAsWorkedOut, OddWidthsBandCountsThatDoNotDivide360AndFlatOrNarrowMaps) {
    ExpectGlobeAsWorkedOut({997, 23, 120, 90, 480, 30, 0, 200, 100.0f, 0, 0});  // 23 bands, padded rows
    ExpectGlobeAsWorkedOut({201, 7, 121, 91, 484, 138, 15, 359, 110.0f, 5, -3});  // 7 bands, flat
    ExpectGlobeAsWorkedOut({7, 211, 121, 91, 484, 90, 0, 91, 120.0f, -4, 2});     // 7 bands, narrow
    ExpectGlobeAsWorkedOut({13, 9, 64, 48, 256, 45, 30, 300, 130.0f, 0, 0});     // 9 bands, 40 bytes a row
}

// With tilt, turn and spin all turned the rotations' order shows; every product is rounded to
// float before it is used again, and the sines are taken of the float radians.
TEST(Orientation, AllThreeAnglesInTheirOrderWithEveryProductRoundedToFloat) {
    Vertex3 v;
    ComputeOrientation(90, 90, 90);
    RotatePoint(1000, 0, 0, &v);  // spin: to (0, 1000, 0); turn leaves it; tilt: to (0, 0, 1000)
    EXPECT_NEAR(v.x, 0, 0.01);
    EXPECT_NEAR(v.y, 0, 0.01);
    EXPECT_NEAR(v.z, 1000, 0.01);
    RotatePoint(0, 0, 1000, &v);  // turn: to (-1000, 0, 0); tilt leaves it
    EXPECT_NEAR(v.x, -1000, 0.01);
    EXPECT_NEAR(v.y, 0, 0.01);
    EXPECT_NEAR(v.z, 0, 0.01);

    const auto product = [](float a, double b) { return static_cast<float>(a * b); };
    for (auto [tilt, turn, spin] : {std::tuple{30, 0, 359}, {66, 17, 123}, {138, 300, 1}, {101, 45, 250}}) {
        ComputeOrientation(tilt, turn, spin);
        const GlobeOrientation& o = globeOrientation;
        EXPECT_EQ(o.tiltRadians, static_cast<float>(tilt * (3.14159 / 180.0)));
        EXPECT_EQ(o.turnRadians, static_cast<float>(turn * (3.14159 / 180.0)));
        for (auto [x, y, z] : {std::tuple{999.87f, -0.0013f, 12.5f}, {-333.3f, 777.7f, -901.1f}, {0.1f, 1000.0f, -0.3f}}) {
            const float x1 = product(x, o.cosSpin) - product(y, o.sinSpin);
            const float y1 = product(y, o.cosSpin) + product(x, o.sinSpin);
            const float x2 = product(x1, o.cosTurn) - product(z, o.sinTurn);
            const float z2 = product(x1, o.sinTurn) + product(z, o.cosTurn);
            RotatePoint(x, y, z, &v);
            EXPECT_EQ(v.x, x2);
            EXPECT_EQ(v.y, product(y1, o.cosTilt) - product(z2, o.sinTilt));
            EXPECT_EQ(v.z, product(z2, o.cosTilt) + product(y1, o.sinTilt));
        }
    }
}

// Grid points are the truncated projection halved by an arithmetic shift (rounding down, also
// for negative values) around the screen's centre, which on an odd screen is width >> 1.
TEST(SphereProjectionAsWorkedOut, GridPointsOnAnOddScreen) {
    SetUpBuiltInScene(161, 121, 1);
    globeScene.globeOffsetX = 57;  // not the projection's business
    ComputeOrientation(77, 33, 211);
    BuildSphere(130.0f);
    const GlobeScene& s = globeScene;
    int negativeOdd = 0;
    for (int r = 0; r <= 30; ++r)
        for (int c = 0; c <= 30; ++c) {
            const Vertex3 v = s.vertices[r * 31 + c];
            const float eye = static_cast<float>(v.z + 2000.0);
            const auto sx = static_cast<std::int32_t>(v.x / eye * 1000.0f);
            const auto sy = static_cast<std::int32_t>(-(1000.0f * v.y) / eye);
            negativeOdd += sx < 0 && sx % 2 != 0;
            const std::int32_t halfX = sx >= 0 ? sx / 2 : -((-sx + 1) / 2), halfY = sy >= 0 ? sy / 2 : -((-sy + 1) / 2);
            EXPECT_EQ(s.gridPoints[r * 31 + c].x, halfX + 80) << r << "," << c;
            EXPECT_EQ(s.gridPoints[r * 31 + c].y, halfY + 60) << r << "," << c;
        }
    EXPECT_GT(negativeOdd, 10);
}

// After a whole orbit the globe is back at the orbit's first point, at its smallest.
TEST(FrameTickOrbit, StartsOverAfterAWholeOrbit) {
    SetUpBuiltInScene(41, 23, 9);
    const std::int32_t length = globeScene.orbitLength;
    ASSERT_GT(length, 20);
    for (std::int32_t tick = 0; tick < length - 1; ++tick) AdvanceFrame();
    EXPECT_EQ(globeScene.orbitPosition, length - 1);
    EXPECT_EQ(globeScene.globeOffsetX, globeScene.orbitPoints[length - 2].x);
    AdvanceFrame();
    EXPECT_EQ(globeScene.orbitPosition, 0);
    EXPECT_EQ(globeScene.globeOffsetX, globeScene.orbitPoints[length - 1].x);
    AdvanceFrame();
    EXPECT_EQ(globeScene.orbitPosition, 1);
    EXPECT_EQ(globeScene.globeOffsetX, 0);
    // The size factor of point 0, 10 percent: the pole's vertex lies 10 percent out.
    Vertex3 pole;
    RotatePoint(0.0f, 0.0f, 1000.0f, &pole);
    EXPECT_NEAR(globeScene.vertices[0].z, pole.z, 0.01f);
    EXPECT_NEAR(globeScene.vertices[0].y, pole.y * 0.1f, 0.01f);
}

// The smallest orbits, walked by hand: a 7 x 16 screen gives the ellipse of radii 2 and 3 around
// (3, 12), whose quarter runs (0, 3), (1, 3), (1, 2), (2, 1), (2, 0); mirrored, 16 points from
// (4, 9). The size factor climbs 20 percent a pixel down to 130, is spread evenly along the
// bottom run, and comes back to 10.
TEST(OrbitAsWorkedOut, TheEllipseOfASevenBySixteenScreen) {
    SetUpBuiltInScene(7, 16, 1);
    ASSERT_EQ(globeScene.orbitLength, 16);
    const std::int32_t x[16] = {0, 0, 1, 1, 1, 0, 0, -1, -2, -2, -3, -3, -3, -2, -2, -1};
    const std::int32_t y[16] = {0, 1, 2, 3, 4, 5, 6, 6, 6, 5, 4, 3, 2, 1, 0, 0};
    const float scale[16] = {10, 30, 50, 70, 90, 110, 130, 123.333f, 116.667f, 110, 90, 70, 50, 30, 10, 10};
    for (int g = 0; g < 16; ++g) {
        EXPECT_EQ(globeScene.orbitPoints[g].x, x[g]) << g;
        EXPECT_EQ(globeScene.orbitPoints[g].y, y[g]) << g;
        EXPECT_NEAR(globeScene.orbitScale[g], scale[g], 0.001f) << g;
    }
}
