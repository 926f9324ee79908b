// Runs the geodesy case table (geodesy_cases.txt next to this file): datum
// shifts, Transverse Mercator, grid references, the projections, position
// texts and distances, each case with its tolerance, in the manner of PROJ's
// .gie files. The file's header explains the directives.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geo/datum_convert.h"
#include "geo/datums.h"
#include "geo/distance.h"
#include "geo/format_names.h"
#include "geo/grid_refs.h"
#include "geo/transverse_mercator.h"
#include "proj/position_format.h"
#include "proj/projection.h"
#include "support/text.h"

namespace {

using namespace mw;
using Words = std::vector<std::string>;

constexpr double kMetresPerDegree = 111319.49;

Words SplitWords(const std::string& text) {
    std::istringstream in(text);
    Words w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

std::string Unescape(std::string text) {
    for (std::size_t p; (p = text.find("\\t")) != std::string::npos;) text.replace(p, 2, "\t");
    return text;
}

// What an operation gives: numbers and, for grid references and texts, one
// text. `geographic` says the numbers are degrees.
struct Output {
    std::string text;
    std::vector<double> values;
    bool geographic = false;
    int error = kProjOk;
};

class CaseRunner {
public:
    explicit CaseRunner(std::string file) : file_(std::move(file)) {}

    void Line(int lineNo, const std::string& raw) {
        line_ = lineNo;
        std::string line = raw;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') return;
        const auto sp = trimmed.find(' ');
        const std::string word = trimmed.substr(0, sp);
        const std::string rest = sp == std::string::npos ? "" : Trim(trimmed.substr(sp + 1));
        if (word == "operation") return Operation(rest);
        if (word == "datum") {
            SetDatum(rest, datum_);
            state_.mapDatum = datum_;
            return;
        }
        if (word == "from") return SetDatum(rest, from_);
        if (word == "to") return SetDatum(rest, to_);
        if (word == "fromshift") return Pair(rest, fromShift_);
        if (word == "params") return Params(rest);
        if (word == "utmcm") {
            state_.utmCentralMeridian = ParseReal(rest);
            return;
        }
        if (word == "tolerance") return Tolerance(rest);
        if (word == "accept") {
            accept_ = SplitWords(rest);
            return;
        }
        if (word == "expect") {
            // Texts are compared exactly, leading blanks included (the Irish
            // grid's blank letter): take everything after "expect ".
            const std::size_t at = line.find("expect");
            return Expect(at + 7 <= line.size() ? line.substr(at + 7) : "");
        }
        if (word == "roundtrip") return Roundtrip(rest);
        Fail("unknown directive '" + word + "'");
    }

    int cases() const { return cases_; }

private:
    void Fail(const std::string& what) {
        ADD_FAILURE_AT(file_.c_str(), line_)
            << what << " [operation " << op_ << " " << opRest_ << "]";
    }

    void Operation(const std::string& rest) {
        const auto sp = rest.find(' ');
        op_ = rest.substr(0, sp);
        opRest_ = sp == std::string::npos ? "" : Trim(rest.substr(sp + 1));
        datum_ = from_ = to_ = kDatumWgs84;
        fromShift_[0] = fromShift_[1] = 0;
        state_ = ProjectionState{};
        state_.projectionName = opRest_;
        toleranceMetres_ = 0.001;
        toleranceDegrees_ = -1;
        toleranceAbs_ = -1;
        accept_.clear();
    }

    void SetDatum(const std::string& name, int& slot) {
        slot = FindDatumByName(datums_, name);
        // A misspelt name would silently become WGS 84 and still pass some cases.
        if (datums_.Row(slot).name != name) Fail("no datum named '" + name + "'");
    }

    void Pair(const std::string& rest, double* out) {
        Words w = SplitWords(rest);
        if (w.size() != 2) return Fail("two numbers expected");
        out[0] = ParseReal(w[0]);
        out[1] = ParseReal(w[1]);
    }

    void Params(const std::string& rest) {
        double v[7];
        int n = 0;
        std::string item;
        std::istringstream in(rest);
        while (n < 7 && std::getline(in, item, ',')) v[n++] = ParseReal(item);
        if (n != 7) return Fail("params needs seven numbers");
        state_.params = ProjectionParamsFromList(v);
    }

    void Tolerance(const std::string& rest) {
        Words w = SplitWords(rest);
        if (w.size() != 2) return Fail("tolerance needs a value and a unit");
        const double v = ParseReal(w[0]);
        toleranceMetres_ = 0;
        toleranceDegrees_ = -1;
        toleranceAbs_ = -1;
        if (w[1] == "mm")
            toleranceMetres_ = v / 1000;
        else if (w[1] == "cm")
            toleranceMetres_ = v / 100;
        else if (w[1] == "m")
            toleranceMetres_ = v;
        else if (w[1] == "deg")
            toleranceDegrees_ = v;
        else if (w[1] == "abs")
            toleranceAbs_ = v;
        else
            Fail("unknown tolerance unit '" + w[1] + "'");
    }

    // The tolerance for one output value. A length turns into degrees of
    // latitude, or of longitude at latitude `lat` when `isLongitude`.
    double ToleranceFor(bool geographic, bool isLongitude = false, double lat = 0) const {
        if (toleranceAbs_ >= 0) return toleranceAbs_;
        if (!geographic)
            return toleranceDegrees_ >= 0 ? toleranceDegrees_ * kMetresPerDegree : toleranceMetres_;
        if (toleranceDegrees_ >= 0) return toleranceDegrees_;
        const double scale =
            isLongitude ? std::fmax(std::cos(lat * 0.017453292519943295), 1e-6) : 1;
        return toleranceMetres_ / (kMetresPerDegree * scale);
    }

    std::vector<double> Numbers(const Words& w, std::size_t from) {
        std::vector<double> v;
        for (std::size_t i = from; i < w.size(); ++i) {
            auto n = std::strtod(w[i].c_str(), nullptr);
            v.push_back(n);
        }
        return v;
    }

    int ProjectionId() const { return ProjectionIdFromName(opRest_); }

    // Runs the operation forward on `in`; false when the operation does not
    // know the input.
    bool Forward(const Words& in, Output& out) {
        const std::vector<double> v = Numbers(in, 0);
        auto need = [&](std::size_t n) { return in.size() == n; };
        if (op_ == "project" && need(2)) {
            ProjectedPoint p = ProjectForward(ProjectionId(), state_, datums_, v[0], v[1]);
            out.values = {p.easting, p.northing};
            out.error = p.error;
        } else if (op_ == "tm" && need(2)) {
            Words a = SplitWords(opRest_);
            if (a.size() != 3) return false;
            double e, n;
            TmForward(v[0], v[1], ParseReal(a[0]), ParseReal(a[1]), ParseReal(a[2]), e, n, datums_,
                      datum_);
            out.values = {e, n};
        } else if (op_ == "shift" && need(2)) {
            double lat = v[0], lon = v[1];
            ConvertDatum(datums_, from_, fromShift_[0], fromShift_[1], to_, 0, 0, &lat, &lon);
            out.values = {lat, lon};
            out.geographic = true;
        } else if ((op_ == "utm" || op_ == "bng" || op_ == "irish") && need(2)) {
            GridReference r = op_ == "utm"   ? LatLonToUtm(v[0], v[1], datums_, datum_)
                              : op_ == "bng" ? LatLonToBritishGrid(v[0], v[1], datums_, datum_)
                                             : LatLonToIrishGrid(v[0], v[1], datums_, datum_);
            out.text = r.zone;
            out.values = {r.easting, r.northing};
        } else if (op_ == "format" && need(2)) {
            int f = FindPositionFormat(opRest_);
            if (f < 0) f = ParseInt(opRest_);
            out.text = FormatPosition(v[0], v[1], f, datums_, datum_, state_.params);
        } else if (op_ == "distance" && need(4)) {
            out.values = {DistanceNm(v[0], v[1], v[2], v[3]),
                          DistanceMetres(v[0], v[1], v[2], v[3]),
                          InitialBearing(v[0], v[1], v[2], v[3])};
        } else {
            return false;
        }
        return true;
    }

    // The inverse of Forward for a geographic input, back to (lat, lon).
    bool Inverse(const Words& in, const Output& fwd, double& lat, double& lon) {
        const double srcLat = std::strtod(in[0].c_str(), nullptr);
        if (op_ == "project") {
            GeoResult g =
                ProjectInverse(ProjectionId(), state_, datums_, fwd.values[0], fwd.values[1]);
            lat = g.lat;
            lon = g.lon;
        } else if (op_ == "tm") {
            Words a = SplitWords(opRest_);
            TmInverse(fwd.values[0], fwd.values[1], ParseReal(a[0]), ParseReal(a[1]),
                      ParseReal(a[2]), lat, lon, datums_, datum_);
        } else if (op_ == "shift") {
            lat = fwd.values[0];
            lon = fwd.values[1];
            ConvertDatum(datums_, to_, 0, 0, from_, fromShift_[0], fromShift_[1], &lat, &lon);
        } else if (op_ == "utm") {
            const bool ups = fwd.text.size() == 4 && fwd.text[2] == '\t';
            GeoPoint p = UtmToLatLon(ups ? 0 : ParseInt(fwd.text), srcLat < 0, fwd.values[0],
                                     fwd.values[1], datums_, datum_);
            lat = p.lat;
            lon = p.lon;
        } else if (op_ == "bng" || op_ == "irish") {
            GeoPoint p =
                op_ == "bng"
                    ? BritishGridToLatLon(fwd.text, fwd.values[0], fwd.values[1], datums_, datum_)
                    : IrishGridToLatLon(fwd.text, fwd.values[0], fwd.values[1], datums_, datum_);
            lat = p.lat;
            lon = p.lon;
        } else {
            return false;
        }
        return true;
    }

    void Expect(const std::string& rest) {
        ++cases_;
        Output out;
        if (!Forward(accept_, out)) return Fail("operation cannot take the accepted input");
        Words w = SplitWords(rest);
        for (std::string& word : w) word = Unescape(word);
        if (!w.empty() && w[0] == "failure") {
            const bool failed = out.error != kProjOk && out.error != kProjErrDomain;
            if (!failed)
                return Fail("expected a failure, got error code " + std::to_string(out.error));
            if (w.size() > 1 && out.error != ParseInt(w[1]))
                Fail("expected error " + w[1] + ", got " + std::to_string(out.error));
            return;
        }
        if (op_ == "format") {
            const std::string want = Unescape(rest);
            if (out.text != want) Fail("expected '" + want + "', got '" + out.text + "'");
            return;
        }
        int wantError = kProjOk;
        bool checkError = false;
        if (w.size() >= 2 && w[w.size() - 2] == "error") {
            wantError = ParseInt(w.back());
            checkError = true;
            w.resize(w.size() - 2);
        }
        std::size_t first = 0;
        if (!out.text.empty()) {
            if (w.empty() || w[0] != out.text)
                Fail("expected zone/letters '" + (w.empty() ? "" : w[0]) + "', got '" + out.text +
                     "'");
            first = 1;
        }
        const std::vector<double> want = Numbers(w, first);
        if (want.size() != out.values.size()) return Fail("wrong number of expected values");
        for (std::size_t i = 0; i < want.size(); ++i) {
            const double tol = ToleranceFor(out.geographic, i == 1, want[0]);
            const double diff = std::fabs(out.values[i] - want[i]);
            if (!(diff <= tol))
                Fail(
                    Format("value %zu: expected %.10g, got %.10g (difference %.3g, tolerance %.3g)",
                           i + 1, want[i], out.values[i], diff, tol));
        }
        if (checkError && out.error != wantError)
            Fail("expected error " + std::to_string(wantError) + ", got " +
                 std::to_string(out.error));
        else if (!checkError && out.error != kProjOk)
            Fail("unexpected error " + std::to_string(out.error));
    }

    void Roundtrip(const std::string& rest) {
        ++cases_;
        const int n = rest.empty() ? 1 : ParseInt(rest);
        if (accept_.size() != 2) return Fail("roundtrip needs a latitude and longitude");
        const double lat0 = std::strtod(accept_[0].c_str(), nullptr);
        const double lon0 = std::strtod(accept_[1].c_str(), nullptr);
        double lat = lat0, lon = lon0;
        for (int i = 0; i < n; ++i) {
            Output fwd;
            Words in = {Format("%.17g", lat), Format("%.17g", lon)};
            if (!Forward(in, fwd) || !Inverse(in, fwd, lat, lon))
                return Fail("operation has no inverse");
        }
        if (!(std::fabs(lat - lat0) <= ToleranceFor(true)) ||
            !(std::fabs(lon - lon0) <= ToleranceFor(true, true, lat0)))
            Fail(Format("roundtrip moved (%.10f, %.10f) to (%.10f, %.10f)", lat0, lon0, lat, lon));
    }

    std::string file_;
    int line_ = 0;
    DatumTable datums_;
    std::string op_, opRest_;
    int datum_ = kDatumWgs84, from_ = kDatumWgs84, to_ = kDatumWgs84;
    double fromShift_[2] = {0, 0};
    ProjectionState state_;
    double toleranceMetres_ = 0.001, toleranceDegrees_ = -1, toleranceAbs_ = -1;
    Words accept_;
    int cases_ = 0;
};

TEST(CaseTable, EveryCasePasses) {
    const std::string path = std::string(MW_SOURCE_DIR) + "/tests/core/proj/geodesy_cases.txt";
    TextFileReader file(path);
    ASSERT_TRUE(file.IsOpen()) << path;
    CaseRunner runner(path);
    int lineNo = 0;
    ForEachLine(
        file,
        [&](const std::string& line) {
            runner.Line(++lineNo, line);
            return true;
        },
        kLongLineMax);
    // A truncated or misread file must not pass by running nothing.
    EXPECT_GE(runner.cases(), 80);
}

}  // namespace
