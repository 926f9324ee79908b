#include "map/calibration_edit.h"

#include <algorithm>
#include <cmath>

#include "geo/datum_convert.h"
#include "geo/geodesic.h"
#include "geo/grid_refs.h"
#include "map/calibration.h"
#include "map/map_file.h"
#include "proj/projection_names.h"
#include "support/number_format.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr const char* kLatLonProjection = "Latitude/Longitude";
// Two points closer than this on the ground are one place to the fit.
constexpr double kSamePlaceMetres = 0.5;
// A residual below this is the arithmetic's, not the point's.
constexpr double kNoticeablePixels = 0.01;

std::string PointName(std::size_t index) { return "Point " + std::to_string(index + 1); }

// The position of point p on the map datum.
GeoPoint OnMapDatum(const EditPoint& p, int mapDatum, const DatumTable& datums) {
    GeoPoint g = *p.position;
    ConvertDatum(datums, p.datum, mapDatum, g.lat, g.lon);
    return g;
}

// How far c lies from the line through a and b, in the units of the points.
double DistanceFromLine(double ax, double ay, double bx, double by, double cx, double cy) {
    const double len = std::hypot(bx - ax, by - ay);
    if (len == 0) return std::hypot(cx - ax, cy - ay);
    return std::fabs((bx - ax) * (cy - ay) - (by - ay) * (cx - ax)) / len;
}

struct Planar {
    double x, y;
};

// Whether every point lies within `tolerance` of the line through the two
// that lie farthest apart.
bool OnOneLine(const std::vector<Planar>& p, double tolerance) {
    std::size_t a = 0, b = 0;
    double best = -1;
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t j = i + 1; j < p.size(); ++j) {
            const double d = std::hypot(p[j].x - p[i].x, p[j].y - p[i].y);
            if (d > best) best = d, a = i, b = j;
        }
    for (const Planar& c : p)
        if (DistanceFromLine(p[a].x, p[a].y, p[b].x, p[b].y, c.x, c.y) > tolerance) return false;
    return true;
}

std::string ListNames(const std::vector<std::size_t>& indices) {
    std::string out;
    for (std::size_t k = 0; k < indices.size(); ++k) {
        if (k > 0) out += k + 1 == indices.size() ? " and " : ", ";
        out += std::to_string(indices[k] + 1);
    }
    return out;
}

std::string Fixed(double v, int precision) {
    std::string s;
    AppendFixed(s, v, precision);
    return s;
}

// Degrees, minutes and hemisphere fields as the point lines hold them.
std::string DegreeFields(double value, char positive, char negative) {
    const double a = std::fabs(value);
    double d = std::floor(a);
    double m = (a - d) * 60;
    if (m >= 59.999999995) m = 0, d += 1;
    std::string s;
    AppendInt(s, static_cast<long long>(d));
    s += ',';
    AppendFixed(s, m, 8);
    s += ',';
    s += value < 0 ? negative : positive;
    return s;
}

std::string PointLine(std::size_t index, const EditPoint& p, const GeoPoint& g, double factor,
                      const std::string& projection, int mapDatum, const DatumTable& datums) {
    std::string line = Format("Point%02d,xy,", static_cast<int>(index + 1));
    AppendInt(line, std::llround(p.x * factor), 5);
    line += ',';
    AppendInt(line, std::llround(p.y * factor), 5);
    // A point switched off keeps its pixel and position but is not read as
    // a calibration point ("in" marks the ones that are).
    line += p.on ? ",in, deg," : ",ex, deg,";
    line += DegreeFields(g.lat, 'N', 'S') + ',' + DegreeFields(g.lon, 'E', 'W') + ", grid,";
    // The grid reference as typed, where it belongs to the map's grid and
    // datum: it tells the reader what was typed when the file is opened again.
    const int id = ProjectionIdFromName(projection);
    const bool grid = p.datum == mapDatum && p.readFormat >= 2 && p.readFormat <= 4 &&
                      ((p.readFormat == 2 && id == kProjUtm) ||
                       (p.readFormat == 3 && id == kProjBritishGrid) ||
                       (p.readFormat == 4 && id == kProjIrishGrid));
    if (grid) {
        // The reference the program itself gives for the position, in the
        // fields the reader takes: the zone number, or the letter square.
        const GeoPoint& t = *p.position;
        GridReference r = p.readFormat == 2   ? LatLonToUtm(t.lat, t.lon, datums, mapDatum)
                          : p.readFormat == 3 ? LatLonToBritishGrid(t.lat, t.lon, datums, mapDatum)
                                              : LatLonToIrishGrid(t.lat, t.lon, datums, mapDatum);
        const std::string zone = p.readFormat == 2 ? r.zone.substr(0, 2) : r.zone;
        line += zone + ',' + Fixed(r.easting, 2) + ',' + Fixed(r.northing, 2) + ',' +
                (p.readFormat == 2 && t.lat < 0 ? "S" : "N");
        return line;
    }
    line += "   ,           ,           ,N";
    return line;
}

