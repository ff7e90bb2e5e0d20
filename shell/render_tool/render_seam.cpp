// The renderer's side of the engine's platform seam: messages go to stderr, and the clock is the
// value the run was asked for (or read once at start), so every frame can be made again.
#include <cstdio>

#include "scene/platform_seam.h"
#include "shell/render_tool/render_clock.h"

namespace {
std::int64_t renderClock = 0;
}

void SetRenderClock(std::int64_t seconds) { renderClock = seconds; }

void ShowUserMessage(const char* text) { std::fprintf(stderr, "quillomantrase-render: %s\n", text); }

std::int64_t ReadClockSeconds() { return renderClock; }
