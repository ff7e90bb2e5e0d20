#include "scene/random_generator.h"

namespace {
std::uint64_t generatorState = 0;
}

void SeedStandardRandom(std::uint32_t seed) { generatorState = seed; }

std::int32_t StandardRandom() {
    const std::uint32_t low = static_cast<std::uint32_t>(generatorState) * 0x15A4E35u + 1u;
    generatorState = (generatorState & 0xFFFFFFFF00000000ull) | low;
    return static_cast<std::int32_t>((low >> 16) & 0x7FFFu);
}

std::int32_t LongRandom() {
    // The multiplier's halves are those of the standard generator's: 0x15A4 high, 0x4E35 low.
    generatorState = generatorState * 0x000015A400004E35ull + 1u;
    return static_cast<std::int32_t>((generatorState >> 32) & 0x7FFFFFFFu);
}