std::string ParamsLine(const ProjectionParams& p) {
    const double v[7] = {p.originLatitude,  p.centralMeridian,   p.scaleFactor,      p.falseEasting,
                         p.falseNorthing,   p.standardParallel1, p.standardParallel2};
    std::string line = "Projection Setup";
    for (double x : v) {
        line += ',';
        // An unset parameter is an empty field, which reads as unset again.
        if (x != kUnsetParameter) {
            std::string s;
            AppendFixed(s, x, 9);
            // Trailing zeros say nothing.
            while (s.size() > 1 && s.back() == '0') s.pop_back();
            if (s.back() == '.') s.pop_back();
            line += s;
        }
    }
    line += ",,,";
    return line;
}

// The border and scale lines the fit gives: the picture's corners in pixels
// and in degrees, and the ground size of a pixel.
std::vector<std::string> BorderLines(const CalibrationEdit& edit, const CalibrationFit& fit) {
    std::vector<std::string> lines;
    lines.push_back("MMPNUM,4");
    const int w = edit.imageWidth, h = edit.imageHeight;
    const int xs[4] = {0, w, w, 0}, ys[4] = {0, 0, h, h};
    for (int i = 0; i < 4; ++i) {
        std::string l = "MMPXY," + std::to_string(i + 1) + ',';
        AppendInt(l, std::llround(xs[i] * edit.mapScaleFactor));
        l += ',';
        AppendInt(l, std::llround(ys[i] * edit.mapScaleFactor));
        lines.push_back(l);
    }
    for (int i = 0; i < 4; ++i) {
        std::string l = "MMPLL," + std::to_string(i + 1) + ',';
        AppendFixed(l, fit.map.borderLon[i + 1], 8);
        l += ',';
        AppendFixed(l, fit.map.borderLat[i + 1], 8);
        lines.push_back(l);
    }
    // The scale is per pixel as written in the file, which the reader
    // multiplies by the scale factor again.
    lines.push_back("MM1B," + Fixed(fit.map.scale / edit.mapScaleFactor, 6));
    return lines;
}

std::vector<std::string> SplitLines(std::string_view text, bool& crlf) {
    std::vector<std::string> lines;
    crlf = text.find("\r\n") != std::string_view::npos;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(at, end - at));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

// Field 1 of a keyword line without blanks.
std::string KeyOf(const std::string& line) { return Trim(line.substr(0, line.find(','))); }

bool IsBorderOrScaleLine(const std::string& line) {
    const std::string key = KeyOf(line);
    return key == "MMPNUM" || key == "MMPXY" || key == "MMPLL" || key == "MM1B";
}

std::string ReplaceField(const std::string& line, int n, std::string_view value) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (true) {
        std::size_t comma = line.find(',', at);
        fields.push_back(line.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    while (static_cast<int>(fields.size()) < n) fields.emplace_back();
    fields[n - 1] = value;
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + fields[i];
    return out;
}

bool SameParams(const ProjectionParams& a, const ProjectionParams& b) {
    return a.originLatitude == b.originLatitude && a.centralMeridian == b.centralMeridian &&
           a.scaleFactor == b.scaleFactor && a.falseEasting == b.falseEasting &&
           a.falseNorthing == b.falseNorthing && a.standardParallel1 == b.standardParallel1 &&
           a.standardParallel2 == b.standardParallel2;
}

}  // namespace

void ParsePoint(EditPoint& p, const DatumTable& datums, const ProjectionParams& tmParams) {
    p.position.reset();
    p.error.clear();
    if (IsBlank(p.text)) return;
    PositionParse r = ParsePositionText(p.text, p.format, datums, p.datum, tmParams);
    if (r.position) {
        p.position = r.position->point;
        p.readFormat = r.position->format;
    } else {
        p.error = r.error;
    }
}

