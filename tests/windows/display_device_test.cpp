// The DirectDraw display device: every failure row of its set-up, the per-frame calls, lost
// surfaces, and Wine's real DirectDraw.
#include <gtest/gtest.h>

#include <ddraw.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "shell/windows/shell_state.h"
#include "tests/windows/fake_direct_draw.h"
#include "tests/windows/fake_seams.h"

namespace {

using Events = std::vector<std::string>;

const DisplayTarget testTarget{0, 640, 480, 0};

// DDSCL_EXCLUSIVE | DDSCL_NOWINDOWCHANGES | DDSCL_FULLSCREEN is 0x15; DDSD_CAPS |
// DDSD_BACKBUFFERCOUNT 0x21; DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX 0x218.
const Events upEvents = {
    "DirectDrawCreate",
    "QueryInterface IID_IDirectDraw7",
    "Release IDirectDraw",
    "SetCooperativeLevel 0x15",
    "SetDisplayMode 640x480x32 0 0",
    "CreateSurface flags 0x21 caps 0x218 back buffers 1",
    "GetAttachedSurface caps 0x4",
};

Events UpTo(std::size_t count, const Events& tail) {
    Events events(upEvents.begin(), upEvents.begin() + count);
    events.insert(events.end(), tail.begin(), tail.end());
    return events;
}

const Events teardown = {"Release back", "Release front", "RestoreDisplayMode", "SetCooperativeLevel 0x8",
                         "Release IDirectDraw7 -> 0"};

class DisplayDevice : public ::testing::Test {
protected:
    void SetUp() override { ClearSeamRecords(); }
    void TearDown() override {
        DestroyDisplay();
        UseRealDirectDraw();
    }

    static void ExpectDeviceDown() {
        const FakeDirectDrawState& fake = FakeDirectDraw();
        EXPECT_FALSE(fake.objectAlive) << "the DirectDraw object still has references";
        EXPECT_FALSE(fake.firstInterfaceAlive);
        EXPECT_EQ(0, fake.liveSurfaces);
        EXPECT_FALSE(fake.modeSet) << "the desktop mode was not restored";
        EXPECT_FALSE(fake.exclusive);
        EXPECT_EQ(nullptr, LockBackBuffer().pixels);
    }

    // One timer tick as the engine and the window procedure make it, with a pixel drawn.
    static bool Tick() {
        const LockedFrame frame = LockBackBuffer();
        if (frame.pixels != nullptr) {
            frame.pixels[0] = 0xFF;
            UnlockBackBuffer();
        }
        PresentFrame();
        return frame.pixels != nullptr;
    }
};

}  // namespace

TEST_F(DisplayDevice, ComesUpWithAFlippingChainAtTheScreensSizeAndThirtyTwoBits) {
    UseFakeDirectDraw({});
    ASSERT_EQ(1, CreateDisplay(testTarget));
    EXPECT_EQ(upEvents, SeamEvents());
    EXPECT_EQ(sizeof(DDSURFACEDESC2), FakeDirectDraw().lastDescriptionSize)
        << "dwSize must be the record's x86-64 size (136), not the 32-bit 124";
    EXPECT_TRUE(RecordedBoxes().empty());
    SeamEvents().clear();
    EXPECT_EQ(1, DestroyDisplay());
    EXPECT_EQ(teardown, SeamEvents());
    ExpectDeviceDown();
}

TEST_F(DisplayDevice, EachFailingStepLeavesTheDeviceDownBeforeItsMessage) {
    struct Row {
        FailingStep step;
        Events events;
        const char* box;
    };
    const Events bareTeardown = {"RestoreDisplayMode", "SetCooperativeLevel 0x8", "Release IDirectDraw7 -> 0"};
    const Events frontTeardown = {"Release front", "RestoreDisplayMode", "SetCooperativeLevel 0x8",
                                  "Release IDirectDraw7 -> 0"};
    const Row rows[] = {
        {FailingStep::directDrawCreate, UpTo(1, {}), nullptr},
        {FailingStep::queryDirectDraw7, UpTo(3, {}), nullptr},
        {FailingStep::setCooperativeLevel, UpTo(4, bareTeardown), nullptr},
        {FailingStep::setDisplayMode, UpTo(5, bareTeardown), nullptr},
        {FailingStep::createSurface, UpTo(6, bareTeardown), "SURFACE"},
        {FailingStep::getAttachedSurface, UpTo(7, frontTeardown), "BACK_BUFFER"},
    };
    for (const Row& row : rows) {
        ClearSeamRecords();
        FakeDirectDrawScript script;
        script.failingStep = row.step;
        UseFakeDirectDraw(script);
        const HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
        shellState.mainWindow = window;  // the device belongs to the full-screen window
        EXPECT_EQ(0, CreateDisplay({reinterpret_cast<std::uintptr_t>(window), 640, 480, 0}));
        shellState.mainWindow = nullptr;
        Events expected = row.events;
        if (row.box != nullptr) expected.push_back(std::string("box: ") + row.box);
        EXPECT_EQ(expected, SeamEvents()) << "failing step " << static_cast<int>(row.step);
        if (row.box != nullptr) {
            ASSERT_EQ(1u, RecordedBoxes().size());
            EXPECT_EQ(window, RecordedBoxes()[0].owner);
            EXPECT_EQ(static_cast<UINT>(MB_OK), RecordedBoxes()[0].style);
        }
        ExpectDeviceDown();
    }
}

