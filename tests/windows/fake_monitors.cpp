#include "tests/windows/fake_monitors.h"

namespace {
std::vector<MonitorArea> fakeMonitors;
}

void UseFakeMonitors(const std::vector<MonitorArea>& monitors) { fakeMonitors = monitors; }

int ListMonitors(MonitorArea* areas, int capacity) {
    int count = 0;
    for (const MonitorArea& monitor : fakeMonitors) {
        if (count == capacity) break;
        areas[count++] = monitor;
    }
    return count;
}
