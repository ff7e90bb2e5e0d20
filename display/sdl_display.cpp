// The display device on SDL2, for the Linux saver: the window is either our own borderless
// full-screen window (an X11 or a native Wayland one) or a foreign X window (xscreensaver's, or
// the root window) that SDL wraps without taking it over.
//
// The renderer composes into a frame of ours; presenting copies only the blocks that differ from
// what the window already shows into the window's surface and sends just those rectangles to the
// X server (display/frame_changes.h). It looks for them only where the renderer said, at the
// unlocks since the last present, that a frame may have changed, since comparing the whole frame
// would cost a pass over all of its memory every tick; a new surface or an exposure sends the
// whole frame. When the surface is XRGB8888 of the frame's size (B, G, R,
// 0 in memory, the renderer's own layout) the surface itself is the record of what is shown;
// otherwise a shadow frame is, and changed rectangles are converted into the surface's format.
// Either way the window always shows exactly the last composed frame.
#include "display/sdl_display.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "display/frame_changes.h"

namespace {

constexpr std::int32_t bytesPerPixel = 4;

struct SdlDisplay {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;            // the window's surface as last fetched; SDL owns it
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::unique_ptr<std::uint8_t[]> composed;  // the frame the renderer composes into
    std::unique_ptr<std::uint8_t[]> shadow;    // the frame as shown, when the surface cannot hold it
    std::unique_ptr<SDL_Rect[]> rects;
    std::unique_ptr<bool[]> candidates;  // the blocks that may have changed since the last present
    bool anywhere = true;                // or anything may have
    bool wholeFrameDue = true;
    bool composedBefore = false;  // whether the composed frame was lent out before
};

SdlDisplay sdlDisplay;

std::int32_t FramePitch() { return sdlDisplay.width * bytesPerPixel; }

bool SurfaceHoldsFrame(const SDL_Surface* surface) {
    return surface->format->format == SDL_PIXELFORMAT_XRGB8888 && surface->w == sdlDisplay.width &&
           surface->h == sdlDisplay.height;
}

std::unique_ptr<std::uint8_t[]> NewFrame() {
    const std::size_t bytes = static_cast<std::size_t>(FramePitch()) * sdlDisplay.height;
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[bytes]());
}

// Takes the window's surface as it is now; SDL makes a new one when the window changed size.
bool FetchSurface() {
    SdlDisplay& d = sdlDisplay;
    SDL_Surface* surface = SDL_GetWindowSurface(d.window);
    if (surface == nullptr) return false;
    if (surface == d.surface) return true;
    d.surface = surface;
    d.wholeFrameDue = true;
    if (!d.candidates) {
        d.candidates.reset(new (std::nothrow) bool[FrameBlocks(d.width, d.height)]());
        if (!d.candidates) return false;
    }
    if (SurfaceHoldsFrame(surface)) {
        d.shadow.reset();
        return true;
    }
    d.shadow = NewFrame();
    return d.shadow != nullptr;
}

// Puts the changed part of the shadow frame into the surface, in the surface's own format.
void ConvertIntoSurface(SDL_Rect& rect) {
    SdlDisplay& d = sdlDisplay;
    SDL_Surface* s = d.surface;
    rect.w = std::min(rect.w, s->w - rect.x);
    rect.h = std::min(rect.h, s->h - rect.y);
    if (rect.w <= 0 || rect.h <= 0) return;
    const std::uint8_t* from = d.shadow.get() + rect.y * FramePitch() + rect.x * bytesPerPixel;
    std::uint8_t* to = static_cast<std::uint8_t*>(s->pixels) + rect.y * s->pitch + rect.x * s->format->BytesPerPixel;
    SDL_ConvertPixels(rect.w, rect.h, SDL_PIXELFORMAT_XRGB8888, from, FramePitch(), s->format->format, to, s->pitch);
}

}  // namespace

