#pragma once

#include <windows.h>

// Draws the product name into the host window of the settings' preview, 1000 times over.
void DrawPreview(HWND host);
