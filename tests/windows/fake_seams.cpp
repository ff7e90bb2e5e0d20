#include "tests/windows/fake_seams.h"

#include "scene/platform_seam.h"
#include "shell/windows/message_box.h"

std::vector<std::string>& SeamEvents() {
    static std::vector<std::string> events;
    return events;
}

std::vector<RecordedBox>& RecordedBoxes() {
    static std::vector<RecordedBox> boxes;
    return boxes;
}

void ClearSeamRecords() {
    SeamEvents().clear();
    RecordedBoxes().clear();
}

void ShowMessageBox(HWND owner, const char* text, UINT style) {
    RecordedBoxes().push_back({owner, text, style});
    SeamEvents().push_back(std::string("box: ") + text);
}

std::int64_t ReadClockSeconds() { return fixedClockSeconds; }
