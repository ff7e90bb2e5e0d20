// TalScreenSaverProc, the procedure of the one full-screen window. Window creation does the
// chosen mode's work; timer ticks draw; input is judged by the saver rules every shell shares,
// the input over the covers of the other monitors included (they hand it on to this window).
//
// Two faults of the module's past are mended here. When another program takes the foreground
// the run ends as on a key press: before, the exclusive mode minimised the window and the
// process lived on hidden, where no input could reach it. And when the desk changes (a monitor
// plugged in, unplugged, switched off, resized, or another made the primary) the run follows it:
// before, it went on drawing for the monitors it started on, and showed the desktop elsewhere.
#include <windows.h>

#include "shell/map_format.h"
#include "shell/saver_rules.h"
#include "shell/windows/exported_procedures.h"
#include "shell/windows/map_resource.h"
#include "shell/windows/message_box.h"
#include "shell/windows/saver_start_up.h"
#include "shell/windows/shell_state.h"

static LRESULT OnCreate(HWND window);
static LRESULT OnDestroy(HWND window);
static LRESULT OnTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
static LRESULT OnSaverInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, SaverInput input);
static LRESULT OnActivateApp(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
static LRESULT OnDisplayChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK TalScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_DESTROY:
        return OnDestroy(window);
    case WM_TIMER:
        return OnTimer(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnSaverInput(window, message, wParam, lParam, SaverInput::keyPress);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnSaverInput(window, message, wParam, lParam, SaverInput::buttonPress);
    case WM_MOUSEMOVE:
        return OnSaverInput(window, message, wParam, lParam, SaverInput::pointerMove);
    case WM_ACTIVATEAPP:
        return OnActivateApp(window, message, wParam, lParam);
    case WM_DISPLAYCHANGE:
        return OnDisplayChange(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Runs inside CreateWindowExA, while shellState.mainWindow is still null. Creation goes on
// whatever happens here: only -1 would stop it.
static LRESULT OnCreate(HWND window) {
    if (shellState.optionsMode) {
        DialogBoxParamA(shellState.instance, "IDD_OPTION", HostWindow(), TalScreenSaverConfigureDialog, 0);
        PostQuitMessage(0);
        return 1;
    }
    SetCursor(nullptr);
    LoadMapImage(mapResourceId);
    if (SetUpSceneForScreen() == 0) ShowMessageBox(window, "Error loading image", MB_OK);
    return 1;
}

static LRESULT OnDestroy(HWND window) {
    if (shellState.timerId != 0) KillTimer(window, shellState.timerId);
    PostQuitMessage(0);
    return 0;
}

static LRESULT OnTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FollowDesk(false);
    RunSaverTick();
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT OnSaverInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, SaverInput input) {
    // A change of the desk moves the pointer before the tick that would notice it.
    if (input == SaverInput::pointerMove && shellState.runStarted && FollowDesk(false)) return 0;
    switch (JudgeSaverInput(input)) {
    case SaverVerdict::swallow:
        return 0;
    case SaverVerdict::endRun:
        DestroyWindow(window);  // WM_DESTROY stops the timer and posts the quit message
        break;
    case SaverVerdict::passOn:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Only once the run is up: the start-up's own activation changes (the window shown, the
// exclusive mode taken) must not end it. The thread being activated is our own when activation
// merely moves between the saver's windows.
static LRESULT OnActivateApp(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool toAnotherProgram = !wParam && static_cast<DWORD>(lParam) != GetCurrentThreadId();
    if (shellState.runStarted && toAnotherProgram)
        return OnSaverInput(window, message, wParam, lParam, SaverInput::foregroundLost);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A monitor added, removed, moved or resized, as Windows itself tells it.
static LRESULT OnDisplayChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (shellState.runStarted) FollowDesk(true);
    return DefWindowProcA(window, message, wParam, lParam);
}
