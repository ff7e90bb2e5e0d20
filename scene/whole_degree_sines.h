// Sines and cosines of the whole-degree angles the globe is turned by, from a table of correctly
// rounded values, so that the globe's pixels do not depend on the platform's C library.
#pragma once

#include <cstdint>

// Each angle is taken as the engine's single-precision radians, float(degrees * 3.14159 / 180).
// Latitudes reach down to -90; longitudes, spin and tilt stay below 360.
constexpr std::int32_t firstTableDegree = -90;
constexpr std::int32_t lastTableDegree = 359;

// An angle outside the table is a fault in the engine: it is reported and the program stops.
double WholeDegreeSine(std::int32_t degrees);
double WholeDegreeCosine(std::int32_t degrees);
