#include "view/map_view.h"

#include <algorithm>

namespace mw {

namespace {

// The corner from the centre, the divisor (1 when magnified: the bitmap is
// then the level itself and the painter stretches it) and the half sizes.
void UpdateCorner(MapView& view) {
    const double z = view.zoom < 1 ? 1 : view.zoom;
    view.left = TruncToInt(view.centreX / z - view.halfWidth + 0.5);
    view.top = TruncToInt(view.centreY / z - view.halfHeight + 0.5);
}

}  // namespace

bool Resize(MapView& view, int width, int height, bool portrait) {
    const int halfWidth = width / 2;
    const int halfHeight = height / 2 - (portrait ? 0 : kLandscapeCentreLift);
    const bool changed = view.width != width || view.height != height ||
                         view.halfWidth != halfWidth || view.halfHeight != halfHeight;
    view.width = width;
    view.height = height;
    view.halfWidth = halfWidth;
    view.halfHeight = halfHeight;
    UpdateCorner(view);
    return changed;
}

void CentreOnPixel(MapView& view, const MapRecord& map, const DatumTable& datums, int x, int y) {
    view.centreX = x;
    view.centreY = y;
    view.centre = MapPixelToLatLon(map, datums, x, y);
    UpdateCorner(view);
}

void CentreOn(MapView& view, const MapRecord& map, const DatumTable& datums, GeoPoint position) {
    const MapPixel p = LatLonToMapPixel(map, datums, position.lat, position.lon);
    view.centreX = p.x;
    view.centreY = p.y;
    view.centre = position;
    UpdateCorner(view);
}

void FollowFix(MapView& view, const MapRecord& map, const DatumTable& datums, GeoPoint fix,
               double heading) {
    const MapPixel p = LatLonToMapPixel(map, datums, fix.lat, fix.lon);
    view.centreX = p.x;
    view.centreY = p.y;
    view.centre.reset();
    view.pointer = GpsPointer{p.x, p.y, heading};
    UpdateCorner(view);
}

void ZoomTo(MapView& view, const std::vector<ZoomEntry>& table, int index) {
    if (table.empty()) return;
    view.zoomIndex = std::clamp(index, 0, static_cast<int>(table.size()) - 1);
    view.zoom = table[view.zoomIndex].divisor;
    UpdateCorner(view);
}

void FullMap(MapView& view, const std::vector<ZoomEntry>& table, int zoomIndex100,
             const MapRecord& map, const DatumTable& datums) {
    int index = 0;
    for (int i = 0; i <= zoomIndex100 && i < static_cast<int>(table.size()); ++i) {
        const double d = table[i].divisor;
        if (map.imageWidth / d <= view.width && map.imageHeight / d <= view.height) index = i;
    }
    CentreOnPixel(view, map, datums, map.imageWidth / 2, map.imageHeight / 2);
    ZoomTo(view, table, index);
}

void Pan(MapView& view, const MapRecord& map, const DatumTable& datums, int dx, int dy) {
    CentreOnPixel(view, map, datums, view.centreX - TruncToInt(dx * view.zoom),
                  view.centreY - TruncToInt(dy * view.zoom));
}

void SetScreenSize(MapView& view, int clientWidth, int clientHeight) {
    view.screen.width = clientWidth;
    view.screen.height = clientHeight;
    view.screen.portrait = clientWidth < clientHeight;
}

void SetPortrait(MapView& view, bool portrait) { view.screen.portrait = portrait; }

void PlaceMapTop(MapView& view, bool toolPanelShown) {
    view.screen.mapTop = toolPanelShown ? 59 : 39;
}

void SetMapArea(MapView& view, int width, int height) {
    view.screen.areaWidth = width;
    view.screen.areaHeight = height;
}

ScreenPoint PopupCentre(const MapView& view) {
    return {view.screen.width / 2, view.screen.mapTop + view.screen.height / 2};
}

void StartFollowing(MapView& view) {
    view.centre.reset();
    view.following = true;
}

void StopFollowing(MapView& view) {
    view.pointer.reset();
    view.following = false;
}

void ForgetPointer(MapView& view) { view.pointer.reset(); }

void ReleaseCentre(MapView& view) { view.centre.reset(); }

void TurnPointer(MapView& view, double heading) {
    if (view.pointer) view.pointer->heading = heading;
}

void KeepLastFix(MapView& view, double lat, double lon) {
    view.lastFix.lat = lat;
    view.lastFix.lon = lon;
}

void SetFixOnMap(MapView& view, bool onMap) { view.lastFix.onMap = onMap; }

void ForgetLastFix(MapView& view) {
    view.lastFix.lat = 0;
    view.lastFix.lon = 0;
}

void MarkCentre(MapView& view, GeoPoint position) { view.centre = position; }

void SetDragMode(MapView& view, bool on) { view.drag.mode = on; }

void StartDrag(MapView& view, int x, int y) {
    view.drag.startX = x;
    view.drag.startY = y;
}

void SetImageShown(MapView& view, bool shown) { view.imageShown = shown; }

void ShowOpenedView(MapView& shown, const MapView& opened) {
    const MapScreen screen = shown.screen;
    const MapDrag drag = shown.drag;
    const bool onMap = shown.lastFix.onMap;
    shown = opened;
    shown.screen = screen;
    shown.drag = drag;
    // The last fix was on the old map's datum.
    shown.lastFix = ShownFix{0, 0, onMap};
}

MapPixel WindowToImagePixel(const MapView& view, int x, int y) {
    return {TruncToInt((x - view.halfWidth) * view.zoom + view.centreX),
            TruncToInt((y - view.halfHeight) * view.zoom + view.centreY)};
}

}  // namespace mw
