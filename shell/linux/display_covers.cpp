// How a cover gets onto its display depends on who places windows. On X11 it is a window that no
// window manager takes over (override-redirect, as X11 screen savers' windows are, and as SDL
// makes its pop-up menus) at its display's exact bounds: a tiling window manager would float a
// managed one onto the focused monitor, and without a window manager a full-screen window moved
// to another display stays at its first, small size. A Wayland client chooses no positions: there
// a cover asks to be full screen on its own display, which the compositor honours, where a
// positioned window would be tiled and given a title bar.
#include "shell/linux/display_covers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "shell/cover_layout.h"

namespace {

struct DisplayCover {
    SDL_Window* window;
    DisplayRect place;
};

std::vector<DisplayCover> covers;
// On X11, covers whose monitor went, hidden until a monitor comes again: SDL 2.26 leaves an X
// colormap behind for every window it destroys, and a monitor that sleeps and wakes all night
// would pile them up.
std::vector<SDL_Window*> spareCovers;

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

void CoverOtherDisplays(const std::vector<DisplayRect>& monitors, std::size_t globe) {
    const std::vector<DisplayRect> places = CoverRects(monitors, globe);
    std::vector<DisplayCover> laid;
    for (const DisplayRect& r : places) {
        const auto kept = std::find_if(covers.begin(), covers.end(), [&](const DisplayCover& c) { return c.place == r; });
        if (kept == covers.end()) continue;
        laid.push_back(*kept);
        covers.erase(kept);
    }
    for (const DisplayRect& r : places) {
        if (std::any_of(laid.begin(), laid.end(), [&](const DisplayCover& c) { return c.place == r; })) continue;
        // On X11 a cover left over, or else a spare one, moves to the new place: no window is made.
        if (!OnWayland() && (!covers.empty() || !spareCovers.empty())) {
            const bool spare = covers.empty();
            DisplayCover moved{spare ? spareCovers.back() : covers.back().window, r};
            if (spare) spareCovers.pop_back();
            else covers.pop_back();
            SDL_SetWindowPosition(moved.window, r.x, r.y);
            SDL_SetWindowSize(moved.window, r.width, r.height);
            if (spare) SDL_ShowWindow(moved.window);
            PaintBlack(moved.window);
            laid.push_back(moved);
            continue;
        }
        // The first monitor at those bounds: the one CoverRects kept among identical ones.
        const int display = static_cast<int>(std::find(monitors.begin(), monitors.end(), r) - monitors.begin());
        SDL_Window* cover = CreateCover(display, r);
        if (cover == nullptr) {
            std::fprintf(stderr, "quillomantrase: the display at %d,%d stays uncovered (SDL: %s)\n", r.x, r.y,
                         SDL_GetError());
            continue;
        }
        PaintBlack(cover);
        laid.push_back({cover, r});
    }
    for (const DisplayCover& gone : covers) {
        if (OnWayland()) {
            SDL_DestroyWindow(gone.window);
        } else {
            SDL_HideWindow(gone.window);
            spareCovers.push_back(gone.window);
        }
    }
    covers = std::move(laid);
}

void PaintDisplayCovers() {
    for (const DisplayCover& cover : covers) PaintBlack(cover.window);
}

bool IsDisplayCover(Uint32 windowId) {
    return std::any_of(covers.begin(), covers.end(),
                       [&](const DisplayCover& cover) { return SDL_GetWindowID(cover.window) == windowId; });
}

void RemoveDisplayCovers() {
    for (const DisplayCover& cover : covers) SDL_DestroyWindow(cover.window);
    for (SDL_Window* spare : spareCovers) SDL_DestroyWindow(spare);
    covers.clear();
    spareCovers.clear();
}
