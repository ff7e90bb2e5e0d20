#include "tests/windows/window_test_support.h"

namespace {

std::function<void(HWND)> pendingAction;
UINT_PTR dialogTimer = 0;

void CALLBACK LookForDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA("#32770", "Quillomantrase");
    if (dialog == nullptr || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, dialogTimer);
    dialogTimer = 0;
    auto action = std::move(pendingAction);
    action(dialog);
}

}  // namespace

bool DrainMessages() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) quit = true;
    }
    return quit;
}

void WhenDialogIsUp(std::function<void(HWND dialog)> action) {
    pendingAction = std::move(action);
    dialogTimer = SetTimer(nullptr, 0, 20, LookForDialog);
}
