// The SDL2 display in a real X window: after every present the window shows exactly the
// composed frame, although only what changed was sent, and looked for only where the renderer
// said a frame may have changed. Needs an X display (Xvfb will do).
#include <gtest/gtest.h>

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "display/frame_changes.h"
#include "display/sdl_display.h"
#include "scene/frame_tick.h"
#include "scene/globe_scene.h"
#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "tests/support/recording_seam.h"

// SDL's start-up leaves a buffer of libdbus behind for the life of the process; under the
// sanitizer build that is not ours to report.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

constexpr int width = 200;
constexpr int height = 150;

int NoteXError(Display*, XErrorEvent*) { return 0; }

class SdlDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Under CTest the display is the suite's own Xvfb, and a missing one is a failure.
        if (const char* displayFile = std::getenv("QUILLOMANTRASE_TEST_DISPLAY_FILE")) {
            std::ifstream in(displayFile);
            std::string name;
            ASSERT_TRUE(in >> name) << "the suite's Xvfb did not start (see " << displayFile << ")";
            setenv("DISPLAY", name.c_str(), 1);
        } else if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display";
        }
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XSetErrorHandler(NoteXError);
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        XEvent event;
        do XNextEvent(display, &event);
        while (event.type != MapNotify);
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_EQ(CreateDisplay({window, width, height, 0}), 1) << SDL_GetError();
    }
    void TearDown() override {
        DestroyDisplay();
        SDL_Quit();
        if (display != nullptr) {
            XDestroyWindow(display, window);
            XCloseDisplay(display);
        }
    }

    // Composes the frame; the unlock names where it may have changed (null: anywhere).
    void Compose(std::uint32_t (*colourAt)(int x, int y, int frame), int frame, const ChangedPlaces* changed = nullptr) {
        const LockedFrame f = LockBackBuffer();
        ASSERT_NE(f.pixels, nullptr);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t colour = colourAt(x, y, frame);
                std::memcpy(f.pixels + y * f.pitch + 4 * x, &colour, 4);
            }
        UnlockBackBuffer(changed);
    }

    std::uint32_t WindowPixel(int x, int y) {
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0xFFFFFFFFu;
        const auto shown = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
        return shown;
    }

    // Every pixel of the window against the frame; the first difference when there is one. Only
    // reading the frame, it tells the display that nothing changed.
    void ExpectWindowShowsFrame(const char* when) {
        XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        const LockedFrame f = LockBackBuffer();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint32_t composed;
                std::memcpy(&composed, f.pixels + y * f.pitch + 4 * x, 4);
                const unsigned long shown = XGetPixel(image, x, y) & 0xFFFFFF;
                if (shown != composed) {
                    ADD_FAILURE() << when << ": at (" << x << ", " << y << ") expected " << std::hex << composed
                                  << ", the window shows " << shown;
                    XDestroyImage(image);
                    UnlockBackBuffer(&unchanged);
                    return;
                }
            }
        XDestroyImage(image);
        UnlockBackBuffer(&unchanged);
    }

    Display* display = nullptr;
    Window window = 0;
    static constexpr ChangedPlaces unchanged{nullptr, 0};
};

std::uint32_t Sky(int x, int y, int frame) {
    // A few stars whose marks change from frame to frame, and a disc that moves on.
    const int dx = x - 40 - 9 * frame;
    const int dy = y - 75;
    if (dx * dx + dy * dy < 900) return 0x00204080u + static_cast<std::uint32_t>(x * 7 + frame);
    if ((x * 31 + y * 17) % 97 == 0) return (x + y + frame) % 3 == 0 ? 0x00FFFF00u : 0x00808080u;
    return 0;
}

TEST_F(SdlDisplayTest, TheWindowShowsEachComposedFrameExactly) {
    for (int frame = 0; frame < 12; ++frame) {
        Compose(Sky, frame);
        PresentFrame();
        ExpectWindowShowsFrame(("frame " + std::to_string(frame)).c_str());
    }
    Compose([](int, int, int) { return 0u; }, 0);
    PresentFrame();
    ExpectWindowShowsFrame("a black frame after them");
    // The frame taken afresh in the same window, as when the window system gave it a new size.
    ASSERT_EQ(ResizeDisplay(width, height), 1) << SDL_GetError();
    EXPECT_FALSE(LockBackBuffer().holdsLastFrame);
    UnlockBackBuffer();
    Compose(Sky, 3);
    PresentFrame();
    ExpectWindowShowsFrame("a frame after the device took its size afresh");
}

// Two marks: one in the place the unlock names, one outside it.
std::uint32_t TwoMarks(int x, int y, int frame) {
    if (frame == 0) return 0;
    if (x == 100 && y == 20) return 0x00FF0000u;
    if (x == 150 && y == 100) return 0x0000FF00u;
    return 0;
}

