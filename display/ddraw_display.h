// The DirectDraw back end's one seam: where its DirectDraw object comes from. The module asks
// DDRAW.dll; the Windows tests put a fake in its place to drive every failure of the set-up.
#pragma once

#include <windows.h>
#include <ddraw.h>

// DirectDrawCreate for the active display driver, with no outer object.
HRESULT CreateDirectDraw(IDirectDraw** directDraw);
