// The Linux saver's SDL events in the terms of the shared saver rules.
#pragma once

#include <SDL.h>

#include "shell/saver_rules.h"

SaverInput SaverInputOf(const SDL_Event& event);
