#include "shell/linux/saver_input.h"

SaverInput SaverInputOf(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        return SaverInput::keyPress;
    case SDL_MOUSEBUTTONDOWN:
        // The side buttons are not among the three that end a run.
        return event.button.button <= SDL_BUTTON_RIGHT ? SaverInput::buttonPress : SaverInput::other;
    case SDL_MOUSEMOTION:
        // When the pointer goes from one of our windows into another (from one display to the
        // next), SDL reports the move out of the first and then, as a move of no distance, where
        // the pointer entered the second. That report is no move of the mouse.
        return event.motion.xrel != 0 || event.motion.yrel != 0 ? SaverInput::pointerMove : SaverInput::other;
    default:
        return SaverInput::other;
    }
}
