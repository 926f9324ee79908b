#include "app/view_commands.h"

#include <algorithm>

#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/seamless_maps.h"
#include "app/waypoint_commands.h"

namespace mw {

namespace {

Ui& TheUi(App& app) { return *app.ports.ui; }

// A map with its image drawn at once: the view steps below all render.
ViewChange Render(App& app) {
    return RunViewStep(app, [&app] { return RenderMapView(app.viewport, app.mapView); });
}

// Centring on a point off the map looks for another map there, taking any
// covering map (the current scale counts as unknown).
OffMapHandler OffMap(App& app) {
    return [&app](double lat, double lon, int datum) {
        return SelectMapForPosition(app, app.map.mapFilePath, -777, lat, lon, datum);
    };
}

void CentreOnPoint(App& app, int x, int y) {
    RunViewStep(
        app,
        [&app, x, y] {
            return CentreOnScreenPoint(app.viewport, app.mapView, app.map, app.datums, x, y,
                                       OffMap(app));
        },
        {WindowId::Overview});
}

void ZoomToIndex(App& app, int index) {
    RunViewStep(app, [&app, index] { return SetZoom(app.viewport, app.mapView, index); });
}

// A zoom or goto command: needs a map, then repaints the whole window (the
// zoom caption and the panels change with the view).
CommandRow ViewRow(int id, std::string text, std::function<void(App&)> step, Placement place = {}) {
    return {id, std::move(text), CommandKind::Action,
            [step = std::move(step)](App& app) {
                if (!RequireMap(app)) return;
                step(app);
                TheUi(app).Repaint(WindowId::Main);
            },
            {}, {}, place};
}

}  // namespace

CommandRows ViewCommandRows() {
    CommandRows rows = {
        ViewRow(kCmdZoomIn, "Zoom in",
                [](App& app) {
                    RunViewStep(app, [&app] { return ZoomIn(app.viewport, app.mapView); });
                },
                NoMenu().Bar(3, "+", "Zoom in")),
        ViewRow(kCmdZoomOut, "Zoom out",
                [](App& app) {
                    RunViewStep(app, [&app] { return ZoomOut(app.viewport, app.mapView); });
                },
                NoMenu().Bar(4, "-", "Zoom out")),
        ViewRow(kCmdFullMap, "Full Map",
                [](App& app) {
                    RunViewStep(app, [&app] {
                        return ShowFullMap(app.viewport, app.mapView, app.map, app.datums);
                    });
                },
                Menu("Map/Zoom", 3320).Bar(7, "Fm", "Full Map").Panel(1038, "Fm")),
    };
    rows.push_back({kCmdSeamlessMaps, "Seamless Maps", CommandKind::Toggle, ToggleSeamlessMaps,
                    [](const App& app) { return app.view.viewSeamlessMaps != 0; }, {},
                    Menu("View", 2310)});
    const char* gotoTexts[] = {"Top Left", "Top Right", "Bottom Left", "Bottom Right", "Center"};
    for (int corner = 0; corner < 5; ++corner)
        rows.push_back(ViewRow(
            kCmdGotoTopLeft + corner, gotoTexts[corner],
            [corner](App& app) {
                RunViewStep(
                    app,
                    [&app, corner] {
                        return GotoMapPosition(app.viewport, app.mapView, app.map, app.datums,
                                               corner);
                    },
                    {WindowId::Overview});
            },
            Menu("Map/Goto", 3330 + corner)));
    // 100 % has a button of its own besides its place in the zoom menu.
    const Placement hundred = NoMenu().Bar(8, "100", "100 %").Panel(1039, "100");
    // The zoom steps: their menu is rebuilt from the open image's levels.
    for (int command : ZoomCommands()) {
        ZoomEntry entry = *ZoomEntryForCommand(command);
        rows.push_back(ViewRow(command, entry.label, [divisor = entry.divisor](App& app) {
            RunViewStep(app, [&app, divisor] {
                return SetZoom(app.viewport, app.mapView, FindZoomIndex(app.viewport, divisor));
            });
        }, command == kCmdZoom100 ? hundred : Placement{}));
    }
    return rows;
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
    if (app.mapView.drag.mode) {
        StartDrag(app.mapView, x, y);
        return;
    }
    if (!s.screenControlMode) {
        // While the moving map follows the GPS the fixes place the view.
        if (!app.mapView.following) CentreOnPoint(app, x, y);
        return;
    }
    Viewport& vp = app.viewport;
    MapView& view = app.mapView;
    switch (ScreenZone(x, y, view.width, view.height)) {
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
            if (view.zoomIndex > 0) ZoomToIndex(app, view.zoomIndex - 1);
            break;
        case 7:
            if (view.zoomIndex + 1 < static_cast<int>(vp.zoomTable.size()))
                ZoomToIndex(app, view.zoomIndex + 1);
            break;
        case 5:
            CreateWaypointAtPosition(app);
            break;
        default:
            break;
    }
}

void ZoomSteps(App& app, int steps) {
    Viewport& vp = app.viewport;
    if (!vp.HasImage() || steps == 0 || vp.zoomTable.empty()) return;
    const int last = static_cast<int>(vp.zoomTable.size()) - 1;
    const int index = std::clamp(app.mapView.zoomIndex + steps, 0, last);
    if (index == app.mapView.zoomIndex) return;
    ZoomToIndex(app, index);
    TheUi(app).Repaint(WindowId::Main);
}

void MapRelease(App& app, int x, int y) {
    const MapDrag& drag = app.mapView.drag;
    if (!drag.mode || !app.map.mapLoaded) return;
    const int dx = x - drag.startX, dy = y - drag.startY;
    RunViewStep(
        app, [&app, dx, dy] { return DragMapBy(app.viewport, app.mapView, app.map, app.datums, dx, dy); },
        {WindowId::Main, WindowId::Overview});
}

void MapArrowKey(App& app, ArrowKey key) {
    const MapView& view = app.mapView;
    int x = view.halfWidth, y = view.halfHeight;
    switch (key) {
        case ArrowKey::Left:
            x = 0;
            break;
        case ArrowKey::Up:
            y = 0;
            break;
        case ArrowKey::Right:
            x = 2 * view.halfWidth;
            break;
        case ArrowKey::Down:
            y = 2 * view.halfHeight;
            break;
    }
    if (!view.following) CentreOnPoint(app, x, y);
}

}  // namespace mw
