#include "shell/linux/linux_seam.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>

#include "scene/platform_seam.h"

namespace {
bool messagesInBoxes = false;
}

void ShowMessagesInBoxes(bool shown) { messagesInBoxes = shown; }

void ShowUserMessage(const char* text) {
    std::fprintf(stderr, "quillomantrase: %s\n", text);
    // "Error" is the caption that a message box without one of its own gets on Windows.
    if (messagesInBoxes) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr);
}

std::int64_t ReadClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }
