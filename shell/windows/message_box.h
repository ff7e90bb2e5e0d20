// Every message box of the module goes through here, so that the Windows tests can record the
// messages in their order instead of waiting for someone to click OK.
#pragma once

#include <windows.h>

// A modal box with the platform's default caption; its result is never used.
void ShowMessageBox(HWND owner, const char* text, UINT style);
