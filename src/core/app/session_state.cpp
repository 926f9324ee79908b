#include "app/session_state.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "app/app_state.h"
#include "app/name_commands.h"
#include "app/route_commands.h"
#include "app/track_commands.h"
#include "app/view_steps.h"
#include "app/waypoint_commands.h"
#include "geo/datum_convert.h"
#include "map/calibration.h"
#include "nav/route_file.h"
#include "support/number_format.h"
#include "support/paths.h"
#include "support/text.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"

namespace mw {

namespace {

constexpr const char* kEol = "\r\n";
constexpr int kDegreeDecimals = 9;  // about 0.1 mm: a restored view does not creep
// A path may be 4096 bytes; its key and comma come on top.
constexpr std::size_t kSessionLineMax = 4200;

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key).append(",").append(value).append(kEol);
}

std::string Degrees(double lat, double lon) {
    std::string s;
    AppendFixed(s, lat, kDegreeDecimals);
    s += ',';
    AppendFixed(s, lon, kDegreeDecimals);
    return s;
}

std::optional<double> ParseNumber(std::string_view text) {
    text = std::string_view(text).substr(0, text.find_last_not_of(' ') + 1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return {};
    return v;
}

std::optional<int> ParseWhole(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return {};
    return v;
}

// The first `count` comma-separated fields of `text` and the rest after them
// (which may hold commas: a name or a path).
std::optional<std::vector<std::string_view>> SplitFront(std::string_view text, int count) {
    std::vector<std::string_view> parts;
    for (int i = 0; i < count; ++i) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) return {};
        parts.push_back(text.substr(0, comma));
        text.remove_prefix(comma + 1);
    }
    parts.push_back(text);
    return parts;
}

bool OnGlobe(double lat, double lon) { return std::fabs(lat) <= 90 && std::fabs(lon) <= 180; }

std::optional<GeoPoint> ParseDegrees(std::string_view a, std::string_view b) {
    const std::optional<double> lat = ParseNumber(a), lon = ParseNumber(b);
    if (!lat || !lon || !OnGlobe(*lat, *lon)) return {};
    return GeoPoint{*lat, *lon};
}

std::string SessionPath(const App& app) { return JoinPath(app.state.programFolder, kSessionFile); }

// Reads one file of the session back into its store; a file that has gone
// or no longer reads becomes a piece of the one status note.
template <typename Load>
void RestoreFile(const std::string& path, const std::string& alreadyLoaded, const char* failText,
                 std::vector<std::string>& gone, std::vector<std::string>& problems, Load load) {
    // The start-up's default files may already have brought it in.
    if (path.empty() || path == alreadyLoaded) return;
    if (!FileExists(path)) {
        gone.push_back(path);
        return;
    }
    const ReadOutcome read = load(path);
    if (const std::string report = ReadReportText(failText, path, read); !report.empty())
        problems.push_back(report);
}

}  // namespace

std::string FormatSession(const SessionState& s) {
    std::string out = std::string(kSessionHeader) + kEol;
    if (!s.mapPath.empty()) AppendLine(out, "Map", s.mapPath);
    if (s.centreLat && s.centreLon) AppendLine(out, "Centre", Degrees(*s.centreLat, *s.centreLon));
    if (s.zoomIndex) {
        std::string z;
        AppendInt(z, *s.zoomIndex);
        AppendLine(out, "Zoom", z);
    }
    if (!s.waypointFile.empty()) AppendLine(out, "Waypoints", s.waypointFile);
    if (!s.routeFile.empty()) AppendLine(out, "Routes", s.routeFile);
    if (!s.trackFile.empty()) AppendLine(out, "Track", s.trackFile);
    if (!s.namesFile.empty()) AppendLine(out, "Names", s.namesFile);
    if (s.target) {
        std::string t = Degrees(s.target->lat, s.target->lon) + ",";
        AppendInt(t, s.target->waypointIndex);
        AppendLine(out, "Target", t + "," + s.target->name);
    }
    return out;
}

SessionState ParseSession(std::string_view text) {
    SessionState s;
    std::size_t cursor = 0;
    std::string line;
    if (!ReadMemoryLine(text, cursor, line, kSessionLineMax) || TrimRight(line) != kSessionHeader)
        return s;
    while (ReadMemoryLine(text, cursor, line, kSessionLineMax)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        const std::string_view key = std::string_view(line).substr(0, comma);
        const std::string_view value = std::string_view(line).substr(comma + 1);
        if (key == "Map") {
            s.mapPath = value;
        } else if (key == "Centre") {
            if (const auto f = SplitFront(value, 1))
                if (const auto p = ParseDegrees((*f)[0], (*f)[1])) {
                    s.centreLat = p->lat;
                    s.centreLon = p->lon;
                }
        } else if (key == "Zoom") {
            if (const auto z = ParseWhole(value); z && *z >= 0) s.zoomIndex = z;
        } else if (key == "Waypoints") {
            s.waypointFile = value;
        } else if (key == "Routes") {
            s.routeFile = value;
        } else if (key == "Track") {
            s.trackFile = value;
        } else if (key == "Names") {
            s.namesFile = value;
        } else if (key == "Target") {
            const auto f = SplitFront(value, 3);
            if (!f) continue;
            const auto p = ParseDegrees((*f)[0], (*f)[1]);
            const auto slot = ParseWhole((*f)[2]);
            if (p && slot) s.target = SessionTarget{p->lat, p->lon, *slot, std::string((*f)[3])};
        }
    }
    return s;
}

