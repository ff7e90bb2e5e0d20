// A window of another program for the saver to draw into, as xscreensaver's own window is: a
// plain black top-level window at (0, 0) that takes key and button input itself (so that a
// saver that tried to take the same input would fail). Prints its id in 0x hex once it is on the
// screen and stays until killed.
//
// Usage: test_host_window WIDTH HEIGHT
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int width = argc > 1 ? std::atoi(argv[1]) : 400;
    const int height = argc > 2 ? std::atoi(argv[2]) : 300;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "test_host_window: cannot open the display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "test host window");
    XSelectInput(display, window, StructureNotifyMask | KeyPressMask | ButtonPressMask);
    XMapWindow(display, window);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != MapNotify);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) XNextEvent(display, &event);
}
