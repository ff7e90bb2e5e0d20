#include "scene/frame_tick.h"

#include "render/frame_composition.h"
#include "scene/globe_scene.h"
#include "scene/orientation.h"
#include "scene/sphere.h"

namespace {

// The tilt swings while the globe passes the orbit's right-hand end: 36 positions around it.
constexpr std::int32_t swingHalfWidth = 18;
constexpr std::int32_t swingTurnsDownAt = 114;
constexpr std::int32_t swingTurnsUpAt = 40;

void SwingTilt(std::int32_t position, std::int32_t rightEnd, std::int32_t orbitLength) {
    GlobeOrientation& o = globeOrientation;
    if (position <= rightEnd - swingHalfWidth || position > rightEnd + swingHalfWidth) return;
    // The direction may change only on the window's last position. On an orbit too short to
    // hold the whole window that is the orbit's last point: otherwise the tilt would rise for
    // ever, out of the range the sine table covers.
    const std::int32_t windowEnd = rightEnd + swingHalfWidth;
    const bool lastOfWindow = position == (windowEnd < orbitLength ? windowEnd : orbitLength - 1);
    if (o.tiltFalling) {
        --o.tilt;
        if (o.tilt <= swingTurnsUpAt && lastOfWindow) o.tiltFalling = 0;
    } else {
        ++o.tilt;
        if (o.tilt >= swingTurnsDownAt && lastOfWindow) o.tiltFalling = 1;
    }
}

}  // namespace

void AdvanceFrame() {
    GlobeScene& s = globeScene;
    // Without a finished set-up there is no orbit, no star field and no map to read.
    if (!s.ready) return;
    GlobeOrientation& o = globeOrientation;
    const std::int32_t position = s.orbitPosition;
    SwingTilt(position, s.orbitLength / 4, s.orbitLength);
    s.globeOffsetX = s.orbitPoints[position].x;
    if (--o.spin < 0) o.spin = 359;
    ComputeOrientation(o.tilt, o.turn, o.spin);
    BuildSphere(s.orbitScale[position]);
    RenderFrame();
    s.orbitPosition = position + 1 < s.orbitLength ? position + 1 : 0;
}
