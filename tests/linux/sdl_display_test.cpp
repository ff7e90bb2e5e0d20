// The SDL2 display in a real X window: after every present the window shows exactly the
// composed frame, although only what changed was sent. Needs an X display (Xvfb will do).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "display/sdl_display.h"

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

    void Compose(std::uint32_t (*colourAt)(int x, int y, int frame), int frame) {
        const LockedFrame f = LockBackBuffer();
        ASSERT_NE(f.pixels, nullptr);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t colour = colourAt(x, y, frame);
                std::memcpy(f.pixels + y * f.pitch + 4 * x, &colour, 4);
            }
        UnlockBackBuffer();
    }

    // Every pixel of the window against the frame; the first difference when there is one.
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
                    UnlockBackBuffer();
                    return;
                }
            }
        XDestroyImage(image);
        UnlockBackBuffer();
    }

    Display* display = nullptr;
    Window window = 0;
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
}

TEST_F(SdlDisplayTest, AWindowThatLostItsPictureGetsTheWholeFrameAgain) {
    Compose(Sky, 0);
    PresentFrame();
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

TEST_F(SdlDisplayTest, ADeviceThatIsDownLendsNoFrameAndPresentsNothing) {
    EXPECT_EQ(DestroyDisplay(), 1);
    EXPECT_EQ(DestroyDisplay(), 1);
    EXPECT_EQ(LockBackBuffer().pixels, nullptr);
    UnlockBackBuffer();
    PresentFrame();
    EXPECT_EQ(DisplayWindow(), nullptr);
    EXPECT_EQ(CreateDisplay({window, 0, height, 0}), 0);
    // The foreign window outlives the device that drew into it.
    XWindowAttributes attributes;
    EXPECT_NE(XGetWindowAttributes(display, window, &attributes), 0);
    EXPECT_EQ(attributes.map_state, IsViewable);
}

}  // namespace
