// quillomantrase-render: the screen saver's frames without a screen. It sets the scene up for a
// given screen size and clock value, runs the frame ticks into a frame in memory, and writes
// frames as PNG. The same arguments always give the same pixels.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "display/memory_display.h"
#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "shell/render_tool/png_file.h"
#include "shell/render_tool/render_arguments.h"
#include "shell/render_tool/render_clock.h"
#include "shell/saver_rules.h"
#include "shell/version.h"

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr long largestMapFile = 64L * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* problem) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *problem = std::strerror(errno);
        return false;
    }
    std::uint8_t buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes->insert(bytes->end(), buffer, buffer + count);
        if (bytes->size() > static_cast<std::size_t>(largestMapFile)) {
            std::fclose(file);
            *problem = "it is larger than any map picture (64 MiB)";
            return false;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) *problem = "it cannot be read";
    return !failed;
}

// Loads the map and sets the scene up; one line saying why not when the map cannot be used.
int SetUpFromMap(const RenderRequest& request) {
    std::vector<std::uint8_t> fileBytes;
    const std::uint8_t* bytes = BuiltInMapBytes();
    std::size_t size = BuiltInMapSize();
    std::string problem;
    const char* failure = nullptr;
    if (!request.mapPath.empty()) {
        failure = ReadWholeFile(request.mapPath, &fileBytes, &problem) ? nullptr : problem.c_str();
        bytes = fileBytes.data();
        size = fileBytes.size();
    }
    if (failure == nullptr) failure = SetUpSceneFromMap({request.width, request.height}, bytes, size);
    if (failure == nullptr) return 0;
    if (request.mapPath.empty())
        std::fprintf(stderr, "quillomantrase-render: cannot use the built-in map: %s\n", failure);
    else
        std::fprintf(stderr, "quillomantrase-render: cannot use map %s: %s; %s\n", request.mapPath.c_str(), failure,
                     "a 24-bit uncompressed BMP at most 1000 pixels wide is needed");
    return exitFailure;
}

bool ShouldWrite(const RenderRequest& request, std::int32_t tick) {
    return tick == request.frames || (request.every != 0 && tick % request.every == 0);
}

// Every file the run will write is checked before the first frame is rendered: what stands at
// each path, and whether its folder takes a new file (tried once per folder).
const char* CheckOutputs(const RenderRequest& request, std::string* problem) {
    std::string triedFolder;
    bool triedAny = false;
    for (std::int32_t tick = 1; tick <= request.frames; ++tick) {
        if (!ShouldWrite(request, tick)) continue;
        const std::string name = FrameFileName(request.output, tick);
        const std::string folder = std::filesystem::path(name).parent_path().string();
        const bool tryFolder = !triedAny || folder != triedFolder;
        if (CheckOutputPath(name, tryFolder, problem) != nullptr) return problem->c_str();
        triedFolder = folder;
        triedAny = true;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    RenderRequest request;
    std::string problem;
    if (const char* wrong = ParseRenderArguments(argc, argv, &request, &problem)) {
        std::fprintf(stderr, "quillomantrase-render: %s\n%s", wrong, renderUsage);
        return exitUsage;
    }
    if (request.helpWanted) {
        std::fputs(renderUsage, stdout);
        return 0;
    }
    if (request.versionWanted) {
        std::printf("quillomantrase-render %s\n%s", productVersion, versionNotice);
        return 0;
    }
    if (const char* wrong = CheckOutputs(request, &problem)) {
        std::fprintf(stderr, "quillomantrase-render: %s\n", wrong);
        return exitFailure;
    }
    if (!request.timeGiven) {
        request.time = static_cast<std::int64_t>(std::time(nullptr));
        std::printf("quillomantrase-render: --time %lld\n", static_cast<long long>(request.time));
    }
    SetRenderClock(request.time);
    if (const int failed = SetUpFromMap(request)) return failed;
    if (CreateDisplay({0, request.width, request.height, request.pitch}) == 0) {
        std::fprintf(stderr, "quillomantrase-render: there is not enough memory for a %dx%d frame\n", request.width,
                     request.height);
        return exitFailure;
    }

    const bool showProgress = isatty(2) != 0 && request.frames >= 100;
    for (std::int32_t tick = 1; tick <= request.frames; ++tick) {
        RunSaverTick();
        if (showProgress && (tick % 50 == 0 || tick == request.frames))
            std::fprintf(stderr, "\rtick %d of %d", tick, request.frames);
        if (!ShouldWrite(request, tick)) continue;
        const std::string name = FrameFileName(request.output, tick);
        if (const char* wrong = WriteFramePng(name, PeekMemoryFrame(), request.width, request.height, &problem)) {
            if (showProgress) std::fputc('\n', stderr);
            std::fprintf(stderr, "quillomantrase-render: %s\n", wrong);
            return exitFailure;
        }
    }
    if (showProgress) std::fputc('\n', stderr);
    DestroyDisplay();
    FreeMapImage();
    return 0;
}
