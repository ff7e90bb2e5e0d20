// The fake is written against DirectDraw's C interface (CINTERFACE): a table of function
// pointers per interface, filled with the few methods the device calls. A call to any other
// method would go through a null pointer and fail the test loudly.
#define CINTERFACE
#include "tests/windows/fake_direct_draw.h"

#include <ddraw.h>

#include <cstdio>
#include <string>
#include <vector>

#include "display/ddraw_display.h"
#include "tests/windows/fake_seams.h"

namespace {

struct FakeObject {
    IDirectDraw firstInterface;
    IDirectDraw7 directDraw7;
    IDirectDrawSurface7 front;
    IDirectDrawSurface7 back;
    ULONG firstReferences;
    ULONG references7;
    ULONG frontReferences;
    ULONG backReferences;
    HWND window;
    bool lost;
    std::vector<std::uint8_t> pixels;
};

bool fakeInUse = false;
FakeDirectDrawScript script;
FakeDirectDrawState state;
FakeObject fake;
IDirectDrawVtbl firstTable;
IDirectDraw7Vtbl table7;
IDirectDrawSurface7Vtbl surfaceTable;

void Log(const std::string& event) { SeamEvents().push_back(event); }

// As the system sends it: to the window, with the thread that is activated (a stranger's).
constexpr DWORD anotherProgramsThread = 0x4d2;
void SendActivateApp(BOOL active) { SendMessageA(fake.window, WM_ACTIVATEAPP, active, anotherProgramsThread); }

void ChangeActivationDuringSetUp() {
    if (!script.activationDuringSetUp) return;
    SendActivateApp(FALSE);
    SendActivateApp(TRUE);
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

const char* SurfaceName(IDirectDrawSurface7* surface) { return surface == &fake.front ? "front" : "back"; }

HRESULT WINAPI FirstQueryInterface(IDirectDraw*, REFIID riid, void** object) {
    Log("QueryInterface IID_IDirectDraw7");
    if (script.failingStep == FailingStep::queryDirectDraw7 || riid != IID_IDirectDraw7) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    fake.references7 = 1 + script.extraReferences;
    state.objectAlive = true;
    *object = &fake.directDraw7;
    return S_OK;
}

ULONG WINAPI FirstRelease(IDirectDraw*) {
    Log("Release IDirectDraw");
    state.firstInterfaceAlive = --fake.firstReferences != 0;
    return fake.firstReferences;
}

ULONG WINAPI Release7(IDirectDraw7*) {
    const ULONG left = --fake.references7;
    Log("Release IDirectDraw7 -> " + std::to_string(left));
    state.objectAlive = left != 0;
    return left;
}

HRESULT WINAPI SetCooperativeLevel(IDirectDraw7*, HWND window, DWORD flags) {
    Log("SetCooperativeLevel " + Hex(flags));
    if (flags != DDSCL_NORMAL && script.failingStep == FailingStep::setCooperativeLevel) return DDERR_INVALIDPARAMS;
    fake.window = window;
    state.exclusive = flags != DDSCL_NORMAL;
    if (state.exclusive) ChangeActivationDuringSetUp();
    return DD_OK;
}

HRESULT WINAPI SetDisplayMode(IDirectDraw7*, DWORD width, DWORD height, DWORD depth, DWORD refresh, DWORD flags) {
    Log("SetDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth) +
        " " + std::to_string(refresh) + " " + std::to_string(flags));
    if (script.failingStep == FailingStep::setDisplayMode) return DDERR_UNSUPPORTEDMODE;
    state.modeSet = true;
    ChangeActivationDuringSetUp();
    for (int i = 0; i < script.movesDuringSetUp; ++i) PostMessageA(fake.window, WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
    if (script.quitDuringSetUp) PostQuitMessage(0);
    state.modeWidth = width;
    state.modeHeight = height;
    state.modeDepth = depth;
    return DD_OK;
}

HRESULT WINAPI RestoreDisplayMode(IDirectDraw7*) {
    Log("RestoreDisplayMode");
    state.modeSet = false;
    return DD_OK;
}

HRESULT WINAPI RestoreAllSurfaces(IDirectDraw7*) {
    ++state.restoreAttempts;
    if (script.restoreFailures > 0) {
        --script.restoreFailures;
        return DDERR_WRONGMODE;
    }
    if (script.hollowRestores > 0) {
        --script.hollowRestores;
        return DD_OK;
    }
    fake.lost = false;
    return DD_OK;
}

HRESULT WINAPI IsLost(IDirectDrawSurface7*) { return fake.lost ? DDERR_SURFACELOST : DD_OK; }

HRESULT WINAPI CreateSurface(IDirectDraw7*, DDSURFACEDESC2* description, IDirectDrawSurface7** surface, IUnknown*) {
    state.lastDescriptionSize = description->dwSize;
    Log("CreateSurface flags " + Hex(description->dwFlags) + " caps " + Hex(description->ddsCaps.dwCaps) +
        " back buffers " + std::to_string(description->dwBackBufferCount));
    // Like DirectDraw on x86-64: a record whose size is not the x86-64 one is refused.
    if (description->dwSize != sizeof(DDSURFACEDESC2) || script.failingStep == FailingStep::createSurface) {
        *surface = nullptr;
        return DDERR_INVALIDPARAMS;
    }
    state.width = static_cast<std::int32_t>(state.modeWidth);
    state.height = static_cast<std::int32_t>(state.modeHeight);
    fake.lost = false;
    state.pitch = script.pitch != 0 ? script.pitch : 4 * state.width;
    fake.pixels.assign(static_cast<std::size_t>(state.pitch) * state.height, 0);
    state.backBufferPixels = fake.pixels.data();
    fake.frontReferences = 1;
    ++state.liveSurfaces;
    *surface = &fake.front;
    return DD_OK;
}

HRESULT WINAPI GetAttachedSurface(IDirectDrawSurface7*, DDSCAPS2* caps, IDirectDrawSurface7** surface) {
    Log("GetAttachedSurface caps " + Hex(caps->dwCaps));
    if (script.failingStep == FailingStep::getAttachedSurface) {
        *surface = nullptr;
        return DDERR_NOTFOUND;
    }
    fake.backReferences = 1;
    ++state.liveSurfaces;
    *surface = &fake.back;
    return DD_OK;
}

ULONG WINAPI SurfaceRelease(IDirectDrawSurface7* surface) {
    Log(std::string("Release ") + SurfaceName(surface));
    ULONG& references = surface == &fake.front ? fake.frontReferences : fake.backReferences;
    if (--references == 0) --state.liveSurfaces;
    return references;
}

HRESULT WINAPI Lock(IDirectDrawSurface7*, RECT*, DDSURFACEDESC2* description, DWORD, HANDLE) {
    ++state.locks;
    state.lastDescriptionSize = description->dwSize;
    if (description->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (fake.lost) return DDERR_SURFACELOST;
    if (script.failingStep == FailingStep::lock) return DDERR_GENERIC;
    description->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE;
    description->dwWidth = static_cast<DWORD>(state.width);
    description->dwHeight = static_cast<DWORD>(state.height);
    description->lpSurface = fake.pixels.data();
    description->lPitch = state.pitch;
    state.backBufferLocked = true;
    return DD_OK;
}

HRESULT WINAPI Unlock(IDirectDrawSurface7* surface, RECT*) {
    if (surface == &fake.front) return DDERR_NOTLOCKED;  // the front surface is never locked
    const bool wasLocked = state.backBufferLocked;
    state.backBufferLocked = false;
    return wasLocked ? DD_OK : DDERR_NOTLOCKED;
}

HRESULT WINAPI Flip(IDirectDrawSurface7*, IDirectDrawSurface7*, DWORD) {
    if (state.backBufferLocked) ++state.flipsWhileLocked;
    if (fake.lost) return DDERR_SURFACELOST;
    ++state.flips;
    if (script.keyPressAfterFlips != 0 && state.flips == script.keyPressAfterFlips)
        PostMessageA(fake.window, WM_KEYDOWN, VK_SPACE, 0);
    if (script.foregroundLostAfterFlips != 0 && state.flips == script.foregroundLostAfterFlips)
        PostMessageA(fake.window, WM_ACTIVATEAPP, FALSE, anotherProgramsThread);
    return DD_OK;
}

HRESULT WINAPI FakeDirectDrawCreate(IDirectDraw** directDraw) {
    Log("DirectDrawCreate");
    if (script.failingStep == FailingStep::directDrawCreate) {
        *directDraw = nullptr;
        return DDERR_NODIRECTDRAWHW;
    }
    fake.firstReferences = 1;
    state.firstInterfaceAlive = true;
    *directDraw = &fake.firstInterface;
    return DD_OK;
}

}  // namespace

void UseFakeDirectDraw(const FakeDirectDrawScript& newScript) {
    fakeInUse = true;
    script = newScript;
    state = {};
    fake = {};
    firstTable = {};
    firstTable.QueryInterface = FirstQueryInterface;
    firstTable.Release = FirstRelease;
    table7 = {};
    table7.Release = Release7;
    table7.SetCooperativeLevel = SetCooperativeLevel;
    table7.SetDisplayMode = SetDisplayMode;
    table7.RestoreDisplayMode = RestoreDisplayMode;
    table7.RestoreAllSurfaces = RestoreAllSurfaces;
    table7.CreateSurface = CreateSurface;
    surfaceTable = {};
    surfaceTable.Release = SurfaceRelease;
    surfaceTable.GetAttachedSurface = GetAttachedSurface;
    surfaceTable.Lock = Lock;
    surfaceTable.Unlock = Unlock;
    surfaceTable.Flip = Flip;
    surfaceTable.IsLost = IsLost;
    fake.firstInterface.lpVtbl = &firstTable;
    fake.directDraw7.lpVtbl = &table7;
    fake.front.lpVtbl = &surfaceTable;
    fake.back.lpVtbl = &surfaceTable;
}

void UseRealDirectDraw() { fakeInUse = false; }

const FakeDirectDrawState& FakeDirectDraw() { return state; }

void LoseFakeSurfaces() { fake.lost = true; }

void ChangeFakeDisplayMode(DWORD width, DWORD height) {
    state.modeWidth = width;
    state.modeHeight = height;
    fake.lost = true;
}

HRESULT CreateDirectDraw(IDirectDraw** directDraw) {
    if (fakeInUse) return FakeDirectDrawCreate(directDraw);
    return DirectDrawCreate(nullptr, directDraw, nullptr);
}
