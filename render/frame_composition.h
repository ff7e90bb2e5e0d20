// Frame composition: one whole picture per tick, straight into the locked back buffer.
#pragma once

#include <cstdint>

#include "display/display.h"

// Locks the back buffer, turns the day-and-night table one column, clears the frame to black,
// draws the stars and the globe, unlocks. A failed lock skips all of it. Always 0.
int RenderFrame();

// The 1000 stars with their twinkle marks; marks that would leave the frame are not drawn.
void DrawStarField(const LockedFrame& frame);
