#include "shell/linux/about_box.h"

#include <SDL.h>

#include <cstdio>

#include "shell/linux/sdl_video.h"

namespace {

// The same words as the Windows module's options dialog.
constexpr const char* aboutTitle = "About the Quillomantrase screen saver";
constexpr const char* aboutText =
    "Quillomantrase 1.00, the Earth among the stars, by the Quillomantrase project\n"
    "News, source code and other savers are on our web pages at\n"
    "https://quillomantrase.example.org\n"
    "https://quillomantrase.example.org/source";

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
