// mwtool convert, datum-shift, project, grid, distance: the geodesy and the
// projections of the core, headless. With no coordinates on the command line
// each command reads one point per line from standard input and writes one
// line per input line; a line it cannot read gives "error: ..." and the
// rest go on. Numbers are read and written in the C locale.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/mwtool.h"
#include "geo/datum_convert.h"
#include "geo/datums.h"
#include "geo/distance.h"
#include "geo/format_names.h"
#include "geo/grid_refs.h"
#include "proj/position_format.h"
#include "proj/projection.h"
#include "support/number_format.h"
#include "support/text.h"

namespace {

using Words = std::vector<std::string_view>;
// Appends the output line of one point's words to `out` (without its
// newline) and answers true, or appends a text starting "error:" and answers
// false when the words cannot be read. Called from two threads at once on
// large inputs: it must only read what it captures.
using PointFn = std::function<bool(const Words&, std::string& out)>;

// Whitespace as the C locale's isspace has it: the separators of the words.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void SplitWords(std::string_view line, Words& words) {
    words.clear();
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        words.push_back(line.substr(start, i - start));
    }
}

// Runs `fn` on every line of `text` (whole lines, the last one with or
// without its newline), appending the output lines to `out`. False when any
// line gave an error.
bool RunLines(std::string_view text, const PointFn& fn, std::string& out) {
    bool ok = true;
    Words words;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        SplitWords(line, words);
        ok &= fn(words, out);
        out += '\n';
    }
    return ok;
}

void WriteOut(const std::string& out) {
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
}

// Runs `fn` on the command line's words, or on every line of standard input
// when there are none. Returns the exit code: 0 when every point was read,
// 1 when any gave an error line (or standard input could not be read).
//
// Standard input is read in large blocks and the output written in large
// pieces: a million points read line by line through a stream were a
// million small reads and, with the stream tied to the output, a million
// writes. A block of many lines is cut in two at a line's end and the second
// half converted on a second thread, so a large file uses both cores of a
// small machine; the halves are written in input order.
int RunPoints(const std::vector<std::string>& args, const PointFn& fn) {
    if (!args.empty()) {
        const Words words(args.begin(), args.end());
        std::string out;
        const bool ok = fn(words, out);
        out += '\n';
        WriteOut(out);
        std::cout.flush();
        return ok ? 0 : 1;
    }
    constexpr std::size_t kBlockBytes = 1 << 20;
    // Below this many bytes (a few thousand points) a second thread costs
    // more than it saves.
    constexpr std::size_t kParallelBytes = 64 * 1024;
    std::cout.flush();  // whatever was written before goes first
    bool ok = true;
    std::string in, first, second;
    in.reserve(kBlockBytes * 2);
    bool atEnd = false, lineTooLong = false;
    while (!atEnd || !in.empty()) {
        while (!atEnd && (in.size() < kBlockBytes || lineTooLong)) {
            lineTooLong = false;
            const std::size_t have = in.size();
            in.resize(have + kBlockBytes);
            const ssize_t n = ::read(STDIN_FILENO, in.data() + have, kBlockBytes);
            if (n < 0 && errno == EINTR) {
                in.resize(have);
                continue;
            }
            if (n < 0) {
                std::cerr << "mwtool: cannot read standard input: " << std::strerror(errno) << "\n";
                ok = false;
            }
            in.resize(have + static_cast<std::size_t>(n > 0 ? n : 0));
            if (n <= 0) atEnd = true;
        }
        // Whole lines only, until the input ends.
        std::size_t take = in.size();
        if (!atEnd) {
            const std::size_t lastNewline = in.rfind('\n');
            take = lastNewline == std::string::npos ? 0 : lastNewline + 1;
            if (take == 0) {  // one line longer than a block: read on
                lineTooLong = true;
                continue;
            }
        }
        const std::string_view block(in.data(), take);
        first.clear();
        second.clear();
        std::size_t half = block.size();
        if (block.size() >= kParallelBytes) {
            half = block.find('\n', block.size() / 2);
            half = half == std::string_view::npos ? block.size() : half + 1;
        }
        if (half < block.size()) {
            bool secondOk = true;
            std::thread worker(
                [&] { secondOk = RunLines(block.substr(half), fn, second); });
            ok &= RunLines(block.substr(0, half), fn, first);
            worker.join();
            ok &= secondOk;
        } else {
            ok &= RunLines(block, fn, first);
        }
        WriteOut(first);
        WriteOut(second);
        in.erase(0, take);
    }
    std::cout.flush();
    return ok ? 0 : 1;
}

