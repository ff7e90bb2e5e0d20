// A PNG encoder with no library behind it: the image data is a zlib stream of uncompressed
// ("stored") deflate blocks. The files are as large as the raw pixels, which is fine for the
// Windows build of the renderer, whose frames are compared with the native build's.
#include <array>
#include <memory>
#include <new>
#include <vector>

#include "shell/render_tool/png_encoder.h"

namespace {

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

bool WriteChunk(std::FILE* file, const char type[4], const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> chunk;
    PutBigEndian32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    PutBigEndian32(chunk, Crc32(0, chunk.data() + 4, chunk.size() - 4));
    return std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
}

}  // namespace

bool EncodePng(std::FILE* file, const LockedFrame& frame, std::int32_t width, std::int32_t height) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::fwrite(signature, 1, sizeof signature, file) != sizeof signature) return false;
    std::vector<std::uint8_t> header;
    PutBigEndian32(header, static_cast<std::uint32_t>(width));
    PutBigEndian32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace
    if (!WriteChunk(file, "IHDR", header)) return false;

    // The filtered image: each row a filter byte (0, none) and its RGB bytes.
    const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> raw(rowBytes * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) FrameRowToRgb(frame, width, y, raw.data() + y * rowBytes + 1);

    std::vector<std::uint8_t> stream = {0x78, 0x01};
    std::uint32_t adlerLow = 1, adlerHigh = 0;
    for (std::size_t offset = 0; offset < raw.size();) {
        const std::size_t count = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        const bool last = offset + count == raw.size();
        stream.push_back(last ? 1 : 0);
        stream.push_back(static_cast<std::uint8_t>(count));
        stream.push_back(static_cast<std::uint8_t>(count >> 8));
        stream.push_back(static_cast<std::uint8_t>(~count));
        stream.push_back(static_cast<std::uint8_t>(~count >> 8));
        for (std::size_t i = offset; i < offset + count; ++i) {
            adlerLow = (adlerLow + raw[i]) % 65521;
            adlerHigh = (adlerHigh + adlerLow) % 65521;
        }
        stream.insert(stream.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                      raw.begin() + static_cast<std::ptrdiff_t>(offset + count));
        offset += count;
    }
    PutBigEndian32(stream, adlerHigh << 16 | adlerLow);
    return WriteChunk(file, "IDAT", stream) && WriteChunk(file, "IEND", {});
}
