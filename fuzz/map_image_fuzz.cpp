// Feeds arbitrary bytes to the map loader as a BMP file image, then sets a small scene up from
// whatever loaded and draws two frames, so that a header that lies about its sizes is caught
// wherever it would make the engine read past the map.
#include <cstddef>
#include <cstdint>

#include "display/display.h"
#include "scene/frame_tick.h"
#include "scene/globe_scene.h"
#include "shell/map_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int displayUp = CreateDisplay({0, 64, 48, 0});
    if (displayUp == 0 || LoadMapImage(data, size, nullptr) == 0) return 0;
    if (SetUpScene({64, 48}, mapImage.headerBlock, mapImage.pixelData.get()) == 1) {
        AdvanceFrame();
        AdvanceFrame();
    }
    FreeMapImage();
    return 0;
}
