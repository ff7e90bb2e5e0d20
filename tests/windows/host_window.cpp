// A plain black window for the end-to-end checks: it owns the options dialog (/c HWND) and
// hosts the preview (/p HWND). It prints "HWND x y" (its number and its client area's screen
// position) and lives until it is closed or a minute has passed.
#include <windows.h>

#include <cstdio>

static LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {
constexpr UINT_PTR lifetimeTimer = 1;
constexpr UINT lifetimeMilliseconds = 60000;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA hostClass{};
    hostClass.lpfnWndProc = HostProcedure;
    hostClass.hInstance = instance;
    hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    hostClass.lpszClassName = "QuillomantraseHost";
    if (!RegisterClassA(&hostClass)) return 1;
    HWND host = CreateWindowExA(0, hostClass.lpszClassName, "Quillomantrase host", WS_POPUP | WS_VISIBLE, 40, 40, 320,
                                200, nullptr, nullptr, instance, nullptr);
    if (host == nullptr) return 1;
    UpdateWindow(host);
    SetTimer(host, lifetimeTimer, lifetimeMilliseconds, nullptr);
    POINT origin{0, 0};
    ClientToScreen(host, &origin);
    std::printf("%lu %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(host)), origin.x, origin.y);
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

static LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
