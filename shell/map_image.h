// The map picture in memory, for the programs that load it from bytes they hold (the headless
// renderer, the Linux saver, the tests). The Windows module has its own loader over its
// resource, with the platform's global and virtual memory, and the same checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "scene/scene_types.h"
#include "shell/map_format.h"

struct MapImage {
    std::uint8_t headerBlock[mapInfoHeaderBytes];  // the bitmap information header
    std::unique_ptr<std::uint8_t[]> pixelData;     // the stored pixel rows; null when not loaded
    std::uint32_t pixelBytes;
};

extern MapImage mapImage;

// Copies the header and the pixel rows of a BMP file image into mapImage. 1 on success; 0 with
// no pixel data, and *reason (when given) saying why.
int LoadMapImage(const std::uint8_t* file, std::size_t fileSize, const char** reason);

// Releases whatever LoadMapImage obtained; safe when nothing was loaded.
void FreeMapImage();

// Loads the map from a BMP file image and sets the scene up on it for a screen. Null on success;
// otherwise why not: the loader's reason when the map did not load (the scene is then not set
// up, so it shows no message of its own), else the scene's.
const char* SetUpSceneFromMap(ScreenMetrics screen, const std::uint8_t* file, std::size_t fileSize);
