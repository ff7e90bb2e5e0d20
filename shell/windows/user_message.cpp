// The engine tells the user things ("Source image is NULL") in a plain box owned by the main
// window, which is still null while that window is being created.
#include "scene/platform_seam.h"
#include "shell/windows/message_box.h"
#include "shell/windows/shell_state.h"

void ShowUserMessage(const char* text) { ShowMessageBox(shellState.mainWindow, text, MB_OK); }
