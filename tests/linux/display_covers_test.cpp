// The covers over the other displays, with SDL's windows replaced at link time by the fakes
// below: which windows are made, where, with which flags, what happens when one cannot be made,
// how they follow monitors that come, go and move, and how they differ between X11 and Wayland.
// The real SDL is not linked.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "shell/linux/display_covers.h"

namespace {

struct FakeWindow {
    SDL_Rect bounds;
    Uint32 flags;
    bool destroyed = false;
    bool hidden = false;
    int paintedBlack = 0;  // times filled black and shown
};

struct FakeVideo {
    const char* driver = "x11";
    std::vector<DisplayRect> displays;
    int failingCreation = -1;            // the creation (counted from 0) that fails
    int creations = 0;
    std::vector<FakeWindow> windows;     // window n has id n + 1
    SDL_PixelFormat format{};
    SDL_Surface surface{};
    Uint32 lastFill = 1;
};

FakeVideo fake;

// Window pointers are the window's id; nothing ever looks behind them.
FakeWindow& WindowOf(SDL_Window* window) { return fake.windows[reinterpret_cast<std::uintptr_t>(window) - 1]; }

}  // namespace

const char* SDL_GetCurrentVideoDriver() { return fake.driver; }

const char* SDL_GetError() { return "no more windows today"; }

SDL_Window* SDL_CreateWindow(const char*, int x, int y, int w, int h, Uint32 flags) {
    if (fake.creations++ == fake.failingCreation) return nullptr;
    fake.windows.push_back({{x, y, w, h}, flags});
    return reinterpret_cast<SDL_Window*>(static_cast<std::uintptr_t>(fake.windows.size()));
}

void SDL_DestroyWindow(SDL_Window* window) { WindowOf(window).destroyed = true; }

void SDL_HideWindow(SDL_Window* window) { WindowOf(window).hidden = true; }

void SDL_ShowWindow(SDL_Window* window) { WindowOf(window).hidden = false; }

void SDL_SetWindowPosition(SDL_Window* window, int x, int y) {
    WindowOf(window).bounds.x = x;
    WindowOf(window).bounds.y = y;
}

void SDL_SetWindowSize(SDL_Window* window, int w, int h) {
    WindowOf(window).bounds.w = w;
    WindowOf(window).bounds.h = h;
}

Uint32 SDL_GetWindowID(SDL_Window* window) { return static_cast<Uint32>(reinterpret_cast<std::uintptr_t>(window)); }

SDL_Surface* SDL_GetWindowSurface(SDL_Window*) {
    fake.surface.format = &fake.format;
    return &fake.surface;
}

Uint32 SDL_MapRGB(const SDL_PixelFormat*, Uint8 r, Uint8 g, Uint8 b) { return (Uint32{r} << 16) | (g << 8) | b; }

int SDL_FillRect(SDL_Surface*, const SDL_Rect* rect, Uint32 colour) {
    fake.lastFill = rect == nullptr ? colour : 1;  // only the whole surface counts
    return 0;
}

int SDL_UpdateWindowSurface(SDL_Window* window) {
    if (fake.lastFill == 0) ++WindowOf(window).paintedBlack;
    fake.lastFill = 1;
    return 0;
}

