#include "shell/map_image.h"

#include "scene/globe_scene.h"

#include <cstring>
#include <new>

MapImage mapImage;

int LoadMapImage(const std::uint8_t* file, std::size_t fileSize, const char** reason) {
    FreeMapImage();
    MapLayout layout{};
    const char* problem = ReadMapLayout(file, fileSize, &layout);
    if (problem == nullptr) {
        mapImage.pixelData.reset(new (std::nothrow) std::uint8_t[layout.pixelBytes]);
        if (!mapImage.pixelData) problem = "there is not enough memory for the pixels";
    }
    if (problem != nullptr) {
        if (reason != nullptr) *reason = problem;
        return 0;
    }
    std::memcpy(mapImage.headerBlock, layout.infoHeader, mapInfoHeaderBytes);
    std::memcpy(mapImage.pixelData.get(), layout.pixels, layout.pixelBytes);
    mapImage.pixelBytes = layout.pixelBytes;
    return 1;
}

void FreeMapImage() {
    mapImage.pixelData.reset();
    mapImage.pixelBytes = 0;
    std::memset(mapImage.headerBlock, 0, sizeof mapImage.headerBlock);
}

const char* SetUpSceneFromMap(ScreenMetrics screen, const std::uint8_t* file, std::size_t fileSize) {
    const char* loadProblem = nullptr;
    if (LoadMapImage(file, fileSize, &loadProblem) == 0) return loadProblem;
    if (SetUpScene(screen, mapImage.headerBlock, mapImage.pixelData.get()) == 1) return nullptr;
    return globeScene.setUpFailure;
}
