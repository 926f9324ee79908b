#include "map/calibration.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "geo/distance.h"
#include "geo/grid_refs.h"
#include "support/text.h"

namespace mw {

namespace {

// One usable calibration point: its pixel and its projected coordinates.
struct FitPoint {
    double x, y, e, n;
};

// Projections whose grid calibration points are UTM grid positions with a
// zone number, whatever the map's own projection.
bool UsesUtmGridPoints(int id) {
    switch (id) {
        case kProjLatLon:
        case kProjUtm:
        case kProjAlbers:
        case kProjPolyconic:
        case kProjMercator:
        case kProjLambert:
        case kProjVanDerGrinten:
        case kProjBonne:
            return true;
    }
    return false;
}

// Projections whose grid calibration points are in the map's own grid.
bool UsesOwnGridPoints(int id) {
    switch (id) {
        case kProjSwedishGrid:
        case kProjSwissGrid:
        case kProjTransverseMercator:
        case kProjNewZealandGrid:
        case kProjFrenchI:
        case kProjFrenchII:
        case kProjFrenchIII:
        case kProjFrenchIV:
        case kProjItaly1:
        case kProjItaly2:
        case kProjVicmap:
            return true;
    }
    return false;
}

bool HasGridPosition(int id, const CalibrationPoint& p) {
    bool en = p.easting != kNoGrid && p.northing != kNoGrid;
    if (UsesUtmGridPoints(id) || id == kProjBritishGrid || id == kProjIrishGrid)
        return en && !p.zone.empty();
    if (UsesOwnGridPoints(id)) return en;
    return false;
}

GeoPoint GridPositionToLatLon(int id, const CalibrationPoint& p, const ProjectionState& ps,
                              const DatumTable& datums) {
    if (UsesUtmGridPoints(id))
        return UtmToLatLon(ParseInt(p.zone), p.southern, p.easting, p.northing, datums,
                           ps.mapDatum);
    if (id == kProjBritishGrid)
        return BritishGridToLatLon(p.zone, p.easting, p.northing, datums, ps.mapDatum);
    if (id == kProjIrishGrid)
        return IrishGridToLatLon(p.zone, p.easting, p.northing, datums, ps.mapDatum);
    GeoResult r = ProjectInverse(id, ps, datums, p.easting, p.northing);
    return {r.lat, r.lon};
}

bool AllFinite(const double* v, int n) {
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

double Det3(double a, double b, double c, double d, double e, double f, double g, double h,
            double i) {
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

bool FitTwoPoints(int id, const FitPoint& p0, const FitPoint& p1, CalibrationState& cal) {
    double dx = p1.x - p0.x, dy = p1.y - p0.y;
    // Two points in one row or one column fix no scale along the other axis.
    if (dx == 0 || dy == 0) return false;
    cal.metresPerPixelY = (p1.n - p0.n) / dy;
    cal.metresPerPixelX = (p1.e - p0.e) / dx;
    cal.straddles180 = false;
    if (id == kProjLatLon && p0.e > 0 && p1.e < 0) {
        cal.metresPerPixelX = ((180 - p0.e) + (p1.e + 180)) / dx;
        cal.straddles180 = true;
    }
    if (!std::isfinite(cal.metresPerPixelX) || !std::isfinite(cal.metresPerPixelY) ||
        cal.metresPerPixelX == 0 || cal.metresPerPixelY == 0)
        return false;
    cal.originNorthing = p0.n - p0.y * cal.metresPerPixelY;
    cal.originEasting = p0.e - p0.x * cal.metresPerPixelX;
    return true;
}

// Exact affine transform through three points by Cramer's rule: with
// (u, v) -> (s, t), s = a·u + b·v + c and t = d·u + e·v + f.
bool AffineThrough(const FitPoint* p, bool pixelToGrid, std::array<double, 6>& out) {
    double u[3], v[3], s[3], t[3];
    for (int i = 0; i < 3; ++i) {
        u[i] = pixelToGrid ? p[i].x : p[i].e;
        v[i] = pixelToGrid ? p[i].y : p[i].n;
        s[i] = pixelToGrid ? p[i].e : p[i].x;
        t[i] = pixelToGrid ? p[i].n : p[i].y;
    }
    double d = Det3(u[0], v[0], 1, u[1], v[1], 1, u[2], v[2], 1);
    if (d == 0) return false;
    const double* targets[2] = {s, t};
    for (int k = 0; k < 2; ++k) {
        const double* w = targets[k];
        out[3 * k + 0] = Det3(w[0], v[0], 1, w[1], v[1], 1, w[2], v[2], 1) / d;
        out[3 * k + 1] = Det3(u[0], w[0], 1, u[1], w[1], 1, u[2], w[2], 1) / d;
        out[3 * k + 2] = Det3(u[0], v[0], w[0], u[1], v[1], w[1], u[2], v[2], w[2]) / d;
    }
    return AllFinite(out.data(), 6);
}

// First-order least squares (terms 1, u, v) for two targets at once, by
// Gauss-Jordan elimination of the normal equations with partial pivoting.
// False when a pivot is exactly zero (the points fix no plane).
bool LeastSquares(const std::vector<FitPoint>& pts, bool pixelToGrid, std::array<double, 4>& first,
                  std::array<double, 4>& second) {
    double m[3][5] = {};
    for (const FitPoint& p : pts) {
        double u = pixelToGrid ? p.x : p.e, v = pixelToGrid ? p.y : p.n;
        double s = pixelToGrid ? p.e : p.x, t = pixelToGrid ? p.n : p.y;
        const double terms[3] = {1.0, u, v};
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) m[j][k] += terms[j] * terms[k];
            m[j][3] += terms[j] * s;
            m[j][4] += terms[j] * t;
        }
    }
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
        if (m[pivot][col] == 0) return false;
        if (pivot != col)
            for (int k = 0; k < 5; ++k) std::swap(m[pivot][k], m[col][k]);
        double div = m[col][col];
        for (int k = 0; k < 5; ++k) m[col][k] /= div;
        for (int r = 0; r < 3; ++r) {
            if (r == col) continue;
            double f = m[r][col];
            for (int k = 0; k < 5; ++k) m[r][k] -= f * m[col][k];
        }
    }
    first = {m[0][3], m[1][3], m[2][3], 0.0};
    second = {m[0][4], m[1][4], m[2][4], 0.0};
    return AllFinite(first.data(), 4) && AllFinite(second.data(), 4);
}

double Poly(const std::array<double, 4>& c, double u, double v) {
    return c[0] + c[1] * u + c[2] * v + c[3] * u * v;
}

}  // namespace

int TruncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

void SetUpCalibration(MapRecord& map, const DatumTable& datums) {
    ProjectionState& ps = map.projection;
    ps.mapDatum = map.datumIndex;
    const int id = ProjectionIdFromName(ps.projectionName);
    map.projectionId = id;
    ps.utmCentralMeridian = kUnknownUtmMeridian;

    // A first point at the image origin that names its zone fixes the zone.
    const CalibrationPoint& first = map.points[0];
    if (first.used && first.x == 0 && first.y == 0 && !first.zone.empty())
        ps.utmCentralMeridian = ParseReal(first.zone) * 6 - 183;

    std::vector<FitPoint> pts;
    for (const CalibrationPoint& p : map.points) {
        if (!p.used || (p.x == kNoPixel && p.y == kNoPixel)) continue;
        bool hasLatLon = std::fabs(p.lat) != kUnsetParameter && std::fabs(p.lon) != kUnsetParameter;
        if (!hasLatLon && !HasGridPosition(id, p)) continue;
        GeoPoint g = hasLatLon ? GeoPoint{p.lat, p.lon} : GridPositionToLatLon(id, p, ps, datums);
        if (id == kProjUtm && ps.utmCentralMeridian == kUnknownUtmMeridian)
            ps.utmCentralMeridian = std::floor(g.lon * (1.0 / 6)) * 6 + 3;
        ProjectedPoint pp = ProjectForward(id, ps, datums, g.lat, g.lon);
        pts.push_back(
            {static_cast<double>(p.x), static_cast<double>(p.y), pp.easting, pp.northing});
    }

    CalibrationState cal;
    cal.usablePoints = static_cast<int>(pts.size());
    bool ok = false;
    if (pts.size() == 2) {
        ok = FitTwoPoints(id, pts[0], pts[1], cal);
        if (ok) cal.calibrationMode = 2;
    } else if (pts.size() == 3) {
        ok = AffineThrough(pts.data(), true, cal.affinePixelToGrid) &&
             AffineThrough(pts.data(), false, cal.affineGridToPixel);
        if (ok) cal.calibrationMode = 3;
    } else if (pts.size() >= 4) {
        ok = LeastSquares(pts, true, cal.polyPixelToE, cal.polyPixelToN) &&
             LeastSquares(pts, false, cal.polyGridToX, cal.polyGridToY);
        if (ok) cal.calibrationMode = 5;
    }
    if (!ok) {
        int usable = cal.usablePoints;
        cal = CalibrationState{};
        cal.usablePoints = usable;
    }
    map.calibration = cal;
}

