// Small helpers the window tests share: pumping what a test left in the queue, and acting on
// the options dialog from a timer while its modal loop runs.
#pragma once

#include <windows.h>

#include <functional>

// Removes every queued message of this thread; true when a WM_QUIT was among them.
bool DrainMessages();

// Calls action once with the options dialog as soon as it is up ("#32770" "Quillomantrase").
void WhenDialogIsUp(std::function<void(HWND dialog)> action);
