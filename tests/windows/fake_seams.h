// What the Windows tests put behind the module's seams: message boxes are recorded instead of
// shown, the clock stands still, and every call that matters is written to one event log so
// that a test can pin their order ("the mode is restored before any box").
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct RecordedBox {
    HWND owner;
    std::string text;
    UINT style;
};

// The log of calls to the fake DirectDraw and of message boxes, in order ("box: SURFACE").
std::vector<std::string>& SeamEvents();
std::vector<RecordedBox>& RecordedBoxes();
void ClearSeamRecords();

// The clock value every run sees, so that frames are the same from run to run.
constexpr std::int64_t fixedClockSeconds = 1234567890;
