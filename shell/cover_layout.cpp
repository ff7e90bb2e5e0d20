#include "shell/cover_layout.h"

namespace {

bool HasArea(const DisplayRect& r) { return r.width > 0 && r.height > 0; }

// 64-bit ends: a monitor far out on a huge desktop must not wrap around.
bool LiesWithin(const DisplayRect& inner, const DisplayRect& outer) {
    const auto end = [](std::int32_t start, std::int32_t size) { return std::int64_t{start} + size; };
    return inner.x >= outer.x && inner.y >= outer.y && end(inner.x, inner.width) <= end(outer.x, outer.width) &&
           end(inner.y, inner.height) <= end(outer.y, outer.height);
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
