// The windows and panels around the map, the GPS status displays and help.
#include <algorithm>
#include <filesystem>

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/panels.h"
#include "app/view_steps.h"
#include "gps/gps_link.h"
#include "map/calibration.h"
#include "nav/nav_text.h"
#include "nav/record_rule.h"
#include "nav/trip_computer.h"
#include "proj/position_format.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

std::function<bool(const App&)> Shown(int ViewSettings::*field) {
    return [field](const App& app) { return app.view.*field != 0; };
}

bool IsExecutableFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto st = fs::status(path, ec);
    using P = fs::perms;
    return !ec && fs::is_regular_file(st) &&
           (st.permissions() & (P::owner_exec | P::group_exec | P::others_exec)) != P::none;
}

// The bundled help page in the program's own window: a handheld often has
// no desktop browser to hand it to.
void OpenHelp(App& app) {
    if (app.ports.ui) app.ports.ui->OpenDialog(DialogId::Help);
}

// The display's facts in one message rather than five boxes in a row.
void ShowDeveloperInfo(App& app) {
    if (!app.ports.ui) return;
    const DisplayCaps& d = app.state.display;
    ShowMessage(*app.ports.ui,
                Format("Rastercaps %d\nNumcolors %d\nNumreserved %d\nSizepalette %d\nColorres %d",
                       d.rasterCaps, d.numColors, d.numReserved, d.sizePalette, d.colorRes));
}

// The companion program starts only when the user put an executable of that
// name into the application home; data files never start programs.
void StartCompanion(App& app) {
    std::string program = JoinPath(app.state.programFolder, kCompanionProgram);
    if (app.ports.shell && IsExecutableFile(program)) app.ports.shell->StartProgram(program, {"586"});
}

// Flips a view setting and its check mark; returns the new state.
bool Flip(App& app, int id, int ViewSettings::*field) {
    int& value = app.view.*field;
    value = value ? 0 : 1;
    if (app.ports.ui) app.ports.ui->SetCommandChecked(id, value != 0);
    return value != 0;
}

void ToggleFloating(App& app, int id, int ViewSettings::*field, WindowId window) {
    bool on = Flip(app, id, field);
    if (!app.ports.ui) return;
    app.ports.ui->ShowFloatingWindow(window, on);
    if (window == WindowId::Overview) app.ports.ui->Repaint(WindowId::ToolPanel);
}

// The panels take room from the map window: lay it out again.
void TogglePanel(App& app, int id, int ViewSettings::*field) {
    Flip(app, id, field);
    const MapScreen& screen = app.mapView.screen;
    if (screen.areaWidth > 0 && screen.areaHeight > 0)
        LayoutMapWindow(app, screen.areaWidth, screen.areaHeight);
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Main);
}

// The two GPS windows need NMEA input from a running receiver.
void OpenGpsWindow(App& app, DialogId dialog) {
    if (!app.ports.ui) return;
    if (app.settings.nmeaSentence == kSourcePvt)
        ShowMessage(*app.ports.ui, kNotInPvtModeText);
    else if (!app.mapView.following)
        ShowMessage(*app.ports.ui, kGpsMustBeOnText);
    else
        app.ports.ui->OpenDialog(dialog);
}

}  // namespace

CommandRows PanelCommandRows() {
    return {
        {kCmdViewMapView, "Map View", CommandKind::Toggle,
         [](App& app) {
             ToggleFloating(app, kCmdViewMapView, &ViewSettings::viewMapView, WindowId::Overview);
         },
         Shown(&ViewSettings::viewMapView), {}, Menu("View", 2100).Panel(1047, "MV")},
        {kCmdViewScale, "Scale", CommandKind::Toggle,
         [](App& app) {
             ToggleFloating(app, kCmdViewScale, &ViewSettings::viewScale, WindowId::Scale);
         },
         Shown(&ViewSettings::viewScale), {}, Menu("View", 2110)},
        {kCmdViewSpeedInfo, "Speed", CommandKind::Toggle,
         [](App& app) { TogglePanel(app, kCmdViewSpeedInfo, &ViewSettings::viewSpeedInfo); },
         Shown(&ViewSettings::viewSpeedInfo), {}, Menu("View", 2120), true},
        {kCmdViewSpeedNavInfo, "Navigation Info", CommandKind::Toggle,
         [](App& app) { TogglePanel(app, kCmdViewSpeedNavInfo, &ViewSettings::viewSpeedNavInfo); },
         Shown(&ViewSettings::viewSpeedNavInfo), {}, Menu("View", 2130), true},
        {kCmdResetTrip, "Reset Trip", CommandKind::Action,
         [](App& app) {
             ResetTrip(app.gps.trip);
             if (app.ports.ui) app.ports.ui->Repaint(WindowId::Main);
         },
         {}, {}, Menu("View", 2140)},
        {kCmdDisplayNmea, "Display NMEA Input", CommandKind::Action,
         [](App& app) { OpenGpsWindow(app, DialogId::NmeaMonitor); }, {}, {},
         Menu("Map", 3100)},
        {kCmdViewSatellites, "View Satellites", CommandKind::Action,
         [](App& app) { OpenGpsWindow(app, DialogId::Satellites); }, {}, {},
         Menu("Map", 3110)},
        {kCmdHelp, "Help", CommandKind::Action, OpenHelp, {}, {}, Menu("File", 1500)},
        {kCmdDeveloperInfo, "Developer Info", CommandKind::Action, ShowDeveloperInfo, {}, {},
         Menu("File", 1520)},
        {kCmdUploadDownload, "Upload/Download", CommandKind::Action, StartCompanion, {}, {},
         Menu("File", 1400)},
    };
}

