// mwtool convert, datum-shift, project, grid, distance: the geodesy and the
// projections of the core, headless. With no coordinates on the command line
// each command reads one point per line from standard input and writes one
// line per input line; a line it cannot read gives "error: ..." and the
// rest go on. Numbers are read and written in the C locale.
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/mwtool.h"
#include "geo/datum_convert.h"
#include "geo/datums.h"
#include "geo/distance.h"
#include "geo/format_names.h"
#include "geo/grid_refs.h"
#include "proj/position_format.h"
#include "proj/projection.h"
#include "support/text.h"

namespace {

using Words = std::vector<std::string>;
// Turns the words of one point into its output line, or into a text
// starting "error:" when they cannot be read.
using PointFn = std::function<std::string(const Words&)>;

Words SplitWords(const std::string& line) {
    std::istringstream in(line);
    Words words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Runs `fn` on the command line's words, or on every line of standard input
// when there are none. Returns the exit code: 0 when every point was read,
// 1 when any gave an error line. Output is collected and written in large
// pieces: standard input is not tied to standard output here, so reading a
// line does not flush the one before (a million points were a million
// writes).
int RunPoints(const Words& words, const PointFn& fn) {
    constexpr std::size_t kFlushBytes = 64 * 1024;
    bool failed = false;
    std::string out;
    auto one = [&](const Words& w) {
        std::string line = fn(w);
        if (line.rfind("error:", 0) == 0) failed = true;
        out += line;
        out += '\n';
        if (out.size() >= kFlushBytes) {
            std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    };
    if (!words.empty()) {
        one(words);
    } else {
        std::ostream* previous = std::cin.tie(nullptr);
        for (std::string line; std::getline(std::cin, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            one(SplitWords(line));
        }
        std::cin.tie(previous);
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    std::cout.flush();
    return failed ? 1 : 0;
}

std::string ReadError(const Words& w, const char* what) {
    std::string text;
    for (const auto& s : w) text += (text.empty() ? "" : " ") + s;
    return mw::Format("error: expected %s, got '%s'", what, text.c_str());
}

// Numbers from words [from, from + count); false when one is not a number.
bool Numbers(const Words& w, std::size_t from, std::size_t count, double* out) {
    if (w.size() != from + count) return false;
    for (std::size_t i = 0; i < count; ++i) {
        auto v = mwtool::ParseNumber(w[from + i]);
        if (!v) return false;
        out[i] = *v;
    }
    return true;
}

// A comma-separated list of exactly `count` numbers.
bool NumberList(const std::string& text, std::size_t count, double* out) {
    Words parts;
    std::string cur;
    for (char c : text) {
        if (c == ',') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return Numbers(parts, 0, count, out);
}

// The datum index for a name; unknown names become WGS 84 as everywhere in
// the program, with a note on stderr since a typing error is likely.
int DatumIndex(const mw::DatumTable& table, const std::string& name) {
    int index = mw::FindDatumByName(table, name);
    if (index == mw::kDatumWgs84 && name != "WGS 84")
        std::cerr << "mwtool: unknown datum '" << name << "', using WGS 84\n";
    return index;
}

std::optional<mw::ProjectionParams> ReadParams(mwtool::Args& args, std::string& error) {
    mw::ProjectionParams p;
    if (auto text = args.Option("--params")) {
        double v[7];
        if (!NumberList(*text, 7, v)) {
            error = "--params needs LAT0,LON0,K0,FE,FN,SP1,SP2";
            return std::nullopt;
        }
        p = mw::ProjectionParamsFromList(v);
    }
    return p;
}

// The position is read on --from and shifted to --datum (both WGS 84 unless
// given), whose ellipsoid the grid formats then use: a GPS position becomes
// a British grid reference in one call.
int Convert(mwtool::Args& args) {
    const std::string fromName = args.Option("--from").value_or("WGS 84");
    const std::string datumName = args.Option("--datum").value_or("WGS 84");
    const std::string formatText = args.Option("--format").value_or("0");
    std::string error;
    auto params = ReadParams(args, error);
    if (!params) return mwtool::UsageError(error);
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    int format = mw::FindPositionFormat(formatText);
    if (format < 0) {
        auto n = mwtool::ParseInteger(formatText);
        if (!n || *n < 0 || *n >= mw::kPositionFormatCount)
            return mwtool::UsageError("unknown position format '" + formatText + "'");
        format = *n;
    }
    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    const int from = DatumIndex(datums, fromName);
    const int datum = DatumIndex(datums, datumName);
    return RunPoints(args.words, [&](const Words& w) {
        double v[2];
        if (!Numbers(w, 0, 2, v)) return ReadError(w, "LAT LON");
        mw::ConvertDatum(datums, from, datum, v[0], v[1]);
        return mw::FormatPosition(v[0], v[1], format, datums, datum, *params);
    });
}

int DatumShift(mwtool::Args& args) {
    const auto from = args.Option("--from");
    const auto to = args.Option("--to");
    double fromShift[2] = {0, 0}, toShift[2] = {0, 0};
    if (auto s = args.Option("--from-shift"); s && !NumberList(*s, 2, fromShift))
        return mwtool::UsageError("--from-shift needs DLAT,DLON in seconds");
    if (auto s = args.Option("--to-shift"); s && !NumberList(*s, 2, toShift))
        return mwtool::UsageError("--to-shift needs DLAT,DLON in seconds");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (!from || !to) return mwtool::UsageError("datum-shift needs --from NAME and --to NAME");
    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    const int fromDatum = DatumIndex(datums, *from);
    const int toDatum = DatumIndex(datums, *to);
    return RunPoints(args.words, [&](const Words& w) {
        double v[2];
        if (!Numbers(w, 0, 2, v)) return ReadError(w, "LAT LON");
        mw::ConvertDatum(datums, fromDatum, fromShift[0], fromShift[1], toDatum, toShift[0],
                         toShift[1], &v[0], &v[1]);
        return mw::Format("%.9f %.9f", v[0], v[1]);
    });
}

int Project(mwtool::Args& args) {
    const auto projText = args.Option("--proj");
    const std::string datumName = args.Option("--datum").value_or("WGS 84");
    const auto utmCm = args.Option("--utm-cm");
    const bool inverse = args.Flag("--inverse");
    std::string error;
    auto params = ReadParams(args, error);
    if (!params) return mwtool::UsageError(error);
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (!projText) return mwtool::UsageError("project needs --proj TEXT");

    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    mw::ProjectionState state;
    state.projectionName = *projText;
    state.params = *params;
    state.mapDatum = DatumIndex(datums, datumName);
    if (utmCm) {
        auto v = mwtool::ParseNumber(*utmCm);
        if (!v) return mwtool::UsageError("--utm-cm needs a number of degrees");
        state.utmCentralMeridian = *v;
    }
    const int id = mw::ProjectionIdFromName(state.projectionName);
    if (id == mw::kProjUnsupported) std::cerr << "mwtool: Map Projection not Supported\n";

    return RunPoints(args.words, [&](const Words& w) {
        double v[2];
        if (!inverse) {
            if (!Numbers(w, 0, 2, v)) return ReadError(w, "LAT LON");
            mw::ProjectedPoint p = mw::ProjectForward(id, state, datums, v[0], v[1]);
            if (p.error != mw::kProjOk && p.error != mw::kProjErrDomain)
                std::cerr << "mwtool: projection error " << p.error << "\n";
            return mw::Format("%.6f %.6f", p.easting, p.northing);
        }
        if (!Numbers(w, 0, 2, v)) return ReadError(w, "EASTING NORTHING");
        mw::GeoResult g = mw::ProjectInverse(id, state, datums, v[0], v[1]);
        if (g.error != mw::kProjOk && g.error != mw::kProjErrDomain)
            std::cerr << "mwtool: projection error " << g.error << "\n";
        return mw::Format("%.9f %.9f", g.lat, g.lon);
    });
}

int Grid(mwtool::Args& args) {
    const std::string datumName = args.Option("--datum").value_or("WGS 84");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.empty()) return mwtool::UsageError("grid needs utm, bng or irish");
    const std::string kind = args.words[0];
    args.words.erase(args.words.begin());
    if (kind != "utm" && kind != "bng" && kind != "irish")
        return mwtool::UsageError("unknown grid '" + kind + "'");
    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    const int datum = DatumIndex(datums, datumName);
    return RunPoints(args.words, [&](const Words& w) {
        double v[2];
        mw::GeoPoint p;
        if (kind == "utm") {
            auto zone = w.empty() ? std::nullopt : mwtool::ParseInteger(w[0]);
            const bool hemisphereOk = w.size() > 1 && (w[1] == "N" || w[1] == "S");
            if (!zone || *zone < 0 || *zone > 60 || !hemisphereOk || !Numbers(w, 2, 2, v))
                return ReadError(w, "ZONE N|S EASTING NORTHING");
            p = mw::UtmToLatLon(*zone, w[1] == "S", v[0], v[1], datums, datum);
        } else if (kind == "bng") {
            if (w.empty() || !Numbers(w, 1, 2, v)) return ReadError(w, "LETTERS EASTING NORTHING");
            p = mw::BritishGridToLatLon(w[0], v[0], v[1], datums, datum);
        } else {
            if (w.empty() || !Numbers(w, 1, 2, v)) return ReadError(w, "LETTER EASTING NORTHING");
            p = mw::IrishGridToLatLon(w[0], v[0], v[1], datums, datum);
        }
        return mw::Format("%.9f %.9f", p.lat, p.lon);
    });
}

int Distance(mwtool::Args& args) {
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    return RunPoints(args.words, [&](const Words& w) {
        double v[4];
        if (!Numbers(w, 0, 4, v)) return ReadError(w, "LAT1 LON1 LAT2 LON2");
        return mw::Format("%.9f %.9f %.9f", mw::DistanceNm(v[0], v[1], v[2], v[3]),
                          mw::DistanceMetres(v[0], v[1], v[2], v[3]),
                          mw::InitialBearing(v[0], v[1], v[2], v[3]));
    });
}

}  // namespace

MW_COMMAND("convert",
           "convert [--from DATUM] [--datum DATUM] [--format F] [--params LAT0,LON0,K0,FE,FN,SP1,SP2] "
           "[LAT LON]  (LAT LON on --from, shown shifted to --datum; both default WGS 84)",
           Convert);
MW_COMMAND(
    "datum-shift",
    "datum-shift --from NAME --to NAME [--from-shift DLAT,DLON] [--to-shift DLAT,DLON] [LAT LON]",
    DatumShift);
MW_COMMAND(
    "project",
    "project --proj TEXT [--params LAT0,LON0,K0,FE,FN,SP1,SP2] [--datum NAME] [--utm-cm DEG] "
    "[--inverse] [A B]",
    Project);
MW_COMMAND("grid",
           "grid [--datum NAME] utm ZONE N|S EASTING NORTHING | bng LETTERS EASTING NORTHING | "
           "irish LETTER EASTING NORTHING",
           Grid);
MW_COMMAND("distance", "distance [LAT1 LON1 LAT2 LON2]", Distance);
