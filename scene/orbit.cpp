// The orbit: an integer ellipse walk mirrored into four quadrants, then turned into horizontal
// offsets and size factors. The walk runs on 64-bit integers: its error terms grow with the
// cube of the radii and overflow 32 bits from about 4096 pixels of screen width, which made the
// globe jump; below that the results are the same as with 32 bits.
#include "scene/globe_scene.h"

namespace {

// Calls emit(x, y) for each point of one quadrant, from the top (0, b) towards the right (a, 0).
template <typename Emit>
void WalkEllipseQuadrant(std::int64_t a, std::int64_t b, Emit emit) {
    const std::int64_t a2 = a * a;
    const std::int64_t b2 = b * b;
    const std::int64_t lim1 = -(a2 / 4 + a % 2 + b2);
    const std::int64_t lim2 = -(b2 / 4 + b % 2 + a2);
    const std::int64_t lim3 = -(b2 / 4 + b % 2);
    std::int64_t err = -a2 * b;
    std::int64_t incX = 0;
    std::int64_t incY = -2 * a2 * b;
    const std::int64_t incX2 = 2 * b2;
    const std::int64_t incY2 = 2 * a2;
    std::int64_t x = 0;
    std::int64_t y = b;
    const auto stepX = [&] { ++x, incX += incX2, err += incX; };
    const auto stepY = [&] { --y, incY += incY2, err += incY; };
    while (y >= 0 && x <= a) {
        emit(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
        if (err + b2 * x <= lim1 || err + a2 * y <= lim3) {
            stepX();
        } else if (err - a2 * y > lim2) {
            stepY();
        } else {
            stepX();
            stepY();
        }
    }
}

// The size factor grows with the vertical offset, 60 percent per vertical radius, spread evenly
// along runs of points that share one height. Starts at 10 on the far (top) side of the ellipse.
void FillSizeFactors(std::int32_t radiusY) {
    GlobeScene& s = globeScene;
    const std::int32_t n = s.orbitLength;
    const float factorPerPixel = static_cast<float>(60.0 / radiusY);
    s.orbitScale[0] = 0.0f;
    std::int32_t anchor = 0;
    std::int32_t previousOffset = 0;
    for (std::int32_t g = 1; g < n; ++g) {
        const std::int32_t offset = s.orbitPoints[g].y;
        if (offset == previousOffset && g != n - 1) continue;
        const float step = static_cast<float>(offset - previousOffset) / static_cast<float>(g - anchor) * factorPerPixel;
        for (std::int32_t k = anchor + 1; k <= g; ++k) s.orbitScale[k] = s.orbitScale[k - 1] + step;
        anchor = g;
        previousOffset = offset;
    }
    for (std::int32_t k = 0; k < n; ++k) s.orbitScale[k] += 10.0f;
}

}  // namespace

void BuildOrbit(std::int32_t centreX, std::int32_t centreY, std::int32_t radiusX, std::int32_t radiusY) {
    GlobeScene& s = globeScene;
    std::int32_t allPairs = 0, offOrigin = 0, offAxes = 0;
    WalkEllipseQuadrant(radiusX, radiusY, [&](std::int32_t x, std::int32_t y) {
        ++allPairs;
        offOrigin += (x != 0 || y != 0);
        offAxes += (x != 0 && y != 0);
    });
    s.orbitLength = allPairs + offOrigin + 2 * offAxes;

    // Four cursors lay the quadrants out so that the points run once round the ellipse,
    // clockwise on the screen, starting just right of the top point.
    std::int32_t bottomRight = allPairs + offAxes - 1;  // moving down
    std::int32_t topLeft = s.orbitLength - 1;           // moving down
    std::int32_t bottomLeft = allPairs + offAxes;       // moving up
    std::int32_t topRight = 0;                          // moving up
    ScreenPoint* points = s.orbitPoints.get();
    WalkEllipseQuadrant(radiusX, radiusY, [&](std::int32_t x, std::int32_t y) {
        points[bottomRight--] = {centreX + x, centreY + y};
        if (x != 0 || y != 0) points[topLeft--] = {centreX - x, centreY - y};
        if (x != 0 && y != 0) {
            points[topRight++] = {centreX + x, centreY - y};
            points[bottomLeft++] = {centreX - x, centreY + y};
        }
    });

    for (std::int32_t g = 1; g < s.orbitLength; ++g) {
        points[g].x -= points[0].x;
        points[g].y -= points[0].y;
    }
    FillSizeFactors(radiusY);
    points[0] = {0, 0};
    s.orbitPosition = 0;
}
