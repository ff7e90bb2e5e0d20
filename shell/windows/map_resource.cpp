// Loads the map from the module's own resource. The header is trusted only as far as the bytes
// the resource really holds: a header that gives no pixel count, or promises more than is
// there, is refused where the pixel region would be allocated, as if that allocation had failed.
#include "shell/windows/map_resource.h"

#include <cstring>

#include "scene/globe_scene.h"
#include "shell/map_format.h"
#include "shell/windows/shell_state.h"

MapImage mapImage;

namespace {

// The header block has always had room for a header and a 256-entry colour table.
constexpr SIZE_T headerBlockBytes = 1064;
constexpr std::size_t sizeImageOffset = 20;

const std::uint8_t* LockMapResource(std::uint16_t resourceId, DWORD* size) {
    HRSRC found = FindResourceA(shellState.instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(shellState.instance, found);
    if (loaded == nullptr) return nullptr;
    *size = SizeofResource(shellState.instance, found);
    return static_cast<const std::uint8_t*>(LockResource(loaded));
}

}  // namespace

int LoadMapImage(std::uint16_t resourceId) {
    DWORD size = 0;
    const std::uint8_t* file = LockMapResource(resourceId, &size);
    if (file == nullptr) return 0;
    if (size < 2 || file[0] != 'B' || file[1] != 'M') return 0;
    MapLayout layout{};
    const char* refusal = ReadMapLayout(file, size, &layout);

    mapImage.headerBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, headerBlockBytes);
    if (mapImage.headerBlock == nullptr) return 0;
    void* header = GlobalLock(mapImage.headerBlock);
    if (header == nullptr) return 0;
    if (size >= mapFileHeaderBytes + mapInfoHeaderBytes)
        std::memcpy(header, file + mapFileHeaderBytes, mapInfoHeaderBytes);

    mapImage.pixelData = refusal != nullptr ? nullptr
                                            : static_cast<std::uint8_t*>(VirtualAlloc(
                                                  nullptr, layout.pixelBytes, MEM_COMMIT, PAGE_READWRITE));
    if (mapImage.pixelData == nullptr) {
        GlobalUnlock(mapImage.headerBlock);
        return 0;
    }
    std::memcpy(mapImage.pixelData, layout.pixels, layout.pixelBytes);
    GlobalUnlock(mapImage.headerBlock);
    return 1;
}

void FreeMapImage() {
    if (mapImage.headerBlock != nullptr) {
        const auto* header = static_cast<const std::uint8_t*>(GlobalLock(mapImage.headerBlock));
        if (header != nullptr && mapImage.pixelData != nullptr) {
            DWORD sizeImage;
            std::memcpy(&sizeImage, header + sizeImageOffset, sizeof sizeImage);
            if (VirtualFree(mapImage.pixelData, sizeImage, MEM_DECOMMIT)) VirtualFree(mapImage.pixelData, 0, MEM_RELEASE);
        }
        GlobalUnlock(mapImage.headerBlock);
        GlobalFree(mapImage.headerBlock);
        mapImage.headerBlock = nullptr;
    }
    mapImage.pixelData = nullptr;
}

int SetUpSceneForScreen() {
    const void* header = mapImage.headerBlock != nullptr ? GlobalLock(mapImage.headerBlock) : nullptr;
    const int ready = SetUpScene(shellState.screen, static_cast<const std::uint8_t*>(header), mapImage.pixelData);
    if (header != nullptr) GlobalUnlock(mapImage.headerBlock);
    return ready;
}
