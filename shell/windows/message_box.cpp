#include "shell/windows/message_box.h"

void ShowMessageBox(HWND owner, const char* text, UINT style) { MessageBoxA(owner, text, nullptr, style); }
