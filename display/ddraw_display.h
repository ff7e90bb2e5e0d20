// The DirectDraw back end's extras: where its DirectDraw object comes from (the module asks
// DDRAW.dll; the Windows tests put a fake in its place to drive every failure of the set-up), and
// what it does when the desk changes under it.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

// DirectDrawCreate for the active display driver, with no outer object.
HRESULT CreateDirectDraw(IDirectDraw** directDraw);

// The primary monitor's size changed during the run (the system, or another program, set a new
// mode): the flipping chain is made again at the new size, in the mode as it is, with the same
// object and cooperative level. No mode is set: on Wine a mode set would also switch monitors
// back on that were switched off. 1 when the device is up afterwards; 0 with no chain held.
int ResizeDisplay(std::int32_t width, std::int32_t height);
