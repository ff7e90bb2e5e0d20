#include "shell/windows/monitor_covers.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "shell/cover_layout.h"
#include "shell/windows/monitor_list.h"
#include "shell/windows/shell_state.h"

static LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
static LRESULT OnCoverInput(UINT message, WPARAM wParam, LPARAM lParam);
static HWND CreateCover(const RECT& bounds);
static void PlaceCover(HWND cover, const RECT& bounds);
static void DestroyCover(HWND* cover);

namespace {

constexpr int maxMonitors = 16;
constexpr int maxCovers = maxMonitors - 1;
constexpr const char* coverClassName = "QuillomantraseCover";
constexpr DWORD coverStyle = WS_POPUP;
constexpr DWORD coverExtendedStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

// Cover i stands over the i-th place the layout gives (the monitors other than the globe's, each
// place once); null where none could be made. The monitors as they were last looked at.
struct MonitorCovers {
    HWND windows[maxCovers];
    MonitorArea seen[maxMonitors];
    int seenCount;
};

MonitorCovers monitorCovers;

bool SameMonitors(const MonitorArea* monitors, int count) {
    if (count != monitorCovers.seenCount) return false;
    for (int i = 0; i < count; ++i) {
        const MonitorArea& a = monitors[i];
        const MonitorArea& b = monitorCovers.seen[i];
        if (!EqualRect(&a.bounds, &b.bounds) || a.primary != b.primary) return false;
    }
    return true;
}

}  // namespace

void CoverOtherMonitors() {
    WNDCLASSA coverClass{};
    coverClass.lpfnWndProc = CoverProc;
    coverClass.hInstance = shellState.instance;
    coverClass.hCursor = nullptr;  // the pointer stays invisible over the covers too
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = coverClassName;
    if (!RegisterClassA(&coverClass)) return;
    RECT globe;
    FollowMonitorLayout(true, &globe);
}

// The same rules as the Linux saver's decide where the globe goes (the primary) and which places
// get a cover: every other monitor, except mirrors of one that is shown or covered already.
// Looked at on every tick, ten times a second: Wine tells of a monitor added or moved by the X
// server in the list only, with no WM_DISPLAYCHANGE.
bool FollowMonitorLayout(bool told, RECT* globe) {
    MonitorArea monitors[maxMonitors];
    const int count = ListMonitors(monitors, maxMonitors);
    if (!told && SameMonitors(monitors, count)) return false;
    std::copy(monitors, monitors + count, monitorCovers.seen);
    monitorCovers.seenCount = count;

    std::vector<DisplayRect> displays;
    std::size_t primary = static_cast<std::size_t>(count);  // none
    for (int i = 0; i < count; ++i) {
        const RECT& b = monitors[i].bounds;
        if (monitors[i].primary) primary = static_cast<std::size_t>(i);
        displays.push_back({b.left, b.top, b.right - b.left, b.bottom - b.top});
    }
    const std::size_t shown = GlobeMonitor(displays, primary);
    *globe = shown < displays.size() ? monitors[shown].bounds : RECT{};
    int used = 0;
    for (const DisplayRect& r : CoverRects(displays, shown)) {
        if (used == maxCovers) break;
        const RECT bounds{r.x, r.y, r.x + r.width, r.y + r.height};
        HWND& cover = monitorCovers.windows[used++];
        if (cover == nullptr) cover = CreateCover(bounds);
        else PlaceCover(cover, bounds);
    }
    while (used < maxCovers) DestroyCover(&monitorCovers.windows[used++]);
    return true;
}

void RemoveCovers() {
    for (HWND& cover : monitorCovers.windows) DestroyCover(&cover);
    monitorCovers.seenCount = 0;
    UnregisterClassA(coverClassName, shellState.instance);
}

static LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
        return OnCoverInput(message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The full-screen window judges it, counting with its own moves; once that window is gone the
// run is over and the message goes nowhere.
static LRESULT OnCoverInput(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(shellState.mainWindow, message, wParam, lParam);
}

// Shown without activation: the full-screen window keeps the focus and the foreground.
static HWND CreateCover(const RECT& bounds) {
    HWND cover = CreateWindowExA(coverExtendedStyle, coverClassName, saverName, coverStyle, bounds.left, bounds.top,
                                 bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                                 shellState.instance, nullptr);
    if (cover != nullptr) ShowWindow(cover, SW_SHOWNOACTIVATE);
    return cover;
}

static void PlaceCover(HWND cover, const RECT& bounds) {
    SetWindowPos(cover, HWND_TOPMOST, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

static void DestroyCover(HWND* cover) {
    if (*cover != nullptr) DestroyWindow(*cover);
    *cover = nullptr;
}
