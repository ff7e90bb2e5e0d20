// The display device of the web page: the frame is composed in WebAssembly memory and put on the
// page's <canvas id="screen">. Presenting compares the frame with the one the canvas shows (only
// where the renderer said it may have changed), turns only the changed blocks from blue-green-red
// into the canvas's red-green-blue-alpha (here, not in the page's script) and has the canvas take
// just those rectangles.
#include <emscripten/emscripten.h>
#include <wasm_simd128.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "display/display.h"
#include "display/frame_changes.h"

namespace {

struct CanvasDisplay {
    std::unique_ptr<std::uint8_t[]> composed;  // what the engine draws into
    std::unique_ptr<std::uint8_t[]> shown;     // the frame on the canvas, as the engine drew it
    std::unique_ptr<std::uint8_t[]> canvasPixels;
    std::unique_ptr<SDL_Rect[]> changed;
    std::unique_ptr<bool[]> candidates;  // the blocks that may have changed since the last present
    bool anywhere = true;                // or anything may have
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool composedBefore = false;  // whether the composed frame was lent out before
};

CanvasDisplay canvasDisplay;

template <typename T>
std::unique_ptr<T[]> AllocateZeroed(std::int64_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(count)]());
}

// Sizes the canvas's backing store, paints it black and keeps a view of the canvas pixels.
EM_JS(void, BeginCanvas, (std::int32_t width, std::int32_t height, std::uint8_t* pixels), {
    const canvas = document.getElementById("screen");
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext("2d", {alpha: false});
    context.fillStyle = "#000";
    context.fillRect(0, 0, width, height);
    Module.canvasContext = context;
    Module.canvasPixels = {address: pixels, bytes: width * height * 4, width: width, height: height, image: null};
});

// Puts the given rectangles (x, y, width, height as four 32-bit integers each) on the canvas.
EM_JS(void, PutCanvasRects, (const SDL_Rect* rects, std::int32_t count), {
    const view = Module.canvasPixels;
    // A view into memory that has since grown is detached: make it again.
    if (view.image === null || view.image.data.buffer !== HEAPU8.buffer) {
        const data = new Uint8ClampedArray(HEAPU8.buffer, view.address, view.bytes);
        view.image = new ImageData(data, view.width, view.height);
    }
    const fields = rects >> 2;
    for (let i = 0; i < count; ++i) {
        const r = fields + 4 * i;
        Module.canvasContext.putImageData(view.image, 0, 0, HEAP32[r], HEAP32[r + 1], HEAP32[r + 2], HEAP32[r + 3]);
    }
});

// Four of the engine's blue-green-red-x pixels as the canvas's opaque red-green-blue-alpha.
v128_t CanvasPixels(v128_t composed) {
    const v128_t redGreenBlue = wasm_i8x16_shuffle(composed, wasm_i32x4_const_splat(0), 2, 1, 0, 16, 6, 5, 4, 16, 10,
                                                   9, 8, 16, 14, 13, 12, 16);
    return wasm_v128_or(redGreenBlue, wasm_i32x4_const_splat(static_cast<std::int32_t>(0xFF000000u)));
}

void ConvertToCanvas(const SDL_Rect& rect) {
    const CanvasDisplay& d = canvasDisplay;
    for (std::int32_t y = rect.y; y < rect.y + rect.h; ++y) {
        const std::size_t start = (static_cast<std::size_t>(y) * d.width + rect.x) * 4;
        const std::uint8_t* from = d.shown.get() + start;
        std::uint8_t* to = d.canvasPixels.get() + start;
        std::int32_t x = 0;
        for (; x + 4 <= rect.w; x += 4, from += 16, to += 16) wasm_v128_store(to, CanvasPixels(wasm_v128_load(from)));
        for (; x < rect.w; ++x, from += 4, to += 4) {
            const std::uint32_t pixel = from[2] | from[1] << 8 | from[0] << 16 | 0xFF000000u;
            std::memcpy(to, &pixel, 4);
        }
    }
}

}  // namespace

int CreateDisplay(const DisplayTarget& target) {
    DestroyDisplay();
    if (target.width <= 0 || target.height <= 0 || target.width > widestFrame) return 0;
    CanvasDisplay& d = canvasDisplay;
    const std::int64_t bytes = std::int64_t{4} * target.width * target.height;
    d.composed = AllocateZeroed<std::uint8_t>(bytes);
    d.shown = AllocateZeroed<std::uint8_t>(bytes);
    d.canvasPixels = AllocateZeroed<std::uint8_t>(bytes);
    d.changed = AllocateZeroed<SDL_Rect>(MostChangedRects(target.width, target.height));
    d.candidates = AllocateZeroed<bool>(FrameBlocks(target.width, target.height));
    if (!d.composed || !d.shown || !d.canvasPixels || !d.changed || !d.candidates) {
        DestroyDisplay();
        return 0;
    }
    d.width = target.width;
    d.height = target.height;
    BeginCanvas(d.width, d.height, d.canvasPixels.get());
    return 1;
}

int DestroyDisplay() {
    canvasDisplay = CanvasDisplay{};
    return 1;
}

LockedFrame LockBackBuffer() {
    CanvasDisplay& d = canvasDisplay;
    // Only the renderer writes the composed frame: it holds the last frame from the second lock on.
    const bool holdsLastFrame = d.composedBefore && d.composed;
    d.composedBefore = d.composed != nullptr;
    return {d.composed.get(), d.width * 4, holdsLastFrame};
}

void UnlockBackBuffer(const ChangedPlaces* changed) {
    CanvasDisplay& d = canvasDisplay;
    if (!d.composed || d.anywhere) return;
    if (changed == nullptr) {
        d.anywhere = true;
        return;
    }
    MarkCandidateBlocks(*changed, d.width, d.height, d.candidates.get());
}

void PresentFrame() {
    CanvasDisplay& d = canvasDisplay;
    if (!d.composed) return;
    const std::int32_t pitch = d.width * 4;
    const std::int32_t count = CopyChangedBlocks(d.composed.get(), pitch, d.shown.get(), pitch, d.width, d.height,
                                                 d.changed.get(), d.anywhere ? nullptr : d.candidates.get());
    d.anywhere = false;
    std::fill(d.candidates.get(), d.candidates.get() + FrameBlocks(d.width, d.height), false);
    for (std::int32_t i = 0; i < count; ++i) ConvertToCanvas(d.changed[i]);
    if (count > 0) PutCanvasRects(d.changed.get(), count);
}
