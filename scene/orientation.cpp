// Each product and sum is rounded to float before it is used again: the globe's pixels depend on
// exactly these roundings, so the expressions are spelled out one operation at a time.
#include "scene/orientation.h"

#include "scene/whole_degree_sines.h"

GlobeOrientation globeOrientation;

namespace {

// Degrees to radians with the decimal 3.14159, not full-precision pi: the sixth decimal of every
// sine the globe has ever been drawn with depends on it.
constexpr double degreesToRadians = 3.14159 / 180.0;

}  // namespace

void ResetOrientation() {
    globeOrientation = GlobeOrientation{};
    globeOrientation.tilt = 30;
    globeOrientation.spin = 360;
}

void ComputeOrientation(std::int32_t tilt, std::int32_t turn, std::int32_t spin) {
    GlobeOrientation& o = globeOrientation;
    o.tiltRadians = static_cast<float>(tilt * degreesToRadians);
    o.turnRadians = static_cast<float>(turn * degreesToRadians);
    o.spinRadians = static_cast<float>(spin * degreesToRadians);
    o.sinTilt = WholeDegreeSine(tilt);
    o.cosTilt = WholeDegreeCosine(tilt);
    o.sinTurn = WholeDegreeSine(turn);
    o.cosTurn = WholeDegreeCosine(turn);
    o.sinSpin = WholeDegreeSine(spin);
    o.cosSpin = WholeDegreeCosine(spin);
}

namespace {

inline float Product(float value, double factor) { return static_cast<float>(value * factor); }

}  // namespace

void RotatePoint(float x, float y, float z, Vertex3* out) {
    const GlobeOrientation& o = globeOrientation;
    // About the polar axis by spin.
    const float x1 = Product(x, o.cosSpin) - Product(y, o.sinSpin);
    const float y1 = Product(y, o.cosSpin) + Product(x, o.sinSpin);
    // About the vertical axis by turn.
    const float x2 = Product(x1, o.cosTurn) - Product(z, o.sinTurn);
    const float z2 = Product(x1, o.sinTurn) + Product(z, o.cosTurn);
    // About the horizontal axis by tilt.
    const float y3 = Product(y1, o.cosTilt) - Product(z2, o.sinTilt);
    const float z3 = Product(z2, o.cosTilt) + Product(y1, o.sinTilt);
    *out = Vertex3{x2, y3, z3};
}
