// The map file is pulled in whole by the assembler's .incbin, which works alike for ELF and PE
// objects; QUILLOMANTRASE_MAP_FILE is the absolute path that the build gives.
#include "shell/builtin_map.h"

#define QUILLOMANTRASE_STRINGIFY2(x) #x
#define QUILLOMANTRASE_STRINGIFY(x) QUILLOMANTRASE_STRINGIFY2(x)

asm(".section .rodata\n"
    ".balign 16\n"
    "quillomantraseMapStart:\n"
    ".incbin \"" QUILLOMANTRASE_STRINGIFY(QUILLOMANTRASE_MAP_FILE) "\"\n"
    "quillomantraseMapEnd:\n"
    ".balign 8\n"
    "quillomantraseMapSize:\n"
    ".quad quillomantraseMapEnd - quillomantraseMapStart\n"
    ".text\n");

extern "C" const std::uint8_t quillomantraseMapStart[];
extern "C" const std::uint64_t quillomantraseMapSize;

const std::uint8_t* BuiltInMapBytes() { return quillomantraseMapStart; }
std::size_t BuiltInMapSize() { return static_cast<std::size_t>(quillomantraseMapSize); }
