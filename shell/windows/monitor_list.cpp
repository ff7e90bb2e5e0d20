#include "shell/windows/monitor_list.h"

namespace {

struct MonitorListing {
    MonitorArea* areas;
    int capacity;
    int count;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* listing = reinterpret_cast<MonitorListing*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;  // gone since the enumeration began
    listing->areas[listing->count] = {info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? 1 : 0};
    ++listing->count;
    return listing->count < listing->capacity;
}

}  // namespace

int ListMonitors(MonitorArea* areas, int capacity) {
    MonitorListing listing{areas, capacity, 0};
    if (capacity > 0) EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&listing));
    return listing.count;
}
