// The memory back end's extras, for the programs that link it: the headless renderer reads the
// frame it holds, and tests make its locks fail the way a lost display surface would.
#pragma once

#include "display/display.h"

// The frame as last composed, without taking a lock (null when the device is down).
LockedFrame PeekMemoryFrame();

// While set, LockBackBuffer yields no frame.
void SetMemoryLockFailure(bool failing);

// While cleared, locks say that the frame may not hold the last one, as a device whose surfaces
// move would: every frame is then cleared whole. Set when the device comes up.
void SetMemoryFrameKept(bool kept);

// What the last unlock said may have changed, as given when there were at most
// mostRecordedPlaces boxes; a count of -1 when it said anywhere, or there were more.
constexpr std::int32_t mostRecordedPlaces = 4096;
ChangedPlaces MemoryChangedPlaces();

// How many times PresentFrame has been called since the device came up.
int MemoryPresentCount();
