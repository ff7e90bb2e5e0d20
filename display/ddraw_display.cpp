// The display device on Windows: one DirectDraw object in exclusive full-screen mode at the
// desktop's resolution and 32 bits per pixel, a front surface with one back buffer attached as a
// flipping chain. The renderer writes straight into the locked back buffer; each tick flips.
//
// Two faults of the module's past are mended here. The surface description's dwSize is the
// record's real size (136 bytes on x86-64; the 32-bit 124 makes CreateSurface refuse it). And
// lost surfaces (another program took the display, the lock screen came up) are restored on
// later ticks, one try per tick, instead of leaving the screen frozen for the rest of the run.
#include "display/display.h"

#include "display/ddraw_display.h"
#include "scene/platform_seam.h"

namespace {

struct DisplayDevice {
    IDirectDraw7* directDraw;
    IDirectDrawSurface7* frontSurface;
    IDirectDrawSurface7* backBuffer;
    HWND window;
    DWORD modeWidth;
    DWORD modeHeight;
    DWORD modeDepth;
    LONG currentPitch;
    DDSURFACEDESC2 surfaceDescription;  // reused for the chain and every lock: nothing per frame
    bool surfacesLost;
};

DisplayDevice displayDevice;

constexpr DWORD fullScreenDepth = 32;
constexpr DWORD exclusiveFullScreen = DDSCL_EXCLUSIVE | DDSCL_NOWINDOWCHANGES | DDSCL_FULLSCREEN;

bool DeviceIsUp() {
    return displayDevice.directDraw != nullptr && displayDevice.frontSurface != nullptr &&
           displayDevice.backBuffer != nullptr;
}

void ClearSurfaceDescription() {
    ZeroMemory(&displayDevice.surfaceDescription, sizeof displayDevice.surfaceDescription);
    displayDevice.surfaceDescription.dwSize = sizeof displayDevice.surfaceDescription;
}

// Takes the device down first, so that any message shows on the restored desktop. The message
// goes as the engine's do, in a box owned by the full-screen window the device belongs to.
int FailSetUp(const char* text) {
    DestroyDisplay();
    if (text != nullptr) ShowUserMessage(text);
    return 0;
}

// One try per tick; while it fails the ticks draw nothing and flip nothing. The surfaces have
// the last word: a restore can report success while another program still holds the display.
void RestoreLostSurfaces() {
    DisplayDevice& d = displayDevice;
    if (d.directDraw->RestoreAllSurfaces() != DD_OK) return;
    if (d.frontSurface->IsLost() != DD_OK || d.backBuffer->IsLost() != DD_OK) return;
    d.surfacesLost = false;
}

// The front surface with its back buffer, in the display mode as it is; on failure none is
// held and the step that failed is named.
const char* MakeFlippingChain() {
    DisplayDevice& d = displayDevice;
    d.frontSurface = nullptr;
    ClearSurfaceDescription();
    d.surfaceDescription.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.surfaceDescription.dwBackBufferCount = 1;
    d.surfaceDescription.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    if (d.directDraw->CreateSurface(&d.surfaceDescription, &d.frontSurface, nullptr) != DD_OK) {
        d.frontSurface = nullptr;
        return "SURFACE";
    }

    DDSCAPS2 backBufferCaps;
    ZeroMemory(&backBufferCaps, sizeof backBufferCaps);
    backBufferCaps.dwCaps = DDSCAPS_BACKBUFFER;
    d.backBuffer = nullptr;
    if (d.frontSurface->GetAttachedSurface(&backBufferCaps, &d.backBuffer) != DD_OK) {
        d.backBuffer = nullptr;
        return "BACK_BUFFER";
    }

    // The device unlocks before each step that needs a surface unlocked, without tracking locks.
    d.frontSurface->Unlock(nullptr);
    return nullptr;
}

// The back buffer first, then the front surface.
void ReleaseFlippingChain() {
    DisplayDevice& d = displayDevice;
    if (d.backBuffer != nullptr) {
        d.backBuffer->Unlock(nullptr);
        d.backBuffer->Release();
        d.backBuffer = nullptr;
    }
    if (d.frontSurface != nullptr) {
        d.frontSurface->Unlock(nullptr);
        d.frontSurface->Release();
        d.frontSurface = nullptr;
    }
}

}  // namespace

