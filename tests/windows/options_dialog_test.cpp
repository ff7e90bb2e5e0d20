// The options dialog: an about box that OK, Cancel, Return, Esc and the close button end.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/windows/exported_procedures.h"
#include "tests/windows/window_test_support.h"

namespace {

INT_PTR RunDialog(std::function<void(HWND dialog)> action) {
    WhenDialogIsUp(std::move(action));
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), "IDD_OPTION", nullptr, TalScreenSaverConfigureDialog, 0);
    DrainMessages();
    return result;
}

void PressKey(HWND dialog, WPARAM key) {
    HWND focus = GetFocus();
    PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 0);
}

}  // namespace

TEST(OptionsDialog, OkAndCancelEndItWithTheirIds) {
    EXPECT_EQ(IDOK, RunDialog([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDOK, 0); }));
    EXPECT_EQ(IDCANCEL, RunDialog([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }));
    EXPECT_EQ(IDOK, RunDialog([](HWND dialog) {
                  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // the code is not looked at
              }));
}

TEST(OptionsDialog, ReturnEscAndTheCloseButtonEndItToo) {
    EXPECT_EQ(IDOK, RunDialog([](HWND dialog) { PressKey(dialog, VK_RETURN); }));
    EXPECT_EQ(IDCANCEL, RunDialog([](HWND dialog) { PressKey(dialog, VK_ESCAPE); }));
    EXPECT_EQ(IDCANCEL, RunDialog([](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }));
}

TEST(OptionsDialog, OtherCommandsLeaveItOpen) {
    bool openAfterwards = false;
    EXPECT_EQ(IDCANCEL, RunDialog([&](HWND dialog) {
                  SendMessageA(dialog, WM_COMMAND, 104, 0);
                  SendMessageA(dialog, WM_COMMAND, 3, 0);
                  openAfterwards = IsWindow(dialog) && IsWindowVisible(dialog);
                  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
              }));
    EXPECT_TRUE(openAfterwards);
}

TEST(OptionsDialog, ShowsTheProductNameVersionAndPagesInItsFont) {
    std::string caption, about, title;
    LOGFONTA font{};
    RunDialog([&](HWND dialog) {
        char text[512];
        GetWindowTextA(dialog, text, sizeof text);
        caption = text;
        GetDlgItemTextA(dialog, 104, text, sizeof text);
        about = text;
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ("Quillomantrase", caption);
    EXPECT_NE(std::string::npos, about.find("Quillomantrase 1.00")) << about;
    EXPECT_NE(std::string::npos, about.find("https://")) << about;
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight) << "8 points";
    ReleaseDC(nullptr, screen);
}
