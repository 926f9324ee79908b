#include "geo/grid_refs.h"

#include <cmath>

#include "geo/transverse_mercator.h"
#include "support/number_format.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr double kD2R = 0.017453292519943295;
constexpr double kPi = 3.141592653589793;

// UPS: the scale 0.994 enters only as 2·k0.
constexpr double kUpsTwoK0 = 1.988;
constexpr double kUpsFalseOrigin = 2000000.0;

constexpr std::string_view kBritishFirst = "STUQRNOPLMHJKFGCDEABXYZVW";
constexpr std::string_view kBritishSecond = "VWXYZQRSTULMNOPFGHJKABCDE";
// One row of four columns per 100 km of northing, from the south.
constexpr std::string_view kIrishRows[5] = {"VWXY", "QRST", "LMNO", "FGHJ", "ABCD"};

// Division and remainder of non-negative whole metres held in doubles.
int Div(double value, int step) { return static_cast<int>(value) / step; }
double Mod(double value, int step) { return static_cast<double>(static_cast<long>(value) % step); }

}  // namespace

void AppendDegMin(std::string& out, double value) {
    const double x = std::fabs(value);
    double d = std::floor(x);
    double m = (x - d) * 60;
    if (m > 59.9995) {
        m = 0;
        d += 1;
    }
    if (value < 0) d = -d;
    AppendFixed(out, d, 0);
    out += ' ';
    AppendFixedZeroPadded(out, m, 3, 6);
    out += '\'';
}

void AppendDegMinSec(std::string& out, double value) {
    const double x = std::fabs(value);
    double d = std::floor(x);
    const double mm = (x - d) * 60;
    double m = std::floor(mm);
    double s = (mm - m) * 60;
    if (s > 59.95) {
        s = 0;
        m += 1;
    }
    if (m > 59.5) {
        m = 0;
        d += 1;
    }
    if (value < 0) d = -d;
    AppendFixed(out, d, 0);
    out += ' ';
    AppendFixedZeroPadded(out, m, 0, 2);
    out += "' ";
    AppendFixedZeroPadded(out, s, 1, 4);
    out += '"';
}

std::string FormatDegMin(double value) {
    std::string text;
    AppendDegMin(text, value);
    return text;
}

std::string FormatDegMinSec(double value) {
    std::string text;
    AppendDegMinSec(text, value);
    return text;
}

GridReference LatLonToUtm(double lat, double lon, const DatumTable& datums, int datum) {
    GridReference ref;
    if (lat >= -80 && lat <= 84) {
        const int i = static_cast<int>(lat + 80);
        char letter = static_cast<char>('C' + i / 8);
        if (letter > 'H') ++letter;      // no band I
        if (letter > 'N') ++letter;      // no band O
        if (letter > 'X') letter = 'X';  // 72° to 84° is one band
        const double cm = std::floor(lon * (1.0 / 6)) * 6 + 3;
        const int zone = (static_cast<int>(cm) + 183) / 6;
        // "%02d%c", built by hand: this runs for every position read-out.
        if (zone >= 0 && zone <= 99) {
            ref.zone.push_back(static_cast<char>('0' + zone / 10));
            ref.zone.push_back(static_cast<char>('0' + zone % 10));
            ref.zone.push_back(letter);
        } else {
            ref.zone = Format("%02d%c", zone, letter);
        }
        TmForward(lat, lon, 0.0, cm, kUtmScale, ref.easting, ref.northing, datums, datum);
        ref.easting += kUtmFalseEasting;
        if (lat < 0) ref.northing += kUtmSouthernFalseNorthing;
        return ref;
    }
    char letter = lat > 0 ? (lon < 0 ? 'Y' : 'Z') : (lon < 0 ? 'A' : 'B');
    ref.zone = std::string("00\t") + letter;
    const Ellipsoid ell = GetDatumEllipsoid(datums, datum);
    const double e = std::sqrt(ell.e2);
    const double phi = std::fabs(lat) * kD2R, lambda = lon * kD2R;
    const double es = e * std::sin(phi);
    const double t = std::tan(kPi / 4 - phi / 2) / std::pow((1 - es) / (1 + es), e / 2);
    const double rho =
        ell.a * kUpsTwoK0 * t / std::sqrt(std::pow(1 + e, 1 + e) * std::pow(1 - e, 1 - e));
    ref.easting = rho * std::sin(lambda) + kUpsFalseOrigin;
    double north = rho * std::cos(lambda);
    if (lat > 0) north = -north;
    ref.northing = north + kUpsFalseOrigin;
    return ref;
}

