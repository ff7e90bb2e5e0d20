#pragma once

#include <cstdint>

// The clock value that the engine's ReadClockSeconds gives for this run.
void SetRenderClock(std::int64_t seconds);