MapPixel GridToPixel(const CalibrationState& cal, double e, double n) {
    switch (cal.calibrationMode) {
        case 2:
            if (cal.straddles180 && e < 0) e += 360;
            return {TruncToInt((e - cal.originEasting) / cal.metresPerPixelX),
                    TruncToInt((n - cal.originNorthing) / cal.metresPerPixelY)};
        case 3: {
            const auto& a = cal.affineGridToPixel;
            return {TruncToInt(a[0] * e + a[1] * n + a[2] + 0.5),
                    TruncToInt(a[3] * e + a[4] * n + a[5] + 0.5)};
        }
        case 5:
            return {TruncToInt(Poly(cal.polyGridToX, e, n) + 0.5),
                    TruncToInt(Poly(cal.polyGridToY, e, n) + 0.5)};
    }
    return {};
}

PixelPoint GridToPixelExact(const CalibrationState& cal, double e, double n) {
    switch (cal.calibrationMode) {
        case 2:
            if (cal.straddles180 && e < 0) e += 360;
            return {(e - cal.originEasting) / cal.metresPerPixelX,
                    (n - cal.originNorthing) / cal.metresPerPixelY};
        case 3: {
            const auto& a = cal.affineGridToPixel;
            return {a[0] * e + a[1] * n + a[2], a[3] * e + a[4] * n + a[5]};
        }
        case 5:
            return {Poly(cal.polyGridToX, e, n), Poly(cal.polyGridToY, e, n)};
    }
    return {};
}

GridPoint PixelToGrid(const CalibrationState& cal, double x, double y) {
    switch (cal.calibrationMode) {
        case 2: {
            double e = x * cal.metresPerPixelX + cal.originEasting;
            if (cal.straddles180 && e > 180) e -= 360;
            return {e, y * cal.metresPerPixelY + cal.originNorthing};
        }
        case 3: {
            const auto& a = cal.affinePixelToGrid;
            return {a[0] * x + a[1] * y + a[2], a[3] * x + a[4] * y + a[5]};
        }
        case 5: {
            // Two rounds that pull the inverse fit towards the forward one, so
            // a pixel converted to a position and back lands where it started.
            double px = x, py = y;
            GridPoint out;
            for (int round = 0; round < 2; ++round) {
                double e = Poly(cal.polyPixelToE, px, py), n = Poly(cal.polyPixelToN, px, py);
                double qx = Poly(cal.polyGridToX, e, n), qy = Poly(cal.polyGridToY, e, n);
                out.easting = 2 * e - Poly(cal.polyPixelToE, qx, qy);
                out.northing = 2 * n - Poly(cal.polyPixelToN, qx, qy);
                px = Poly(cal.polyGridToX, out.easting, out.northing);
                py = Poly(cal.polyGridToY, out.easting, out.northing);
            }
            return out;
        }
    }
    return {};
}

MapPixel LatLonToMapPixel(const MapRecord& map, const DatumTable& datums, double lat, double lon) {
    ProjectedPoint p = ProjectForward(map.projectionId, map.projection, datums, lat, lon);
    return GridToPixel(map.calibration, p.easting, p.northing);
}

GeoPoint MapPixelToLatLon(const MapRecord& map, const DatumTable& datums, double x, double y) {
    if (!HasCalibration(map)) return {};
    GridPoint g = PixelToGrid(map.calibration, x, y);
    GeoResult r = ProjectInverse(map.projectionId, map.projection, datums, g.easting, g.northing);
    return {r.lat, r.lon};
}

bool InsideMapBorder(const MapRecord& map, double lat, double lon) {
    const int count = std::clamp(map.borderCount, 0, kMaxBorderCorners);
    return PointInBorder(count, lon, lat, map.borderLat.data() + 1, map.borderLon.data() + 1);
}

}  // namespace mw
