// How a cover gets onto its display depends on who places windows. On X11 it is a window that no
// window manager takes over (override-redirect, as X11 screen savers' windows are, and as SDL
// makes its pop-up menus) at its display's exact bounds: a tiling window manager would float a
// managed one onto the focused monitor, and without a window manager a full-screen window moved
// to another display stays at its first, small size. A Wayland client chooses no positions: there
// a cover asks to be full screen on its own display, which the compositor honours, where a
// positioned window would be tiled and given a title bar.
#include "shell/linux/display_covers.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "shell/cover_layout.h"

namespace {

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

bool OnWayland() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "wayland") == 0;
}

SDL_Window* CreateCover(int display, const DisplayRect& r) {
    if (OnWayland())
        return SDL_CreateWindow("Quillomantrase", SDL_WINDOWPOS_UNDEFINED_DISPLAY(display),
                                SDL_WINDOWPOS_UNDEFINED_DISPLAY(display), r.width, r.height,
                                SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR);
    return SDL_CreateWindow("Quillomantrase", r.x, r.y, r.width, r.height,
                            SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR |
                                SDL_WINDOW_POPUP_MENU);
}

void PaintBlack(SDL_Window* window) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(window);
}

}  // namespace

void CoverOtherDisplays(int shownDisplay) {
    RemoveDisplayCovers();
    const std::vector<DisplayRect> displays = DisplayBounds();
    for (const DisplayRect& r : CoverRects(displays, static_cast<std::size_t>(shownDisplay))) {
        // The first display at those bounds: the one CoverRects kept among identical ones.
        int display = 0;
        while (!(displays[display] == r)) ++display;
        SDL_Window* cover = CreateCover(display, r);
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
