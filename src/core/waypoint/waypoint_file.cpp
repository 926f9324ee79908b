#include "waypoint/waypoint_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "geo/datum_convert.h"
#include "support/durable_file.h"
#include "support/line_budget.h"
#include "support/number_format.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

// Fallbacks that differ from the record defaults.
constexpr int kFileField7Fallback = 0;

// Whether a trimmed field begins like a number ("12", "-3.5", ".5", "+7");
// anything else is garbage and reads as the field's fallback.
bool LooksNumeric(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && text[i] == '.') ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

double RealField(const SplitFieldTable& fields, int n, double fallback) {
    if (!fields.Has(n)) return fallback;
    std::string text = fields.Get(n, "");
    if (!LooksNumeric(text)) return fallback;
    double v = ParseReal(text);
    return std::isfinite(v) ? v : fallback;
}

int IntField(const SplitFieldTable& fields, int n, int fallback) {
    if (!fields.Has(n)) return fallback;
    std::string text = fields.Get(n, "");
    return LooksNumeric(text) ? ParseInt(text) : fallback;
}

float FloatOf(double v, float fallback) {
    return std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : fallback;
}

int TruncToIntSaturated(double v) {
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

// A text as one field: the format has no quoting, so a separator or a line
// end inside it would change every field after it.
std::string FieldText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == ',' || c == '\r' || c == '\n') c = ' ';
    return out;
}

void ToWgs84(const DatumTable& datums, int mapDatum, double& lat, double& lon) {
    ConvertDatum(datums, mapDatum, kDatumWgs84, lat, lon);
}

}  // namespace

std::string WaypointLogPath(std::string_view dataFolder) {
    return JoinPath(dataFolder, kWaypointLogFileName);
}

Waypoint ParseWaypointLine(std::string_view line) {
    const SplitFieldTable f = SplitFields(line);
    Waypoint w;
    w.name = CutWaypointName(f.Get(2, ""));
    w.lat = RealField(f, 3, 0);
    w.lon = RealField(f, 4, 0);
    w.date = RealField(f, 5, kWaypointDefaultDate);
    w.symbol = IntField(f, 6, 0);
    w.field7 = IntField(f, 7, kFileField7Fallback);
    w.field8 = IntField(f, 8, 0);
    w.textColour = IntField(f, 9, 0);
    w.backColour = IntField(f, 10, kWaypointWhite);
    w.description = f.Get(11, "");
    w.field12 = IntField(f, 12, 0);
    w.field13 = IntField(f, 13, 0);
    w.proximityDistance = IntField(f, 14, 0);
    w.altitude = FloatOf(RealField(f, 15, kWaypointNoAltitude), kWaypointNoAltitude);
    w.field16 = IntField(f, 16, 8);
    w.field17 = IntField(f, 17, 0);
    w.field18 = IntField(f, 18, 17);
    w.popupPosition = TruncToIntSaturated(RealField(f, 19, 0));
    w.popupSeconds = static_cast<float>(IntField(f, 20, 10));
    w.field21 = IntField(f, 21, 2);
    w.attachment = f.Get(22, "");
    w.proximityImage = f.Get(23, "");
    w.proximitySound = f.Get(24, "");
    return w;
}

std::string FormatWaypointLine(const Waypoint& w, double lat, double lon) {
    // The fields of ",%12.7f,%12.7f,%11.5f,%d,%d,%d,%d,%d," and
    // ",%d,%d,%d,%8.0f,%d,%d,%d,%d,%10.1f,%d,", built without printf: a GPX
    // import may write a great many of these lines.
    std::string line = "-1,";
    line.reserve(160 + w.name.size() + w.description.size() + w.attachment.size());
    line += FieldText(w.name);
    line += ',';
    AppendFixed(line, lat, 7, 12);
    line += ',';
    AppendFixed(line, lon, 7, 12);
    line += ',';
    AppendFixed(line, w.date, 5, 11);
    for (int v : {w.symbol, w.field7, w.field8, w.textColour, w.backColour}) {
        line += ',';
        AppendInt(line, v);
    }
    line += ',';
    line += FieldText(w.description);
    for (int v : {w.field12, w.field13, w.proximityDistance}) {
        line += ',';
        AppendInt(line, v);
    }
    line += ',';
    AppendFixed(line, static_cast<double>(w.altitude), 0, 8);
    for (int v : {w.field16, w.field17, w.field18, w.popupPosition}) {
        line += ',';
        AppendInt(line, v);
    }
    line += ',';
    AppendFixed(line, static_cast<double>(w.popupSeconds), 1, 10);
    line += ',';
    AppendInt(line, w.field21);
    line += ',';
    line += FieldText(w.attachment);
    line += ',';
    line += FieldText(w.proximityImage);
    line += ',';
    line += FieldText(w.proximitySound);
    return line;
}

std::string FormatWaypointLogLine(const Waypoint& w, double lat, double lon) {
    std::string line = "-1,";
    line += FieldText(w.name);
    line += " ,";
    AppendFixed(line, lat, 7, 12);
    line += ',';
    AppendFixed(line, lon, 7, 12);
    line += ",,,,,,,";
    line += FieldText(w.description);
    line += ",,,,-777";
    return line;
}

std::string WaypointCreationText(const DateTime& t) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (t.month < 1 || t.month > 12) return {};
    return Format("%s %02d %04d %02d:%02d:%02d", kMonths[t.month - 1], t.day, t.year, t.hour,
                  t.minute, t.second);
}

