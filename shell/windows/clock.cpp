// The wall clock that seeds the star field; the Windows tests fix it to get the same frames.
#include <ctime>

#include "scene/platform_seam.h"

std::int64_t ReadClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }
