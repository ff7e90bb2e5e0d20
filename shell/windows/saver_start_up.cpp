// Brings the full-screen run (or options mode) up, runs the message loop and tears down.
#include "shell/windows/saver_start_up.h"

#include <windows.h>

#include "display/ddraw_display.h"
#include "display/display.h"
#include "shell/saver_rules.h"
#include "shell/windows/exported_procedures.h"
#include "shell/windows/map_resource.h"
#include "shell/windows/message_box.h"
#include "shell/windows/monitor_covers.h"
#include "shell/windows/shell_state.h"

ShellState shellState;

static bool RegisterSaverClass();
static HWND CreateSaverWindow();
static bool StartFullScreen();
static void FlushMouseInput();
static WPARAM RunMessageLoop(HACCEL accelerators);

namespace {
constexpr UINT frameTimerId = 1;
constexpr UINT tickInterval = 100;  // milliseconds: about ten frames a second
constexpr UINT saverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
constexpr WORD noSuchIcon = 123;    // none of the platform's icons, and the module has none
}  // namespace

int RunSaver(int showCommand) {
    if (!RegisterSaverClass()) return 0;

    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return 0;
    shellState.screen = {GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
    shellState.mainWindow = CreateSaverWindow();
    ReleaseDC(nullptr, screen);
    if (shellState.mainWindow == nullptr) return 0;

    ShowWindow(shellState.mainWindow, showCommand);
    UpdateWindow(shellState.mainWindow);
    // The module carries no accelerator table: the handle is null and translates nothing.
    HACCEL accelerators = LoadAcceleratorsA(shellState.instance, saverName);

    if (!shellState.optionsMode && !StartFullScreen()) return 0;
    const WPARAM exitCode = RunMessageLoop(accelerators);
    if (!shellState.optionsMode) {
        DestroyDisplay();
        RemoveCovers();  // once the desktop's mode is back, so no monitor shows the saver's leftovers
        FreeMapImage();
    }
    return static_cast<int>(exitCode);
}

static bool RegisterSaverClass() {
    WNDCLASSA saverClass{};
    saverClass.style = saverClassStyle;
    saverClass.lpfnWndProc = TalScreenSaverProc;
    saverClass.hInstance = shellState.instance;
    saverClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(noSuchIcon));
    saverClass.hCursor = nullptr;  // the pointer stays invisible over the window
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = saverName;
    return RegisterClassA(&saverClass) != 0;
}

// WM_CREATE runs inside this call: the options dialog, or the map and the scene.
static HWND CreateSaverWindow() {
    return CreateWindowExA(WS_EX_TOPMOST, saverName, saverName, WS_POPUP, 0, 0, shellState.screen.width,
                           shellState.screen.height, nullptr, nullptr, shellState.instance, nullptr);
}

// Display device, trial lock, covers of the other monitors, frame timer. After a display error
// the window and the map are left for the end of the process.
static bool StartFullScreen() {
    const DisplayTarget target{reinterpret_cast<std::uintptr_t>(shellState.mainWindow), shellState.screen.width,
                               shellState.screen.height, 0};
    if (!CreateDisplay(target)) {
        ShowMessageBox(shellState.mainWindow, "Can't initiliaze DirectX", MB_ICONHAND);
        return false;
    }
    // The trial lock proves the back buffer's memory can be reached before the first frame.
    if (LockBackBuffer().pixels == nullptr) {
        DestroyDisplay();
        ShowMessageBox(shellState.mainWindow, "Can't initiliaze DirectX memory", MB_ICONHAND);
        return false;
    }
    UnlockBackBuffer();
    CoverOtherMonitors();
    // The exclusive mode confines the pointer to the primary; over the covers it is the user's
    // as anywhere else, and its moves and clicks there count.
    ClipCursor(nullptr);
    shellState.timerId = SetTimer(shellState.mainWindow, frameTimerId, tickInterval, nullptr);
    FlushMouseInput();
    StartSaverRun();
    shellState.runStarted = 1;
    return true;
}

bool FollowDesk(bool told) {
    RECT globe;
    const bool changed = FollowMonitorLayout(told, &globe);
    if (changed) {
        // The pointer moves the change made (a shrinking desk keeps the pointer on it) are no one's.
        FlushMouseInput();
        StartSaverRun();
    }
    if (changed && !IsRectEmpty(&globe)) {
        const ScreenMetrics size{globe.right - globe.left, globe.bottom - globe.top};
        SetWindowPos(shellState.mainWindow, HWND_TOPMOST, globe.left, globe.top, size.width, size.height,
                     SWP_NOACTIVATE);
        if (size.width != shellState.screen.width || size.height != shellState.screen.height) {
            shellState.screen = size;
            // A map that did not load said so when the run started; the sky stays empty.
            if (mapImage.pixelData != nullptr) SetUpSceneForScreen();
        }
        shellState.displayDue = 1;
    }
    if (shellState.displayDue && ResizeDisplay(shellState.screen.width, shellState.screen.height)) {
        shellState.displayDue = 0;
        // The exclusive mode confines the pointer to the primary.
        ClipCursor(nullptr);
    }
    return changed;
}

// The moves that the appearing windows cause under the pointer must not count as the user's:
// the full-screen window's and the covers' alike (the thread has no other windows). PeekMessage
// hands out a quit message whatever the filter: one that was waiting is put back, or the loop
// would wait for ever on a window that is gone.
static void FlushMouseInput() {
    MSG message;
    bool quitAsked = false;
    WPARAM exitCode = 0;
    while (PeekMessageA(&message, nullptr, WM_MOUSEMOVE, WM_MBUTTONDBLCLK, PM_REMOVE)) {
        if (message.message != WM_QUIT) continue;
        quitAsked = true;
        exitCode = message.wParam;
    }
    if (quitAsked) PostQuitMessage(static_cast<int>(exitCode));
}

static WPARAM RunMessageLoop(HACCEL accelerators) {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return message.wParam;
}
