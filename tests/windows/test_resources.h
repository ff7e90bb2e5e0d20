// Resource ids of the test program's own maps (windows_tests.rc).
#pragma once

#include <cstdint>

constexpr std::uint16_t smallMapId = 3901;       // 4 x 2 pixels, 24 bits, a good header
constexpr std::uint16_t notBitmapId = 3902;      // text, not "BM"
constexpr std::uint16_t noSizeImageId = 3903;    // biSizeImage 0, which BMP allows
constexpr std::uint16_t lyingHeaderId = 3904;    // promises 1,500,000 pixel bytes, holds 24
constexpr std::uint16_t colourTableId = 3905;    // biClrUsed 2 and a wrong bfOffBits
constexpr std::uint16_t missingMapId = 3999;     // no such resource
