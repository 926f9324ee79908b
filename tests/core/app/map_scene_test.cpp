// Which layers the map window draws, and in which order, from the program's
// state: checked through the scene, without pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/map_scene.h"
#include "app/moving_map.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "two_sheets.h"

using namespace mw;
using L = MapLayer;

namespace {

class MapScenes : public TwoSheets<> {
protected:
    std::vector<MapLayer> Layers() { return VisibleLayers(BuildMapScene(app)); }
};

TEST_F(MapScenes, LayersFollowTheStateInDrawingOrder) {
    // A loaded map's centre has degrees: the cursor cross marks it.
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::TrackTail, L::CursorCross, L::ZoomCaption}));
    app.view.viewTrack = 0;
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::CursorCross, L::ZoomCaption}));

    // Following the GPS: the pointer, and no cross over it.
    ShowFix(app, 50.25, 0.5, 90);
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::GpsPointer, L::ZoomCaption}));
    app.replay.mode = true;
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::GpsPointer, L::ZoomCaption, L::ReplayCaption}));
}

TEST_F(MapScenes, NoPointerForAFixOffTheMap) {
    ShowFix(app, 50.25, 2.5, 90);  // east of both sheets
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::TrackTail, L::ZoomCaption}));
}

// The calls that put the view image and the white margin on the window,
// for a drag that has moved the map by (dx, dy): everything before the
// cursor cross.
std::vector<std::string> DragPreviewImageCalls(const App& app, Point shift) {
    mwtest::RecordingCanvas canvas;
    MapScene scene = BuildMapScene(app);
    scene.dragShift = shift;
    DrawMapWindow(canvas, scene);
    std::vector<std::string> out;
    for (const std::string& call : canvas.calls) {
        if (call.rfind("pen", 0) == 0) break;  // the cross begins
        out.push_back(call);
    }
    return out;
}

TEST_F(MapScenes, TheViewImageCoversTheWindowAndTheLayersGoOverIt) {
    mwtest::RecordingCanvas canvas;
    DrawMapWindow(canvas, BuildMapScene(app));
    const int w = app.mapView.width, h = app.mapView.height;
    ASSERT_FALSE(canvas.calls.empty());
    // A view rendered for this window covers it: no margin to whiten.
    EXPECT_EQ(canvas.calls[0], Format("image %dx%d 0,0 %d,%d -> 0,0 %d,%d", w, h, w, h, w, h));
    EXPECT_EQ(std::count_if(canvas.calls.begin(), canvas.calls.end(),
                            [](const std::string& c) { return c.rfind("image", 0) == 0; }),
              1);
}

TEST_F(MapScenes, ADragShiftsTheViewAndWhitensWhatItUncovers) {
    const int w = app.mapView.width, h = app.mapView.height;
    const std::string image = Format("image %dx%d 0,0 %d,%d -> ", w, h, w, h);
    struct Case {
        Point shift;
        std::vector<std::string> calls;
    } cases[] = {
        {{0, 0}, {image + Format("0,0 %d,%d", w, h)}},
        // Right and up: a band below the shifted view, a strip left of it.
        {{10, -5},
         {Format("fill 0,%d %d,%d #ffffff", h - 5, w, h), Format("fill 0,0 10,%d #ffffff", h - 5),
          image + Format("10,-5 %d,%d", w + 10, h - 5)}},
        // Left and down: a band above, a strip on the right.
        {{-7, 3},
         {Format("fill 0,0 %d,3 #ffffff", w), Format("fill %d,3 %d,%d #ffffff", w - 7, w, h),
          image + Format("-7,3 %d,%d", w - 7, h + 3)}},
        // Dragged clean off the window: all of it white.
        {{-w - 5, 0},
         {Format("fill 0,0 %d,%d #ffffff", w, h), image + Format("%d,0 -5,%d", -w - 5, h)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DragPreviewImageCalls(app, c.shift), c.calls)
            << "shift " << c.shift.x << "," << c.shift.y;
}

TEST_F(MapScenes, TheDragPreviewShowsTheCrossAndNoLayers) {
    ShowFix(app, 50.25, 0.5, 90);  // a pointer and a caption that a drag hides
    mwtest::RecordingCanvas canvas;
    MapScene scene = BuildMapScene(app);
    scene.dragShift = Point{4, 4};
    DrawMapWindow(canvas, scene);
    const int cx = app.mapView.halfWidth, cy = app.mapView.halfHeight;
    ASSERT_GE(canvas.calls.size(), 3u);
    EXPECT_EQ(canvas.calls.back(),
              Format("ellipse %d,%d %d,%d", cx - 8, cy - 8, cx + 9, cy + 9));
    for (const std::string& call : canvas.calls) EXPECT_EQ(call.find("text"), std::string::npos);
}

TEST_F(MapScenes, ASceneDrawsTheViewAsItIsNotAsItWasWhenBuilt) {
    // The scene reads the view record: a change made after it was built (a
    // resize to landscape, a pan) is what it draws, with no copy to refresh.
    const MapScene scene = BuildMapScene(app);
    Resize(app.mapView, 300, 200, false);
    Pan(app.mapView, app.map, app.datums, 10, -5);
    const OverlayGeometry& g = scene.view;
    EXPECT_EQ(g.Width(), 300);
    EXPECT_EQ(g.Height(), 200);
    EXPECT_EQ(g.Centre(), (Point{150, 100 - kLandscapeCentreLift}));
    EXPECT_EQ(g.CentreX(), app.mapView.centreX);
    EXPECT_EQ(g.CentreY(), app.mapView.centreY);
    mwtest::RecordingCanvas canvas;
    DrawCursorCross(canvas, g);
    EXPECT_EQ(canvas.calls.back(), "ellipse 142,69 159,86");

    // Positions go through the loaded map's calibration both ways: the
    // centre's degrees lie at the window centre.
    ASSERT_TRUE(app.mapView.centre.has_value());
    const GeoPoint at = g.ToLatLon(g.CentreX(), g.CentreY());
    EXPECT_NEAR(at.lat, app.mapView.centre->lat, 1e-9);
    EXPECT_NEAR(at.lon, app.mapView.centre->lon, 1e-9);
    const MapPixel p = g.ToPixel(at.lat, at.lon);
    const Point w = ImageToWindow(g, p.x, p.y);
    EXPECT_NEAR(w.x, 150, 1);
    EXPECT_NEAR(w.y, 77, 1);
}

}  // namespace