SessionState CaptureSession(const App& app) {
    SessionState s;
    const MapRecord& map = app.map;
    const int mapDatum = map.datumIndex;
    if (map.mapLoaded) {
        s.mapPath = map.mapFilePath;
        if (app.viewport.HasImage()) {
            GeoPoint c = app.mapView.centre ? *app.mapView.centre
                                            : MapPixelToLatLon(map, app.datums, app.mapView.centreX,
                                                               app.mapView.centreY);
            ConvertDatum(app.datums, mapDatum, kDatumWgs84, c.lat, c.lon);
            if (OnGlobe(c.lat, c.lon) && std::isfinite(c.lat) && std::isfinite(c.lon)) {
                s.centreLat = c.lat;
                s.centreLon = c.lon;
            }
            s.zoomIndex = app.mapView.zoomIndex;
        }
    }
    s.waypointFile = app.waypoints.loadedFrom;
    s.routeFile = app.routes.loadedFrom;
    s.trackFile = app.track.loadedFrom;
    // The names file is open only while its dialog is; otherwise the last one
    // the user loaded is the one the dialog would open.
    s.namesFile = app.names.file ? app.names.file->Path()
                                 : ReadLastIni(app.state.programFolder, kLastNamesFile);
    if (const auto& t = app.navigation.target) {
        double lat = t->lat, lon = t->lon;
        ConvertDatum(app.datums, mapDatum, kDatumWgs84, lat, lon);
        s.target = SessionTarget{lat, lon, t->waypointIndex, t->name};
    }
    return s;
}

WriteOutcome SaveSession(const App& app) {
    return WriteFileAtomically(SessionPath(app), FormatSession(CaptureSession(app)));
}

void RestoreSession(App& app) {
    if (app.state.programFolder.empty() || !app.viewport.HasImage()) return;
    const std::optional<std::string> text = ReadWholeFile(SessionPath(app));
    if (!text) return;
    const SessionState s = ParseSession(*text);
    const int mapDatum = app.map.datumIndex;
    Ui* ui = app.ports.ui;

    std::vector<std::string> gone, problems;
    RestoreFile(s.waypointFile, app.waypoints.loadedFrom, kWaypointFileNotOpenedText, gone, problems,
                [&](const std::string& p) {
                    return ReadWaypointFile(app.waypoints, p, app.datums, mapDatum);
                });
    RestoreFile(s.routeFile, app.routes.loadedFrom, kRouteFileOpenErrorText, gone, problems,
                [&](const std::string& p) {
                    return LoadRouteFile(app.routes, p, app.datums, mapDatum);
                });
    RestoreFile(s.trackFile, app.track.loadedFrom, kTrackNotOpenedText, gone, problems,
                [&](const std::string& p) {
                    return LoadTrackShowingWait(app.track, p, app.datums, mapDatum, ui);
                });
    // The name search opens the file "LastNamesFile.ini" names when it is
    // opened; only another file is taken now (and becomes that file).
    if (!s.namesFile.empty()) {
        if (!FileExists(s.namesFile))
            gone.push_back(s.namesFile);
        else if (s.namesFile != ReadLastIni(app.state.programFolder, kLastNamesFile))
            LoadNamesDatabase(app, s.namesFile);
    }

    if (s.mapPath == app.map.mapFilePath && s.centreLat && s.centreLon) {
        double lat = *s.centreLat, lon = *s.centreLon;
        ConvertDatum(app.datums, kDatumWgs84, mapDatum, lat, lon);
        const int zoom = s.zoomIndex.value_or(app.mapView.zoomIndex);
        RunViewStep(
            app,
            [&app, lat, lon, zoom] {
                ZoomTo(app.mapView, app.viewport.zoomTable, zoom);
                CentreOn(app.mapView, app.map, app.datums, {lat, lon});
                return RenderMapView(app.viewport, app.mapView);
            },
            {WindowId::Overview});
    }

    if (s.target) {
        double lat = s.target->lat, lon = s.target->lon;
        ConvertDatum(app.datums, kDatumWgs84, mapDatum, lat, lon);
        // The slot still names the target only if the same waypoint came
        // back into it; otherwise the target is a place of its own.
        int slot = s.target->waypointIndex;
        const Waypoint* w = app.waypoints.At(slot);
        if (!w || w->name != s.target->name) slot = -1;
        SetNavigationTarget(app, lat, lon, slot, s.target->name);
    }

    if (ui) {
        std::string note;
        if (!gone.empty()) {
            note = kSessionFilesGoneText;
            for (std::size_t i = 0; i < gone.size(); ++i) note += (i ? ", " : "") + gone[i];
        }
        for (const std::string& p : problems) note += (note.empty() ? "" : "; ") + p;
        for (char& c : note)
            if (c == '\n') c = ' ';
        if (!note.empty()) ui->ShowStatusNote(note);
        ui->Repaint(WindowId::Map);
    }
}

}  // namespace mw
