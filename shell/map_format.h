// The map picture's file format: a Windows bitmap (BMP) file image held in memory.
//
// Only what the globe needs is looked at: the "BM" signature, the 40-byte information header
// that follows the 14-byte file header, biClrUsed (colour entries between header and pixels)
// and biSizeImage (the number of pixel bytes). bfOffBits is ignored: the pixels are taken from
// 54 + 4 x biClrUsed. The header is trusted only as far as the bytes really held go.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint16_t mapResourceId = 3847;
constexpr std::size_t mapFileHeaderBytes = 14;
constexpr std::size_t mapInfoHeaderBytes = 40;

struct MapLayout {
    const std::uint8_t* infoHeader;  // 40 bytes
    const std::uint8_t* pixels;      // pixelBytes bytes
    std::uint32_t pixelBytes;        // biSizeImage
};

// Null when the image can be loaded, with layout filled in; otherwise why it cannot.
const char* ReadMapLayout(const std::uint8_t* file, std::size_t fileSize, MapLayout* layout);
