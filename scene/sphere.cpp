// The sphere projection. Every vertex is placed, rotated, scaled and projected afresh each frame;
// each product and quotient is rounded to float before it is used again, since the globe's
// outline on the screen depends on those roundings.
#include "scene/sphere.h"

#include <cstdlib>
#include <cstring>

#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "scene/whole_degree_sines.h"

namespace {

constexpr double percent = 1.0 / 100.0;

struct FloatPoint {
    float x;
    float y;
};

// The projection of BuildSphere without truncation and without the integer halving.
FloatPoint ProjectExactly(const Vertex3& v) {
    const GlobeScene& s = globeScene;
    const float radius = static_cast<float>(s.globeRadius);
    const float eyeDistance = static_cast<float>(v.z + 2.0 * s.globeRadius);
    float x = v.x / eyeDistance * radius;
    float y = -(v.y * radius) / eyeDistance;
    x = x / 2.0f + static_cast<float>(s.screenCentreX);
    y = y / 2.0f + static_cast<float>(s.screenCentreY);
    return {x, y};
}

std::int32_t CityBlockDistance(const ScreenPoint& p, const ScreenPoint& q) {
    return std::abs(p.x - q.x) + std::abs(p.y - q.y);
}

struct Slopes {
    float xPerY;
    float yPerX;
};

Slopes DiagonalSlopes(const FloatPoint& from, const FloatPoint& to) {
    const float ux = from.x - to.x;
    const float uy = from.y - to.y;
    if (ux == 0.0f || uy == 0.0f) return {0.0f, 0.0f};
    return {ux / uy, uy / ux};
}

int Sign(float value) { return (value > 0.0f) - (value < 0.0f); }

}  // namespace

void BuildSphere(float scale) {
    GlobeScene& s = globeScene;
    const int rows = s.latitudeBands;
    const int columns = s.longitudeBands;
    const int rowLength = columns + 1;
    std::memset(s.cellVisible, 0, sizeof s.cellVisible);

    std::int32_t longitude[gridEntries];
    for (int c = 0; c < columns; ++c) longitude[c] = (c * 360) / columns;

    for (int r = 0; r <= rows; ++r) {
        const std::int32_t latitude = 90 - (r * 180) / rows;
        const float ringRadius = static_cast<float>(WholeDegreeCosine(latitude) * s.globeRadius);
        const float ringZ = static_cast<float>(WholeDegreeSine(latitude) * s.globeRadius);
        for (int c = 0; c < columns; ++c) {
            const float x0 = static_cast<float>(WholeDegreeCosine(longitude[c]) * ringRadius);
            const float y0 = static_cast<float>(WholeDegreeSine(longitude[c]) * ringRadius);
            Vertex3 v;
            RotatePoint(x0, y0, ringZ, &v);
            v.x = static_cast<float>(v.x * percent) * scale;
            v.y = static_cast<float>((scale * v.y) * percent);
            const int index = r * rowLength + c;
            s.vertices[index] = v;
            const float eyeDistance = static_cast<float>(v.z + 2.0 * s.globeRadius);
            const auto sx = static_cast<std::int32_t>(v.x / eyeDistance * static_cast<float>(s.globeRadius));
            const auto sy = static_cast<std::int32_t>(-(static_cast<float>(s.globeRadius) * v.y) / eyeDistance);
            s.gridPoints[index] = {(sx >> 1) + s.screenCentreX, (sy >> 1) + s.screenCentreY};
        }
        s.vertices[r * rowLength + columns] = s.vertices[r * rowLength];
        s.gridPoints[r * rowLength + columns] = s.gridPoints[r * rowLength];
    }

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int i = r * rowLength + c;
            s.cellVisible[i] = CellFacesViewer(i + 1, i, i + columns + 2, i + columns + 1);
        }
        s.cellVisible[r * rowLength + columns] = s.cellVisible[r * rowLength];
    }
}

std::int32_t CellFacesViewer(int a, int b, int cPrime, int d) {
    const GlobeScene& s = globeScene;
    const FloatPoint pa = ProjectExactly(s.vertices[a]);
    const FloatPoint pb = ProjectExactly(s.vertices[b]);
    const FloatPoint pc = ProjectExactly(s.vertices[cPrime]);
    const FloatPoint pd = ProjectExactly(s.vertices[d]);

    const std::int32_t top = CityBlockDistance(s.gridPoints[a], s.gridPoints[b]);
    const std::int32_t bottom = CityBlockDistance(s.gridPoints[cPrime], s.gridPoints[d]);
    const std::int32_t right = CityBlockDistance(s.gridPoints[a], s.gridPoints[cPrime]);
    const std::int32_t left = CityBlockDistance(s.gridPoints[b], s.gridPoints[d]);

    // Decide on the triangle with the longest edges, so that cells next to a pole, where one
    // edge collapses to a point, are still decided reliably.
    FloatPoint from, to, base, tested;
    Slopes slopes;
    if (top > bottom) {
        if (right > left) {
            slopes = DiagonalSlopes(pa, pd), from = pa, to = pd, base = pd, tested = pb;
        } else {
            slopes = DiagonalSlopes(pb, pc), from = pc, to = pb, base = pc, tested = pa;
        }
    } else if (right > left) {
        slopes = DiagonalSlopes(pb, pc), from = pb, to = pc, base = pb, tested = pd;
    } else {
        slopes = DiagonalSlopes(pa, pd), from = pd, to = pa, base = pa, tested = pc;
    }

    const float crossX = base.x - (base.y - tested.y) * slopes.xPerY;
    const float crossY = base.y - (base.x - tested.x) * slopes.yPerX;
    const float gx = to.x - from.x;
    const float gy = to.y - from.y;
    if (gx == 0.0f || gy == 0.0f) return 0;
    return Sign(crossY - tested.y) == Sign(gx) && Sign(tested.x - crossX) == Sign(gy) ? 1 : 0;
}
