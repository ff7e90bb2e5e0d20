// The Linux saver's SDL events judged by the shared rules: what a person at the keyboard and
// mouse can do to end a full-screen run, and what does not end it.
#include <gtest/gtest.h>

#include "shell/linux/saver_input.h"

namespace {

SDL_Event KeyEvent(Uint32 type) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = SDLK_LALT;
    event.key.keysym.scancode = SDL_SCANCODE_LALT;
    return event;
}

SDL_Event ButtonEvent(Uint32 type, Uint8 button) {
    SDL_Event event{};
    event.type = type;
    event.button.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    return event;
}

SDL_Event MotionEvent(Sint32 xrel = 1, Sint32 yrel = 0) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = xrel;
    event.motion.yrel = yrel;
    return event;
}

SDL_Event WheelEvent() {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = 1;
    return event;
}

SDL_Event TextEvent() {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.text[0] = 'a';
    return event;
}

SaverVerdict Judge(const SDL_Event& event) { return JudgeSaverInput(SaverInputOf(event)); }

}  // namespace

TEST(SaverInput, AKeyPressOrTheLeftMiddleOrRightButtonEndsTheRun) {
    StartSaverRun();
    EXPECT_EQ(Judge(KeyEvent(SDL_KEYDOWN)), SaverVerdict::endRun);
    for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_MIDDLE, SDL_BUTTON_RIGHT}) {
        StartSaverRun();
        EXPECT_EQ(Judge(ButtonEvent(SDL_MOUSEBUTTONDOWN, button)), SaverVerdict::endRun) << int{button};
    }
}

TEST(SaverInput, ReleasesWheelTurnsTextAndSideButtonsLeaveItRunning) {
    StartSaverRun();
    for (const SDL_Event& event : {KeyEvent(SDL_KEYUP), ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT),
                                   ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT), WheelEvent(), TextEvent(),
                                   ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1),
                                   ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X2)})
        EXPECT_EQ(Judge(event), SaverVerdict::passOn) << event.type;
}

TEST(SaverInput, TheFourthMouseMotionEndsTheRun) {
    StartSaverRun();
    for (int move = 1; move <= 3; ++move) {
        EXPECT_EQ(Judge(MotionEvent()), SaverVerdict::swallow) << move;
        EXPECT_EQ(Judge(WheelEvent()), SaverVerdict::passOn);
    }
    EXPECT_EQ(Judge(MotionEvent()), SaverVerdict::endRun);
}

// Crossing from one display's window into the next gives a move out of the first and a report
// of no distance where the pointer entered the second: one move, not two.
TEST(SaverInput, ThePointerEnteringAnotherOfTheSaversWindowsIsNoMove) {
    StartSaverRun();
    for (int move = 1; move <= 3; ++move) {
        EXPECT_EQ(Judge(MotionEvent(0, -move)), SaverVerdict::swallow) << move;
        EXPECT_EQ(Judge(MotionEvent(0, 0)), SaverVerdict::passOn) << move;
    }
    EXPECT_EQ(Judge(MotionEvent(-1, 0)), SaverVerdict::endRun);
}