void ChooseWindowSurfaces() {
    // Plain memory, as the frame is, wherever the driver has such surfaces; SDL would otherwise
    // put an OpenGL texture behind them. Its Wayland driver has none: there a texture drawn
    // through EGL (Mesa's software renderer will do) is the only surface to be had.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool wayland = driver != nullptr && std::strcmp(driver, "wayland") == 0;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, wayland ? "1" : "0");
}

int CreateDisplay(const DisplayTarget& target) {
    DestroyDisplay();
    if (target.width <= 0 || target.height <= 0 || target.width > widestFrame) return 0;
    SdlDisplay& d = sdlDisplay;
    ChooseWindowSurfaces();
    SDL_ClearError();
    // Full screen on the first display: a compositor chooses where a window goes, but honours a
    // display named with the request.
    if (target.window == 0)
        d.window = SDL_CreateWindow("Quillomantrase", SDL_WINDOWPOS_UNDEFINED_DISPLAY(0),
                                    SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), target.width, target.height,
                                    SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
    else
        d.window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(target.window));
    d.width = target.width;
    d.height = target.height;
    d.composed = NewFrame();
    d.rects.reset(new (std::nothrow) SDL_Rect[MostChangedRects(d.width, d.height)]);
    if (d.window == nullptr || !d.composed || !d.rects || !FetchSurface()) {
        // SDL leaves some failures without a word; the caller passes SDL_GetError on.
        if (d.window != nullptr && d.surface == nullptr && SDL_GetError()[0] == '\0')
            SDL_SetError("the window got no surface to draw into");
        DestroyDisplay();
        return 0;
    }
    return 1;
}

int DestroyDisplay() {
    SdlDisplay& d = sdlDisplay;
    // A window made from a foreign one leaves that window alone when it goes.
    if (d.window != nullptr) SDL_DestroyWindow(d.window);
    d = SdlDisplay{};
    return 1;
}

LockedFrame LockBackBuffer() {
    SdlDisplay& d = sdlDisplay;
    if (d.window == nullptr) return {nullptr, 0, false};
    // Only the renderer writes the composed frame: it holds the last frame from the second lock on.
    const bool holdsLastFrame = d.composedBefore;
    d.composedBefore = true;
    return {d.composed.get(), FramePitch(), holdsLastFrame};
}

void UnlockBackBuffer(const ChangedPlaces* changed) {
    SdlDisplay& d = sdlDisplay;
    if (d.window == nullptr || d.anywhere) return;
    if (changed == nullptr) {
        d.anywhere = true;
        return;
    }
    MarkCandidateBlocks(*changed, d.width, d.height, d.candidates.get());
}

void PresentFrame() {
    SdlDisplay& d = sdlDisplay;
    if (d.window == nullptr || !FetchSurface()) return;
    const bool direct = !d.shadow;
    std::uint8_t* shown = direct ? static_cast<std::uint8_t*>(d.surface->pixels) : d.shadow.get();
    const std::int32_t shownPitch = direct ? d.surface->pitch : FramePitch();
    std::int32_t count;
    if (d.wholeFrameDue) {
        for (std::int32_t y = 0; y < d.height; ++y)
            std::memcpy(shown + y * shownPitch, d.composed.get() + y * FramePitch(), FramePitch());
        d.rects[0] = SDL_Rect{0, 0, d.width, d.height};
        count = 1;
        d.wholeFrameDue = false;
    } else {
        count = CopyChangedBlocks(d.composed.get(), FramePitch(), shown, shownPitch, d.width, d.height, d.rects.get(),
                                  d.anywhere ? nullptr : d.candidates.get());
    }
    d.anywhere = false;
    std::fill(d.candidates.get(), d.candidates.get() + FrameBlocks(d.width, d.height), false);
    if (count == 0) return;
    if (!direct) std::for_each(d.rects.get(), d.rects.get() + count, ConvertIntoSurface);
    SDL_UpdateWindowSurfaceRects(d.window, d.rects.get(), count);
}

void RepaintWholeFrame() { sdlDisplay.wholeFrameDue = true; }

SDL_Window* DisplayWindow() { return sdlDisplay.window; }
