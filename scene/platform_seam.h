// The two things the portable engine needs from whatever platform runs it: a way to tell the
// user something, and the wall clock that seeds the star field. Each program links its own
// implementation (message box on Windows, stderr for the headless renderer, a recorder in tests).
#pragma once

#include <cstdint>

// Shows a failure text to the user; returns when the user has seen it (or at once where there
// is nobody to click OK).
void ShowUserMessage(const char* text);

// Seconds since the epoch, as time(nullptr) gives them; the star passes are seeded with it.
std::int64_t ReadClockSeconds();
