#include "render/texel_footprint.h"

namespace footprint_detail {

FootprintCache footprintCache;

// The footprint is worked out by sweeping the texel from the origin and keeping each pixel once.
// A footprint that is too large is remembered as such (count -1).
const TexelFootprint& RememberFootprint(std::uint32_t keyPlusOne, std::uint32_t slot) {
    static constexpr TexelFootprint tooLong{tooLongMove, -1, {}};
    if (keyPlusOne == tooLongMove) return tooLong;
    const std::uint32_t key = keyPlusOne - 1;
    FootprintCache& cache = footprintCache;
    TexelFootprint& footprint = cache.footprints[slot];
    const auto field = [&](int place) { return static_cast<std::int32_t>(key >> place & 0xF) - 8; };
    const PixelPoint upperEnd{field(0), field(16)};
    const PixelPoint lower{field(8), field(24)};
    const PixelPoint lowerEnd{lower.x + field(4), lower.y + field(20)};
    PixelPoint pixels[footprintCapacity];
    std::int32_t count = 0;
    SweepTexel({0, 0}, lower, upperEnd, lowerEnd, [&](std::int32_t x, std::int32_t y) {
        if (count < 0) return;
        for (std::int32_t i = 0; i < count; ++i)
            if (pixels[i] == PixelPoint{x, y}) return;
        if (count == footprintCapacity) {
            count = -1;
            return;
        }
        pixels[count++] = {x, y};
    });
    footprint.count = count;
    for (std::int32_t i = 0; i < footprintCapacity; ++i) {
        const PixelPoint p = count > 0 ? pixels[i < count ? i : 0] : PixelPoint{0, 0};
        footprint.offsets[i] = p.y * cache.pitch + 4 * p.x;
    }
    footprint.keyPlusOne = keyPlusOne;
    return footprint;
}

}  // namespace footprint_detail

void UseFootprintsForPitch(std::int32_t pitch) {
    footprint_detail::FootprintCache& cache = footprint_detail::footprintCache;
    if (cache.pitch == pitch) return;
    for (TexelFootprint& footprint : cache.footprints) footprint.keyPlusOne = 0;
    cache.pitch = pitch;
}
