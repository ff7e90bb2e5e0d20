// The module becomes DPI-aware first thing, so that on a scaled desktop the size it reads, and
// the display mode it sets from it, are the desktop's true resolution.
#include <gtest/gtest.h>

#include <windows.h>

#include "shell/windows/dpi_awareness.h"

TEST(DpiAwareness, TheProcessIsAwareAfterwardsAndSeesTheTrueResolution) {
    BecomeDpiAware();
    EXPECT_TRUE(IsProcessDPIAware());
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), GetDeviceCaps(screen, HORZRES));
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), GetDeviceCaps(screen, VERTRES));
    ReleaseDC(nullptr, screen);
}