TEST_F(SdlDisplayTest, OnlyThePlacesTheRendererNamesAreLookedAt) {
    Compose(TwoMarks, 0);
    PresentFrame();
    ExpectWindowShowsFrame("the first frame");
    const PixelBox box{100, 20, 101, 21};
    const ChangedPlaces named{&box, 1};
    Compose(TwoMarks, 1, &named);
    PresentFrame();
    EXPECT_EQ(WindowPixel(100, 20), 0xFF0000u) << "inside the named place";
    EXPECT_EQ(WindowPixel(150, 100), 0u) << "outside it: the renderer vouched that nothing changed there";
    // A place named at an unlock is looked at even when the present comes after another unlock.
    Compose(TwoMarks, 0, &named);
    Compose(TwoMarks, 0, &unchanged);
    PresentFrame();
    EXPECT_EQ(WindowPixel(100, 20), 0u);
    // Without places, anything may have changed.
    Compose(TwoMarks, 1);
    PresentFrame();
    ExpectWindowShowsFrame("an unlock that names no places");
}

TEST_F(SdlDisplayTest, AWindowThatLostItsPictureGetsTheWholeFrameAgain) {
    Compose(Sky, 0);
    PresentFrame();
    Compose(Sky, 0, &unchanged);
    // Another program draws over the window, as an exposure leaves it.
    GC gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc, 0x00FF00FF);
    XFillRectangle(display, window, gc, 0, 0, width, height);
    XFreeGC(display, gc);
    XSync(display, False);
    RepaintWholeFrame();
    PresentFrame();
    ExpectWindowShowsFrame("after a repaint");
}

// The engine drawing through the display for a whole orbit: the places it names must hold
// everything that changed, or the window falls behind the frame.
TEST_F(SdlDisplayTest, TheWindowShowsEveryFrameOfAWholeOrbit) {
    SetTestClock(1765084800);
    ASSERT_EQ(LoadMapImage(BuiltInMapBytes(), BuiltInMapSize(), nullptr), 1);
    ASSERT_EQ(SetUpScene({width, height}, mapImage.headerBlock, mapImage.pixelData.get()), 1);
    for (std::int32_t frame = 0; frame < globeScene.orbitLength && !HasFailure(); ++frame) {
        AdvanceFrame();
        PresentFrame();
        ExpectWindowShowsFrame(("orbit frame " + std::to_string(frame)).c_str());
    }
}

// The window system makes the device's own window smaller under it (the monitor's mode changed),
// and SDL makes the smaller surface where the old one was: the frame, still of the old size, must
// go into memory of its own, not into that surface.
TEST_F(SdlDisplayTest, AWindowMadeSmallerUnderTheDeviceIsNotDrawnPast) {
    DestroyDisplay();
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    ASSERT_EQ(CreateDisplay({0, screenWidth, screenHeight, 0}), 1) << SDL_GetError();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(DisplayWindow(), &info));
    XResizeWindow(info.info.x11.display, info.info.x11.window, screenWidth / 2, screenHeight / 2);
    XSync(info.info.x11.display, False);
    SDL_PumpEvents();
    const LockedFrame f = LockBackBuffer();
    const SDL_Surface* surface = SDL_GetWindowSurface(DisplayWindow());
    ASSERT_NE(f.pixels, nullptr);
    ASSERT_EQ(surface->w, screenWidth / 2);
    EXPECT_NE(f.pixels, surface->pixels);
    for (int y = 0; y < screenHeight; ++y) std::memset(f.pixels + y * f.pitch, 0x40, 4 * screenWidth);
    UnlockBackBuffer();
    PresentFrame();
}

TEST_F(SdlDisplayTest, ADeviceThatIsDownLendsNoFrameAndPresentsNothing) {
    EXPECT_EQ(DestroyDisplay(), 1);
    EXPECT_EQ(DestroyDisplay(), 1);
    EXPECT_EQ(LockBackBuffer().pixels, nullptr);
    UnlockBackBuffer();
    PresentFrame();
    EXPECT_EQ(DisplayWindow(), nullptr);
    EXPECT_EQ(ResizeDisplay(width, height), 0);
    EXPECT_EQ(CreateDisplay({window, 0, height, 0}), 0);
    ASSERT_EQ(CreateDisplay({window, width, height, 0}), 1);
    EXPECT_EQ(ResizeDisplay(widestFrame + 1, height), 0) << "wider than an X window can be";
    EXPECT_EQ(DisplayWindow(), nullptr);
    // The foreign window outlives the device that drew into it.
    XWindowAttributes attributes;
    EXPECT_NE(XGetWindowAttributes(display, window, &attributes), 0);
    EXPECT_EQ(attributes.map_state, IsViewable);
}

}  // namespace
