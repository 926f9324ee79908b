#include "app/view_commands.h"

#include "app/commands.h"
#include "app/map_commands.h"
#include "app/moving_map.h"

namespace mw {

namespace {

Ui& TheUi(App& app) { return *app.ports.ui; }

// Centring on a point off the map looks for another map there, taking any
// covering map (the current scale counts as unknown).
OffMapHandler OffMap(App& app) {
    return [&app](double lat, double lon, int datum) {
        return SelectMapForPosition(app, app.map.mapFilePath, -777, lat, lon, datum);
    };
}

void RebuildZoomMenu(App& app) { TheUi(app).SetMenuItems("zoom", ZoomMenu(app.viewport)); }

}  // namespace

std::vector<MenuEntry> ZoomMenu(const Viewport& vp) {
    std::vector<MenuEntry> items = {{kCmdFullMap, "Full Map"}};
    for (const ZoomEntry& e : vp.zoomTable) items.push_back({e.command, e.label});
    return items;
}

void InstallViewport(App& app) {
    app.mapHooks.loadImage = [&app](MapRecord& map) {
        bool shown = LoadMapImage(app.viewport, map, app.datums, app.settings.filePath1,
                                  app.settings.filePath2, app.state.userHome, TheUi(app));
        if (shown) RebuildZoomMenu(app);
        return shown;
    };
}

void ApplyViewSize(App& app) {
    const AppState& s = app.state;
    Viewport& vp = app.viewport;
    // A layout pass that leaves the window as it was (the window layer lays
    // out on every resize event, start-up lays out before and after the last
    // map is loaded) keeps the view it has: a full-screen render is not free.
    const bool unchanged =
        vp.clientWidth == s.mapWidth && vp.clientHeight == s.mapHeight &&
        vp.halfViewWidth == s.halfViewWidth && vp.halfViewHeight == s.halfViewHeight &&
        vp.view.bitmap.width == s.mapWidth && vp.view.bitmap.height == s.mapHeight;
    SetViewSize(vp, s.mapWidth, s.mapHeight, s.halfViewWidth, s.halfViewHeight);
    if (!vp.HasImage() || unchanged) return;
    ComputeViewCorner(vp, app.map);
    RenderMapView(vp, TheUi(app));
}

bool ExecuteViewCommand(App& app, int id) {
    Viewport& vp = app.viewport;
    Ui& ui = TheUi(app);
    std::optional<ZoomEntry> zoom = ZoomEntryForCommand(id);
    bool isGoto = id >= kCmdGotoTopLeft && id <= kCmdGotoCenter;
    if (!zoom && !isGoto && id != kCmdZoomIn && id != kCmdZoomOut && id != kCmdFullMap)
        return false;
    if (!RequireMap(app)) return true;
    if (zoom) {
        SetZoom(vp, app.map, FindZoomIndex(vp, zoom->divisor), ui);
    } else if (id == kCmdZoomIn) {
        ZoomIn(vp, app.map, ui);
    } else if (id == kCmdZoomOut) {
        ZoomOut(vp, app.map, ui);
    } else if (id == kCmdFullMap) {
        FullMap(vp, app.map, app.datums, ui);
    } else {
        GotoMapPosition(vp, app.map, app.datums, id - kCmdGotoTopLeft, ui);
    }
    ui.Repaint(WindowId::Main);
    return true;
}

int ScreenZone(int x, int y, int width, int height) {
    int cw = width / 3, ch = height / 3;
    if (cw <= 0 || ch <= 0) return 0;
    int row = std::min(y / ch, 2), column = std::min(x / cw, 2);
    if (row < 0 || column < 0) return 0;
    return row * 3 + column + 1;
}

void MapPress(App& app, int x, int y) {
    AppState& s = app.state;
    if (s.dragMode) {
        s.dragStartX = x;
        s.dragStartY = y;
        return;
    }
    if (!s.screenControlMode) {
        // While the moving map follows the GPS the fixes place the view.
        if (!s.gpsActive)
            CentreOnScreenPoint(app.viewport, app.map, app.datums, x, y, OffMap(app), TheUi(app));
        return;
    }
    Viewport& vp = app.viewport;
    switch (ScreenZone(x, y, s.mapWidth, s.mapHeight)) {
        case 1:
            s.screenControlMode = false;
            TheUi(app).SetCommandChecked(kCmdScreenControl, false);
            TheUi(app).Repaint(WindowId::ToolPanel);
            break;
        case 3:
            // Stopping from here stays in screen control.
            ToggleMovingMap(app, false);
            break;
        case 4:
            if (vp.zoomIndex > 0) SetZoom(vp, app.map, vp.zoomIndex - 1, TheUi(app));
            break;
        case 7:
            if (vp.zoomIndex + 1 < static_cast<int>(vp.zoomTable.size()))
                SetZoom(vp, app.map, vp.zoomIndex + 1, TheUi(app));
            break;
        default:
            // Zone 5 makes a waypoint; it comes with the waypoint store.
            break;
    }
}

void MapRelease(App& app, int x, int y) {
    if (!app.state.dragMode || !app.map.mapLoaded) return;
    DragMapBy(app.viewport, app.map, app.datums, x - app.state.dragStartX, y - app.state.dragStartY,
              TheUi(app));
}

void MapArrowKey(App& app, ArrowKey key) {
    const AppState& s = app.state;
    int x = s.halfViewWidth, y = s.halfViewHeight;
    switch (key) {
        case ArrowKey::Left:
            x = 0;
            break;
        case ArrowKey::Up:
            y = 0;
            break;
        case ArrowKey::Right:
            x = 2 * s.halfViewWidth;
            break;
        case ArrowKey::Down:
            y = 2 * s.halfViewHeight;
            break;
    }
    if (!s.gpsActive)
        CentreOnScreenPoint(app.viewport, app.map, app.datums, x, y, OffMap(app), TheUi(app));
}

}  // namespace mw
