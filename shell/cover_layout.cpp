#include "shell/cover_layout.h"

#include <algorithm>

namespace {

bool HasArea(const DisplayRect& r) { return r.width > 0 && r.height > 0; }

std::int64_t End(std::int32_t start, std::int32_t size) { return std::int64_t{start} + size; }

// 64-bit ends: a monitor far out on a huge desktop must not wrap around.
bool LiesWithin(const DisplayRect& inner, const DisplayRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && End(inner.x, inner.width) <= End(outer.x, outer.width) &&
           End(inner.y, inner.height) <= End(outer.y, outer.height);
}

// The length two spans share, 0 when they do not meet.
std::int64_t Shared(std::int32_t start, std::int32_t size, std::int32_t otherStart, std::int32_t otherSize) {
    const std::int64_t from = std::max(start, otherStart);
    const std::int64_t to = std::min(End(start, size), End(otherStart, otherSize));
    return std::max<std::int64_t>(to - from, 0);
}

// Another monitor already hides this one: a bigger one around it, or an identical one that
// comes first.
bool HiddenByAnother(const std::vector<DisplayRect>& displays, std::size_t shown, std::size_t i) {
    for (std::size_t j = 0; j < displays.size(); ++j) {
        if (j == shown || j == i || !HasArea(displays[j]) || !LiesWithin(displays[i], displays[j])) continue;
        if (!(displays[i] == displays[j]) || j < i) return true;
    }
    return false;
}

}  // namespace

std::vector<DisplayRect> CoverRects(const std::vector<DisplayRect>& displays, std::size_t shown) {
    std::vector<DisplayRect> covers;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        if (i == shown || !HasArea(displays[i])) continue;
        if (shown < displays.size() && LiesWithin(displays[i], displays[shown])) continue;
        if (HiddenByAnother(displays, shown, i)) continue;
        covers.push_back(displays[i]);
    }
    return covers;
}

std::size_t GlobeMonitor(const std::vector<DisplayRect>& displays, std::size_t primary) {
    if (primary < displays.size() && HasArea(displays[primary])) return primary;
    for (std::size_t i = 0; i < displays.size(); ++i)
        if (HasArea(displays[i])) return i;
    return displays.size();
}

std::size_t MonitorUnder(const std::vector<DisplayRect>& displays, const DisplayRect& window) {
    std::size_t under = displays.size();
    std::int64_t most = 0;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const DisplayRect& d = displays[i];
        if (!HasArea(d)) continue;
        const std::int64_t area =
            Shared(d.x, d.width, window.x, window.width) * Shared(d.y, d.height, window.y, window.height);
        if (area > most) most = area, under = i;
    }
    return under;
}
