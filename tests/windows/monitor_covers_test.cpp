// The covers of the other monitors in whole runs, on made-up desktops: which monitors get one and
// how it looks to the system, input over a cover judged with the run's own, the run following the
// desk as monitors come, go, move and change their size, a cover that cannot be made, and the
// order of teardown.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "scene/globe_scene.h"
#include "shell/windows/map_resource.h"
#include "shell/windows/saver_start_up.h"
#include "shell/windows/shell_state.h"
#include "tests/windows/fake_direct_draw.h"
#include "tests/windows/fake_monitors.h"
#include "tests/windows/fake_seams.h"
#include "tests/windows/window_test_support.h"

namespace {

constexpr const char* coverClass = "QuillomantraseCover";
// A run that a failing test forgets to end still ends, after some five seconds of frames.
constexpr int backstopFlips = 50;

// The CBT hook sees every window of the thread being made and destroyed: it logs the covers'
// destruction among the fake DirectDraw's calls, and refuses as many covers as a test asks.
HHOOK windowHook = nullptr;
int coversToRefuse = 0;

bool IsCover(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, coverClass) == 0;
}

LRESULT CALLBACK WatchCovers(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && IsCover(window) && coversToRefuse > 0) {
        --coversToRefuse;
        SeamEvents().push_back("cover refused");
        return 1;
    }
    if (code == HCBT_DESTROYWND && IsCover(window)) SeamEvents().push_back("cover destroyed");
    return CallNextHookEx(windowHook, code, wParam, lParam);
}

BOOL CALLBACK CollectCover(HWND window, LPARAM covers) {
    if (IsCover(window)) reinterpret_cast<std::vector<HWND>*>(covers)->push_back(window);
    return TRUE;
}

std::vector<HWND> Covers() {
    std::vector<HWND> covers;
    EnumThreadWindows(GetCurrentThreadId(), CollectCover, reinterpret_cast<LPARAM>(&covers));
    return covers;
}

std::string Describe(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// Where the covers stand, as the system has them, in an order that does not depend on z-order.
std::vector<std::string> CoveredAreas() {
    std::vector<std::string> areas;
    for (HWND cover : Covers()) {
        RECT r;
        GetWindowRect(cover, &r);
        areas.push_back(Describe(r));
    }
    std::sort(areas.begin(), areas.end());
    return areas;
}

// The areas a layout's covers must take: every monitor's but the primary's.
std::vector<std::string> OtherMonitors(const std::vector<MonitorArea>& layout) {
    std::vector<std::string> areas;
    for (const MonitorArea& monitor : layout)
        if (!monitor.primary) areas.push_back(Describe(monitor.bounds));
    std::sort(areas.begin(), areas.end());
    return areas;
}

RECT VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// As the system does when the layout changes: every top-level window of the thread is told.
void BroadcastDisplayChange() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
}

class MonitorCovers : public ::testing::Test {
protected:
    void SetUp() override {
        shellState = {};
        shellState.instance = GetModuleHandleA(nullptr);
        ClearSeamRecords();
        coversToRefuse = 0;
        windowHook = SetWindowsHookExA(WH_CBT, WatchCovers, nullptr, GetCurrentThreadId());
        ASSERT_NE(nullptr, windowHook);
        FakeDirectDrawScript script;
        script.keyPressAfterFlips = backstopFlips;
        UseFakeDirectDraw(script);
        HDC screen = GetDC(nullptr);
        primary = {{0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)}, 1};
        ReleaseDC(nullptr, screen);
        const LONG w = primary.bounds.right, h = primary.bounds.bottom;
        // Three monitors: a wide one above, reaching out left of the primary, a small one below.
        threeMonitors = {{{-200, -900, 1400, 0}, 0}, primary, {{300, h, 1100, h + 600}, 0}};
        // A tall one left of the primary and higher up: negative left and top.
        leftAndAbove = {primary, {{-1280, -100, 0, 924}, 0}};
        beside = {primary, {{w, 0, w + 800, 600}, 0}};
        primaryOnly = {primary};
    }
    void TearDown() override {
        UnhookWindowsHookEx(windowHook);
        if (IsWindow(shellState.mainWindow)) DestroyWindow(shellState.mainWindow);
        for (HWND cover : Covers()) DestroyWindow(cover);
        DrainMessages();
        UnregisterClassA("Quillomantrase", shellState.instance);
        UnregisterClassA(coverClass, shellState.instance);
        DestroyDisplay();
        UseRealDirectDraw();
        UseFakeMonitors({});
        FreeMapImage();
        shellState = {};
    }

    static bool Running() { return IsWindow(shellState.mainWindow) != FALSE; }
    static void PressKey() { SendMessageA(shellState.mainWindow, WM_KEYDOWN, VK_SPACE, 0); }

    static std::ptrdiff_t EventIndex(const std::string& event) {
        const auto& events = SeamEvents();
        return std::find(events.begin(), events.end(), event) - events.begin();
    }

    MonitorArea primary{};
    std::vector<MonitorArea> threeMonitors, leftAndAbove, beside, primaryOnly;
};

}  // namespace

