# Writes a C++ source that holds the map file as a byte array, for targets whose assembler has
# no .incbin (WebAssembly). Run as a script: cmake -DMAP=file.bmp -DOUTPUT=map.cpp -P embed-map.cmake
file(READ ${MAP} bytes HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Made from ${MAP} at build time.
#include \"shell/builtin_map.h\"

namespace {
alignas(16) const std::uint8_t mapBytes[] = {
${bytes}};
}  // namespace

const std::uint8_t* BuiltInMapBytes() { return mapBytes; }
std::size_t BuiltInMapSize() { return sizeof mapBytes; }
")
