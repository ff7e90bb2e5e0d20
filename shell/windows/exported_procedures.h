// The two procedures the module exports by name (resources/quillomantrase.def): the screen-saver
// window's procedure and the options dialog's.
#pragma once

#include <windows.h>

extern "C" {
LRESULT CALLBACK TalScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TalScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}
