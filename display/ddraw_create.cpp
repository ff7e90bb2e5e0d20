#include "display/ddraw_display.h"

HRESULT CreateDirectDraw(IDirectDraw** directDraw) { return DirectDrawCreate(nullptr, directDraw, nullptr); }