GeoPoint UtmToLatLon(int zone, bool southern, double easting, double northing,
                     const DatumTable& datums, int datum) {
    const Ellipsoid ell = GetDatumEllipsoid(datums, datum);
    GeoPoint p;
    if (zone != 0) {
        const double cm = zone * 6.0 - 183;
        const double n = southern ? kUtmSouthernFalseNorthing - northing : northing;
        TmInverse(easting - kUtmFalseEasting, n, 0.0, cm, kUtmScale, p.lat, p.lon, ell);
        if (southern) p.lat = -p.lat;
        return p;
    }
    const double e = std::sqrt(ell.e2);
    const double x = easting - kUpsFalseOrigin;
    double y = northing - kUpsFalseOrigin;
    const double rho = std::sqrt(x * x + y * y);
    const double t =
        rho * std::sqrt(std::pow(1 - e, 1 - e) * std::pow(1 + e, 1 + e)) / (ell.a * kUpsTwoK0);
    double phi = kPi / 2 - 2 * std::atan(t);
    for (int i = 0; i < 20; ++i) {
        const double es = e * std::sin(phi);
        const double next = kPi / 2 - 2 * std::atan(t * std::pow((1 - es) / (1 + es), e / 2));
        const double change = std::fabs((next - phi) / next);
        phi = next;
        if (change <= 1e-8) break;
    }
    p.lat = southern ? -phi / kD2R : phi / kD2R;
    if (!southern) y = -y;
    double lambda = y == 0 ? kPi / 2 : std::atan(std::fabs(x / y));
    if (y < 0) lambda = kPi - lambda;
    if (x < 0) lambda = -lambda;
    p.lon = lambda / kD2R;
    return p;
}

GridReference LatLonToBritishGrid(double lat, double lon, const DatumTable& datums, int datum) {
    GridReference ref;
    ref.zone = "--";
    double e, n;
    TmForward(lat, lon, kBngLat0, kBngLon0, kBngScale, e, n, datums, datum);
    const double E = std::floor(e + 400000.5);
    const double N = std::floor(n - 100000 + 0.5);
    // N = 2500000 would be row 5 of a five-row letter table.
    if (E >= 0 && E <= 1000000 && N >= 0 && N < 2500000) {
        ref.zone.assign(1, kBritishFirst[Div(N, 500000) * 5 + Div(E, 500000)]);
        ref.zone += kBritishSecond[(Div(N, 100000) % 5) * 5 + Div(E, 100000) % 5];
        ref.easting = Mod(E, 100000);
        ref.northing = Mod(N, 100000);
    }
    return ref;
}

GeoPoint BritishGridToLatLon(std::string_view letters, double easting, double northing,
                             const DatumTable& datums, int datum) {
    GeoPoint p;
    if (letters.size() < 2 || !(easting >= 0 && easting <= 100000) ||
        !(northing >= 0 && northing <= 100000))
        return p;
    const auto i1 = kBritishFirst.find(letters[0]);
    const auto i2 = kBritishSecond.find(letters[1]);
    if (i1 == std::string_view::npos || i2 == std::string_view::npos) return p;  // also "--"
    const int a = static_cast<int>(i1), b = static_cast<int>(i2);
    const double n = (b / 5 + 1) * 100000.0 + (a / 5) * 500000.0 + northing;
    const double e = (b % 5) * 100000.0 + (a % 5) * 500000.0 + easting - 400000;
    TmInverse(e, n, kBngLat0, kBngLon0, kBngScale, p.lat, p.lon, datums, datum);
    return p;
}

GridReference LatLonToIrishGrid(double lat, double lon, const DatumTable& datums, int datum) {
    GridReference ref;
    ref.zone = " ";
    double e, n;
    TmForward(lat, lon, kIrishLat0, kIrishLon0, kIrishScale, e, n, datums, datum);
    const double E = std::floor(e + 200000.5);
    const double N = std::floor(n + 250000.5);
    // E = 400000 or N = 500000 would be column 4 or row 5 of the 4 × 5 table.
    if (E >= 0 && E < 400000 && N >= 0 && N < 500000) {
        ref.zone.assign(1, kIrishRows[Div(N, 100000)][Div(E, 100000)]);
        ref.easting = Mod(E, 100000);
        ref.northing = Mod(N, 100000);
    }
    return ref;
}

GeoPoint IrishGridToLatLon(std::string_view letter, double easting, double northing,
                           const DatumTable& datums, int datum) {
    GeoPoint p;
    if (letter.empty() || letter == "--" || !(easting >= 0 && easting <= 100000) ||
        !(northing >= 0 && northing <= 100000))
        return p;
    for (int row = 0; row < 5; ++row) {
        const auto col = kIrishRows[row].find(letter[0]);
        if (col == std::string_view::npos) continue;
        const double e = static_cast<double>(col) * 100000 + easting - 200000;
        const double n = row * 100000.0 + northing - 250000;
        TmInverse(e, n, kIrishLat0, kIrishLon0, kIrishScale, p.lat, p.lon, datums, datum);
        return p;
    }
    return p;  // blank, "--" or a letter not on the grid
}

}  // namespace mw
