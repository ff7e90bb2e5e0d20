// What goes to the screen after each frame: every changed pixel inside a reported rectangle,
// the shown frame equal to the composed one afterwards, and few rectangles for the saver's
// kind of frame (a still black sky with small marks and one globe).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "display/frame_changes.h"

namespace {

struct Frames {
    std::int32_t width, height, pitch;
    std::vector<std::uint8_t> composed, shown;
    std::vector<SDL_Rect> rects;

    Frames(std::int32_t w, std::int32_t h, std::int32_t padding = 0)
        : width(w), height(h), pitch(4 * w + padding), composed(pitch * h), shown(pitch * h),
          rects(MostChangedRects(w, h)) {}

    void Paint(std::int32_t x, std::int32_t y, std::uint32_t colour) {
        std::memcpy(&composed[y * pitch + 4 * x], &colour, 4);
    }
    std::int32_t Present() {
        return CopyChangedBlocks(composed.data(), pitch, shown.data(), pitch, width, height, rects.data());
    }
    bool PixelsEqual(std::int32_t x, std::int32_t y, const std::vector<std::uint8_t>& other) const {
        return std::memcmp(&composed[y * pitch + 4 * x], &other[y * pitch + 4 * x], 4) == 0;
    }
    bool ShownEqualsComposed() const {
        for (std::int32_t y = 0; y < height; ++y)
            if (std::memcmp(&composed[y * pitch], &shown[y * pitch], 4 * width) != 0) return false;
        return true;
    }
};

bool Covered(const std::vector<SDL_Rect>& rects, std::int32_t count, std::int32_t x, std::int32_t y) {
    for (std::int32_t i = 0; i < count; ++i) {
        const SDL_Rect& r = rects[i];
        if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return true;
    }
    return false;
}

TEST(FrameChanges, AnUnchangedFrameSendsNothing) {
    Frames f(100, 50);
    f.Paint(10, 10, 0x00FFFFFF);
    f.Present();
    EXPECT_EQ(f.Present(), 0);
}

TEST(FrameChanges, OneChangedPixelSendsOnlyItsBlock) {
    Frames f(320, 240);
    f.Paint(70, 21, 0x00FF0000);
    ASSERT_EQ(f.Present(), 1);
    const SDL_Rect r = f.rects[0];
    EXPECT_EQ(r.x, 64);
    EXPECT_EQ(r.y, 16);
    EXPECT_EQ(r.w, blockPixels);
    EXPECT_EQ(r.h, bandRows);
    EXPECT_TRUE(f.ShownEqualsComposed());
}

TEST(FrameChanges, AWhollyNewFrameIsOneRectangleOfTheFrameSize) {
    Frames f(333, 77);  // neither a whole number of blocks nor of bands
    for (std::int32_t y = 0; y < f.height; ++y)
        for (std::int32_t x = 0; x < f.width; ++x) f.Paint(x, y, 0x00101010);
    ASSERT_EQ(f.Present(), 1);
    EXPECT_EQ(f.rects[0].x, 0);
    EXPECT_EQ(f.rects[0].y, 0);
    EXPECT_EQ(f.rects[0].w, 333);
    EXPECT_EQ(f.rects[0].h, 77);
    EXPECT_TRUE(f.ShownEqualsComposed());
}

TEST(FrameChanges, EveryChangeOfAStarrySkyIsSentAndTheRestIsLeft) {
    Frames f(1280, 720, 64);  // rows padded past their last pixel
    std::mt19937 random(7);
    for (int frame = 0; frame < 20; ++frame) {
        const std::vector<std::uint8_t> before = f.shown;
        // Twinkle marks here and there, and a globe that moves on.
        for (int mark = 0; mark < 90; ++mark)
            f.Paint(random() % f.width, random() % f.height, random() & 0x00FFFFFF);
        for (std::int32_t y = 200; y < 500; ++y)
            for (std::int32_t x = 300 + 10 * frame; x < 600 + 10 * frame; ++x) f.Paint(x, y, 0x00204080 + frame);
        const std::int32_t count = f.Present();
        ASSERT_LE(count, MostChangedRects(f.width, f.height));
        EXPECT_LT(count, 200) << "frame " << frame;
        std::int64_t sentPixels = 0;
        for (std::int32_t i = 0; i < count; ++i) {
            const SDL_Rect& r = f.rects[i];
            ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= f.width && r.y + r.h <= f.height);
            sentPixels += std::int64_t{r.w} * r.h;
        }
        EXPECT_LT(sentPixels, std::int64_t{f.width} * f.height / 4) << "frame " << frame;
        for (std::int32_t y = 0; y < f.height; ++y)
            for (std::int32_t x = 0; x < f.width; ++x) {
                if (!f.PixelsEqual(x, y, before)) {
                    ASSERT_TRUE(Covered(f.rects, count, x, y)) << x << "," << y;
                }
            }
        ASSERT_TRUE(f.ShownEqualsComposed()) << "frame " << frame;
    }
}

TEST(FrameChanges, OnlyCandidateBlocksAreLookedAt) {
    Frames f(320, 240);
    std::unique_ptr<bool[]> candidates(new bool[FrameBlocks(f.width, f.height)]());
    const std::int32_t blocks = 320 / blockPixels;
    candidates[2 * blocks + 3] = true;  // band 2, block 3: pixels 96..127, rows 16..23
    f.Paint(100, 20, 0x00FF0000);       // inside
    // Outside, in the same band and in another: the caller vouches they have not changed.
    f.Paint(200, 20, 0x0000FF00);
    f.Paint(200, 100, 0x0000FF00);
    ASSERT_EQ(CopyChangedBlocks(f.composed.data(), f.pitch, f.shown.data(), f.pitch, f.width, f.height,
                                f.rects.data(), candidates.get()),
              1);
    EXPECT_EQ(f.rects[0].x, 96);
    EXPECT_EQ(f.rects[0].y, 16);
    EXPECT_TRUE(f.PixelsEqual(100, 20, f.shown));
    EXPECT_FALSE(f.PixelsEqual(200, 20, f.shown));
    EXPECT_FALSE(f.PixelsEqual(200, 100, f.shown));
    // Candidates that did not change send nothing.
    EXPECT_EQ(CopyChangedBlocks(f.composed.data(), f.pitch, f.shown.data(), f.pitch, f.width, f.height,
                                f.rects.data(), candidates.get()),
              0);
    // Drawn straight into the surface, every candidate goes out, and nothing else: without
    // candidates, the whole frame.
    ASSERT_EQ(CandidateRects(f.width, f.height, candidates.get(), f.rects.data()), 1);
    EXPECT_EQ((std::vector{f.rects[0].x, f.rects[0].y, f.rects[0].w, f.rects[0].h}), (std::vector{96, 16, 32, 8}));
    ASSERT_EQ(CandidateRects(f.width, f.height, nullptr, f.rects.data()), 1);
    EXPECT_EQ((std::vector{f.rects[0].x, f.rects[0].y, f.rects[0].w, f.rects[0].h}), (std::vector{0, 0, 320, 240}));
}

TEST(FrameChanges, TheWorstFrameFitsTheRoomGiven) {
    // Every other block changed, in a pattern that shifts by a block from band to band.
    Frames f(1000, 64);
    for (std::int32_t y = 0; y < f.height; ++y)
        for (std::int32_t x = (y / bandRows) % 2 * blockPixels; x < f.width; x += 2 * blockPixels)
            f.Paint(x, y, 0x00FFFFFF);
    EXPECT_EQ(f.Present(), MostChangedRects(f.width, f.height));
    EXPECT_TRUE(f.ShownEqualsComposed());
}

}  // namespace