// "A B" with `precision` decimals, as printf's "%.*f %.*f" prints them.
void AppendPair(std::string& out, double a, double b, int precision) {
    mw::AppendFixed(out, a, precision);
    out += ' ';
    mw::AppendFixed(out, b, precision);
}

bool ReadError(const Words& w, const char* what, std::string& out) {
    std::string text;
    for (const auto& s : w) {
        if (!text.empty()) text += ' ';
        text += s;
    }
    out += mw::Format("error: expected %s, got '%s'", what, text.c_str());
    return false;
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
bool NumberList(std::string_view text, std::size_t count, double* out) {
    Words parts;
    for (std::size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
        parts.push_back(text.substr(0, comma));
        text.remove_prefix(comma + 1);
    }
    parts.push_back(text);
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
    return RunPoints(args.words, [&](const Words& w, std::string& out) {
        double v[2];
        if (!Numbers(w, 0, 2, v)) return ReadError(w, "LAT LON", out);
        mw::ConvertDatum(datums, from, datum, v[0], v[1]);
        mw::AppendPosition(out, v[0], v[1], format, datums, datum, *params);
        return true;
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
    return RunPoints(args.words, [&](const Words& w, std::string& out) {
        double v[2];
        if (!Numbers(w, 0, 2, v)) return ReadError(w, "LAT LON", out);
        mw::ConvertDatum(datums, fromDatum, fromShift[0], fromShift[1], toDatum, toShift[0],
                         toShift[1], &v[0], &v[1]);
        AppendPair(out, v[0], v[1], 9);
        return true;
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

    return RunPoints(args.words, [&](const Words& w, std::string& out) {
        double v[2];
        if (!inverse) {
            if (!Numbers(w, 0, 2, v)) return ReadError(w, "LAT LON", out);
            mw::ProjectedPoint p = mw::ProjectForward(id, state, datums, v[0], v[1]);
            if (p.error != mw::kProjOk && p.error != mw::kProjErrDomain)
                std::cerr << "mwtool: projection error " << p.error << "\n";
            AppendPair(out, p.easting, p.northing, 6);
            return true;
        }
        if (!Numbers(w, 0, 2, v)) return ReadError(w, "EASTING NORTHING", out);
        mw::GeoResult g = mw::ProjectInverse(id, state, datums, v[0], v[1]);
        if (g.error != mw::kProjOk && g.error != mw::kProjErrDomain)
            std::cerr << "mwtool: projection error " << g.error << "\n";
        AppendPair(out, g.lat, g.lon, 9);
        return true;
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
    return RunPoints(args.words, [&](const Words& w, std::string& out) {
        double v[2];
        mw::GeoPoint p;
        if (kind == "utm") {
            auto zone = w.empty() ? std::nullopt : mwtool::ParseInteger(w[0]);
            const bool hemisphereOk = w.size() > 1 && (w[1] == "N" || w[1] == "S");
            if (!zone || *zone < 0 || *zone > 60 || !hemisphereOk || !Numbers(w, 2, 2, v))
                return ReadError(w, "ZONE N|S EASTING NORTHING", out);
            p = mw::UtmToLatLon(*zone, w[1] == "S", v[0], v[1], datums, datum);
        } else if (kind == "bng") {
            if (w.empty() || !Numbers(w, 1, 2, v)) return ReadError(w, "LETTERS EASTING NORTHING", out);
            p = mw::BritishGridToLatLon(w[0], v[0], v[1], datums, datum);
        } else {
            if (w.empty() || !Numbers(w, 1, 2, v)) return ReadError(w, "LETTER EASTING NORTHING", out);
            p = mw::IrishGridToLatLon(w[0], v[0], v[1], datums, datum);
        }
        AppendPair(out, p.lat, p.lon, 9);
        return true;
    });
}

int Distance(mwtool::Args& args) {
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    return RunPoints(args.words, [&](const Words& w, std::string& out) {
        double v[4];
        if (!Numbers(w, 0, 4, v)) return ReadError(w, "LAT1 LON1 LAT2 LON2", out);
        out += mw::Format("%.9f %.9f %.9f", mw::DistanceNm(v[0], v[1], v[2], v[3]),
                          mw::DistanceMetres(v[0], v[1], v[2], v[3]),
                          mw::InitialBearing(v[0], v[1], v[2], v[3]));
        return true;
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
