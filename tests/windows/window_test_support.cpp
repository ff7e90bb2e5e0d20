#include "tests/windows/window_test_support.h"

#include "shell/windows/shell_state.h"

namespace {

std::function<bool()> pendingCondition;
std::function<void()> pendingAction;
UINT_PTR waitTimer = 0;

void CALLBACK CheckCondition(HWND, UINT, UINT_PTR, DWORD) {
    if (!pendingCondition()) return;
    KillTimer(nullptr, waitTimer);
    waitTimer = 0;
    auto action = std::move(pendingAction);
    action();
}

void WhenTrue(std::function<bool()> condition, std::function<void()> action) {
    pendingCondition = std::move(condition);
    pendingAction = std::move(action);
    waitTimer = SetTimer(nullptr, 0, 20, CheckCondition);
}

HWND OptionsDialog() { return FindWindowA("#32770", "Quillomantrase"); }

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
    WhenTrue([] { return OptionsDialog() != nullptr && IsWindowVisible(OptionsDialog()); },
             [action = std::move(action)] { action(OptionsDialog()); });
}

void WhenRunIsUp(std::function<void()> action) {
    WhenTrue([] { return shellState.runStarted != 0; }, std::move(action));
}
