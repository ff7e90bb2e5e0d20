// What the page's script calls: start a run at a size on the map file it fetched, tick it, and
// have the saver's rules judge the user's input while the page is full screen.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>

#include "display/display.h"
#include "scene/platform_seam.h"
#include "shell/map_image.h"
#include "shell/saver_rules.h"
#include "shell/web/web_seam.h"

namespace {

std::int32_t webTicks = 0;

// Whatever stops a run (a map that cannot be used, a window too small for the orbit, no memory
// for the frame), the page says so in one line of its own.
int FailRun(const std::string& reason) {
    ShowUserMessage(("The globe cannot be shown: " + reason).c_str());
    return 0;
}

}  // namespace

extern "C" {

// Sets the scene up for a width x height frame from the map file's bytes and brings the canvas
// up at that size. 1 when the run can tick; 0 after the reason was shown on the page.
EMSCRIPTEN_KEEPALIVE int StartWebRun(std::int32_t width, std::int32_t height, double clockSeconds,
                                     const std::uint8_t* mapFile, std::int32_t mapFileSize) {
    DestroyDisplay();
    FreeMapImage();
    webTicks = 0;
    SetWebClock(static_cast<std::int64_t>(clockSeconds));
    if (const char* failure = SetUpSceneFromMap({width, height}, mapFile, static_cast<std::size_t>(mapFileSize)))
        return FailRun(failure);
    if (CreateDisplay({0, width, height, 0}) == 0) {
        char size[64];
        std::snprintf(size, sizeof size, "there is not enough memory for a %dx%d frame", width, height);
        return FailRun(size);
    }
    StartSaverRun();
    return 1;
}

// Runs count ticks, each composing and presenting a frame; returns the tick number now shown.
EMSCRIPTEN_KEEPALIVE std::int32_t TickWebRun(std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        RunSaverTick();
        ++webTicks;
    }
    return webTicks;
}

// Entering full screen starts the count of pointer moves afresh.
EMSCRIPTEN_KEEPALIVE void StartWebInputCount() { StartSaverRun(); }

// 0: pass the event on, 1: swallow it, 2: the run ends (leave full screen). Input kinds: 0 key
// press, 1 button press, 2 pointer move, 3 anything else.
EMSCRIPTEN_KEEPALIVE int JudgeWebInput(int kind) {
    static constexpr SaverInput inputs[] = {SaverInput::keyPress, SaverInput::buttonPress, SaverInput::pointerMove,
                                            SaverInput::other};
    if (kind < 0 || kind > 3) kind = 3;
    switch (JudgeSaverInput(inputs[kind])) {
    case SaverVerdict::passOn:
        return 0;
    case SaverVerdict::swallow:
        return 1;
    case SaverVerdict::endRun:
        return 2;
    }
    return 0;
}
}
