// mwtool render FILE.map --size WxH [--zoom PCT] [--centre-px X Y | --centre LAT LON |
//                --gps LAT,LON[,HEADING[,SPEED]]] [--pointer circle|arrow|user]
//                [--track FILE.plt] [--seamless 0|1] [--panels bottom|right [--speed-panel] [--nav-panel]]
//                -o OUT.png
// mwtool render FILE.map --overview SIZE [--centre-px X Y | --centre LAT LON] -o OUT.png
//
// The map window's picture for a view state, drawn by the same core and
// painting code as the window, into an image. Nothing is written but OUT.
// --track loads a track file as "Load Track File" does and draws its tail;
// --gps shows the moving map following a fix there (degrees on the "NMEA
// Datum", heading in degrees true): the view centred on it, the GPS pointer
// at the window centre.
// --panels draws the main window's client area below the tool bars instead
// of the map window alone: the status line on top, the map, and the speed
// and navigation panels under it (bottom) or in the column right of it
// (right), with --gps giving the fix (speed in the "Speed Unit") and --nav
// the target. --overview draws the "MapView" window's client area at SIZE
// (60..220 by 20): frame, smallest picture and the marker at the centre.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "app/route_commands.h"
#include "app/seamless_maps.h"
#include "app/track_commands.h"
#include "app/view_commands.h"
#include "app/waypoint_commands.h"
#include "cli/console.h"
#include "cli/mwtool.h"
#include "geo/datum_convert.h"
#include "map/calibration.h"
#include "map/map_file.h"
#include "nav/route_file.h"
#include "support/paths.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"
#include "app/panels.h"
#include "paint/map_painter.h"
#include "paint/panel_painter.h"
#include "view/overview.h"
#include "view/overlays.h"
#include "view/user_pointer.h"

namespace {

bool ParseSize(const std::string& text, int& w, int& h) {
    char x = 0, extra = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) == 3 &&
           (x == 'x' || x == 'X') && w > 0 && h > 0 && w <= 16384 && h <= 16384;
}

struct GpsOption {
    double lat = 0, lon = 0;
    double heading = mw::kGpsNotKnown;  // degrees true, [0, 360)
    double speed = 0;                   // in the "Speed Unit"
};

