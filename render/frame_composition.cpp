// Frame composition: black sky, then the stars, then the globe, each frame whole, straight into
// the back buffer. What carries over between frames is only the turned day-and-night table and
// the twinkle generator's state.
#include "render/frame_composition.h"

#include <cstring>

#include "render/globe_texture.h"
#include "scene/globe_scene.h"
#include "scene/random_generator.h"

namespace {

// Moves the day-and-night pattern one map column towards lower columns.
void TurnColumnBrightness() {
    GlobeScene& s = globeScene;
    std::uint8_t* table = s.columnBrightness;
    const std::uint8_t first = table[0];
    std::memmove(table, table + 1, static_cast<std::size_t>(s.mapWidth - 1));
    table[s.mapWidth - 1] = first;
}

struct StarPainter {
    std::uint8_t* pixels;
    std::int32_t pitch;
    std::int32_t width;
    std::int32_t height;

    // Stars sit at least three pixels from the left and top edges, the full reach of their
    // marks, but only two from the right and bottom: those marks are clipped here.
    void Plot(std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
        if (x >= width || y >= height) return;
        std::uint8_t* pixel = pixels + static_cast<std::ptrdiff_t>(y) * pitch + 4 * x;
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
    }
    void PlotGrey(std::int32_t x, std::int32_t y, std::uint8_t level) const { Plot(x, y, level, level, level); }
};

}  // namespace

void DrawStarField(const LockedFrame& frame) {
    const GlobeScene& s = globeScene;
    const StarPainter painter{frame.pixels, frame.pitch, s.clipWidth, s.clipHeight};
    for (int i = 0; i < starCount; ++i) {
        const std::int32_t x = s.stars.position[i].x;
        const std::int32_t y = s.stars.position[i].y;
        const std::int32_t v = s.stars.brightness[i];
        if (v >= 251 && v <= 255) {
            painter.Plot(x, y, 0, 255, 255);  // yellow
        } else if (v >= 235 && v <= 239) {
            painter.Plot(x, y, 255, 255, 0);  // cyan
        } else {
            painter.PlotGrey(x, y, static_cast<std::uint8_t>(v));
        }
        if (v <= 231) continue;
        const auto inner = static_cast<std::uint8_t>(64 + LongRandom() % 127);
        painter.PlotGrey(x + 2, y, inner);
        painter.PlotGrey(x - 2, y, inner);
        painter.PlotGrey(x, y + 2, inner);
        painter.PlotGrey(x, y - 2, inner);
        painter.PlotGrey(x + 1, y, inner);
        painter.PlotGrey(x - 1, y, inner);
        painter.PlotGrey(x, y + 1, inner);
        painter.PlotGrey(x, y - 1, inner);
        if (v <= 247) continue;
        const auto outer = static_cast<std::uint8_t>(inner - 64);
        painter.PlotGrey(x - 1, y - 1, outer);
        painter.PlotGrey(x - 1, y + 1, outer);
        painter.PlotGrey(x + 1, y - 1, outer);
        painter.PlotGrey(x + 1, y + 1, outer);
        painter.PlotGrey(x + 3, y, outer);
        painter.PlotGrey(x - 3, y, outer);
        painter.PlotGrey(x, y + 3, outer);
        painter.PlotGrey(x, y - 3, outer);
    }
}

int RenderFrame() {
    const LockedFrame frame = LockBackBuffer();
    if (frame.pixels == nullptr) return 0;
    TurnColumnBrightness();
    std::memset(frame.pixels, 0, static_cast<std::size_t>(globeScene.clipHeight) * static_cast<std::size_t>(frame.pitch));
    DrawStarField(frame);
    DrawGlobe(frame);
    UnlockBackBuffer();
    return 0;
}
