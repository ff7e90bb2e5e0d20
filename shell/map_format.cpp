#include "shell/map_format.h"


namespace {

std::uint32_t ReadUnsigned32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

const char* ReadMapLayout(const std::uint8_t* file, std::size_t fileSize, MapLayout* layout) {
    if (file == nullptr || fileSize < 2) return "the image is empty";
    if (file[0] != 'B' || file[1] != 'M') return "the image does not start with \"BM\"";
    if (fileSize < mapFileHeaderBytes + mapInfoHeaderBytes) return "the image ends inside its headers";
    const std::uint8_t* infoHeader = file + mapFileHeaderBytes;
    const std::uint32_t pixelBytes = ReadUnsigned32(infoHeader + 20);
    const std::uint32_t colourEntries = ReadUnsigned32(infoHeader + 32);
    if (pixelBytes == 0) return "the header gives no pixel byte count (biSizeImage is 0)";
    // 64-bit sums: a lying header cannot wrap them round to something that fits.
    const std::uint64_t pixelOffset =
        mapFileHeaderBytes + mapInfoHeaderBytes + std::uint64_t{4} * colourEntries;
    if (pixelOffset + pixelBytes > fileSize) return "the header promises more pixel bytes than the image holds";
    layout->infoHeader = infoHeader;
    layout->pixels = file + pixelOffset;
    layout->pixelBytes = pixelBytes;
    return nullptr;
}
