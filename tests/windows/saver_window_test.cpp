// TalScreenSaverProc: what window creation does in each mode, what ends a run and what does
// not, and what a timer tick puts on the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include "display/display.h"
#include "scene/globe_scene.h"
#include "shell/saver_rules.h"
#include "shell/windows/exported_procedures.h"
#include "shell/windows/map_resource.h"
#include "shell/windows/shell_state.h"
#include "tests/windows/fake_direct_draw.h"
#include "tests/windows/fake_seams.h"
#include "tests/windows/window_test_support.h"

namespace {

constexpr const char* testClass = "QuillomantraseWindowTest";
constexpr ScreenMetrics smallScreen{160, 120};

class SaverWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = TalScreenSaverProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = testClass;
        RegisterClassA(&windowClass);
    }
    static void TearDownTestSuite() { UnregisterClassA(testClass, GetModuleHandleA(nullptr)); }

    void SetUp() override {
        shellState = {};
        shellState.instance = GetModuleHandleA(nullptr);
        shellState.screen = smallScreen;
        ClearSeamRecords();
        StartSaverRun();
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        DrainMessages();
        DestroyDisplay();
        UseRealDirectDraw();
        FreeMapImage();
        if (damagedModule != nullptr) FreeLibrary(damagedModule);
        shellState = {};
    }

    HWND CreateSaverWindow() {
        window = CreateWindowExA(0, testClass, "Quillomantrase", WS_POPUP, 0, 0, smallScreen.width, smallScreen.height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        return window;
    }

    bool RunEnded() { return !IsWindow(window) && DrainMessages(); }

    HWND window = nullptr;
    HMODULE damagedModule = nullptr;
};

}  // namespace

TEST_F(SaverWindow, CreationLoadsTheMapSetsUpTheSceneAndHidesThePointer) {
    ASSERT_NE(nullptr, CreateSaverWindow());
    EXPECT_NE(nullptr, mapImage.pixelData);
    EXPECT_TRUE(globeScene.ready);
    EXPECT_EQ(smallScreen.width, globeScene.clipWidth);
    EXPECT_EQ(nullptr, GetCursor());
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(SaverWindow, ThreeMovesAreSwallowedAndTheFourthEndsTheRun) {
    ASSERT_NE(nullptr, CreateSaverWindow());
    for (int move = 1; move <= 3; ++move) {
        EXPECT_EQ(0, SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(move, move))) << "move " << move;
        EXPECT_TRUE(IsWindow(window)) << "move " << move;
    }
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(9, 9));
    EXPECT_TRUE(RunEnded());
}

TEST_F(SaverWindow, ReleasesCharactersWheelTurnsAndDoubleClicksDoNotEndTheRun) {
    ASSERT_NE(nullptr, CreateSaverWindow());
    const UINT harmless[] = {WM_KEYUP,         WM_SYSKEYUP,      WM_CHAR,          WM_SYSCHAR,
                             WM_LBUTTONUP,     WM_RBUTTONUP,     WM_MBUTTONUP,     WM_LBUTTONDBLCLK,
                             WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_MOUSEWHEEL,    WM_MOUSEHWHEEL,
                             WM_COMMAND,       WM_PAINT};
    for (const UINT message : harmless) {
        SendMessageA(window, message, 0, 0);
        EXPECT_TRUE(IsWindow(window)) << "message 0x" << std::hex << message;
    }
    for (int move = 1; move <= 3; ++move) SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(IsWindow(window)) << "none of them counted as a move";
    EXPECT_FALSE(DrainMessages());
}

