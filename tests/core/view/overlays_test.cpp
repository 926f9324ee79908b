// The track and GPS overlays as canvas calls: the tail walk, the pointer
// styles and their rotation, clipping (here and in the route and navigation
// line tests).
#include <gtest/gtest.h>

#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/pixel_view.h"
#include "track/track_store.h"
#include "view/colours.h"
#include "view/overlays.h"

using namespace mw;

namespace {

using mwtest::PixelView;

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

namespace {

// The pointer's calls at the window centre (240, 320); the map's image "up"
// points north, or east when `eastUp` (1e-4 degrees a pixel).
std::vector<std::string> Pointer(double heading, int style, int size, bool solid, bool replaying,
                                 bool eastUp = false) {
    OverlayGeometry view = PixelView();
    view.toLatLon = [eastUp](double x, double y) {
        const double right = (x - 1000) * 1e-4, up = (1000 - y) * 1e-4;
        return eastUp ? GeoPoint{-right, 7 + up} : GeoPoint{up, 7 + right};
    };
    mwtest::RecordingCanvas canvas;
    DrawGpsPointer(canvas, view, heading, GpsPointerStyle{style, size, ColourByIndex(9), solid},
                   {{0, 0}, {5, 10}, {-5, 10}}, replaying);
    return canvas.calls;
}

}  // namespace

TEST(GpsPointer, DrawsEachStyleTurnedAgainstTheMap) {
    const std::vector<std::string> circle = {
        "brush hollow",        "pen #ff0000 2",           "ellipse 221,301 260,340",
        "pen #ff0000 1",       "ellipse 228,308 253,333", "line 216,320 264,320",
        "line 240,296 240,344"};
    // No heading (777) draws the circle even for the arrow; so do the circle
    // style and a replay.
    EXPECT_EQ(Pointer(777, kPointerArrow, 5, true, false), circle);
    // A course the receiver did not send is held as -777: no heading either.
    EXPECT_EQ(Pointer(-777, kPointerArrow, 5, true, false), circle);
    EXPECT_EQ(Pointer(45, kPointerArrow, 5, true, true), circle);
    // Heading east: on a north-up map the arrow points right, on an east-up
    // map it points up.
    EXPECT_EQ(Pointer(90, kPointerArrow, 5, true, false),
              (std::vector<std::string>{
                  "brush #ff0000", "pen #000000 2",
                  "polygon 240,320 229,331 229,324 208,324 208,316 229,316 229,309"}));
    EXPECT_EQ(Pointer(90, kPointerArrow, 5, true, false, true),
              (std::vector<std::string>{
                  "brush #ff0000", "pen #000000 2",
                  "polygon 240,320 251,331 244,331 244,352 236,352 236,331 229,331"}));
}

TEST(TrackTail, ALandscapeWindowDrawsDownToItsBottomEdge) {
    // A landscape window 800 × 480: the view centre sits 23 pixels above the
    // middle, so the half height (217) is not half the window. A track along
    // window row 460 lies in the window and must be drawn.
    OverlayGeometry v = PixelView();
    v.halfViewWidth = 400;
    v.halfViewHeight = 217;
    v.windowWidth = 800;
    v.windowHeight = 480;
    TrackStore track;
    AddTrackPoint(track, 1000 + 460 - 217, 900, 1);
    AddTrackPoint(track, 1000 + 460 - 217, 1100, 0);
    mwtest::RecordingCanvas canvas;
    DrawTrackTail(canvas, track, v, TrackTailStyle{10, {255, 0, 0}, 2, false});
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"pen #ff0000 2", "line 300,460 500,460"}));
}
