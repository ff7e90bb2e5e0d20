#include "shell/saver_rules.h"

#include "display/display.h"
#include "scene/frame_tick.h"

namespace {

// Pointer moves the window has seen; a run tolerates three (a bumped desk, a settling mouse).
std::int32_t mouseMoveCount = 0;
constexpr std::int32_t tolerableMoves = 3;

}  // namespace

void StartSaverRun() { mouseMoveCount = 0; }

SaverVerdict JudgeSaverInput(SaverInput input) {
    switch (input) {
    case SaverInput::keyPress:
    case SaverInput::buttonPress:
    case SaverInput::foregroundLost:
        return SaverVerdict::endRun;
    case SaverInput::pointerMove:
        ++mouseMoveCount;
        return mouseMoveCount <= tolerableMoves ? SaverVerdict::swallow : SaverVerdict::endRun;
    case SaverInput::other:
        break;
    }
    return SaverVerdict::passOn;
}

void RunSaverTick() {
    AdvanceFrame();
    PresentFrame();
}