WaypointFileWalk WalkWaypointFile(const std::string& path, const DatumTable& datums,
                                  std::size_t maxBytes,
                                  const std::function<bool(const std::string&, int)>& line) {
    WaypointFileWalk walk;
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) {
        walk.outcome = OutcomeOf(file);
        return walk;
    }
    walk.opened = true;
    int lineNumber = 0;
    bool headerIsText = true, sawOther = false;
    const bool cut = ForEachWholeLineWithin(
        file, maxBytes,
        [&](const std::string& text) {
            ++lineNumber;
            if (lineNumber <= kWaypointHeaderLines) {
                headerIsText = headerIsText && IsTextLine(text);
                if (lineNumber == 2) walk.fileDatum = FindDatumByName(datums, Trim(text));
                return true;
            }
            if (!IsTextLine(text) || !line(text, walk.fileDatum)) sawOther = true;
            return true;
        },
        kLongLineMax);
    if (cut) walk.outcome.notes.push_back(FileCutText("The waypoint file " + path, maxBytes));
    walk.doubtful = sawOther || lineNumber < kWaypointHeaderLines || !headerIsText;
    return walk;
}

ReadOutcome ReadWaypointFile(WaypointStore& store, const std::string& path,
                             const DatumTable& datums, int mapDatum, std::size_t maxBytes) {
    bool anyPosition = false;
    std::int64_t leftOut = 0;
    // Read whole before the store is touched: a file of something else must
    // not replace the user's waypoints with its lines.
    std::vector<Waypoint> read;
    WaypointFileWalk walk =
        WalkWaypointFile(path, datums, maxBytes, [&](const std::string& line, int fileDatum) {
            // Past the store's limit a line is only counted, for the note.
            if (read.size() >= static_cast<std::size_t>(kWaypointSlots)) {
                if (!IsBlank(line)) ++leftOut;
                return true;
            }
            const SplitFieldTable f = SplitFields(line);
            const std::optional<double> lat = ParseRealField(f.Get(3, "")),
                                        lon = ParseRealField(f.Get(4, ""));
            anyPosition =
                anyPosition || (lat && lon && std::fabs(*lat) <= 90 && std::fabs(*lon) <= 180);
            Waypoint w = ParseWaypointLine(line);
            // 0, 0 marks "no position" and must stay exactly that.
            if (!w.AtNoPosition()) ConvertDatum(datums, fileDatum, mapDatum, w.lat, w.lon);
            read.push_back(std::move(w));
            return true;
        });
    ReadOutcome outcome = std::move(walk.outcome);
    if (!walk.opened) return outcome;
    // Only the whole header, as the program writes it for an empty list,
    // empties the store; a shorter file (an empty one), a header of binary
    // bytes or lines of which none has a position are no waypoint file.
    if (!anyPosition && (!read.empty() || walk.doubtful)) {
        outcome.content = kNotWaypointFileText;
        return outcome;
    }
    if (leftOut > 0) outcome.notes.push_back(WaypointsLeftOutText(leftOut));
    store.ClearWaypoints();
    for (std::size_t slot = 0; slot < read.size(); ++slot) store.Put(static_cast<int>(slot), std::move(read[slot]));
    store.loadedFrom = path;
    store.waypointCount = static_cast<int>(read.size());
    return outcome;
}

std::string WaypointsLeftOutText(std::int64_t count) {
    return Format("%lld waypoints left out (at most %d are kept)", static_cast<long long>(count),
                  kWaypointSlots);
}

WaypointSave SaveWaypointFile(const WaypointStore& store, const std::string& path,
                              const DatumTable& datums, int mapDatum) {
    TextFileWriter file(path);
    int written = 0;
    if (file.IsOpen()) {
        for (const char* line : kWaypointFileHeader) file.WriteLine(line);
        store.ForEach([&](int, const Waypoint& w) {
            if (w.AtNoPosition()) return;
            double lat = w.lat, lon = w.lon;
            ToWgs84(datums, mapDatum, lat, lon);
            file.WriteLine(FormatWaypointLine(w, lat, lon));
            ++written;
        });
        file.Commit();
    }
    return {file.Outcome(), written};
}

WriteOutcome AppendWaypointLog(const WaypointStore& store, int index, const std::string& logPath,
                               const DatumTable& datums, int mapDatum) {
    const Waypoint* w = store.At(index);
    if (!w) return {logPath, EINVAL};
    std::string header;
    for (const char* line : kWaypointFileHeader) header += std::string(line) + "\r\n";
    double lat = w->lat, lon = w->lon;
    ToWgs84(datums, mapDatum, lat, lon);
    const std::string record = FormatWaypointLogLine(*w, lat, lon) + "\r\n";
    return AppendLogRecord(logPath, header, [&](bool) { return record; }).write;
}

int CreateWaypoint(WaypointStore& store, const std::optional<std::string>& name, double lat,
                   double lon, const DateTime& localNow, const std::string& logPath,
                   const DatumTable& datums, int mapDatum, WriteOutcome* logged) {
    const int slot = store.FindFreeSlot();
    if (slot < 0) return -1;
    Waypoint w;
    w.name = name ? CutWaypointName(*name) : "WP" + std::to_string(slot);
    w.lat = lat;
    w.lon = lon;
    w.textColour = 0;
    w.backColour = kWaypointWhite;
    w.proximityDistance = 0;
    w.description = WaypointCreationText(localNow);
    store.Put(slot, std::move(w));
    ++store.waypointCount;
    const WriteOutcome appended = AppendWaypointLog(store, slot, logPath, datums, mapDatum);
    if (logged) *logged = appended;
    return slot;
}

}  // namespace mw
