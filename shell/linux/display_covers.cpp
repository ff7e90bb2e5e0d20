// A cover is made at its display's exact bounds, not full screen on that display: without a
// window manager, a full-screen window moved to another display stays at its first, small size.
#include "shell/linux/display_covers.h"

#include <cstdio>
#include <vector>

#include "shell/cover_layout.h"

namespace {

constexpr int shownDisplay = 0;  // the display the globe's window goes to

std::vector<SDL_Window*> covers;

std::vector<DisplayRect> DisplayBounds() {
    std::vector<DisplayRect> displays;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect r{};
        // One that cannot be read counts as showing nothing, so it gets no cover.
        if (SDL_GetDisplayBounds(i, &r) != 0) r = SDL_Rect{};
        displays.push_back({r.x, r.y, r.w, r.h});
    }
    return displays;
}

void PaintBlack(SDL_Window* window) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(window);
}

}  // namespace

void CoverOtherDisplays() {
    RemoveDisplayCovers();
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    for (const DisplayRect& r : CoverRects(DisplayBounds(), shownDisplay)) {
        SDL_Window* cover = SDL_CreateWindow("Quillomantrase", r.x, r.y, r.width, r.height,
                                             SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
        if (cover == nullptr) {
            std::fprintf(stderr, "quillomantrase: the display at %d,%d stays uncovered (SDL: %s)\n", r.x, r.y,
                         SDL_GetError());
            continue;
        }
        covers.push_back(cover);
        PaintBlack(cover);
    }
}

void PaintDisplayCovers() {
    for (SDL_Window* cover : covers) PaintBlack(cover);
}

bool IsDisplayCover(Uint32 windowId) {
    for (SDL_Window* cover : covers)
        if (SDL_GetWindowID(cover) == windowId) return true;
    return false;
}

void RemoveDisplayCovers() {
    for (SDL_Window* cover : covers) SDL_DestroyWindow(cover);
    covers.clear();
}
