// The sphere projection: the latitude-longitude grid rotated, scaled, projected, and the cells
// that face the viewer marked.
#pragma once

#include <cstdint>

// Rebuilds vertices, gridPoints and cellVisible for the current orientation at a size factor
// in percent.
void BuildSphere(float scale);

// 1 when the cell with corners a = (r, c + 1), b = (r, c), c' = (r + 1, c + 1), d = (r + 1, c)
// (vertex indices) faces the viewer, else 0.
std::int32_t CellFacesViewer(int a, int b, int cPrime, int d);
