#include "gps/position_csv.h"

#include <charconv>

namespace mw {

namespace {

// to_chars with a precision is printf's "%.Nf" in the C locale, without the
// format parsing and the locale lookups that made printing cost more than
// decoding.
void Real(std::string& out, double v, int decimals) {
    char buf[352];  // the longest fixed double: 309 digits, sign, point, decimals
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    out.append(buf, r.ptr);
    out += ',';
}

void Int(std::string& out, int v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
    out += ',';
}

}  // namespace

void AppendPositionCsv(std::string& out, const PositionReport& p, const GpsFix& f) {
    Real(out, p.lat, 9);
    Real(out, p.lon, 9);
    out += p.date;
    out += ',';
    out += p.time;
    out += ',';
    Real(out, f.speed, 6);
    Real(out, f.trueCourse, 6);
    Real(out, f.magneticCourse, 6);
    Real(out, f.magneticVariation, 6);
    Real(out, f.altitude, 6);
    Int(out, f.fixQuality);
    Int(out, f.satellitesInUse);
    Real(out, f.hdop, 6);
    Int(out, f.dgpsAge);
    out += f.statusText;
    out += '\n';
}

}  // namespace mw