std::string EffectiveProjection(const CalibrationEdit& edit) {
    if (!edit.projectionName.empty()) return edit.projectionName;
    for (const EditPoint& p : edit.points) {
        if (!p.position) continue;
        std::string_view implied = ProjectionImpliedByFormat(p.readFormat);
        if (!implied.empty()) return std::string(implied);
        if (p.readFormat >= 2) break;
    }
    return kLatLonProjection;
}

CalibrationFit FitCalibration(const CalibrationEdit& edit, const DatumTable& datums) {
    CalibrationFit fit;
    auto& problems = fit.problems;
    const auto& pts = edit.points;
    fit.residuals.resize(pts.size());

    const bool sized = edit.imageWidth > 0 && edit.imageHeight > 0;
    std::vector<std::size_t> on;  // on points with a position, in order
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const EditPoint& p = pts[i];
        if (IsBlank(p.text))
            problems.push_back(PointName(i) + " has no position");
        else if (!p.position)
            problems.push_back(PointName(i) + ": " + p.error);
        if (sized && (p.x < 0 || p.y < 0 || p.x >= edit.imageWidth || p.y >= edit.imageHeight))
            problems.push_back(Format("%s (%d, %d) lies outside the picture (%d x %d)",
                                      PointName(i).c_str(), p.x, p.y, edit.imageWidth,
                                      edit.imageHeight));
        if (p.on && p.position) on.push_back(i);
    }
    fit.usedPoints = static_cast<int>(on.size());
    if (pts.size() > static_cast<std::size_t>(kCalibrationPointCount))
        problems.push_back(Format("A map holds at most %d points", kCalibrationPointCount));
    if (on.size() < 2) problems.insert(problems.begin(), kTooFewPointsText);

    // The map as the program will read it.
    MapRecord& map = fit.map;
    map.datumIndex = edit.mapDatum;
    map.datumName = datums.Row(edit.mapDatum).name;
    const std::string projection = EffectiveProjection(edit);
    map.projection.projectionName = projection;
    map.projection.params = edit.params;
    const ProjectionChoice* choice = FindProjectionChoice(projection);
    if (!choice) {
        problems.push_back("The projection " + projection + " is not supported");
    } else {
        const double v[7] = {edit.params.originLatitude, edit.params.centralMeridian,
                             edit.params.scaleFactor,    edit.params.falseEasting,
                             edit.params.falseNorthing,  edit.params.standardParallel1,
                             edit.params.standardParallel2};
        for (int b = 0; b < 7; ++b)
            if ((choice->params & (1u << b)) && (v[b] == kUnsetParameter || !std::isfinite(v[b]))) {
                problems.push_back("The projection " + projection + " needs its parameters");
                break;
            }
    }
    std::vector<GeoPoint> onMapDatum(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i)
        if (pts[i].position) onMapDatum[i] = OnMapDatum(pts[i], edit.mapDatum, datums);
    for (std::size_t k = 0; k < on.size() && k < map.points.size(); ++k) {
        const EditPoint& p = pts[on[k]];
        CalibrationPoint& c = map.points[k];
        c.used = true;
        c.x = p.x;
        c.y = p.y;
        c.lat = onMapDatum[on[k]].lat;
        c.lon = onMapDatum[on[k]].lon;
    }
    SetUpCalibration(map, datums);

    // Pairs at one pixel or one place; two points that share a row or a
    // column fix no scale along the other axis.
    for (std::size_t a = 0; a < on.size(); ++a)
        for (std::size_t b = a + 1; b < on.size(); ++b) {
            const EditPoint &p = pts[on[a]], &q = pts[on[b]];
            const std::string pair = "Points " + ListNames({on[a], on[b]});
            if (p.x == q.x && p.y == q.y) problems.push_back(pair + " are at the same pixel");
            const GeoPoint &g = onMapDatum[on[a]], &h = onMapDatum[on[b]];
            if (GeodesicDistance(GetDatumEllipsoid(datums, edit.mapDatum), g.lat, g.lon, h.lat,
                                 h.lon) < kSamePlaceMetres)
                problems.push_back(pair + " are at the same place");
            if (on.size() == 2 && (p.x == q.x) != (p.y == q.y))
                problems.push_back(pair + (p.y == q.y ? " lie in one row" : " lie in one column") +
                                   " of the picture: two points must differ in both directions");
        }
    // Points on one line fix no plane: within a pixel of it on the picture,
    // or within a thousandth of their spread on the ground.
    if (on.size() >= 3 && problems.empty()) {
        std::vector<Planar> pix, ground;
        double spread = 0;
        for (std::size_t i : on) {
            pix.push_back({double(pts[i].x), double(pts[i].y)});
            ProjectedPoint e =
                ProjectForward(map.projectionId, map.projection, datums, onMapDatum[i].lat,
                               onMapDatum[i].lon);
            ground.push_back({e.easting, e.northing});
        }
        for (const Planar& a : ground)
            for (const Planar& b : ground) spread = std::max(spread, std::hypot(a.x - b.x, a.y - b.y));
        if (OnOneLine(pix, 1.0) || OnOneLine(ground, spread * 1e-3))
            problems.push_back((on.size() == 3 ? "Points " + ListNames(on) : std::string("All points")) +
                               " lie on one line");
    }
    // Positions the projection cannot hold come back from it somewhere else.
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (!pts[i].position || !choice) continue;
        const GeoPoint& g = onMapDatum[i];
        ProjectedPoint e = ProjectForward(map.projectionId, map.projection, datums, g.lat, g.lon);
        GeoResult back = ProjectInverse(map.projectionId, map.projection, datums, e.easting,
                                        e.northing);
        bool outside = (e.error != kProjOk && e.error != kProjErrDomain) ||
                       !std::isfinite(e.easting) || !std::isfinite(e.northing) ||
                       std::fabs(back.lat - g.lat) > 1e-6 || std::fabs(back.lon - g.lon) > 1e-6;
        if (map.projectionId == kProjUtm && map.projection.utmCentralMeridian != kUnknownUtmMeridian)
            outside |= std::fabs(g.lon - map.projection.utmCentralMeridian) > 9;
        if (map.projectionId == kProjBritishGrid)
            outside |= LatLonToBritishGrid(g.lat, g.lon, datums, edit.mapDatum).zone == "--";
        if (map.projectionId == kProjIrishGrid)
            outside |= LatLonToIrishGrid(g.lat, g.lon, datums, edit.mapDatum).zone == " ";
        if (outside)
            problems.push_back(PointName(i) + " lies outside the area of the projection " +
                               projection);
    }
    if (!fit.HasFit()) {
        if (problems.empty()) problems.push_back("These points fix no calibration");
        return fit;
    }

    // Every point with a position against the fit, the off ones too: a point
    // switched off shows how far the others put it.
    const Ellipsoid ell = GetDatumEllipsoid(datums, edit.mapDatum);
    double sumM = 0, sumPx = 0, worstPx = -1;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (!pts[i].position) continue;
        const GeoPoint& g = onMapDatum[i];
        ProjectedPoint e = ProjectForward(map.projectionId, map.projection, datums, g.lat, g.lon);
        PixelPoint at = GridToPixelExact(map.calibration, e.easting, e.northing);
        GeoPoint there = MapPixelToLatLon(map, datums, pts[i].x, pts[i].y);
        PointResidual& r = fit.residuals[i];
        r.known = true;
        r.fitX = at.x;
        r.fitY = at.y;
        r.pixels = std::hypot(at.x - pts[i].x, at.y - pts[i].y);
        r.metres = GeodesicDistance(ell, g.lat, g.lon, there.lat, there.lon);
        if (!pts[i].on) continue;
        sumM += r.metres * r.metres;
        sumPx += r.pixels * r.pixels;
        // Three points fit exactly: what is left there is rounding, and no
        // point is worse than another.
        if (fit.usedPoints >= 3 && r.pixels > worstPx && r.pixels > kNoticeablePixels)
            worstPx = r.pixels, fit.worst = int(i);
    }
    fit.rmsMetres = std::sqrt(sumM / fit.usedPoints);
    fit.rmsPixels = std::sqrt(sumPx / fit.usedPoints);

    // The picture's corners for the border lines the catalogue reads, and
    // the ground size of a pixel at its middle for the map's scale.
    const int w = edit.imageWidth, h = edit.imageHeight;
    const int xs[4] = {0, w, w, 0}, ys[4] = {0, 0, h, h};
    map.borderCount = 4;
    for (int c = 0; c < 4; ++c) {
        GeoPoint g = MapPixelToLatLon(map, datums, xs[c], ys[c]);
        map.borderLat[c + 1] = g.lat;
        map.borderLon[c + 1] = g.lon;
    }
    const double span = std::max(1, std::min(w, h) / 4);
    GeoPoint a = MapPixelToLatLon(map, datums, w / 2.0, h / 2.0);
    GeoPoint b = MapPixelToLatLon(map, datums, w / 2.0 + span, h / 2.0);
    GeoPoint c = MapPixelToLatLon(map, datums, w / 2.0, h / 2.0 + span);
    map.scale = MapScaleFrom((GeodesicDistance(ell, a.lat, a.lon, b.lat, b.lon) +
                              GeodesicDistance(ell, a.lat, a.lon, c.lat, c.lon)) /
                                 (2 * span),
                             1.0);
    map.imageWidth = w;
    map.imageHeight = h;
    return fit;
}

