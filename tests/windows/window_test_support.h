// Small helpers the window tests share: pumping what a test left in the queue, and acting on
// the options dialog or on a running saver from a timer while their message loops run.
#pragma once

#include <windows.h>

#include <functional>

// Removes every queued message of this thread; true when a WM_QUIT was among them.
bool DrainMessages();

// Calls action once with the options dialog as soon as it is up ("#32770" "Quillomantrase").
void WhenDialogIsUp(std::function<void(HWND dialog)> action);

// Calls action once, from inside the message loop, as soon as the full-screen run is up.
void WhenRunIsUp(std::function<void()> action);
