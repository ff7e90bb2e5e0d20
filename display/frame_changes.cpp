#include "display/frame_changes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int32_t bytesPerPixel = 4;

constexpr std::int32_t CeilDiv(std::int32_t a, std::int32_t b) { return (a + b - 1) / b; }

// Marks in changed[] the blocks of rows [top, bottom) where the frames differ, looking only at
// the band's candidates where they are given.
void FindChangedBlocks(const std::uint8_t* composed, std::int32_t composedPitch, const std::uint8_t* shown,
                       std::int32_t shownPitch, std::int32_t width, std::int32_t top, std::int32_t bottom,
                       const bool* candidates, bool* changed) {
    const std::int32_t blocks = CeilDiv(width, blockPixels);
    std::fill(changed, changed + blocks, false);
    if (candidates != nullptr && std::find(candidates, candidates + blocks, true) == candidates + blocks) return;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::uint8_t* from = composed + static_cast<std::ptrdiff_t>(y) * composedPitch;
        const std::uint8_t* to = shown + static_cast<std::ptrdiff_t>(y) * shownPitch;
        // Most rows are untouched sky: one comparison settles them.
        if (candidates == nullptr && std::memcmp(from, to, rowBytes) == 0) continue;
        for (std::int32_t b = 0; b < blocks; ++b) {
            if (changed[b] || (candidates != nullptr && !candidates[b])) continue;
            const std::int32_t x = b * blockPixels;
            const std::int32_t pixels = std::min(blockPixels, width - x);
            changed[b] = std::memcmp(from + x * bytesPerPixel, to + x * bytesPerPixel,
                                     static_cast<std::size_t>(pixels) * bytesPerPixel) != 0;
        }
    }
}

void CopyRect(const std::uint8_t* composed, std::int32_t composedPitch, std::uint8_t* shown, std::int32_t shownPitch,
              const SDL_Rect& rect) {
    for (std::int32_t y = rect.y; y < rect.y + rect.h; ++y)
        std::memcpy(shown + static_cast<std::ptrdiff_t>(y) * shownPitch + rect.x * bytesPerPixel,
                    composed + static_cast<std::ptrdiff_t>(y) * composedPitch + rect.x * bytesPerPixel,
                    static_cast<std::size_t>(rect.w) * bytesPerPixel);
}

// Fills rects with the runs of marked blocks, band by band; a run stacks onto the same run of the
// band above where they line up. markBand(top, bottom, marked) marks a band's blocks and
// takeRun(run) is told of each run as it is found. Returns the number of rectangles.
template <typename MarkBand, typename TakeRun>
std::int32_t GatherRects(std::int32_t width, std::int32_t height, SDL_Rect* rects, MarkBand markBand, TakeRun takeRun) {
    const std::int32_t blocks = CeilDiv(width, blockPixels);
    bool marked[widestFrame / blockPixels];
    // For each block, the rectangle whose run started there in the band above (-1: none), so
    // that the same run in this band can lengthen it instead of adding one.
    std::int32_t openAbove[widestFrame / blockPixels];
    std::int32_t openHere[widestFrame / blockPixels];
    std::fill(openAbove, openAbove + blocks, -1);
    std::int32_t count = 0;
    for (std::int32_t top = 0; top < height; top += bandRows) {
        const std::int32_t bottom = std::min(top + bandRows, height);
        markBand(top, bottom, marked);
        std::fill(openHere, openHere + blocks, -1);
        for (std::int32_t b = 0; b < blocks;) {
            if (!marked[b]) {
                ++b;
                continue;
            }
            std::int32_t end = b;
            while (end < blocks && marked[end]) ++end;
            const std::int32_t left = b * blockPixels;
            const SDL_Rect run{left, top, std::min(end * blockPixels, width) - left, bottom - top};
            takeRun(run);
            const std::int32_t above = openAbove[b];
            if (above >= 0 && rects[above].w == run.w) {
                rects[above].h += run.h;
                openHere[b] = above;
            } else {
                openHere[b] = count;
                rects[count++] = run;
            }
            b = end;
        }
        std::copy(openHere, openHere + blocks, openAbove);
    }
    return count;
}

}  // namespace

std::int32_t FrameBlocks(std::int32_t width, std::int32_t height) {
    return CeilDiv(height, bandRows) * CeilDiv(width, blockPixels);
}

std::int32_t MostChangedRects(std::int32_t width, std::int32_t height) {
    return CeilDiv(height, bandRows) * CeilDiv(CeilDiv(width, blockPixels), 2);
}

void MarkCandidateBlocks(const ChangedPlaces& places, std::int32_t width, std::int32_t height, bool* candidates) {
    const std::int32_t blocks = CeilDiv(width, blockPixels);
    for (std::int32_t i = 0; i < places.count; ++i) {
        const PixelBox& box = places.boxes[i];
        const std::int32_t left = std::max(box.left, 0), right = std::min(box.right, width);
        const std::int32_t top = std::max(box.top, 0), bottom = std::min(box.bottom, height);
        if (left >= right || top >= bottom) continue;
        for (std::int32_t band = top / bandRows; band <= (bottom - 1) / bandRows; ++band)
            std::fill(&candidates[band * blocks + left / blockPixels],
                      &candidates[band * blocks + (right - 1) / blockPixels] + 1, true);
    }
}

std::int32_t CopyChangedBlocks(const std::uint8_t* composed, std::int32_t composedPitch, std::uint8_t* shown,
                               std::int32_t shownPitch, std::int32_t width, std::int32_t height, SDL_Rect* rects,
                               const bool* candidates) {
    if (width <= 0 || height <= 0 || width > widestFrame) return 0;
    const std::int32_t blocks = CeilDiv(width, blockPixels);
    return GatherRects(
        width, height, rects,
        [&](std::int32_t top, std::int32_t bottom, bool* changed) {
            FindChangedBlocks(composed, composedPitch, shown, shownPitch, width, top, bottom,
                              candidates == nullptr ? nullptr : candidates + top / bandRows * blocks, changed);
        },
        [&](const SDL_Rect& run) { CopyRect(composed, composedPitch, shown, shownPitch, run); });
}

std::int32_t CandidateRects(std::int32_t width, std::int32_t height, const bool* candidates, SDL_Rect* rects) {
    if (width <= 0 || height <= 0 || width > widestFrame) return 0;
    const std::int32_t blocks = CeilDiv(width, blockPixels);
    return GatherRects(
        width, height, rects,
        [&](std::int32_t top, std::int32_t, bool* marked) {
            if (candidates == nullptr)
                std::fill(marked, marked + blocks, true);
            else
                std::copy(candidates + top / bandRows * blocks, candidates + (top / bandRows + 1) * blocks, marked);
        },
        [](const SDL_Rect&) {});
}