TEST_F(DisplayDevice, TeardownReleasesEveryReferenceAndIsSafeToRepeat) {
    EXPECT_EQ(1, DestroyDisplay()) << "before any set-up";
    FakeDirectDrawScript script;
    script.extraReferences = 2;
    UseFakeDirectDraw(script);
    ASSERT_EQ(1, CreateDisplay(testTarget));
    SeamEvents().clear();
    EXPECT_EQ(1, DestroyDisplay());
    const Events expected = {"Release back", "Release front", "RestoreDisplayMode", "SetCooperativeLevel 0x8",
                             "Release IDirectDraw7 -> 2", "Release IDirectDraw7 -> 1", "Release IDirectDraw7 -> 0"};
    EXPECT_EQ(expected, SeamEvents());
    SeamEvents().clear();
    EXPECT_EQ(1, DestroyDisplay());
    EXPECT_TRUE(SeamEvents().empty()) << "a second teardown calls nothing";
    ExpectDeviceDown();
}

TEST_F(DisplayDevice, WithoutADeviceNothingIsLockedOrFlipped) {
    UseFakeDirectDraw({});
    EXPECT_EQ(nullptr, LockBackBuffer().pixels);
    UnlockBackBuffer();
    PresentFrame();
    FakeDirectDrawScript script;
    script.failingStep = FailingStep::createSurface;
    UseFakeDirectDraw(script);
    ASSERT_EQ(0, CreateDisplay(testTarget));
    EXPECT_FALSE(Tick());
    EXPECT_EQ(0, FakeDirectDraw().locks);
    EXPECT_EQ(0, FakeDirectDraw().flips);
}

TEST_F(DisplayDevice, LocksLendTheBackBufferWithItsOwnPitch) {
    FakeDirectDrawScript script;
    script.pitch = 640 * 4 + 64;  // wider than the pixels: rows must step by the pitch
    UseFakeDirectDraw(script);
    ASSERT_EQ(1, CreateDisplay(testTarget));
    const LockedFrame frame = LockBackBuffer();
    ASSERT_NE(nullptr, frame.pixels);
    EXPECT_EQ(FakeDirectDraw().backBufferPixels, frame.pixels);
    EXPECT_EQ(script.pitch, frame.pitch);
    EXPECT_EQ(sizeof(DDSURFACEDESC2), FakeDirectDraw().lastDescriptionSize);
    // Still locked when presented: the device unlocks before it flips.
    PresentFrame();
    EXPECT_EQ(1, FakeDirectDraw().flips);
    EXPECT_EQ(0, FakeDirectDraw().flipsWhileLocked);
    UnlockBackBuffer();  // not locked any more: the platform's complaint is ignored
}

TEST_F(DisplayDevice, AFailedLockSkipsTheDrawingButStillFlips) {
    FakeDirectDrawScript script;
    script.failingStep = FailingStep::lock;
    UseFakeDirectDraw(script);
    ASSERT_EQ(1, CreateDisplay(testTarget));
    EXPECT_FALSE(Tick());
    EXPECT_FALSE(Tick());
    EXPECT_EQ(2, FakeDirectDraw().locks);
    EXPECT_EQ(2, FakeDirectDraw().flips);
}

