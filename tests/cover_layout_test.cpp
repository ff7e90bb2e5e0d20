// Which monitors a full-screen run covers in black, and where: the layouts a desk can have,
// including those no test X server gives (three monitors, different sizes above and below,
// negative positions, mirrored monitors, one gone).
#include <gtest/gtest.h>

#include <vector>

#include "shell/cover_layout.h"

// WxH+X+Y in a failure's message; beside DisplayRect, where the test framework looks.
static void PrintTo(const DisplayRect& r, std::ostream* out) {
    *out << r.width << "x" << r.height << (r.x < 0 ? "" : "+") << r.x << (r.y < 0 ? "" : "+") << r.y;
}

namespace {

using Rects = std::vector<DisplayRect>;

const DisplayRect primary{0, 0, 1024, 768};

TEST(CoverLayout, OneMonitorNeedsNoCover) {
    EXPECT_EQ(CoverRects({primary}, 0), Rects{});
    EXPECT_EQ(CoverRects({}, 0), Rects{});
}

TEST(CoverLayout, EveryOtherMonitorIsCoveredAtItsExactBoundsInTheMonitorsOrder) {
    const DisplayRect right{1024, 0, 800, 600};
    const DisplayRect left{-800, 0, 800, 600};
    EXPECT_EQ(CoverRects({primary, right}, 0), Rects{right});
    EXPECT_EQ(CoverRects({primary, left}, 0), Rects{left});
    // Three monitors of different sizes, one above (negative y) and one below.
    const DisplayRect above{-200, -1080, 1920, 1080};
    const DisplayRect below{100, 768, 640, 480};
    EXPECT_EQ(CoverRects({primary, above, below}, 0), (Rects{above, below}));
    // Three in a row, the globe on the middle one: the covers at the far ends.
    const DisplayRect farRight{1824, 0, 1280, 1024};
    EXPECT_EQ(CoverRects({left, primary, farRight}, 1), (Rects{left, farRight}));
}

TEST(CoverLayout, TheGlobesMonitorIsNeverCoveredWhereverItIs) {
    // Put left of the other by the layout: the globe's monitor is at 800,0, the other at 0,0.
    const DisplayRect shown{800, 0, 1024, 768};
    const DisplayRect other{0, 0, 800, 600};
    EXPECT_EQ(CoverRects({shown, other}, 0), Rects{other});
    EXPECT_EQ(CoverRects({other, shown}, 1), Rects{other});
}

TEST(CoverLayout, MirroredMonitorsGetOneCoverAndThoseInsideTheGlobesNone) {
    const DisplayRect right{1024, 0, 800, 600};
    // A projector mirroring the primary, at a smaller mode in its corner: the globe is there.
    EXPECT_EQ(CoverRects({primary, {0, 0, 800, 600}}, 0), Rects{});
    EXPECT_EQ(CoverRects({primary, primary, {0, 0, 800, 600}}, 0), Rects{});
    // Two monitors mirroring each other: one cover for both.
    EXPECT_EQ(CoverRects({primary, right, right}, 0), Rects{right});
    // A smaller one inside a covered one, whichever comes first.
    EXPECT_EQ(CoverRects({primary, {1024, 0, 640, 480}, right}, 0), Rects{right});
    EXPECT_EQ(CoverRects({primary, right, {1024, 0, 640, 480}}, 0), Rects{right});
}

TEST(CoverLayout, MonitorsOverlappingOnlyInPartAreCoveredWhole) {
    const DisplayRect overlapping{900, 100, 800, 600};
    const DisplayRect overlappingThat{1600, 0, 800, 600};
    EXPECT_EQ(CoverRects({primary, overlapping, overlappingThat}, 0), (Rects{overlapping, overlappingThat}));
}

TEST(CoverLayout, MonitorsWithoutAreaAreLeftOut) {
    // A display whose bounds could not be read comes as an empty rectangle.
    const DisplayRect right{1024, 0, 800, 600};
    EXPECT_EQ(CoverRects({primary, {}, right, {1824, 0, 0, 600}, {1824, 0, 640, -480}}, 0), Rects{right});
}

TEST(CoverLayout, AMonitorGoneOrAddedChangesOnlyItsOwnCover) {
    const DisplayRect left{-1280, 0, 1280, 1024};
    const DisplayRect right{1024, 0, 800, 600};
    EXPECT_EQ(CoverRects({primary, left, right}, 0), (Rects{left, right}));
    EXPECT_EQ(CoverRects({primary, right}, 0), Rects{right});
    EXPECT_EQ(CoverRects({primary, left}, 0), Rects{left});
}

TEST(CoverLayout, FarPlacesDoNotWrapAround) {
    const DisplayRect farOut{2'147'000'000, 0, 640'000, 480};
    EXPECT_EQ(CoverRects({primary, farOut}, 0), Rects{farOut});
    // Near the end of the numbers, inside the far one: still one cover.
    EXPECT_EQ(CoverRects({primary, farOut, {2'147'400'000, 0, 200'000, 480}}, 0), Rects{farOut});
}

TEST(CoverLayout, AGlobesMonitorThatIsNotThereCoversAllTheOthers) {
    const DisplayRect right{1024, 0, 800, 600};
    EXPECT_EQ(CoverRects({primary, right}, 5), (Rects{primary, right}));
}

TEST(CoverLayout, TheGlobeGoesToThePrimaryOrElseTheFirstMonitorThatShowsAnything) {
    const DisplayRect right{1024, 0, 800, 600};
    EXPECT_EQ(GlobeMonitor({right, primary}, 1), 1u);
    // No primary marked, or the primary switched off: the first that shows anything.
    EXPECT_EQ(GlobeMonitor({right, primary}, 2), 0u);
    EXPECT_EQ(GlobeMonitor({{}, primary, right}, 0), 1u);
    EXPECT_EQ(GlobeMonitor({{1024, 0, 0, 600}, {0, 0, 800, -1}, right}, 7), 2u);
    // Every monitor off: none.
    EXPECT_EQ(GlobeMonitor({}, 0), 0u);
    EXPECT_EQ(GlobeMonitor({{}, {}}, 0), 2u);
}

TEST(CoverLayout, AWindowLiesOnTheMonitorItOverlapsMost) {
    const DisplayRect left{-800, 0, 800, 600};
    const DisplayRect right{1024, 0, 800, 600};
    EXPECT_EQ(MonitorUnder({left, primary, right}, primary), 1u);
    EXPECT_EQ(MonitorUnder({left, primary, right}, {-790, 10, 800, 600}), 0u);
    // Across two, the larger share wins; on equal shares the first.
    EXPECT_EQ(MonitorUnder({primary, right}, {900, 0, 800, 600}), 1u);
    EXPECT_EQ(MonitorUnder({primary, right}, {724, 0, 600, 600}), 0u);
    // A one-pixel overlap is enough; touching is not.
    EXPECT_EQ(MonitorUnder({primary, right}, {1823, 599, 100, 100}), 1u);
    EXPECT_EQ(MonitorUnder({primary, right}, {1824, 0, 100, 100}), 2u);
    // On no monitor at all (its own was unplugged), or on one that shows nothing.
    EXPECT_EQ(MonitorUnder({primary, {1024, 0, 0, 0}}, {1024, 0, 800, 600}), 2u);
    EXPECT_EQ(MonitorUnder({}, primary), 0u);
    // Far out, nothing wraps around.
    EXPECT_EQ(MonitorUnder({primary, {2'147'000'000, 0, 640'000, 480}}, {2'147'400'000, 0, 100, 100}), 1u);
}

}  // namespace
