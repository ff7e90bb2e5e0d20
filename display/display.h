// The display device: the one small interface through which the renderer reaches the screen.
//
// Each program links exactly one back end behind these five procedures: DirectDraw on Windows,
// SDL2 on Linux, plain memory for the headless renderer and the tests. Nothing is dispatched at
// run time.
#pragma once

#include <cstdint>

// What a lock of the back buffer lends out. Pixel (x, y) is the four bytes at
// pixels + y * pitch + 4 * x, in the order blue, green, red, fourth byte. pixels is null when no
// frame is available. Valid until the next unlock, present or teardown.
//
// holdsLastFrame: the memory is the same as at the device's last lock and holds, untouched, what
// was left in it then (a new device's memory starts all black, and only the renderer draws into
// it), so that a frame need only clear what the renderer's last frame drew there. A device that
// cannot promise it (surfaces the system may replace) says false, as every device does at its
// first lock.
struct LockedFrame {
    std::uint8_t* pixels;
    std::int32_t pitch;
    bool holdsLastFrame;
};

// Pixels x in [left, right) and y in [top, bottom); empty when right <= left or bottom <= top.
struct PixelBox {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// The places where a frame composed into the back buffer may differ from what the buffer held at
// the lock. Valid during the unlock it is given to.
struct ChangedPlaces {
    const PixelBox* boxes;
    std::int32_t count;
};

// What a device is brought up for: the native window it belongs to (a window handle on Windows,
// an X window id or 0 on Linux, unused in memory), the screen size, and a row pitch in bytes
// where the caller chooses it (0: the device's own; only the memory back end takes one).
struct DisplayTarget {
    std::uintptr_t window;
    std::int32_t width;
    std::int32_t height;
    std::int32_t pitch;
};

// 1 when the device is up with a 32-bit frame of the target's size; 0 with the device down.
int CreateDisplay(const DisplayTarget& target);
// Takes the device down; safe at any time, any number of times. Always 1.
int DestroyDisplay();
LockedFrame LockBackBuffer();
// changed: where the frame may differ from what the buffer held at the lock; null: anywhere.
// A device that shows only what changed may look no further.
void UnlockBackBuffer(const ChangedPlaces* changed = nullptr);
// Puts the last composed frame on the screen.
void PresentFrame();