TEST_F(SaverWindow, AnyKeyOrButtonPressEndsTheRunAtOnce) {
    const struct {
        UINT message;
        WPARAM wParam;
    } presses[] = {{WM_KEYDOWN, VK_SPACE},   {WM_SYSKEYDOWN, VK_MENU}, {WM_LBUTTONDOWN, MK_LBUTTON},
                   {WM_MBUTTONDOWN, MK_MBUTTON}, {WM_RBUTTONDOWN, MK_RBUTTON}};
    for (const auto& press : presses) {
        ASSERT_NE(nullptr, CreateSaverWindow());
        SendMessageA(window, press.message, press.wParam, 0);
        EXPECT_TRUE(RunEnded()) << "message 0x" << std::hex << press.message;
        FreeMapImage();
    }
}

TEST_F(SaverWindow, AnotherProgramTakingTheForegroundEndsTheRunOnceItIsUp) {
    constexpr LPARAM anotherThread = 0x4d2;
    ASSERT_NE(nullptr, CreateSaverWindow());
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, anotherThread);
    EXPECT_TRUE(IsWindow(window)) << "still starting up: the start-up's own activation changes pass";
    shellState.runStarted = 1;
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, anotherThread);
    EXPECT_TRUE(IsWindow(window)) << "activated";
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, static_cast<LPARAM>(GetCurrentThreadId()));
    EXPECT_TRUE(IsWindow(window)) << "activation moving between the saver's own windows";
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, anotherThread);
    EXPECT_TRUE(RunEnded());
}

TEST_F(SaverWindow, EachTimerTickComposesAFrameAndFlipsIt) {
    ASSERT_NE(nullptr, CreateSaverWindow());
    UseFakeDirectDraw({});
    ASSERT_EQ(1, CreateDisplay({reinterpret_cast<std::uintptr_t>(window), smallScreen.width, smallScreen.height, 0}));
    for (int tick = 1; tick <= 3; ++tick) SendMessageA(window, WM_TIMER, 1, 0);
    const FakeDirectDrawState& fake = FakeDirectDraw();
    EXPECT_EQ(3, fake.flips);
    int lit = 0;
    bool fourthBytesZero = true;
    for (int i = 0; i < fake.width * fake.height; ++i) {
        const std::uint8_t* pixel = fake.backBufferPixels + 4 * i;
        if (pixel[0] | pixel[1] | pixel[2]) ++lit;
        if (pixel[3] != 0) fourthBytesZero = false;
    }
    EXPECT_GT(lit, 20) << "stars and globe";
    EXPECT_LT(lit, fake.width * fake.height / 2) << "mostly black sky";
    EXPECT_TRUE(fourthBytesZero);
}

TEST_F(SaverWindow, ADamagedMapIsReportedOnceAndTheWindowStillComesUp) {
    damagedModule = LoadLibraryExA(QUILLOMANTRASE_DAMAGED_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, damagedModule);
    shellState.instance = damagedModule;
    ASSERT_NE(nullptr, CreateSaverWindow());
    EXPECT_EQ(nullptr, mapImage.pixelData);
    ASSERT_EQ(2u, RecordedBoxes().size());
    EXPECT_EQ("Source image is NULL", RecordedBoxes()[0].text);
    EXPECT_EQ(nullptr, RecordedBoxes()[0].owner) << "the main window is not set while it is created";
    EXPECT_EQ("Error loading image", RecordedBoxes()[1].text);
    EXPECT_EQ(window, RecordedBoxes()[1].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), RecordedBoxes()[1].style);
    SendMessageA(window, WM_TIMER, 1, 0);  // ticks on a scene that never stood do nothing
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(SaverWindow, OptionsModeShowsTheDialogOwnedByTheHostAndEndsWithoutAMap) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    shellState.optionsMode = 1;
    shellState.hostWindow = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host));
    HWND owner = nullptr;
    WhenDialogIsUp([&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_NE(nullptr, CreateSaverWindow());
    EXPECT_EQ(host, owner);
    EXPECT_TRUE(DrainMessages()) << "the quit message is posted";
    EXPECT_EQ(nullptr, mapImage.headerBlock);
    EXPECT_TRUE(RecordedBoxes().empty());
    DestroyWindow(host);
}