TEST_F(DisplayDevice, LostSurfacesAreRestoredOnLaterTicksOneTryATick) {
    FakeDirectDrawScript script;
    script.restoreFailures = 2;
    UseFakeDirectDraw(script);
    ASSERT_EQ(1, CreateDisplay(testTarget));
    const std::int32_t pitch = LockBackBuffer().pitch;
    UnlockBackBuffer();
    EXPECT_TRUE(Tick());
    EXPECT_EQ(1, FakeDirectDraw().flips);

    LoseFakeSurfaces();
    const LockedFrame lost = LockBackBuffer();
    EXPECT_EQ(nullptr, lost.pixels);
    EXPECT_EQ(pitch, lost.pitch) << "a failed lock keeps the pitch of the last good one";
    PresentFrame();
    EXPECT_EQ(1, FakeDirectDraw().restoreAttempts);
    const int locksWhileLost = FakeDirectDraw().locks;
    EXPECT_FALSE(Tick());
    EXPECT_EQ(2, FakeDirectDraw().restoreAttempts) << "one try per tick, no spinning";
    EXPECT_EQ(locksWhileLost, FakeDirectDraw().locks) << "no lock is tried while the surfaces are lost";
    EXPECT_FALSE(Tick());
    EXPECT_EQ(3, FakeDirectDraw().restoreAttempts);
    EXPECT_EQ(1, FakeDirectDraw().flips) << "nothing is flipped while the surfaces are lost";

    EXPECT_TRUE(Tick()) << "drawing resumes on the tick after the restore";
    EXPECT_EQ(2, FakeDirectDraw().flips);
    EXPECT_EQ(3, FakeDirectDraw().restoreAttempts);
}

TEST_F(DisplayDevice, ARestoreThatLeavesTheSurfacesLostIsNotBelieved) {
    FakeDirectDrawScript script;
    script.hollowRestores = 2;  // as when another program still holds the display
    UseFakeDirectDraw(script);
    ASSERT_EQ(1, CreateDisplay(testTarget));
    LoseFakeSurfaces();
    EXPECT_FALSE(Tick());
    const int locks = FakeDirectDraw().locks;
    EXPECT_FALSE(Tick());
    EXPECT_FALSE(Tick());
    EXPECT_EQ(locks, FakeDirectDraw().locks) << "no lock while the surfaces say they are lost";
    EXPECT_EQ(3, FakeDirectDraw().restoreAttempts);
    EXPECT_TRUE(Tick());
    EXPECT_EQ(1, FakeDirectDraw().flips);
}

TEST_F(DisplayDevice, AFlipThatFindsTheSurfacesLostLeadsToARestore) {
    UseFakeDirectDraw({});
    ASSERT_EQ(1, CreateDisplay(testTarget));
    ASSERT_NE(nullptr, LockBackBuffer().pixels);
    UnlockBackBuffer();
    LoseFakeSurfaces();
    PresentFrame();
    EXPECT_EQ(0, FakeDirectDraw().flips);
    EXPECT_FALSE(Tick());
    EXPECT_EQ(1, FakeDirectDraw().restoreAttempts);
    EXPECT_TRUE(Tick());
    EXPECT_EQ(1, FakeDirectDraw().flips);
}

namespace {

HWND CreatePlainWindow(int width, int height) {
    return CreateWindowExA(WS_EX_TOPMOST, "STATIC", "display test", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

TEST(RealDirectDraw, GivesAThirtyTwoBitFrameOfTheScreensSizeAndFlipsIt) {
    HDC screen = GetDC(nullptr);
    const int width = GetDeviceCaps(screen, HORZRES);
    const int height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    HWND window = CreatePlainWindow(width, height);
    ASSERT_NE(nullptr, window);
    UseRealDirectDraw();
    ClearSeamRecords();
    ASSERT_EQ(1, CreateDisplay({reinterpret_cast<std::uintptr_t>(window), width, height, 0}))
        << "needs a 24-bit X screen";
    const LockedFrame frame = LockBackBuffer();
    ASSERT_NE(nullptr, frame.pixels);
    EXPECT_GE(frame.pitch, 4 * width);
    std::memset(frame.pixels + (height - 1) * frame.pitch, 0x80, 4 * width);  // the last row is ours to write
    UnlockBackBuffer();
    PresentFrame();
    EXPECT_EQ(1, DestroyDisplay());
    EXPECT_TRUE(RecordedBoxes().empty());
    DestroyWindow(window);
}

TEST(RealDirectDraw, RefusesTheThirtyTwoBitRecordSizeOnThisPlatform) {
    HWND window = CreatePlainWindow(64, 64);
    IDirectDraw* first = nullptr;
    ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &first, nullptr));
    IDirectDraw7* directDraw = nullptr;
    ASSERT_EQ(S_OK, first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&directDraw)));
    first->Release();
    ASSERT_EQ(DD_OK, directDraw->SetCooperativeLevel(window, DDSCL_NORMAL));
    DDSURFACEDESC2 description{};
    description.dwSize = 124;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(DDERR_INVALIDPARAMS, directDraw->CreateSurface(&description, &surface, nullptr));
    description.dwSize = sizeof description;
    ASSERT_EQ(DD_OK, directDraw->CreateSurface(&description, &surface, nullptr));
    surface->Release();
    directDraw->Release();
    DestroyWindow(window);
}
