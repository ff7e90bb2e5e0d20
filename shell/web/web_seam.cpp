#include <emscripten/emscripten.h>

#include "scene/platform_seam.h"
#include "shell/web/web_seam.h"

namespace {

std::int64_t webClock = 0;

EM_JS(void, ShowOnPage, (const char* text), { Module.showMessage(UTF8ToString(text)); });

}  // namespace

void SetWebClock(std::int64_t seconds) { webClock = seconds; }

void ShowUserMessage(const char* text) { ShowOnPage(text); }

std::int64_t ReadClockSeconds() { return webClock; }
