#include "shell/linux/saver_input.h"

SaverInput SaverInputOf(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        return SaverInput::keyPress;
    case SDL_MOUSEBUTTONDOWN:
        // The side buttons are not among the three that end a run.
        return event.button.button <= SDL_BUTTON_RIGHT ? SaverInput::buttonPress : SaverInput::other;
    case SDL_MOUSEMOTION:
        return SaverInput::pointerMove;
    default:
        return SaverInput::other;
    }
}