std::string CalibrationFileText(const CalibrationEdit& edit, const CalibrationFit& fit,
                                const DatumTable& datums) {
    const std::string projection = EffectiveProjection(edit);
    const std::string datumName = datums.Row(edit.mapDatum).name;
    std::vector<std::string> pointLines;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kCalibrationPointCount); ++i) {
        if (i < edit.points.size() && edit.points[i].position) {
            const EditPoint& p = edit.points[i];
            if (!p.changed && !p.fileLine.empty()) {
                pointLines.push_back(p.fileLine);
                continue;
            }
            GeoPoint g = OnMapDatum(p, edit.mapDatum, datums);
            pointLines.push_back(
                PointLine(i, p, g, edit.mapScaleFactor, projection, edit.mapDatum, datums));
        } else {
            pointLines.push_back(Format("Point%02d,xy,     ,     ,in, deg,    ,        ,N,    ,"
                                        "        ,W, grid,   ,           ,           ,N",
                                        static_cast<int>(i + 1)));
        }
    }
    std::vector<std::string> border = BorderLines(edit, fit);

    std::vector<std::string> lines;
    bool crlf = true;
    if (!edit.fileText) {
        lines = {"Mapwanderer Map File,Version 1.0",
                 edit.title,
                 edit.imageName,
                 "1 ,Map Code,",
                 datumName + ",WGS 84,   0.0000,   0.0000,WGS 84",
                 "Reserved 1",
                 "Reserved 2",
                 "Magnetic Variation,,,E",
                 "Map Projection," + projection +
                     ",PolyCal,No,AutoCalOnly,No,BSBUseWPX,No"};
        lines.insert(lines.end(), pointLines.begin(), pointLines.end());
        lines.push_back(ParamsLine(edit.params));
        lines.push_back("Map Feature = MF ; Map Comment = MC");
        lines.push_back("MM0,Yes");
        lines.insert(lines.end(), border.begin(), border.end());
    } else {
        lines = SplitLines(*edit.fileText, crlf);
        if (lines.size() < 40) lines.resize(40);
        MapRecord old = ParseMapFile(*edit.fileText, datums);
        if (old.datumIndex != edit.mapDatum) lines[4] = ReplaceField(lines[4], 1, datumName);
        const bool sameProjection = old.projection.projectionName == projection.substr(0, 50);
        if (!sameProjection) lines[8] = ReplaceField(lines[8], 2, projection);
        for (int i = 0; i < kCalibrationPointCount; ++i) lines[9 + i] = pointLines[i];
        if (!sameProjection || !SameParams(old.projection.params, edit.params))
            lines[39] = ParamsLine(edit.params);
        // The border and scale lines follow the new fit; the rest stay.
        std::vector<std::string> kept(lines.begin(), lines.begin() + 40);
        std::size_t insertAt = std::string::npos;
        for (std::size_t i = 40; i < lines.size(); ++i) {
            if (IsBorderOrScaleLine(lines[i])) {
                if (insertAt == std::string::npos) insertAt = kept.size();
                continue;
            }
            kept.push_back(lines[i]);
        }
        // A final empty piece is what the last line end left.
        const bool trailingEmpty = !kept.empty() && kept.back().empty() && kept.size() > 40;
        if (trailingEmpty) kept.pop_back();
        if (insertAt == std::string::npos || insertAt > kept.size()) insertAt = kept.size();
        kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(insertAt), border.begin(),
                    border.end());
        lines = std::move(kept);
    }
    std::string text;
    for (const std::string& l : lines) text += l + (crlf ? "\r\n" : "\n");
    return text;
}

