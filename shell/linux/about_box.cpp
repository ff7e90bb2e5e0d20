#include "shell/linux/about_box.h"

#include <SDL.h>

#include <cstdio>

#include "shell/linux/sdl_video.h"

namespace {

// The Windows module's options dialog begins with the same line; its template is fixed and keeps
// two web addresses of the reserved example domain. The project has no web pages, so here the
// text says where the code and the README are instead.
constexpr const char* aboutTitle = "About the Quillomantrase screen saver";
constexpr const char* aboutText =
    "Quillomantrase 1.00, the Earth among the stars, by the Quillomantrase project\n"
    "The source code comes in the Quillomantrase source tree this program was built from;\n"
    "README.md at the top of that tree tells how to build, install and test it.\n"
    "Code under the MIT licence (LICENSE in that tree). Earth imagery courtesy of NASA\n"
    "(Visible Earth, \"Blue Marble\"), public domain.";

bool ShowInMessageBox() {
    if (!StartSdlVideo(ScreenDrivers())) return false;
    const SDL_MessageBoxButtonData ok{
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"};
    const SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, aboutTitle, aboutText, 1, &ok, nullptr};
    int pressed = 0;
    const bool shown = SDL_ShowMessageBox(&box, &pressed) == 0;
    SDL_Quit();
    return shown;
}

}  // namespace

int ShowAboutBox() {
    if (!ShowInMessageBox()) std::printf("%s\n\n%s\n", aboutTitle, aboutText);
    return 0;
}
