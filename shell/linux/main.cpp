// quillomantrase: the screen saver on Linux, full screen by itself or as an xscreensaver hack.
#include <cstdio>
#include <cstdlib>

#include "shell/linux/about_box.h"
#include "shell/linux/saver_arguments.h"
#include "shell/linux/saver_run.h"
#include "shell/version.h"

namespace {
constexpr int exitUsage = 2;
}

int main(int argc, char** argv) {
    const SaverRequest request = ReadSaverArguments(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
    for (const std::string& note : request.notes) std::fprintf(stderr, "quillomantrase: %s\n", note.c_str());
    switch (request.run) {
    case SaverRun::help:
        std::fputs(saverUsage, stdout);
        return 0;
    case SaverRun::version:
        std::printf("quillomantrase %s\n%s", productVersion, versionNotice);
        return 0;
    case SaverRun::wrongArguments:
        std::fprintf(stderr, "quillomantrase: %s\n%s", request.problem.c_str(), saverUsage);
        return exitUsage;
    case SaverRun::options:
        return ShowAboutBox();
    case SaverRun::hostWindow:
    case SaverRun::rootWindow:
        return RunInHostWindow(request.window);
    case SaverRun::fullScreen:
        break;
    }
    return RunFullScreen();
}
