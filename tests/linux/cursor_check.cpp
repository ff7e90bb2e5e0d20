// Tells whether the pointer can be seen where it is now: the X server's current cursor image
// has at least one pixel that is not fully transparent.
//
// Usage: cursor_check
// Prints what it found; exits with 0 when the pointer is hidden, 1 when it shows, 2 without a
// display or the XFIXES extension.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    int eventBase, errorBase;
    if (display == nullptr || !XFixesQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "cursor_check: no display with the XFIXES extension\n");
        return 2;
    }
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (cursor == nullptr) {
        std::fprintf(stderr, "cursor_check: the X server gave no cursor image\n");
        return 2;
    }
    int seen = 0;
    for (int i = 0; i < cursor->width * cursor->height; ++i)
        if ((cursor->pixels[i] >> 24) != 0) ++seen;  // ARGB: the alpha byte
    std::printf("the pointer's %dx%d image has %d pixels to see\n", cursor->width, cursor->height, seen);
    XFree(cursor);
    XCloseDisplay(display);
    return seen == 0 ? 0 : 1;
}
