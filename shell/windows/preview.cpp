// The preview: the product name in white at the host window's corner. A window's device
// context starts with an opaque white background, so the text gets a black one of its own:
// white on the default white would be a blank box.
#include "shell/windows/preview.h"

#include "shell/windows/shell_state.h"

namespace {
constexpr int previewDrawings = 1000;
}

void DrawPreview(HWND host) {
    const int nameLength = lstrlenA(saverName);
    for (int i = 0; i < previewDrawings; ++i) {
        HDC context = GetDC(host);
        SetTextColor(context, RGB(255, 255, 255));
        SetBkColor(context, RGB(0, 0, 0));
        TextOutA(context, 0, 0, saverName, nameLength);
        ReleaseDC(host, context);
        Sleep(1);
    }
}