TEST_F(MonitorCovers, EveryMonitorButThePrimaryGetsABlackTopMostCoverThatTakesNothing) {
    for (const auto* layout : {&threeMonitors, &leftAndAbove}) {
        SCOPED_TRACE(::testing::PrintToString(OtherMonitors(*layout)));
        UseFakeMonitors(*layout);
        ClearSeamRecords();
        WhenRunIsUp([&] {
            EXPECT_EQ(OtherMonitors(*layout), CoveredAreas());
            for (HWND cover : Covers()) {
                EXPECT_TRUE(IsWindowVisible(cover));
                const LONG_PTR style = GetWindowLongPtrA(cover, GWL_STYLE);
                EXPECT_EQ(WS_POPUP, style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME)) << "borderless";
                const LONG_PTR extended = GetWindowLongPtrA(cover, GWL_EXSTYLE);
                EXPECT_TRUE(extended & WS_EX_TOPMOST);
                EXPECT_TRUE(extended & WS_EX_TOOLWINDOW) << "kept out of the taskbar";
                EXPECT_TRUE(extended & WS_EX_NOACTIVATE);
                EXPECT_EQ(MA_NOACTIVATE, SendMessageA(cover, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
                EXPECT_EQ(0, GetClassLongPtrA(cover, GCLP_HCURSOR)) << "no pointer over a cover";
                EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)), GetClassLongPtrA(cover, GCLP_HBRBACKGROUND));
                EXPECT_NE(cover, GetActiveWindow());
                EXPECT_NE(cover, GetFocus());
                EXPECT_EQ(nullptr, GetWindow(cover, GW_OWNER)) << "outlives the full-screen window until teardown";
            }
            RECT clip;
            GetClipCursor(&clip);
            EXPECT_EQ(Describe(VirtualScreen()), Describe(clip)) << "the pointer may go over every monitor";
            RECT main;
            GetWindowRect(shellState.mainWindow, &main);
            EXPECT_EQ(Describe(primary.bounds), Describe(main)) << "the primary's window is as it always was";
            PressKey();
        });
        POINT pointer;
        GetCursorPos(&pointer);
        const RECT corner{0, 0, 10, 10};
        ClipCursor(&corner);  // as the exclusive mode confines the pointer to the primary
        EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
        // The pointer goes back where it was: a pointer left in the corner would meet the X
        // server's own at the next input event as one move more, in whatever runs next.
        ClipCursor(nullptr);
        SetCursorPos(pointer.x, pointer.y);
        EXPECT_TRUE(Covers().empty());
        EXPECT_EQ(static_cast<DWORD>(primary.bounds.right), FakeDirectDraw().modeWidth);
        EXPECT_TRUE(RecordedBoxes().empty());
        UnregisterClassA("Quillomantrase", shellState.instance);
    }
}

