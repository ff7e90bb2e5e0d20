#include "shell/linux/sdl_video.h"

#include <SDL.h>

bool StartSdlVideo(const char* drivers) {
    // Our own flag answers SIGTERM and SIGINT; SDL would turn them into a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A screen saver must not hold off the system's own blanking and power saving.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
    return SDL_Init(SDL_INIT_VIDEO) == 0;
}
