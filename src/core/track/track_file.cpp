#include "track/track_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "geo/datum_convert.h"
#include "support/durable_file.h"
#include "support/line_budget.h"
#include "support/number_format.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

std::string HeaderText() {
    std::string text;
    for (const char* line : kTrackFileHeader) {
        text += line;
        text += "\r\n";
    }
    return text;
}


}  // namespace

std::string TrackLogPath(std::string_view dataFolder) {
    return JoinPath(dataFolder, kTrackLogFileName);
}

namespace {

// "%12.7f,%12.7f,%d,%7.0f", built in place: a GPX import writes a million of
// these lines, and printf's float formatting was most of its time.
void AppendTrackPointFields(std::string& out, double lat, double lon, int flag,
                            double altitude) {
    AppendFixed(out, lat, 7, 12);
    out += ',';
    AppendFixed(out, lon, 7, 12);
    out += ',';
    AppendInt(out, flag);
    out += ',';
    AppendFixed(out, altitude, 0, 7);
}

}  // namespace

std::string FormatTrackPointLine(double lat, double lon, int flag, double altitude) {
    std::string line;
    line.reserve(40);
    AppendTrackPointFields(line, lat, lon, flag, altitude);
    return line;
}

std::string FormatTrackLogLine(double lat, double lon, int flag, double altitude,
                               std::string_view date, std::string_view time) {
    std::string line;
    line.reserve(56 + date.size() + time.size());
    AppendTrackPointFields(line, lat, lon, flag, altitude);
    line += ", ,";
    line += date;
    line += ',';
    line += time;
    return line;
}

ReadOutcome LoadTrackFile(TrackStore& track, const std::string& path, const DatumTable& datums,
                          int mapDatum, std::size_t maxBytes) {
    // A folder, a device or a FIFO is refused by the reader: taken as an
    // empty track file it would wipe the track, and a device never ends.
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) return OutcomeOf(file);

    int lineNumber = 0;
    int fileDatum = kDatumWgs84;
    bool headerIsText = true;
    bool sawRecord = false;
    std::int64_t points = 0;
    // The points go to a ring of their own first: the track is replaced
    // only by a file that turns out to be a track file.
    TrackStore read;
    ClearTrack(read);
    const bool cut = ForEachLineWithin(file, maxBytes, [&](const std::string& line) {
        ++lineNumber;
        if (lineNumber <= kTrackHeaderLines) {
            headerIsText = headerIsText && IsTextLine(line);
            if (lineNumber == 2) fileDatum = FindDatumByName(datums, Trim(line));
            return true;
        }
        // A blank line carries no point; read as "0" fields it would put a
        // point at 0°, 0° and draw a line across the world to it.
        if (IsBlank(line)) return true;
        sawRecord = true;
        SplitFieldTable fields = SplitFields(line);
        const std::optional<double> latField = ParseRealField(fields.Get(1, ""));
        const std::optional<double> lonField = ParseRealField(fields.Get(2, ""));
        // Not a number, or off the globe, is damage, not a place to draw.
        if (!latField || !lonField || !(std::fabs(*latField) <= 90) || !(std::fabs(*lonField) <= 180))
            return true;
        double lat = *latField, lon = *lonField;
        ConvertDatum(datums, fileDatum, mapDatum, lat, lon);
        AddTrackPoint(read, lat, lon, ParseInt(fields.Get(3, "0")));
        ++points;
        return true;
    });
    ReadOutcome outcome;
    if (cut) outcome.notes.push_back(FileCutText("The track file " + path, maxBytes));
    // Nothing but the whole header, as the program writes it for an empty
    // track, empties the track; a shorter file (an empty one) or a header of
    // binary bytes is no track file.
    if (points == 0 && (sawRecord || lineNumber < kTrackHeaderLines || !headerIsText)) {
        outcome.content = kNotTrackFileText;
        return outcome;
    }
    if (points > kTrackMaxPoints)
        outcome.notes.push_back(TrackPointsLeftOutText(points - kTrackMaxPoints));
    track = std::move(read);
    track.loadedFrom = path;
    return outcome;
}

std::string TrackPointsLeftOutText(std::int64_t count) {
    return Format("%lld track points left out (the last %d are kept)",
                  static_cast<long long>(count), kTrackMaxPoints);
}

WriteOutcome SaveTrackFile(const TrackStore& track, const std::string& path,
                           const DatumTable& datums, int mapDatum) {
    TextFileWriter file(path);
    if (file.IsOpen()) {
        for (const char* line : kTrackFileHeader) file.WriteLine(line);
        track.ForEachPoint([&](int, const TrackSlot& slot) {
            if (slot.lat == kTrackBreakLat) return;
            double lat = slot.lat, lon = slot.lon;
            ConvertDatum(datums, mapDatum, kDatumWgs84, lat, lon);
            file.WriteLine(FormatTrackPointLine(lat, lon, slot.flag, kTrackNoAltitude));
        });
        file.Commit();
    }
    return file.Outcome();
}

bool AppendTrackLog(const std::string& logPath, double lat, double lon, std::string_view date,
                    std::string_view time, double altitude, int& logNewSegment,
                    WriteOutcome* outcome) {
    const AppendResult result = AppendLogRecord(logPath, HeaderText(), [&](bool created) {
        // A new log starts a new segment.
        if (created) logNewSegment = 1;
        return FormatTrackLogLine(lat, lon, logNewSegment, altitude, date, time) + "\r\n";
    });
    if (outcome) *outcome = result.write;
    if (result.outcome == AppendOutcome::Failed) return false;
    logNewSegment = 0;
    return true;
}

}  // namespace mw
