// The desktop's monitors, as the covers of the other monitors need them. The module asks the
// system (EnumDisplayMonitors); the Windows tests put made-up layouts in its place.
#pragma once

#include <windows.h>

struct MonitorArea {
    RECT bounds;  // on the virtual screen: left of or above the primary is negative
    int primary;  // 1 for the monitor whose top left corner is 0,0
};

// Writes up to capacity monitors into areas, in the system's order; returns how many it wrote.
int ListMonitors(MonitorArea* areas, int capacity);
