#include "app/data_folder.h"
#include "app/track_info.h"

#include <cmath>
#include <sys/stat.h>

#include "app/panels.h"
#include "app/track_commands.h"
#include "geo/datum_convert.h"
#include "gpx/gpx_model.h"
#include "gpx/track_points_file.h"
#include "nav/nav_text.h"

namespace mw {

namespace {

constexpr double kKmPerMile = 1.609344;
constexpr double kKmPerNauticalMile = 1.852;

std::string Speed(double kmh, int speedUnit) {
    switch (speedUnit) {
        case 1: return Format("%.1f mph", kmh / kKmPerMile);
        case 2: return Format("%.1f kn", kmh / kKmPerNauticalMile);
        default: return Format("%.1f km/h", kmh);
    }
}

std::string Height(double metres, int altitudeUnit) {
    if (altitudeUnit == 1) return Format("%.0f ft", metres / kMetresPerFoot);
    return Format("%.0f m", metres);
}

std::string Distance(double metres, int distanceUnit) {
    const DistanceText d = FormatNavDistance(metres, distanceUnit);
    return d.value + " " + d.unit;
}

std::string Duration(double seconds) {
    const long s = std::lround(seconds);
    return Format("%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
}

// "yyyy-mm-dd hh:mm:ss UTC".
std::string UtcText(std::int64_t t) {
    const std::string iso = FormatIsoTime(t);  // yyyy-mm-ddThh:mm:ssZ
    return iso.substr(0, 10) + " " + iso.substr(11, 8) + " UTC";
}

}  // namespace

TrackInfoSource DefaultTrackInfoSource(const App& app) {
    struct stat st {};
    const std::string log = TrackLogPath(DataFolder(app));
    const bool logHasPoints = ::stat(log.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 200;
    return app.mapView.following && logHasPoints ? TrackInfoSource::Log : TrackInfoSource::Map;
}

TrackInfoTrack LoadTrackInfo(const App& app, TrackInfoSource source, const std::string& filePath) {
    TrackInfoTrack t;
    t.source = source;
    if (source == TrackInfoSource::Map) {
        t.points = TrackPointsOfRing(app.track);
        t.datum = app.map.mapLoaded ? app.map.datumIndex : kDatumWgs84;
        t.ellipsoid = GetDatumEllipsoid(app.datums, t.datum);
        return t;
    }
    t.path = source == TrackInfoSource::Log ? TrackLogPath(DataFolder(app)) : filePath;
    TrackPointsRead read = ReadTrackPointsFile(t.path, app.datums);
    if (!read.outcome) {
        t.problem = ReadFailureText(source == TrackInfoSource::Log ? "The track log could not be read"
                                                                   : kTrackNotOpenedText,
                                    t.path, read.outcome);
        if (!read.gpxError.empty()) t.problem += ": " + read.gpxError;
        t.ellipsoid = GetDatumEllipsoid(app.datums, kDatumWgs84);
        return t;
    }
    t.points = std::move(read.points);
    t.datum = read.datum;
    t.ellipsoid = GetDatumEllipsoid(app.datums, read.datum);
    if (read.cut) t.problem = "Only the first part of the track was read";
    return t;
}

std::vector<TrackInfoLine> TrackInfoLines(const TrackStats& s, const AppSettings& settings) {
    std::vector<TrackInfoLine> lines;
    lines.push_back({"Points", std::to_string(s.points)});
    lines.push_back({"Segments", std::to_string(s.segments)});
    lines.push_back({"Distance", Distance(s.distanceMetres, settings.distanceUnit)});
    if (s.HasTimes()) {
        // Short enough for a 240-pixel window: the date once, then the
        // times; an end on another day carries its date.
        const std::string start = UtcText(*s.startTime), end = UtcText(*s.endTime);
        lines.push_back({"Date", start.substr(0, 10)});
        lines.push_back({"Start", start.substr(11)});
        lines.push_back({"End", end.substr(0, 10) == start.substr(0, 10) ? end.substr(11) : end});
        lines.push_back({"Elapsed", Duration(*s.elapsedSeconds)});
        lines.push_back({"Moving", Duration(*s.movingSeconds)});
        if (s.averageKmh) lines.push_back({"Average", Speed(*s.averageKmh, settings.speedUnit)});
        if (s.movingAverageKmh)
            lines.push_back({"Moving avg.", Speed(*s.movingAverageKmh, settings.speedUnit)});
        if (s.maxKmh) lines.push_back({"Max speed", Speed(*s.maxKmh, settings.speedUnit)});
    } else {
        lines.push_back({"Times", "none: distance and heights only"});
    }
    if (s.highestMetres) {
        lines.push_back({"Ascent", Height(*s.ascentMetres, settings.altitudeUnit)});
        lines.push_back({"Descent", Height(*s.descentMetres, settings.altitudeUnit)});
        lines.push_back({"Highest", Height(*s.highestMetres, settings.altitudeUnit)});
        lines.push_back({"Lowest", Height(*s.lowestMetres, settings.altitudeUnit)});
    } else {
        lines.push_back({"Heights", "none"});
    }
    return lines;
}

std::string ProfileSampleText(const TrackProfile& p, const ProfileSample& s,
                              const AppSettings& settings) {
    const std::string where = p.xAxis == ProfileX::Distance ? Distance(s.x, settings.distanceUnit)
                                                            : Duration(s.x);
    const std::string value = p.yAxis == ProfileY::Elevation ? Height(s.y, settings.altitudeUnit)
                                                             : Speed(s.y, settings.speedUnit);
    return where + ": " + value;
}

bool ShowTrackPointOnMap(App& app, const TrackInfoTrack& track, int point) {
    if (point < 0 || point >= static_cast<int>(track.points.size()) || !app.map.mapLoaded)
        return false;
    double lat = track.points[static_cast<std::size_t>(point)].lat;
    double lon = track.points[static_cast<std::size_t>(point)].lon;
    if (track.datum != app.map.datumIndex) ConvertDatum(app.datums, track.datum, app.map.datumIndex, lat, lon);
    CentreOnPosition(app, lat, lon);
    return true;
}

}  // namespace mw
