// The random generator of the star field and of the twinkle.
//
// One 64-bit state serves both: SeedStandardRandom/StandardRandom behave exactly like the classic
// C library pair (seed sets the low half and clears the high half, each draw replaces only the
// low half), and LongRandom steps the whole 64-bit state, so the twinkle sequence continues from
// wherever the star set-up left it. The C library's own rand is never used: its sequence differs
// between platforms, and every frame must be reproducible from its clock value.
#pragma once

#include <cstdint>

void SeedStandardRandom(std::uint32_t seed);
std::int32_t StandardRandom();  // 0 .. 32767
std::int32_t LongRandom();      // 0 .. 2^31 - 1
