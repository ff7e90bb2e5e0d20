// The Earth map as the module carries it: a BMP file image in RCDATA resource 3847, loaded into
// a small movable block for its header and a region of its own for the pixel rows.
#pragma once

#include <windows.h>

#include <cstdint>

struct MapImage {
    HGLOBAL headerBlock;      // 1064 bytes, zero-filled; the first 40 hold the information header
    std::uint8_t* pixelData;  // the stored rows, biSizeImage bytes; null when loading failed
};

extern MapImage mapImage;

// 1 when mapImage is complete. On failure it keeps what it had obtained, for FreeMapImage.
int LoadMapImage(std::uint16_t resourceId);

// Sets the scene up on mapImage for shellState.screen; 1 when it is ready. After a failed load
// there may be no header block, and then no pixels either, which the scene reports itself.
int SetUpSceneForScreen();

// Releases what exists of mapImage; safe when nothing, or only part, was loaded.
void FreeMapImage();
