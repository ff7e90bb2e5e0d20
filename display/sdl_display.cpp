// The display device on SDL2, for the Linux saver: the window is either our own borderless
// full-screen window (an X11 or a native Wayland one) or a foreign X window (xscreensaver's, or
// the root window) that SDL wraps without taking it over.
//
// When the surface is XRGB8888 of the frame's size (B, G, R, 0 in memory, the renderer's own
// layout) the renderer draws straight into it, and presenting hands the window system the blocks
// the renderer said, at the unlocks since the last present, that a frame may have changed
// (display/frame_changes.h): nothing is compared or copied. Otherwise the renderer composes into a
// frame of ours, and presenting converts into the surface only the blocks, among those named, that
// differ from a shadow frame of what is shown. A new surface or an exposure sends the whole frame.
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
    SDL_Surface* surface = nullptr;  // the window's surface as last fetched; SDL owns it
    SDL_Surface fetched{};           // what it was then: SDL may make the next at the same address
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Only while the surface cannot hold the frame: the frame the renderer composes into, and
    // the frame as shown.
    std::unique_ptr<std::uint8_t[]> composed;
    std::unique_ptr<std::uint8_t[]> shadow;
    std::unique_ptr<SDL_Rect[]> rects;
    std::unique_ptr<bool[]> candidates;  // the blocks that may have changed since the last present
    const std::uint8_t* lent = nullptr;  // the memory lent at the last lock, while it is still ours
    bool anywhere = true;                // or anything may have
    bool wholeFrameDue = true;
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

// Takes the window's surface as it is now; SDL makes a new one when the window changed size,
// and frees the old one. Nothing lent before stays ours.
bool FetchSurface() {
    SdlDisplay& d = sdlDisplay;
    SDL_Surface* surface = SDL_GetWindowSurface(d.window);
    if (surface == nullptr) return false;
    const SDL_Surface& f = d.fetched;
    if (surface == d.surface && surface->pixels == f.pixels && surface->w == f.w && surface->h == f.h &&
        surface->pitch == f.pitch && surface->format == f.format)
        return true;
    d.surface = nullptr;
    d.lent = nullptr;
    d.wholeFrameDue = true;
    if (!d.candidates) d.candidates.reset(new (std::nothrow) bool[FrameBlocks(d.width, d.height)]());
    const bool holdsFrame = SurfaceHoldsFrame(surface);
    if (holdsFrame) {
        // The renderer draws into it, and a device's memory starts all black.
        std::memset(surface->pixels, 0, static_cast<std::size_t>(surface->pitch) * d.height);
        d.composed.reset();
        d.shadow.reset();
    } else {
        if (!d.composed) d.composed = NewFrame();
        d.shadow = NewFrame();
    }
    // Without its memory the surface is not taken: nothing is lent or sent, and the next fetch
    // tries again.
    if (!d.candidates || (!holdsFrame && (!d.composed || !d.shadow))) return false;
    d.surface = surface;
    d.fetched = *surface;
    return true;
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

// The frame's size in a window the device has, and the window's surface for it: 1 when the
// device is up, 0 with it down.
int TakeFrameSize(std::int32_t width, std::int32_t height) {
    SdlDisplay& d = sdlDisplay;
    SDL_ClearError();
    d.width = width;
    d.height = height;
    d.rects.reset(new (std::nothrow) SDL_Rect[MostChangedRects(d.width, d.height)]);
    if (!d.rects || !FetchSurface()) {
        // SDL leaves some failures without a word; the caller passes SDL_GetError on.
        if (d.surface == nullptr && SDL_GetError()[0] == '\0') SDL_SetError("the window got no surface to draw into");
        DestroyDisplay();
        return 0;
    }
    return 1;
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
    if (d.window == nullptr) return 0;
    return TakeFrameSize(target.width, target.height);
}

int ResizeDisplay(std::int32_t width, std::int32_t height) {
    SdlDisplay& d = sdlDisplay;
    if (d.window == nullptr) return 0;
    if (width <= 0 || height <= 0 || width > widestFrame) {
        DestroyDisplay();
        return 0;
    }
    SDL_Window* window = d.window;
    d = SdlDisplay{};
    d.window = window;
    return TakeFrameSize(width, height);
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
    if (d.window == nullptr || !FetchSurface()) return {nullptr, 0, false};
    // Only the renderer writes into what is lent: it holds the last frame while it is the same.
    std::uint8_t* pixels = d.composed ? d.composed.get() : static_cast<std::uint8_t*>(d.surface->pixels);
    const bool holdsLastFrame = pixels == d.lent;
    d.lent = pixels;
    return {pixels, d.composed ? FramePitch() : d.surface->pitch, holdsLastFrame};
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
    // A surface new since the lock holds nothing of the frame; the next lock lends it for a whole
    // one.
    if (d.lent == nullptr) return;
    std::int32_t count;
    if (d.wholeFrameDue) {
        d.rects[0] = SDL_Rect{0, 0, d.width, d.height};
        count = 1;
        if (d.composed)
            std::memcpy(d.shadow.get(), d.composed.get(), static_cast<std::size_t>(FramePitch()) * d.height);
        d.wholeFrameDue = false;
    } else if (d.composed) {
        count = CopyChangedBlocks(d.composed.get(), FramePitch(), d.shadow.get(), FramePitch(), d.width, d.height,
                                  d.rects.get(), d.anywhere ? nullptr : d.candidates.get());
    } else {
        count = CandidateRects(d.width, d.height, d.anywhere ? nullptr : d.candidates.get(), d.rects.get());
    }
    d.anywhere = false;
    std::fill(d.candidates.get(), d.candidates.get() + FrameBlocks(d.width, d.height), false);
    if (count == 0) return;
    if (d.composed) std::for_each(d.rects.get(), d.rects.get() + count, ConvertIntoSurface);
    SDL_UpdateWindowSurfaceRects(d.window, d.rects.get(), count);
}

void RepaintWholeFrame() { sdlDisplay.wholeFrameDue = true; }

SDL_Window* DisplayWindow() { return sdlDisplay.window; }
