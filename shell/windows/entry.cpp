// WinMain: the platform's screen-saver machinery starts the module with "s" (or nothing) for a
// full-screen run, "p HWND" for a preview and "c HWND" for the options dialog.
#include <windows.h>

#include "shell/command_line.h"
#include "shell/windows/dpi_awareness.h"
#include "shell/windows/preview.h"
#include "shell/windows/saver_start_up.h"
#include "shell/windows/shell_state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Before anything reads the screen's size.
    BecomeDpiAware();
    shellState.instance = instance;
    const CommandChoice choice = ParseCommandLine(commandLine);
    shellState.hostWindow = choice.hostWindow;
    if (choice.mode == SaverMode::preview) {
        DrawPreview(HostWindow());
        return 0;
    }
    shellState.optionsMode = choice.mode == SaverMode::options ? 1 : 0;
    return RunSaver(showCommand);
}
