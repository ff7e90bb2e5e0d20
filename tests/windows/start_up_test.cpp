// The start-up that brings a run up, runs the message loop and tears down: a whole run with a
// fake DirectDraw, every display failure with its messages in order, and options mode.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/display.h"
#include "shell/windows/map_resource.h"
#include "shell/windows/saver_start_up.h"
#include "shell/windows/shell_state.h"
#include "tests/windows/fake_direct_draw.h"
#include "tests/windows/fake_seams.h"
#include "tests/windows/window_test_support.h"

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        shellState = {};
        shellState.instance = GetModuleHandleA(nullptr);
        ClearSeamRecords();
    }
    void TearDown() override {
        if (IsWindow(shellState.mainWindow)) DestroyWindow(shellState.mainWindow);
        DrainMessages();
        UnregisterClassA("Quillomantrase", shellState.instance);
        DestroyDisplay();
        UseRealDirectDraw();
        FreeMapImage();
        shellState = {};
    }

    static std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const RecordedBox& box : RecordedBoxes()) texts.push_back(box.text);
        return texts;
    }

    static std::ptrdiff_t EventIndex(const std::string& event) {
        const auto& events = SeamEvents();
        return std::find(events.begin(), events.end(), event) - events.begin();
    }
};

}  // namespace

TEST_F(StartUp, AFullRunDrawsUntilAKeyPressThenTakesEverythingDown) {
    FakeDirectDrawScript script;
    script.keyPressAfterFlips = 3;
    script.movesDuringSetUp = 5;  // queued before the timer starts: flushed, never counted
    UseFakeDirectDraw(script);
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));

    const FakeDirectDrawState& fake = FakeDirectDraw();
    EXPECT_EQ(3, fake.flips) << "the run ended on the key press, not on the queued moves";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetDeviceCaps(screen, HORZRES)), fake.modeWidth);
    EXPECT_EQ(static_cast<DWORD>(GetDeviceCaps(screen, VERTRES)), fake.modeHeight);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(32u, fake.modeDepth);
    EXPECT_FALSE(fake.objectAlive);
    EXPECT_FALSE(fake.modeSet);
    EXPECT_EQ(0, fake.liveSurfaces);
    EXPECT_FALSE(IsWindow(shellState.mainWindow));
    EXPECT_EQ(nullptr, mapImage.headerBlock) << "the map is freed after the display";
    EXPECT_EQ(nullptr, mapImage.pixelData);
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(StartUp, AnotherProgramTakingTheForegroundEndsTheRunAsAKeyDoes) {
    FakeDirectDrawScript script;
    script.activationDuringSetUp = true;  // before the run is up: must not end it
    script.foregroundLostAfterFlips = 3;
    script.keyPressAfterFlips = 50;       // a run the loss failed to end still ends
    UseFakeDirectDraw(script);
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));

    const FakeDirectDrawState& fake = FakeDirectDraw();
    EXPECT_EQ(3, fake.flips) << "0: the start-up's activation changes ended it; 50: the loss did not";
    EXPECT_FALSE(fake.objectAlive);
    EXPECT_FALSE(fake.modeSet);
    EXPECT_FALSE(IsWindow(shellState.mainWindow));
    EXPECT_EQ(nullptr, mapImage.headerBlock);
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(StartUp, AQuitAskedForDuringTheStartUpSurvivesTheMouseFlushAndEndsTheRun) {
    FakeDirectDrawScript script;
    script.quitDuringSetUp = true;
    script.movesDuringSetUp = 2;
    script.keyPressAfterFlips = 50;  // a run whose quit was lost still ends, later
    UseFakeDirectDraw(script);
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));

    const FakeDirectDrawState& fake = FakeDirectDraw();
    EXPECT_EQ(0, fake.flips) << "the quit was lost in the flush of the start-up's mouse moves";
    EXPECT_FALSE(fake.objectAlive);
    EXPECT_FALSE(fake.modeSet);
    EXPECT_EQ(nullptr, mapImage.headerBlock);
}

TEST_F(StartUp, DisplayFailuresShowTheirMessagesOnTheRestoredDesktopAndExitZero) {
    const std::string directX = "Can't initiliaze DirectX";
    const struct {
        FailingStep step;
        std::vector<std::string> boxes;
    } rows[] = {
        {FailingStep::directDrawCreate, {directX}},
        {FailingStep::queryDirectDraw7, {directX}},
        {FailingStep::setCooperativeLevel, {directX}},
        {FailingStep::setDisplayMode, {directX}},
        {FailingStep::createSurface, {"SURFACE", directX}},
        {FailingStep::getAttachedSurface, {"BACK_BUFFER", directX}},
        {FailingStep::lock, {"Can't initiliaze DirectX memory"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("failing step " + std::to_string(static_cast<int>(row.step)));
        FakeDirectDrawScript script;
        script.failingStep = row.step;
        UseFakeDirectDraw(script);
        EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
        EXPECT_EQ(row.boxes, BoxTexts());
        const RecordedBox& last = RecordedBoxes().back();
        EXPECT_EQ(shellState.mainWindow, last.owner);
        EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), last.style);
        const std::ptrdiff_t firstBox = EventIndex("box: " + row.boxes.front());
        if (EventIndex("SetCooperativeLevel 0x15") < firstBox) {
            EXPECT_LT(EventIndex("RestoreDisplayMode"), firstBox) << "a box came up before the desktop mode was back";
        }
        const FakeDirectDrawState& fake = FakeDirectDraw();
        EXPECT_FALSE(fake.objectAlive);
        EXPECT_FALSE(fake.modeSet);
        EXPECT_EQ(0, fake.liveSurfaces);
        EXPECT_EQ(0, fake.flips);
        EXPECT_EQ(0u, shellState.timerId) << "no timer after a display error";
        EXPECT_NE(nullptr, mapImage.pixelData) << "the map is left for the end of the process";
        TearDown();
        SetUp();
    }
}

TEST_F(StartUp, OptionsModeRunsTheDialogAndNeverTouchesTheDisplay) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    shellState.optionsMode = 1;
    shellState.hostWindow = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host));
    UseFakeDirectDraw({});
    bool mainWindowHidden = true;
    WhenDialogIsUp([&](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(0, RunSaver(SW_SHOWDEFAULT));
    mainWindowHidden = !IsWindowVisible(shellState.mainWindow);
    EXPECT_FALSE(mainWindowHidden) << "the black window is shown until the loop picks up the quit message";
    EXPECT_TRUE(SeamEvents().empty()) << "no DirectDraw in options mode";
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_EQ(0u, shellState.timerId);
    EXPECT_EQ(nullptr, mapImage.headerBlock);
    DestroyWindow(host);
}
