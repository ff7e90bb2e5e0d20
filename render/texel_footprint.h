// Texel footprints: the set of pixels one texel's sweep writes, remembered.
//
// All pixels of a texel's sweep get the texel's colour, one after another with nothing drawn in
// between, so what a texel leaves in the frame depends only on the set of pixels its sweep
// passes, not on their order or on how often each is passed. Relative to the texel's upper start
// point that set depends only on how the four end points move and on the segment between the
// two start points; a globe frame has a few hundred such moves, so each set is worked out once
// and then written with a fixed run of stores.
#pragma once

#include <cstdint>

#include "render/texel_sweep.h"

// Byte offsets from the frame address of the upper start point, for frames of one pitch. The
// first `count` are the distinct pixels; the rest repeat the first, so writing all of them is
// the same as writing the distinct ones. When count is 0 all offsets are 0.
constexpr int footprintCapacity = 30;
constexpr int footprintShortRun = 8;   // most footprints have no more pixels than this
constexpr int footprintFirstLine = 14;  // the offsets in the record's first 64 bytes

// Its key and count first: the lookup and a footprint of 14 pixels or fewer touch one cache line.
struct alignas(64) TexelFootprint {
    std::uint32_t keyPlusOne;  // the move's key + 1 (FootprintKeyPlusOne); 0 marks a free slot of the cache
    std::int32_t count;
    std::int32_t offsets[footprintCapacity];
};

namespace footprint_detail {

// Moves are remembered when each of their six coordinates lies in -8 .. 7. A key holds them in
// six fields of four bits, each offset by 8: the upper point's move in x (bits 0 to 3) and y
// (16 to 19), the lower point's in bits 4 and 20 on, and the segment between the start points in
// bits 8 and 24 on.
constexpr int cacheBits = 12;
constexpr int cacheSlots = 1 << cacheBits;

struct FootprintCache {
    std::int32_t pitch;
    TexelFootprint footprints[cacheSlots];
};
extern FootprintCache footprintCache;

const TexelFootprint& RememberFootprint(std::uint32_t keyPlusOne, std::uint32_t slot);

// A point packed as x + y * 65536, modulo 2^32. The difference of two packed points, plus
// `packedBias`, holds the difference of their x in bits 0 to 3 and of their y in bits 16 to 19,
// each offset by 8, when both differences lie in -8 .. 7; other bits are then 0. Otherwise some
// other bit is set, as long as the x difference is less than 65528 either way.
constexpr std::uint32_t packedBias = 8 + (8u << 16);
constexpr std::uint32_t packedFields = 0xF + (0xFu << 16);

}  // namespace footprint_detail

// Packed points on the screen tell every move apart on screens up to this wide.
constexpr std::int32_t widestFootprintScreen = 32768;

// Two points whose coordinates lie within this of 0 pack alike only when they are the same: their
// x differ by less than 65536, so equal packs have equal x, and then y equal modulo 65536.
constexpr std::int32_t packedReach = 16383;

// Footprints found from now on are for frames of this pitch; those of another pitch are forgotten.
void UseFootprintsForPitch(std::int32_t pitch);

inline std::uint32_t PackPoint(PixelPoint p) {
    return static_cast<std::uint32_t>(p.x) + (static_cast<std::uint32_t>(p.y) << 16);
}

// The cache's key for the sweep from (upper, lower) to (upperEnd, lowerEnd), given as points
// packed by PackPoint, plus one (as the cache holds it), or tooLongMove when the move is too long
// to be remembered. Words is std::uint32_t, or a vector of them for that many moves at once.
constexpr std::uint32_t tooLongMove = 0xFFFFFFFFu;  // never a key + 1: keys have 24 bits

template <typename Words>
Words FootprintKeyPlusOne(Words upper, Words lower, Words upperEnd, Words lowerEnd) {
    using namespace footprint_detail;
    const Words upperMove = upperEnd - upper + packedBias;
    const Words lowerMove = lowerEnd - lower + packedBias;
    const Words span = lower - upper + packedBias;
    const Words key = upperMove | lowerMove << 4 | span << 8;
    // All ones where a field overflowed, 0 elsewhere; in arithmetic, which reads the same for a
    // vector as for one word.
    const Words overflow = (upperMove | lowerMove | span) & ~packedFields;
    const Words tooLong = Words{} - ((overflow | (Words{} - overflow)) >> 31);
    return ((key + 1) & ~tooLong) | (tooLongMove & tooLong);
}

// The footprint of a move, given as FootprintKeyPlusOne gives it. Its count is -1 when the move
// is too long to be remembered or passes more than footprintCapacity pixels: such a texel is
// swept pixel by pixel.
inline const TexelFootprint& FindTexelFootprint(std::uint32_t keyPlusOne) {
    using namespace footprint_detail;
    // tooLongMove is never a slot's key: it always takes the slow way.
    const std::uint32_t slot = (keyPlusOne * 2654435761u) >> (32 - cacheBits);
    const FootprintCache& cache = footprintCache;
    if (cache.footprints[slot].keyPlusOne == keyPlusOne) return cache.footprints[slot];
    return RememberFootprint(keyPlusOne, slot);
}
