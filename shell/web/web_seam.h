// The page's side of the engine's platform seam: messages appear on the page, and the clock is
// the value the page started the run with.
#pragma once

#include <cstdint>

void SetWebClock(std::int64_t seconds);
