// The globe's orientation: three angles in whole degrees and the rotation they make.
#pragma once

#include <cstdint>

#include "scene/scene_types.h"

struct GlobeOrientation {
    std::int32_t tilt;         // about the x axis, applied last; swings between 30 and 138
    std::int32_t tiltFalling;  // 1 while the tilt swing falls
    std::int32_t turn;         // about the y axis, applied second; stays 0
    std::int32_t spin;         // about the polar axis, applied first; counts down one a tick
    float tiltRadians;
    float turnRadians;
    float spinRadians;
    double sinTilt;
    double cosTilt;
    double sinTurn;
    double cosTurn;
    double sinSpin;
    double cosSpin;
};

extern GlobeOrientation globeOrientation;

// Puts the angles back to where a run starts: tilt 30 rising, turn 0, spin 360.
void ResetOrientation();

// Turns the three angles into the radians, sines and cosines that RotatePoint reads.
void ComputeOrientation(std::int32_t tilt, std::int32_t turn, std::int32_t spin);

// Rotates a model point by spin, then turn, then tilt.
void RotatePoint(float x, float y, float z, Vertex3* out);