CalibrationEdit ReadCalibrationEdit(std::string_view fileText, const DatumTable& datums) {
    CalibrationEdit edit;
    edit.fileText = std::string(fileText);
    MapRecord map = ParseMapFile(fileText, datums);
    edit.title = map.title;
    edit.mapDatum = map.datumIndex;
    edit.projectionName = map.projection.projectionName;
    edit.params = map.projection.params;
    edit.mapScaleFactor = map.mapScaleFactor;
    bool crlf = false;
    std::vector<std::string> lines = SplitLines(fileText, crlf);
    if (lines.size() > 2) edit.imageName = lines[2];
    const int id = ProjectionIdFromName(map.projection.projectionName);
    for (int i = 0; i < kCalibrationPointCount && 9 + i < static_cast<int>(lines.size()); ++i) {
        const std::string& line = lines[9 + i];
        CalibrationPoint c;
        ParseCalibrationPoint(line, map.mapScaleFactor, c);
        // A point switched off is read as one that is in use, to find its
        // pixel and position; its "in" field tells it apart.
        const bool on = c.used;
        if (!on) {
            std::string asOn = ReplaceField(line, 5, "in");
            ParseCalibrationPoint(asOn, map.mapScaleFactor, c);
        }
        if (!c.used || c.x == kNoPixel || c.y == kNoPixel) continue;
        EditPoint p;
        p.x = c.x;
        p.y = c.y;
        p.on = on;
        p.datum = map.datumIndex;
        p.fileLine = line;
        p.changed = false;
        if (std::fabs(c.lat) != kUnsetParameter && std::fabs(c.lon) != kUnsetParameter) {
            p.text = Fixed(c.lat, 9) + "," + Fixed(c.lon, 9);
        } else if (c.easting != kNoGrid && c.northing != kNoGrid && !c.zone.empty()) {
            if (id == kProjBritishGrid || id == kProjIrishGrid)
                p.text = c.zone + " " + Fixed(c.easting, 2) + " " + Fixed(c.northing, 2);
            else if (id != kProjLatLon) {
                // A UTM zone number with the band of its hemisphere's side
                // of the equator the grid reference is read with.
                const int zone = ParseInt(c.zone);
                GeoPoint g = UtmToLatLon(zone, c.southern, c.easting, c.northing, datums,
                                         map.datumIndex);
                GridReference r = LatLonToUtm(g.lat, g.lon, datums, map.datumIndex);
                p.text = Format("%02d", zone) + r.zone.substr(2) + " " + Fixed(c.easting, 2) +
                         " " + Fixed(c.northing, 2);
            }
        } else if (c.easting != kNoGrid && c.northing != kNoGrid) {
            // The map's own grid: read back through its projection.
            GeoResult g = ProjectInverse(id, map.projection, datums, c.easting, c.northing);
            p.text = Fixed(g.lat, 9) + "," + Fixed(g.lon, 9);
        }
        if (p.text.empty()) continue;
        ParsePoint(p, datums, map.projection.params);
        edit.points.push_back(std::move(p));
    }
    return edit;
}

bool SaveCalibration(const std::string& path, const CalibrationEdit& edit,
                     const CalibrationFit& fit, const DatumTable& datums, std::string& error) {
    if (!fit.CanSave()) {
        error = fit.problems.empty() ? std::string("These points fix no calibration")
                                     : fit.problems.front();
        return false;
    }
    const WriteOutcome written = WriteFileAtomically(path, CalibrationFileText(edit, fit, datums));
    if (!written) {
        error = WriteFailureText("The calibration file could not be written", written);
        return false;
    }
    return true;
}

bool MapPairPaths(std::string_view name, std::string& mapPath, std::string& imagePath,
                  std::string& error) {
    std::string base(name);
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".map") == 0)
        base.resize(base.size() - 4);
    const std::string file = FileNameOf(base);
    if (file.empty() || file == "." || file == "..") {
        error = "no map name given";
        return false;
    }
    if (file.find('.') != std::string::npos) {
        error = "a map name cannot hold a dot (\"" + file +
                "\"): the program finds the image by the name up to its first dot";
        return false;
    }
    mapPath = base + ".map";
    imagePath = base + ".mwf2";
    return true;
}

}  // namespace mw