AroundMapLayout LayOutAroundMap(App& app, int clientWidth, int clientHeight) {
    const int w = std::max(clientWidth, 0), h = std::max(clientHeight, 0);
    const int top = std::min(kStatusLineHeight, h);
    SetMapArea(app.mapView, w, h - top);
    LayoutMapWindow(app, w, h - top);
    AroundMapLayout out;
    out.statusLine = Rect{0, 0, w, top};
    out.map = Rect{0, top, app.mapView.width, top + app.mapView.height};
    if (InfoPanelLayoutFor(app) == PanelLayout::Bottom)
        out.panels = Rect{0, out.map.bottom, w, h};
    else
        out.panels = Rect{out.map.right, top, w, h};
    return out;
}

PanelLayout InfoPanelLayoutFor(const App& app) {
    return app.mapView.screen.portrait ? PanelLayout::Bottom : PanelLayout::Right;
}

PanelPosition PanelPositionFrom(const App& app) {
    std::optional<GeoPoint> lastFix;
    const ShownFix& last = app.mapView.lastFix;
    if (!IsNoPosition(last.lat, last.lon)) lastFix = GeoPoint{last.lat, last.lon};
    if (app.mapView.following) return {lastFix, lastFix && !GpsFixIsCurrent(app.gps.fix)};
    if (app.mapView.centre) return {app.mapView.centre, false};
    // The GPS placed the view and has stopped: where it was last is all
    // there is, and it is old news.
    return {lastFix, lastFix.has_value()};
}

StatusLineInputs StatusLineInputsFrom(const App& app) {
    StatusLineInputs in;
    const GpsFix& fix = app.gps.fix;
    in.followingGps = app.mapView.following;
    const PanelPosition from = PanelPositionFrom(app);
    const GeoPoint at = from.at.value_or(GeoPoint{});
    // No position formats as "---".
    in.positionText = FormatPosition(at.lat, at.lon, app.settings.positionFormat, app.datums,
                                     app.map.datumIndex, app.map.projection.params);
    in.positionStale = from.stale;
    in.pvtMode = app.settings.nmeaSentence == kSourcePvt;
    in.showGpsFix = app.settings.showGpsFix;
    in.showDgpsSecs = app.settings.showDgpsSecs;
    in.fixQuality = fix.fixQuality;
    in.satellitesInUse = fix.satellitesInUse;
    in.dgpsAge = fix.dgpsAge;
    in.gpsState = fix.statusText;
    return in;
}

InfoPanelInputs InfoPanelInputsFrom(const App& app) {
    InfoPanelInputs in;
    const GpsFix& fix = app.gps.fix;
    in.showSpeed = app.view.viewSpeedInfo != 0;
    in.showNavigation = app.view.viewSpeedNavInfo != 0;
    in.speed.speed = fix.speed;
    in.speed.headingMagnetic = app.settings.headingUnit == 1;
    in.speed.heading = in.speed.headingMagnetic ? fix.magneticCourse : fix.trueCourse;
    in.speed.altitudeFeet = fix.altitude;
    in.speed.altitudeUnit = app.settings.altitudeUnit;
    // The speed monitor's limits as it sounds them (strict comparisons), for
    // as long as the GPS gives readings.
    const SpeedLimits limits = SpeedLimitsFrom(app.settings);
    if (app.mapView.following) {
        if (limits.maxActive && fix.speed > limits.maxSpeed)
            in.speed.speedShade = SpeedShade::AboveMax;
        else if (limits.minActive && fix.speed < limits.minSpeed)
            in.speed.speedShade = SpeedShade::BelowMin;
    }
    const DistanceText trip = FormatNavDistance(app.gps.trip.distanceMetres, app.settings.distanceUnit);
    in.speed.tripDistance = trip.value;
    in.speed.tripUnit = trip.unit;
    in.speed.movingTime = MovingTimeText(app.gps.trip.movingSeconds);
    // Navigation runs from where the view is: the GPS position while the
    // moving map follows it, the view centre otherwise; never from 0°, 0°.
    const PanelPosition from = PanelPositionFrom(app);
    if (auto readout = NavigationPanelReadout(app.navigation, from.at, app.settings.distanceUnit)) {
        in.navigation.navigating = true;
        in.navigation.stale = from.stale;
        in.navigation.name = readout->name;
        in.navigation.distance = readout->distance.value;
        in.navigation.unit = readout->distance.unit;
        in.navigation.bearing = readout->bearing;
    }
    return in;
}

