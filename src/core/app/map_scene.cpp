#include "app/map_scene.h"

#include "app/app_state.h"
#include "app/logo.h"
#include "map/calibration.h"
#include "view/route_layer.h"
#include "view/waypoint_layer.h"

namespace mw {

namespace {

bool Following(const MapScene& s) { return s.app->mapView.following; }

bool ImageShown(const MapScene& s) {
    return s.app->viewport.HasImage() && !s.app->viewport.view.Empty();
}

// The pointer shows where the last fix was drawn, and only on the map: off
// the map there is nothing under it to point at.
bool PointerShown(const MapScene& s) {
    return Following(s) && s.app->mapView.pointer && s.app->gps.onMap;
}

void DrawLogo(Canvas& canvas, const MapScene& s) {
    PaintStartupLogo(canvas, s.windowWidth, s.windowHeight);
}

void DrawTrack(Canvas& canvas, const MapScene& s) {
    const App& app = *s.app;
    const bool following = Following(s);
    DrawTrackTail(canvas, app.track, s.view,
                  TrackTailStyleFrom(app.settings, following, following && app.gps.onMap));
}

void DrawPointer(Canvas& canvas, const MapScene& s) {
    const App& app = *s.app;
    GpsPointerStyle style = GpsPointerStyleFrom(app.settings);
    if (!GpsFixIsCurrent(app.gps.fix)) style.colour = kStalePointerColour;
    // A course not known (-777) draws the circle: the pointer knows the marker.
    DrawGpsPointer(canvas, s.view, app.mapView.pointer->heading, style, app.userPointer,
                   app.replay.mode);
}

struct LayerRow {
    MapLayer layer;
    bool (*visible)(const MapScene&);
    void (*draw)(Canvas&, const MapScene&);
};

// The drawing order. Layers whose stores are not built yet have no row.
const LayerRow kLayers[] = {
    {MapLayer::Logo, [](const MapScene& s) { return !ImageShown(s); }, DrawLogo},
    {MapLayer::TrackTail,
     [](const MapScene& s) { return ImageShown(s) && s.app->view.viewTrack != 0; }, DrawTrack},
    {MapLayer::NavigationLine,
     [](const MapScene& s) { return ImageShown(s) && s.app->navigation.Active(); },
     [](Canvas& c, const MapScene& s) {
         DrawNavigationLine(c, s.app->navigation, s.view, NavLineStyleFrom(s.app->settings));
     }},
    {MapLayer::Waypoints,
     [](const MapScene& s) {
         return ImageShown(s) && s.app->view.viewWaypoints != 0 && s.app->waypoints.waypointCount > 0;
     },
     [](Canvas& c, const MapScene& s) {
         const App& app = *s.app;
         DrawWaypoints(c, app.waypoints, s.view,
                       WaypointStyleFrom(app.settings, app.view, app.map.scale));
     }},
    {MapLayer::Routes,
     [](const MapScene& s) {
         return ImageShown(s) && s.app->view.viewRoutes != 0 && !s.app->routes.Empty();
     },
     [](Canvas& c, const MapScene& s) {
         DrawRoutes(c, s.app->routes, s.view, RouteStyleFrom(s.app->settings, s.app->view));
     }},
    {MapLayer::GpsPointer, [](const MapScene& s) { return ImageShown(s) && PointerShown(s); },
     DrawPointer},
    // The cross marks a centre the user chose; while the GPS places the view
    // its degrees are cleared, so the cross never covers the pointer.
    {MapLayer::CursorCross,
     [](const MapScene& s) {
         return ImageShown(s) && s.app->mapView.centre.has_value();
     },
     [](Canvas& c, const MapScene& s) { DrawCursorCross(c, s.view); }},
    {MapLayer::ZoomCaption, ImageShown,
     [](Canvas& c, const MapScene& s) { DrawZoomCaption(c, s.app->mapView.zoom); }},
    {MapLayer::ReplayCaption,
     [](const MapScene& s) { return ImageShown(s) && s.app->replay.mode && Following(s); },
     [](Canvas& c, const MapScene&) { DrawReplayCaption(c); }},
};

}  // namespace

MapScene BuildMapScene(const App& app) {
    MapScene s;
    s.app = &app;
    OverlayGeometry& g = s.view;
    g.viewCentreX = app.mapView.centreX;
    g.viewCentreY = app.mapView.centreY;
    g.zoomDivisor = app.mapView.zoom;
    g.halfViewWidth = app.mapView.halfWidth;
    g.halfViewHeight = app.mapView.halfHeight;
    g.windowWidth = app.mapView.width;
    g.windowHeight = app.mapView.height;
    g.toPixel = [&app](double lat, double lon) {
        return LatLonToMapPixel(app.map, app.datums, lat, lon);
    };
    g.toLatLon = [&app](double x, double y) { return MapPixelToLatLon(app.map, app.datums, x, y); };
    s.windowWidth = app.mapView.width;
    s.windowHeight = app.mapView.height;
    return s;
}

std::vector<MapLayer> VisibleLayers(const MapScene& scene) {
    std::vector<MapLayer> out;
    for (const LayerRow& row : kLayers)
        if (row.visible(scene)) out.push_back(row.layer);
    return out;
}

void DrawMapWindow(Canvas& canvas, const MapScene& scene) {
    for (const LayerRow& row : kLayers)
        if (row.visible(scene)) row.draw(canvas, scene);
}

}  // namespace mw