// "LAT,LON[,HEADING[,SPEED]]" in degrees (at most `maxParts` numbers); the
// heading is brought into [0, 360), as a receiver reports its course.
std::optional<GpsOption> ParseGps(const std::string& text, std::size_t maxParts) {
    std::vector<std::optional<double>> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        parts.push_back(mwtool::ParseNumber(text.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (parts.size() < 2 || parts.size() > maxParts) return std::nullopt;
    for (const auto& p : parts)
        if (!p || !std::isfinite(*p)) return std::nullopt;
    GpsOption gps{*parts[0], *parts[1]};
    if (std::fabs(gps.lat) > 90 || std::fabs(gps.lon) > 180) return std::nullopt;
    if (parts.size() >= 3) {
        gps.heading = std::fmod(*parts[2], 360.0);
        if (gps.heading < 0) gps.heading += 360;
    }
    if (parts.size() >= 4) {
        if (*parts[3] < 0) return std::nullopt;
        gps.speed = *parts[3];
    }
    return gps;
}

std::optional<int> ParsePointer(const std::string& text) {
    if (text == "circle") return mw::kPointerCircle;
    if (text == "arrow") return mw::kPointerArrow;
    if (text == "user") return mw::kPointerUser;
    return std::nullopt;
}

std::optional<mw::PanelLayout> ParsePanels(const std::string& text) {
    if (text == "bottom") return mw::PanelLayout::Bottom;
    if (text == "right") return mw::PanelLayout::Right;
    return std::nullopt;
}

bool SavePng(const QImage& image, const std::string& out) {
    return mwtool::SaveImageFile(image, out, "PNG");
}

// The overview window's client area for the loaded map.
int RenderOverview(mw::App& app, int size, const std::string& out) {
    app.view.mapViewSize = size;
    mw::SyncOverviewWithView(app);
    const mw::OverviewGeometry& g = app.overview.geometry;
    // Without a picture (a strip-format image) the window keeps its size and
    // stays empty.
    const int w = g.Valid() ? g.ClientWidth() : size + 2 * mw::kOverviewFrame;
    const int h = g.Valid() ? g.ClientHeight() : size + 2 * mw::kOverviewFrame;
    QImage image(w, h, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        mw::PaintOverview(painter, app, w, h);
    }
    return SavePng(image, out) ? 0 : 1;
}

// What the command line asks for, checked.
struct Request {
    std::string map, out;
    int width = 1, height = 1;
    std::optional<int> overviewSize;
    std::optional<mw::PanelLayout> panels;
    bool speedPanel = false, navPanel = false;
    std::optional<GpsOption> gps, nav;
    std::optional<int> pointer;
    // --centre-px or --centre: the two numbers.
    bool centrePx = false, centreLatLon = false;
    double a = 0, b = 0;
    std::optional<double> percent;
    std::optional<std::string> trackFile, waypointFile, routeFile;
    int seamless = 1;  // neighbouring maps fill the margin
};

// 0 with `r` filled, or the exit code of a usage error already told.
int ParseRequest(mwtool::Args& args, Request& r) {
    auto size = args.Option("--size");
    auto out = args.Option("-o");
    auto zoom = args.Option("--zoom");
    auto gpsText = args.Option("--gps");
    auto pointerText = args.Option("--pointer");
    auto trackFile = args.Option("--track");
    auto waypointFile = args.Option("--waypoints");
    auto routeFile = args.Option("--routes");
    auto navText = args.Option("--nav");
    auto panelsText = args.Option("--panels");
    auto overviewText = args.Option("--overview");
    auto seamlessText = args.Option("--seamless");
    bool speedPanel = args.Flag("--speed-panel");
    bool navPanel = args.Flag("--nav-panel");
    bool centrePx = args.Flag("--centre-px");
    bool centreLatLon = args.Flag("--centre");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (!out) return mwtool::UsageError("render needs -o OUT.png");
    if (seamlessText && *seamlessText != "0" && *seamlessText != "1")
        return mwtool::UsageError("--seamless is 0 or 1");
    r.seamless = seamlessText && *seamlessText == "0" ? 0 : 1;
    std::optional<int> overviewSize;
    if (overviewText) {
        auto n = mwtool::ParseNumber(*overviewText);
        if (!n || *n < mw::kOverviewMinSize || *n > mw::kOverviewMaxSize ||
            static_cast<int>(*n) != *n ||
            (static_cast<int>(*n) - mw::kOverviewMinSize) % mw::kOverviewSizeStep != 0)
            return mwtool::UsageError("bad --overview '" + *overviewText + "': 60..220 by 20");
        if (size || gpsText || panelsText || trackFile || waypointFile || routeFile || navText)
            return mwtool::UsageError("--overview takes only the map, its centre and -o");
        overviewSize = static_cast<int>(*n);
    }
    std::optional<mw::PanelLayout> panels;
    if (panelsText) {
        panels = ParsePanels(*panelsText);
        if (!panels) return mwtool::UsageError("--panels is bottom or right");
    }
    if ((speedPanel || navPanel) && !panels)
        return mwtool::UsageError("--speed-panel and --nav-panel need --panels");
    if (!size && !overviewSize) return mwtool::UsageError("render needs --size WxH and -o OUT.png");
    int width = 1, height = 1;
    if (size && !ParseSize(*size, width, height))
        return mwtool::UsageError("bad --size '" + *size + "'");
    if ((centrePx ? 1 : 0) + (centreLatLon ? 1 : 0) + (gpsText ? 1 : 0) > 1)
        return mwtool::UsageError("give one of --centre-px, --centre and --gps");
    std::optional<GpsOption> gps;
    if (gpsText) {
        gps = ParseGps(*gpsText, 4);
        if (!gps)
            return mwtool::UsageError("bad --gps '" + *gpsText + "': LAT,LON[,HEADING[,SPEED]]");
    }
    std::optional<GpsOption> nav;
    if (navText) {
        nav = ParseGps(*navText, 2);
        if (!nav) return mwtool::UsageError("bad --nav '" + *navText + "': LAT,LON");
    }
    std::optional<int> pointer;
    if (pointerText) {
        pointer = ParsePointer(*pointerText);
        if (!pointer) return mwtool::UsageError("--pointer is circle, arrow or user");
        if (!gps) return mwtool::UsageError("--pointer needs --gps");
    }
    const std::size_t want = 1 + ((centrePx || centreLatLon) ? 2 : 0);
    if (args.words.size() != want)
        return mwtool::UsageError("render needs FILE.map (and the centre's two numbers)");
    std::optional<double> a, b;
    if (want == 3) {
        a = mwtool::ParseNumber(args.words[1]);
        b = mwtool::ParseNumber(args.words[2]);
        if (!a || !b) return mwtool::UsageError("the centre needs two numbers");
    }
    std::optional<double> percent;
    if (zoom) {
        percent = mwtool::ParseNumber(*zoom);
        if (!percent || *percent <= 0) return mwtool::UsageError("bad --zoom '" + *zoom + "'");
    }
    r.map = args.words[0];
    r.out = *out;
    r.width = width;
    r.height = height;
    r.overviewSize = overviewSize;
    r.panels = panels;
    r.speedPanel = speedPanel;
    r.navPanel = navPanel;
    r.gps = gps;
    r.nav = nav;
    r.pointer = pointer;
    r.centrePx = centrePx;
    r.centreLatLon = centreLatLon;
    if (a && b) {
        r.a = *a;
        r.b = *b;
    }
    r.percent = percent;
    r.trackFile = trackFile;
    r.waypointFile = waypointFile;
    r.routeFile = routeFile;
    return 0;
}

// The picture: the map window alone, or with --panels the main window's
// client area around it.
QImage DrawWindow(const Request& r, const mw::App& app, const mw::AroundMapLayout& around) {
    QImage image(r.width, r.height, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        if (r.panels) {
            const mw::Rect& m = around.map;
            painter.fillRect(image.rect(), Qt::white);
            painter.save();
            painter.translate(m.left, m.top);
            painter.setClipRect(0, 0, m.Width(), m.Height());
            mw::PaintMapWindow(painter, app);
            painter.restore();
            mw::PaintStatusLine(painter, app, around.statusLine);
            mw::PaintInfoPanels(painter, app, around.panels);
        } else {
            mw::PaintMapWindow(painter, app);
        }
    }
    return image;
}

int Render(mwtool::Args& args) {
    Request r;
    if (const int usage = ParseRequest(args, r)) return usage;

    auto gui = mwtool::EnsureGuiApplication();
    mwtool::ConsoleUi ui;
    mw::App app;
    app.ports.ui = &ui;
    // What the program reads from its home at start-up, nothing written.
    mw::ReadHomeFiles(app, args.home, args.userHome);
    // Neighbouring maps fill the margin unless --seamless 0 (default: on).
    app.view.viewSeamlessMaps = r.seamless;
    mw::InstallSeamlessMaps(app);
    if (r.pointer) app.settings.pointerStyle = *r.pointer;
    mw::SetScreenSize(app, r.width, r.height);
    mw::AroundMapLayout around;
    if (r.panels) {
        // The layout the user asked for, whatever the size's shape says.
        mw::SetPortrait(app.mapView, *r.panels == mw::PanelLayout::Bottom);
        app.view.viewSpeedInfo = r.speedPanel ? 1 : 0;
        app.view.viewSpeedNavInfo = r.navPanel ? 1 : 0;
        around = mw::LayOutAroundMap(app, r.width, r.height);
    } else {
        // The map window alone fills the picture: no panel takes room from it.
        mw::ApplyViewSize(app, r.width, r.height);
    }

    // The map loads as the program loads it, except that it is not recorded
    // as the last or a recent map: this command writes nothing else.
    if (!mw::LoadMapFile(app, r.map, false)) {
        std::cerr << "mwtool: cannot read " << r.map << "\n";
        return 1;
    }
    if (r.percent) {
        const mw::ViewChange zoomed = mw::SetZoom(
            app.viewport, app.mapView, mw::FindZoomIndex(app.viewport, 100.0 / *r.percent));
        if (zoomed.fault != mw::ImageFault::None)
            ui.ShowMessage(mw::ImageFaultText(zoomed.fault, app.viewport.imagePath));
    }
    if (r.centrePx)
        mw::CentreOnPixel(app.mapView, app.map, app.datums, mw::TruncToInt(r.a),
                          mw::TruncToInt(r.b));
    else if (r.centreLatLon)
        mw::CentreOn(app.mapView, app.map, app.datums, {r.a, r.b});
    if (r.overviewSize) return RenderOverview(app, *r.overviewSize, r.out);
    // A file that will not open is named with the reason, then the command gives up.
    const auto unreadable = [&ui](const char* text, const std::string& path,
                                  const mw::ReadOutcome& read) {
        if (const std::string report = mw::ReadReportText(text, path, read); !report.empty())
            ui.ShowMessage(report);
        if (read) return false;
        std::cerr << "mwtool: cannot read " << path << "\n";
        return true;
    };
    if (r.trackFile &&
        unreadable(mw::kTrackNotOpenedText, *r.trackFile,
                   mw::LoadTrackFile(app.track, *r.trackFile, app.datums, app.map.datumIndex)))
        return 1;
    if (r.waypointFile && unreadable(mw::kWaypointFileNotOpenedText, *r.waypointFile,
                                   mw::ReadWaypointFile(app.waypoints, *r.waypointFile, app.datums,
                                                        app.map.datumIndex)))
        return 1;
    if (r.routeFile &&
        unreadable(mw::kRouteFileOpenErrorText, *r.routeFile,
                   mw::LoadRouteFile(app.routes, *r.routeFile, app.datums, app.map.datumIndex)))
        return 1;
    if (r.nav) {
        // The target is given in WGS 84, like every position a user types.
        double lat = r.nav->lat, lon = r.nav->lon;
        mw::ConvertDatum(app.datums, mw::kDatumWgs84, app.map.datumIndex, lat, lon);
        mw::SetNavigationTarget(app, lat, lon, -1, "");
    }
    if (r.gps) {
        mw::ShowFix(app, r.gps->lat, r.gps->lon, r.gps->heading);
        // A 3D fix as a receiver reports it when switched on.
        app.gps.fix.speed = r.gps->speed;
        app.gps.fix.fixQuality = 1;
        app.gps.fix.statusText = mw::kStatusOn;
    }
    const mw::ViewChange rendered = mw::RenderMapView(app.viewport, app.mapView);
    if (rendered.fault != mw::ImageFault::None)
        ui.ShowMessage(mw::ImageFaultText(rendered.fault, app.viewport.imagePath));
    if (!rendered) return 1;

    return SavePng(DrawWindow(r, app, around), r.out) ? 0 : 1;
}

}  // namespace

MW_COMMAND("render",
           "render FILE.map --size WxH [--zoom PCT] [--centre-px X Y | --centre LAT LON | "
           "--gps LAT,LON[,HEADING[,SPEED]]] [--pointer circle|arrow|user] [--track FILE.plt] "
           "[--waypoints FILE.wpt] [--routes FILE.rte] [--nav LAT,LON] [--seamless 0|1] "
           "[--panels bottom|right [--speed-panel] [--nav-panel]] -o OUT.png | "
           "render FILE.map --overview SIZE [--centre-px X Y | --centre LAT LON] -o OUT.png",
           Render);
