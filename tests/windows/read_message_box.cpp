// Prints the text of the message box that is up (caption "Error", the platform's default), so
// the end-to-end checks can read what a person would read before they press Return. Exit code
// 1 when no such box is up.
#include <windows.h>

#include <cstdio>

static BOOL CALLBACK PrintStaticText(HWND control, LPARAM);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HWND box = FindWindowA("#32770", "Error");
    if (box == nullptr || !IsWindowVisible(box)) return 1;
    EnumChildWindows(box, PrintStaticText, 0);
    std::fflush(stdout);
    return 0;
}

static BOOL CALLBACK PrintStaticText(HWND control, LPARAM) {
    char className[32];
    char text[512];
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0 || GetWindowTextA(control, text, sizeof text) == 0) return TRUE;
    std::printf("%s\n", text);
    return TRUE;
}