namespace {

// Override-redirect: no window manager moves them.
constexpr Uint32 coverFlags =
    SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_POPUP_MENU;

std::string Describe(const SDL_Rect& r) {
    return std::to_string(r.w) + "x" + std::to_string(r.h) + "@" + std::to_string(r.x) + "," + std::to_string(r.y);
}

// The covers shown now, as WxH@X,Y.
std::vector<std::string> Covers() {
    std::vector<std::string> covers;
    for (const FakeWindow& w : fake.windows)
        if (!w.destroyed && !w.hidden) covers.push_back(Describe(w.bounds));
    return covers;
}

class DisplayCovers : public ::testing::Test {
protected:
    void SetUp() override { fake = FakeVideo{}; }
    void TearDown() override { RemoveDisplayCovers(); }
};

TEST_F(DisplayCovers, EveryOtherDisplayGetsABlackBorderlessTopWindowAtItsExactBounds) {
    // The globe's display in the middle, one left and lower, one above and wider.
    fake.displays = {{0, 0, 1024, 768}, {-800, 168, 800, 600}, {-200, -1080, 1920, 1080}};
    CoverOtherDisplays(fake.displays, 0);
    ASSERT_EQ(Covers(), (std::vector<std::string>{"800x600@-800,168", "1920x1080@-200,-1080"}));
    for (const FakeWindow& w : fake.windows) {
        // Not full screen: without a window manager that leaves a window at its first size.
        EXPECT_EQ(w.flags, coverFlags) << Describe(w.bounds);
        EXPECT_EQ(w.paintedBlack, 1) << Describe(w.bounds);
    }
    EXPECT_TRUE(IsDisplayCover(1));
    EXPECT_TRUE(IsDisplayCover(2));
    EXPECT_FALSE(IsDisplayCover(3));  // the globe's window, say

    PaintDisplayCovers();  // after an exposure
    for (const FakeWindow& w : fake.windows) EXPECT_EQ(w.paintedBlack, 2) << Describe(w.bounds);
}

TEST_F(DisplayCovers, OnWaylandEachCoverAsksForFullScreenOnItsOwnDisplayAroundTheGlobesDisplay) {
    fake.driver = "wayland";
    // The compositor put the globe on the second display; the third mirrors the first.
    fake.displays = {{0, 0, 1024, 768}, {1024, 0, 800, 600}, {0, 0, 1024, 768}, {1824, 0, 640, 480}};
    CoverOtherDisplays(fake.displays, 1);
    ASSERT_EQ(fake.windows.size(), 2u);
    const int expectedDisplay[] = {0, 3};
    for (std::size_t i = 0; i < 2; ++i) {
        const FakeWindow& w = fake.windows[i];
        EXPECT_EQ(w.bounds.x, static_cast<int>(SDL_WINDOWPOS_UNDEFINED_DISPLAY(expectedDisplay[i]))) << i;
        EXPECT_EQ(w.bounds.y, w.bounds.x) << i;
        EXPECT_EQ(w.flags, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR) << i;
        EXPECT_EQ(w.paintedBlack, 1) << i;
    }
    EXPECT_EQ(fake.windows[1].bounds.w, 640);
}

TEST_F(DisplayCovers, ADisplayWithoutACoverDoesNotStopTheOthersAndIsTriedAgainNextTime) {
    // The last one's bounds could not be read: it shows nothing.
    fake.displays = {{0, 0, 1024, 768}, {1024, 0, 800, 600}, {1824, 0, 1280, 1024}, {}};
    fake.failingCreation = 0;
    testing::internal::CaptureStderr();
    CoverOtherDisplays(fake.displays, 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Covers(), std::vector<std::string>{"1280x1024@1824,0"});
    EXPECT_EQ(said, "quillomantrase: the display at 1024,0 stays uncovered (SDL: no more windows today)\n");
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(Covers(), (std::vector<std::string>{"1280x1024@1824,0", "800x600@1024,0"}));
}

TEST_F(DisplayCovers, CoversFollowMonitorsThatComeGoAndMoveKeepingThoseThatStayAndAllGoAtTheEnd) {
    fake.displays = {{0, 0, 1024, 768}, {1024, 0, 800, 600}};
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(Covers(), std::vector<std::string>{"800x600@1024,0"});

    fake.displays.push_back({-1280, 0, 1280, 1024});  // a monitor plugged in during the run
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(Covers(), (std::vector<std::string>{"800x600@1024,0", "1280x1024@-1280,0"}));
    EXPECT_EQ(fake.windows.size(), 2u) << "the cover whose place stayed is the same window";

    // The one on the right taken away: on X11 its cover is hidden and kept, not destroyed (SDL
    // would leave the window's colormap behind).
    fake.displays.erase(fake.displays.begin() + 1);
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(Covers(), std::vector<std::string>{"1280x1024@-1280,0"});
    EXPECT_FALSE(IsDisplayCover(1));
    EXPECT_FALSE(fake.windows[0].destroyed);

    // The globe's monitor moved right of another: the cover moves to the new place, painted again.
    fake.displays = {{1024, 0, 1024, 768}, {0, 0, 1024, 768}};
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(Covers(), std::vector<std::string>{"1024x768@0,0"});
    EXPECT_EQ(fake.windows.size(), 2u);
    EXPECT_EQ(fake.windows[1].paintedBlack, 2);
    // A monitor plugged in again gets the hidden cover, shown at its place and painted.
    fake.displays.push_back({2048, 0, 800, 600});
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(Covers(), (std::vector<std::string>{"800x600@2048,0", "1024x768@0,0"}));
    EXPECT_EQ(fake.windows.size(), 2u);
    EXPECT_EQ(fake.windows[0].paintedBlack, 2);
    fake.displays.pop_back();
    CoverOtherDisplays(fake.displays, 0);
    // Under Wayland a cover asks for its display and cannot move: a new one, and the old goes.
    fake.driver = "wayland";
    fake.displays = {{0, 0, 1024, 768}, {1024, 0, 1024, 768}};
    CoverOtherDisplays(fake.displays, 0);
    EXPECT_EQ(fake.windows.size(), 3u);
    EXPECT_TRUE(fake.windows[1].destroyed);

    RemoveDisplayCovers();
    RemoveDisplayCovers();  // teardown is safe to repeat
    EXPECT_EQ(Covers(), std::vector<std::string>{});
    for (const FakeWindow& w : fake.windows) EXPECT_TRUE(w.destroyed) << Describe(w.bounds);
}

}  // namespace
