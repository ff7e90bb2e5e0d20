// Frame composition: black sky, then the stars, then the globe, each frame whole, straight into
// the back buffer. What carries over between frames is only the turned day-and-night table and
// the twinkle generator's state, and where the last frame drew: a back buffer that still holds
// that frame needs only those places cleared to be all black sky again, and only the stars whose
// pixels may have changed drawn again.
#include "render/frame_composition.h"

#include <algorithm>
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

// Where the last frame drew, in the memory it drew into at the clip size and pitch it had.
struct DrawnPlaces {
    const std::uint8_t* pixels = nullptr;
    std::int32_t pitch = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    StarField stars = {};
    PixelBox globe = {};
};
DrawnPlaces lastDrawn;

// A star's mark reaches three pixels each way; stars brighter than this twinkle, their marks in
// new colours every frame.
constexpr std::int32_t starReach = 3;
constexpr std::int32_t twinklesAbove = 231;

PixelBox StarBox(ScreenPoint star) {
    return {star.x - starReach, star.y - starReach, star.x + starReach + 1, star.y + starReach + 1};
}

bool StarStayed(int i) {
    const StarField& last = lastDrawn.stars;
    const StarField& now = globeScene.stars;
    return last.position[i].x == now.position[i].x && last.position[i].y == now.position[i].y &&
           last.brightness[i] == now.brightness[i];
}

void ClearBox(const LockedFrame& frame, PixelBox box) {
    const GlobeScene& s = globeScene;
    box = {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, s.clipWidth),
           std::min(box.bottom, s.clipHeight)};
    if (box.right <= box.left) return;
    for (std::int32_t y = box.top; y < box.bottom; ++y)
        std::memset(frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + 4 * box.left, 0,
                    static_cast<std::size_t>(box.right - box.left) * 4);
}

// Makes the frame all black sky: the whole of it, or only where the last frame drew when the
// back buffer still holds that frame. A star drawn at the same place with the same brightness
// writes the same pixels again, whatever they hold, so only stars that moved are cleared.
// Returns whether the whole frame was cleared.
bool ClearFrame(const LockedFrame& frame) {
    const GlobeScene& s = globeScene;
    const DrawnPlaces& last = lastDrawn;
    if (!frame.holdsLastFrame || frame.pixels != last.pixels || frame.pitch != last.pitch ||
        s.clipWidth != last.width || s.clipHeight != last.height) {
        std::memset(frame.pixels, 0, static_cast<std::size_t>(s.clipHeight) * static_cast<std::size_t>(frame.pitch));
        return true;
    }
    for (int i = 0; i < starCount; ++i)
        if (!StarStayed(i)) ClearBox(frame, StarBox(last.stars.position[i]));
    ClearBox(frame, last.globe);
    return false;
}

// Where a frame drawn over the last one may differ from it: both globes' boxes, the marks of the
// twinkling stars, and the old and new places of stars that moved. A star that stayed and does
// not twinkle draws its one pixel as before.
PixelBox changedBoxes[2 + 2 * starCount];

ChangedPlaces FindChangedPlaces(PixelBox globe) {
    const StarField& stars = globeScene.stars;
    std::int32_t count = 0;
    changedBoxes[count++] = lastDrawn.globe;
    changedBoxes[count++] = globe;
    for (int i = 0; i < starCount; ++i) {
        const bool stayed = StarStayed(i);
        if (!stayed) changedBoxes[count++] = StarBox(lastDrawn.stars.position[i]);
        if (!stayed || stars.brightness[i] > twinklesAbove) changedBoxes[count++] = StarBox(stars.position[i]);
    }
    return {changedBoxes, count};
}

void RememberDrawnPlaces(const LockedFrame& frame, PixelBox globe) {
    const GlobeScene& s = globeScene;
    DrawnPlaces& last = lastDrawn;
    last.pixels = frame.pixels;
    last.pitch = frame.pitch;
    last.width = s.clipWidth;
    last.height = s.clipHeight;
    last.stars = s.stars;
    last.globe = globe;
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

// Draws star i with its twinkle marks, if it has any.
void DrawStar(const StarPainter& painter, int i) {
    const GlobeScene& s = globeScene;
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
    if (v <= twinklesAbove) return;
    const auto inner = static_cast<std::uint8_t>(64 + LongRandom() % 127);
    painter.PlotGrey(x + 2, y, inner);
    painter.PlotGrey(x - 2, y, inner);
    painter.PlotGrey(x, y + 2, inner);
    painter.PlotGrey(x, y - 2, inner);
    painter.PlotGrey(x + 1, y, inner);
    painter.PlotGrey(x - 1, y, inner);
    painter.PlotGrey(x, y + 1, inner);
    painter.PlotGrey(x, y - 1, inner);
    if (v <= 247) return;
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

// For each star, whether the mark of a twinkling star drawn before it may cover its pixel. Such a
// star must be drawn again over the mark's new colours in every frame; any other star that does
// not twinkle leaves the same pixel as in the frame before. Worked out once for each star field,
// at its first frame.
bool starsUnderMarks[starCount];

bool Within(PixelBox box, ScreenPoint p) {
    return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom;
}

void FindStarsUnderMarks() {
    const StarField& stars = globeScene.stars;
    std::fill(std::begin(starsUnderMarks), std::end(starsUnderMarks), false);
    for (int twinkler = 0; twinkler < starCount; ++twinkler) {
        if (stars.brightness[twinkler] <= twinklesAbove) continue;
        const PixelBox mark = StarBox(stars.position[twinkler]);
        for (int i = twinkler + 1; i < starCount; ++i)
            if (Within(mark, stars.position[i])) starsUnderMarks[i] = true;
    }
}

bool SameStarField(const StarField& a, const StarField& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Draws, over the last frame of the same stars with the given box cleared, only the stars whose
// pixels may differ from it: the twinkling ones, those under their marks and those in the box.
// The twinkle generator runs as for the whole star field, since only twinkling stars draw on it.
void RedrawStars(const LockedFrame& frame, PixelBox cleared) {
    const GlobeScene& s = globeScene;
    const StarPainter painter{frame.pixels, frame.pitch, s.clipWidth, s.clipHeight};
    for (int i = 0; i < starCount; ++i)
        if (s.stars.brightness[i] > twinklesAbove || starsUnderMarks[i] || Within(cleared, s.stars.position[i]))
            DrawStar(painter, i);
}

}  // namespace

void DrawStarField(const LockedFrame& frame) {
    const GlobeScene& s = globeScene;
    const StarPainter painter{frame.pixels, frame.pitch, s.clipWidth, s.clipHeight};
    for (int i = 0; i < starCount; ++i) DrawStar(painter, i);
}

int RenderFrame() {
    const LockedFrame frame = LockBackBuffer();
    if (frame.pixels == nullptr) return 0;
    TurnColumnBrightness();
    // Over the last frame of the same stars, only the globe's last box was cleared.
    const bool sameStars = SameStarField(lastDrawn.stars, globeScene.stars);
    if (!sameStars) FindStarsUnderMarks();
    const PixelBox cleared = lastDrawn.globe;
    const bool wholeCleared = ClearFrame(frame);
    if (wholeCleared || !sameStars)
        DrawStarField(frame);
    else
        RedrawStars(frame, cleared);
    const PixelBox globe = DrawGlobe(frame);
    const ChangedPlaces changed = FindChangedPlaces(globe);
    RememberDrawnPlaces(frame, globe);
    UnlockBackBuffer(wholeCleared ? nullptr : &changed);
    return 0;
}
