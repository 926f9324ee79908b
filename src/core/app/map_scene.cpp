#include "app/map_scene.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/logo.h"
#include "image/bitmap.h"
#include "map/calibration.h"
#include "view/route_layer.h"
#include "view/waypoint_layer.h"

namespace mw {

namespace {

bool Following(const MapScene& s) { return s.app->mapView.following; }

bool ImageShown(const MapScene& s) { return MapImageOnScreen(*s.app); }

// The pointer shows where the last fix was drawn, and only on the map: off
// the map there is nothing under it to point at.
bool PointerShown(const MapScene& s) {
    return Following(s) && s.app->mapView.pointer && s.app->mapView.lastFix.onMap;
}

void DrawLogo(Canvas& canvas, const MapScene& s) {
    PaintStartupLogo(canvas, s.view.Width(), s.view.Height());
}

void DrawTrack(Canvas& canvas, const MapScene& s) {
    const App& app = *s.app;
    const bool following = Following(s);
    DrawTrackTail(
        canvas, app.track, s.view,
        TrackTailStyleFrom(app.settings, following, following && app.mapView.lastFix.onMap));
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
                       WaypointStyleFrom(app.settings, app.view, app.map.scale, &app.symbols, app.state.programFolder));
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

constexpr Rgb kMarginWhite{255, 255, 255};

// Where the view image goes and which part of it: 1:1 from the window's
// corner, or when magnified the centre part stretched over the window.
PaintRects ViewRects(const MapView& view, const CanvasImage& image) {
    if (view.zoom >= 1) {
        const Rect whole{0, 0, image.width, image.height};
        return {whole, whole};
    }
    return MapPaintRects(view);
}

Rect Shifted(Rect r, Point by) {
    return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

// White where `covered` leaves the window uncovered: the bands above and
// below it across the whole width, then the pieces left and right of it.
void FillOutside(Canvas& canvas, Rect window, Rect covered) {
    const int top = std::clamp(covered.top, window.top, window.bottom);
    const int bottom = std::clamp(covered.bottom, top, window.bottom);
    const int left = std::clamp(covered.left, window.left, window.right);
    const int right = std::clamp(covered.right, left, window.right);
    const Rect bands[] = {{window.left, window.top, window.right, top},
                          {window.left, bottom, window.right, window.bottom},
                          {window.left, top, left, bottom},
                          {right, top, window.right, bottom}};
    for (const Rect& r : bands)
        if (r.Width() > 0 && r.Height() > 0) canvas.FillRect(r, kMarginWhite);
}

// The view image with the window's margin around it white; `shift` moves it
// (a drag under way).
void DrawViewImage(Canvas& canvas, const MapScene& s, Point shift) {
    std::array<std::uint32_t, 256> palette;
    const CanvasImage image = ViewCanvasImage(s.app->viewport, palette);
    const Rect window{0, 0, s.view.Width(), s.view.Height()};
    if (image.Empty()) {
        canvas.FillRect(window, kMarginWhite);
        return;
    }
    const PaintRects rects = ViewRects(s.app->mapView, image);
    const Rect target = Shifted(rects.target, shift);
    FillOutside(canvas, window, target);
    canvas.Image(image, rects.source, target);
}

}  // namespace

bool MapImageOnScreen(const App& app) {
    return app.viewport.HasImage() && !app.viewport.view.Empty();
}

CanvasImage ViewCanvasImage(const Viewport& vp, std::array<std::uint32_t, 256>& palette) {
    if (!vp.HasImage() || vp.view.Empty()) return {};
    CanvasImage out;
    if (vp.view.format == ViewFormat::Display32) {
        const RgbBitmap& d = vp.view.display;
        out.format = CanvasImage::Format::Rgb32;
        out.pixels = reinterpret_cast<const std::uint8_t*>(d.pixels.data());
        out.width = d.width;
        out.height = d.height;
        out.stride = d.width * 4;
        return out;
    }
    const IndexedBitmap& b = vp.view.bitmap;
    palette = PaletteArgb(vp.view.palette);
    out.format = CanvasImage::Format::Indexed8;
    out.pixels = b.pixels.data();
    out.width = b.width;
    out.height = b.height;
    out.stride = b.stride;
    out.palette = palette.data();
    out.paletteSize = static_cast<int>(palette.size());
    return out;
}

MapScene BuildMapScene(const App& app) {
    return MapScene{&app, OverlayGeometry(app.mapView, CalibrationProjection(app.map, app.datums)),
                    std::nullopt};
}

std::vector<MapLayer> VisibleLayers(const MapScene& scene) {
    std::vector<MapLayer> out;
    for (const LayerRow& row : kLayers)
        if (row.visible(scene)) out.push_back(row.layer);
    return out;
}

void DrawMapWindow(Canvas& canvas, const MapScene& scene) {
    if (scene.dragShift) {
        DrawViewImage(canvas, scene, *scene.dragShift);
        DrawCursorCross(canvas, scene.view);
        return;
    }
    if (ImageShown(scene)) DrawViewImage(canvas, scene, {0, 0});
    for (const LayerRow& row : kLayers)
        if (row.visible(scene)) row.draw(canvas, scene);
}

}  // namespace mw
