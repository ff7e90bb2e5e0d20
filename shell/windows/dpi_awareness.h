#pragma once

// Makes the process DPI-aware, so that on a scaled desktop the screen's size is its true
// resolution and the display mode set from it is the desktop's own.
void BecomeDpiAware();