TEST_F(MonitorCovers, MirroredMonitorsGetOneCoverForTheirPlaceAndNoneOverTheGlobe) {
    const LONG w = primary.bounds.right;
    const MonitorArea projector{{0, 0, 800, 600}, 0};        // mirrors the primary at a smaller mode
    const MonitorArea twin{{w, 0, w + 800, 600}, 0};          // two monitors mirroring each other
    UseFakeMonitors({primary, projector, twin, twin});
    WhenRunIsUp([&] {
        EXPECT_EQ(std::vector<std::string>{Describe(twin.bounds)}, CoveredAreas());
        PressKey();
    });
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
    EXPECT_TRUE(Covers().empty());
}

TEST_F(MonitorCovers, MovesOverACoverCountWithTheFullScreenWindowsOwnAndTheFourthEnds) {
    UseFakeMonitors(threeMonitors);
    bool runningAfterThree = false;
    WhenRunIsUp([&] {
        const std::vector<HWND> covers = Covers();
        ASSERT_EQ(2u, covers.size());
        SendMessageA(covers[0], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(shellState.mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
        SendMessageA(covers[1], WM_MOUSEMOVE, 0, MAKELPARAM(7, 7));
        for (const UINT harmless : {WM_MOUSEWHEEL, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_KEYUP, WM_CHAR})
            SendMessageA(covers[0], harmless, 0, 0);
        runningAfterThree = Running();
        SendMessageA(covers[1], WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
    });
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
    EXPECT_TRUE(runningAfterThree) << "three moves, a wheel turn, a release and a character leave the run going";
    EXPECT_LT(FakeDirectDraw().flips, backstopFlips) << "the fourth move, over a cover, ended the run";
    // The covers go after the desktop's mode is back, and all of them.
    EXPECT_LT(EventIndex("RestoreDisplayMode"), EventIndex("cover destroyed"));
    EXPECT_EQ(2, std::count(SeamEvents().begin(), SeamEvents().end(), "cover destroyed"));
    EXPECT_TRUE(Covers().empty());
    EXPECT_EQ(nullptr, mapImage.pixelData);
}

TEST_F(MonitorCovers, AnyButtonPressedOverACoverEndsTheRunAtOnce) {
    for (const UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SCOPED_TRACE("message 0x" + std::to_string(press));
        UseFakeMonitors(leftAndAbove);
        WhenRunIsUp([&] {
            const std::vector<HWND> covers = Covers();
            ASSERT_EQ(1u, covers.size());
            SendMessageA(covers[0], press, 0, MAKELPARAM(1, 1));
        });
        EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
        EXPECT_LT(FakeDirectDraw().flips, backstopFlips);
        EXPECT_TRUE(Covers().empty());
        UnregisterClassA("Quillomantrase", shellState.instance);
    }
}

TEST_F(MonitorCovers, TheRunFollowsTheDeskAsMonitorsComeGoMoveAndChangeTheirSize) {
    UseFakeMonitors(threeMonitors);
    const LONG w = primary.bounds.right, h = primary.bounds.bottom;
    const std::vector<MonitorArea> twoAndAMovedOne = {leftAndAbove[1], primary, beside[1], threeMonitors[2]};
    // The primary at a smaller mode, and then another made the primary (a lid closed) with the
    // old one left of it: the primary is always at 0,0.
    const std::vector<MonitorArea> smallPrimary = {{{0, 0, 800, 600}, 1}, {{800, 0, 800 + w, h}, 0}};
    const std::vector<MonitorArea> otherPrimary = {{{-w, 0, 0, h}, 0}, {{0, 0, 1280, 1024}, 1}};
    struct Change {
        const char* what;
        std::vector<MonitorArea> layout;
        bool told;  // by WM_DISPLAYCHANGE, as Windows tells it; else seen at a tick, as under Wine
    };
    const std::vector<Change> changes = {
        {"a monitor added right", beside, true},
        {"one moved and two added", twoAndAMovedOne, false},
        {"the primary at 800x600", smallPrimary, false},
        {"every monitor off", {}, false},
        {"another made the primary, at 1280x1024", otherPrimary, false},
        {"the first back as the primary, another left of it", leftAndAbove, true},
    };
    bool runningThroughout = true;
    bool modeKept = true;
    int flipsAtTheEnd = 0;
    WhenRunIsUp([&] {
        HWND main = shellState.mainWindow;
        for (const Change& change : changes) {
            SCOPED_TRACE(change.what);
            for (int move = 0; move < 3; ++move) SendMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(move, move));
            UseFakeMonitors(change.layout);
            const auto globe = std::find_if(change.layout.begin(), change.layout.end(),
                                            [](const MonitorArea& m) { return m.primary != 0; });
            const bool shown = globe != change.layout.end();
            const LONG width = shown ? globe->bounds.right - globe->bounds.left : 0;
            const LONG height = shown ? globe->bounds.bottom - globe->bounds.top : 0;
            if (shown && (static_cast<DWORD>(width) != FakeDirectDraw().modeWidth ||
                          static_cast<DWORD>(height) != FakeDirectDraw().modeHeight))
                ChangeFakeDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height));
            // The change moved the pointer before a tick noticed it: that is no fourth move.
            SendMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            if (change.told) BroadcastDisplayChange();
            else SendMessageA(main, WM_TIMER, 1, 0);
            runningThroughout = runningThroughout && Running();
            EXPECT_EQ(OtherMonitors(change.layout), CoveredAreas());
            if (!shown) continue;  // nothing to fit: the window and the frame stay as they were
            RECT placed;
            GetWindowRect(main, &placed);
            EXPECT_EQ(Describe(globe->bounds), Describe(placed));
            EXPECT_EQ(width, globeScene.clipWidth);
            EXPECT_EQ(height, globeScene.clipHeight);
            EXPECT_EQ(width, FakeDirectDraw().width) << "the chain is made again at the new size";
            EXPECT_EQ(height, FakeDirectDraw().height);
        }
        modeKept = std::count(SeamEvents().begin(), SeamEvents().end(), "RestoreDisplayMode") == 0;
        const int flips = FakeDirectDraw().flips;
        SendMessageA(main, WM_TIMER, 1, 0);
        flipsAtTheEnd = FakeDirectDraw().flips - flips;
        PressKey();
    });
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
    EXPECT_TRUE(runningThroughout);
    EXPECT_TRUE(modeKept) << "no mode is restored or set while the desk changes";
    EXPECT_EQ(1, flipsAtTheEnd) << "the last tick flipped a frame of the new size";
    EXPECT_TRUE(Covers().empty());
}

