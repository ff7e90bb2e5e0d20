// The built-in map: the Earth picture's BMP file, linked into the program so that nothing is
// read from disk at run time. (The Windows module keeps it as resource 3847 instead.)
#pragma once

#include <cstddef>
#include <cstdint>

const std::uint8_t* BuiltInMapBytes();
std::size_t BuiltInMapSize();