int CreateDisplay(const DisplayTarget& target) {
    DisplayDevice& d = displayDevice;
    d.window = reinterpret_cast<HWND>(target.window);
    d.modeWidth = static_cast<DWORD>(target.width);
    d.modeHeight = static_cast<DWORD>(target.height);
    d.modeDepth = fullScreenDepth;
    d.surfacesLost = false;

    IDirectDraw* firstInterface = nullptr;
    d.directDraw = nullptr;
    if (CreateDirectDraw(&firstInterface) != DD_OK || firstInterface == nullptr) return 0;
    const HRESULT query = firstInterface->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&d.directDraw));
    firstInterface->Release();
    if (FAILED(query) || d.directDraw == nullptr) {
        d.directDraw = nullptr;
        return 0;
    }

    if (d.directDraw->SetCooperativeLevel(d.window, exclusiveFullScreen) != DD_OK) return FailSetUp(nullptr);
    if (d.directDraw->SetDisplayMode(d.modeWidth, d.modeHeight, d.modeDepth, 0, 0) != DD_OK) return FailSetUp(nullptr);

    if (const char* failedStep = MakeFlippingChain()) return FailSetUp(failedStep);
    return 1;
}

int ResizeDisplay(std::int32_t width, std::int32_t height) {
    DisplayDevice& d = displayDevice;
    if (d.directDraw == nullptr) return 0;
    const DWORD w = static_cast<DWORD>(width);
    const DWORD h = static_cast<DWORD>(height);
    if (w == d.modeWidth && h == d.modeHeight && DeviceIsUp()) return 1;
    ReleaseFlippingChain();
    d.modeWidth = w;
    d.modeHeight = h;
    d.surfacesLost = false;
    if (MakeFlippingChain() == nullptr) return 1;
    ReleaseFlippingChain();
    return 0;
}

int DestroyDisplay() {
    DisplayDevice& d = displayDevice;
    if (d.directDraw == nullptr) return 1;
    ReleaseFlippingChain();
    d.directDraw->RestoreDisplayMode();
    d.directDraw->SetCooperativeLevel(d.window, DDSCL_NORMAL);
    // Every reference goes, whoever else took one, so the exclusive mode cannot outlive the run.
    while (d.directDraw->Release() != 0) {
    }
    d.directDraw = nullptr;
    d.surfacesLost = false;
    return 1;
}

LockedFrame LockBackBuffer() {
    DisplayDevice& d = displayDevice;
    if (!DeviceIsUp() || d.surfacesLost) return {nullptr, d.currentPitch, false};
    ClearSurfaceDescription();
    const HRESULT locked = d.backBuffer->Lock(nullptr, &d.surfaceDescription, DDLOCK_WAIT, nullptr);
    if (locked == DDERR_SURFACELOST) d.surfacesLost = true;
    if (locked != DD_OK) return {nullptr, d.currentPitch, false};
    // A chain made after the desk changed has the size of the mode as it is, which may not yet be
    // the one the frame is drawn for: such a frame is not drawn.
    const DDSURFACEDESC2& lock = d.surfaceDescription;
    const bool sized = (lock.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) == (DDSD_WIDTH | DDSD_HEIGHT);
    if (sized && (lock.dwWidth < d.modeWidth || lock.dwHeight < d.modeHeight)) {
        d.backBuffer->Unlock(nullptr);
        return {nullptr, d.currentPitch, false};
    }
    d.currentPitch = d.surfaceDescription.lPitch;
    // A locked surface may live anywhere from one lock to the next: every frame is cleared whole.
    return {static_cast<std::uint8_t*>(d.surfaceDescription.lpSurface), d.currentPitch, false};
}

void UnlockBackBuffer(const ChangedPlaces*) {
    if (!DeviceIsUp()) return;
    displayDevice.backBuffer->Unlock(nullptr);
}

void PresentFrame() {
    DisplayDevice& d = displayDevice;
    if (!DeviceIsUp()) return;
    if (d.surfacesLost) {
        // A restored chain holds nothing worth showing: the next tick composes a whole frame.
        RestoreLostSurfaces();
        return;
    }
    d.frontSurface->Unlock(nullptr);
    d.backBuffer->Unlock(nullptr);
    if (d.frontSurface->Flip(nullptr, DDFLIP_WAIT) == DDERR_SURFACELOST) d.surfacesLost = true;
}