ScaleBar ScaleBarFrom(const App& app) {
    if (!app.map.mapLoaded || !app.viewport.HasImage()) return {};
    return ChooseScaleBar(app.settings.distanceUnit, app.mapView.zoom, app.map.scale);
}

bool SyncOverviewWithView(App& app) {
    const std::string path = app.viewport.HasImage() ? app.viewport.imagePath : std::string();
    const OverviewSync sync = SyncOverview(app.overview, path, app.view.mapViewSize,
                                           app.map.imageWidth, app.map.imageHeight);
    ShowImageFault(app, DamageToTell(app.viewport, sync.fault));
    return sync.changed;
}

bool StepOverviewSize(App& app, bool larger) {
    if (!app.map.mapLoaded) return false;
    const int next = NextOverviewSize(app.view.mapViewSize, larger);
    const bool changed = next != app.view.mapViewSize;
    app.view.mapViewSize = next;
    if (changed)
        app.overview.geometry =
            ComputeOverviewGeometry(app.map.imageWidth, app.map.imageHeight, next);
    return changed;
}

void OverviewTap(App& app, int x, int y) {
    if (!app.map.mapLoaded || !app.overview.geometry.Valid()) return;
    const MapPixel p = OverviewTapPixel(app.overview.geometry, x, y);
    const GeoPoint pos = MapPixelToLatLon(app.map, app.datums, p.x, p.y);
    CentreOnPosition(app, pos.lat, pos.lon);
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Overview);
}

void CentreOnPosition(App& app, double lat, double lon) {
    if (!app.viewport.HasImage() || app.mapView.following) return;
    if (!InsideMapBorder(app.map, lat, lon)) {
        // The view stays, but the place asked for is the cursor now: the
        // maps found there are offered, and "Find Maps at Cursor" finds them.
        MarkCentre(app.mapView, GeoPoint{lat, lon});
        ShowMapsFoundDialog(app, lat, lon);
        return;
    }
    CentreOn(app.mapView, app.map, app.datums, {lat, lon});
    if (!app.ports.ui) return;
    RunViewStep(app, [&app] { return RenderMapView(app.viewport, app.mapView); });
    app.ports.ui->Repaint(WindowId::Map);
    app.ports.ui->Repaint(WindowId::Overview);
}

void CloseOverview(App& app) {
    app.view.viewMapView = 0;
    if (!app.ports.ui) return;
    app.ports.ui->SetCommandChecked(kCmdViewMapView, false);
    app.ports.ui->Repaint(WindowId::ToolPanel);
}

void SetSatellitesViewOpen(App& app, bool open) {
    if (app.gps.session) app.gps.session->satellitesViewOpen = open;
}

SatelliteViewInputs SatelliteViewInputsFrom(const App& app, unsigned setsAtOpening) {
    SatelliteViewInputs in;
    const GpsFix& fix = app.gps.fix;
    in.pvtMode = app.settings.nmeaSentence == kSourcePvt;
    in.dataReceived = fix.satellites.completedSets != setsAtOpening;
    in.satellitesInUse = fix.satellitesInUse;
    in.hdop = fix.hdop;
    for (const VisibleSatellite& v : VisibleSatellites(fix.satellites))
        in.satellites.push_back({SatelliteLabel(v.constellation, v.satellite.prn),
                                 v.satellite.elevation, v.satellite.azimuth, v.satellite.snr,
                                 v.satellite.positionKnown});
    return in;
}

NmeaMonitor* GpsNmeaMonitor(App& app) {
    return app.gps.session ? &app.gps.session->monitor : nullptr;
}

}  // namespace mw