TEST_F(MonitorCovers, ACoverThatCannotBeMadeIsLeftOutWithoutABoxAndTriedAgainLater) {
    UseFakeMonitors(threeMonitors);
    coversToRefuse = 1;
    std::size_t coversAtFirst = 0;
    std::vector<std::string> coveredAfterChange;
    WhenRunIsUp([&] {
        coversAtFirst = Covers().size();
        BroadcastDisplayChange();
        coveredAfterChange = CoveredAreas();
        PressKey();
    });
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
    EXPECT_EQ(1, std::count(SeamEvents().begin(), SeamEvents().end(), "cover refused"));
    EXPECT_EQ(1u, coversAtFirst) << "the other monitor is covered, and the run came up";
    EXPECT_EQ(OtherMonitors(threeMonitors), coveredAfterChange);
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_TRUE(Covers().empty());
}

TEST_F(MonitorCovers, OptionsModeCoversNothing) {
    UseFakeMonitors(threeMonitors);
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    shellState.optionsMode = 1;
    shellState.hostWindow = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host));
    std::size_t coversWithDialog = 1;
    WhenDialogIsUp([&](HWND dialog) {
        coversWithDialog = Covers().size();
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
    EXPECT_EQ(0u, coversWithDialog);
    EXPECT_EQ(0, std::count(SeamEvents().begin(), SeamEvents().end(), "cover destroyed"));
    DestroyWindow(host);
}
