// The frame tick: one step of the animation per timer tick.
#pragma once

// Moves the globe one orbit point on, swings its tilt, spins it a degree, rebuilds the sphere
// and composes the frame into the display's back buffer. Does nothing on a scene whose set-up
// did not finish.
void AdvanceFrame();
