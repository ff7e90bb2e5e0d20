// The display device in plain memory: one zero-filled frame of height x pitch bytes. It plays
// the part of the screen for the headless renderer and for the tests, so "presenting" only counts.
#include <cstring>
#include <memory>
#include <new>

#include "display/memory_display.h"

namespace {

struct MemoryDisplay {
    std::unique_ptr<std::uint8_t[]> frame;
    std::int32_t pitch = 0;
    bool locked = false;
    bool lockFailing = false;
    bool lentBefore = false;
    bool frameKept = true;
    int presentCount = 0;
    // What the last unlock said may have changed; a count of -1: anywhere.
    PixelBox changed[mostRecordedPlaces];
    std::int32_t changedCount = -1;
};

MemoryDisplay memoryDisplay;

}  // namespace

int CreateDisplay(const DisplayTarget& target) {
    DestroyDisplay();
    if (target.width <= 0 || target.height <= 0) return 0;
    const std::int64_t naturalPitch = std::int64_t{4} * target.width;
    const std::int64_t pitch = target.pitch == 0 ? naturalPitch : target.pitch;
    if (pitch < naturalPitch || pitch > INT32_MAX) return 0;
    const std::int64_t bytes = pitch * target.height;
    memoryDisplay.frame.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]());
    if (!memoryDisplay.frame) return 0;
    memoryDisplay.pitch = static_cast<std::int32_t>(pitch);
    memoryDisplay.frameKept = true;
    return 1;
}

int DestroyDisplay() {
    memoryDisplay.frame.reset();
    memoryDisplay.pitch = 0;
    memoryDisplay.locked = false;
    memoryDisplay.lentBefore = false;
    memoryDisplay.presentCount = 0;
    return 1;
}

LockedFrame LockBackBuffer() {
    if (!memoryDisplay.frame || memoryDisplay.lockFailing) return {nullptr, memoryDisplay.pitch, false};
    memoryDisplay.locked = true;
    const bool holdsLastFrame = memoryDisplay.lentBefore && memoryDisplay.frameKept;
    memoryDisplay.lentBefore = true;
    return {memoryDisplay.frame.get(), memoryDisplay.pitch, holdsLastFrame};
}

void UnlockBackBuffer(const ChangedPlaces* changed) {
    MemoryDisplay& d = memoryDisplay;
    d.locked = false;
    d.changedCount = changed == nullptr || changed->count > mostRecordedPlaces ? -1 : changed->count;
    for (std::int32_t i = 0; i < d.changedCount; ++i) d.changed[i] = changed->boxes[i];
}

void PresentFrame() {
    if (!memoryDisplay.frame) return;
    memoryDisplay.locked = false;
    ++memoryDisplay.presentCount;
}

LockedFrame PeekMemoryFrame() { return {memoryDisplay.frame.get(), memoryDisplay.pitch, false}; }

void SetMemoryLockFailure(bool failing) { memoryDisplay.lockFailing = failing; }

void SetMemoryFrameKept(bool kept) { memoryDisplay.frameKept = kept; }

ChangedPlaces MemoryChangedPlaces() { return {memoryDisplay.changed, memoryDisplay.changedCount}; }

int MemoryPresentCount() { return memoryDisplay.presentCount; }
