// The track tail as canvas calls: the walk over the ring, segment breaks,
// clipping at the window edge (here and in the navigation line test).
#include <gtest/gtest.h>

#include <type_traits>

#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/pixel_view.h"
#include "track/track_store.h"
#include "view/overlays.h"

using namespace mw;

namespace {

using mwtest::PixelView;

// The geometry reads the view record it is given; one made from a temporary
// record would read a record already gone, so that must not compile.
static_assert(!std::is_constructible_v<OverlayGeometry, MapView, MapProjection>);
static_assert(std::is_constructible_v<OverlayGeometry, const MapView&, MapProjection>);

std::vector<std::string> Lines(int from, int to, int step, int y) {
    std::vector<std::string> out;
    for (int x = from; x + step <= to; x += step)
        out.push_back(Format("line %d,%d %d,%d", x, y, x + step, y));
    return out;
}

// Ring of 1005 points ten pixels apart along row 980, the newest at column
// 1000 (window 240, 300); point 1000 optionally starts a segment.
TrackStore FullRing(int newSegmentAt = -1) {
    TrackStore track;
    for (int k = 0; k < 1005; ++k)
        AddTrackPoint(track, 980, 1000 + (k - 1004) * 10, k == newSegmentAt ? 1 : 0);
    return track;
}

}  // namespace

TEST(TrackTail, TailOf10DrawsTheSegmentsBetweenThe10NewestPointsAndToTheCentre) {
    std::vector<std::string> joined = Lines(150, 240, 10, 300);
    std::vector<std::string> broken = joined;
    broken.erase(broken.begin() + 4);  // point 1000 (x 200) starts a new piece
    struct Case {
        int newSegmentAt;
        bool toCentre;
        std::vector<std::string> lines;
    };
    for (Case c : {Case{-1, true, joined}, Case{1000, false, broken}}) {
        mwtest::RecordingCanvas canvas;
        DrawTrackTail(canvas, FullRing(c.newSegmentAt), PixelView(),
                      TrackTailStyle{10, {255, 0, 0}, 2, c.toCentre});
        c.lines.insert(c.lines.begin(), "pen #ff0000 2");
        if (c.toCentre) c.lines.push_back("line 240,300 240,320");
        EXPECT_EQ(canvas.calls, c.lines) << c.newSegmentAt;
    }

    // A far point is clipped to the window edge; a break marker is no point.
    TrackStore track;
    AddTrackPoint(track, 980, -1e6, 1);
    AddTrackPoint(track, 980, 1000, 0);
    AddTrackPoint(track, kTrackBreakLat, kTrackBreakLat, 1);
    mwtest::RecordingCanvas canvas;
    DrawTrackTail(canvas, track, PixelView(), TrackTailStyle{10, {255, 0, 0}, 2, false});
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"pen #ff0000 2", "line 0,300 240,300"}));
    // A tail longer than the ring stops at the ring's size.
    EXPECT_EQ(TrackTailLength(true, 5000), 1000);
}

TEST(TrackTail, ALandscapeWindowDrawsDownToItsBottomEdge) {
    // A landscape window 800 × 480: the view centre sits 23 pixels above the
    // middle, so the half height (217) is not half the window. A track along
    // window row 460 lies in the window and must be drawn.
    const PixelView v(1.0, 800, 480, false);
    TrackStore track;
    AddTrackPoint(track, 1000 + 460 - 217, 900, 1);
    AddTrackPoint(track, 1000 + 460 - 217, 1100, 0);
    mwtest::RecordingCanvas canvas;
    DrawTrackTail(canvas, track, v, TrackTailStyle{10, {255, 0, 0}, 2, false});
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"pen #ff0000 2", "line 300,460 500,460"}));
}
