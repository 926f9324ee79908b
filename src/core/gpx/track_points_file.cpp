#include "gpx/track_points_file.h"

#include <cctype>
#include <cmath>

#include "gpx/gpx_model.h"
#include "gpx/gpx_reader.h"
#include "support/line_budget.h"

namespace mw {

namespace {

constexpr char kNotTrackFileText[] = "not a track file";

class Collector final : public GpxSink {
public:
    explicit Collector(TrackPointsRead& out) : out_(out) {}
    void OnTrack() override { trackBegins_ = true; }
    void OnTrackPoint(const GpxTrackPoint& p) override {
        if (out_.points.size() >= kMaxMeasuredPoints) {
            out_.cut = true;
            return;
        }
        TrackPoint t;
        t.lat = p.lat;
        t.lon = p.lon;
        t.newSegment = p.newSegment || trackBegins_;
        t.eleMetres = p.eleMetres;
        t.time = p.time;
        trackBegins_ = false;
        out_.points.push_back(t);
    }

private:
    TrackPointsRead& out_;
    bool trackBegins_ = false;
};

void ReadGpx(const std::string& path, TrackPointsRead& out) {
    Collector collector(out);
    const GpxReadResult r = ReadGpxFile(path, collector);
    out.skippedPoints = r.skippedPoints;
    if (!r.ok) {
        out.points.clear();
        out.gpxError = r.error;
        TextFileReader probe(path, OpenAs::DataFile);
        out.outcome = probe.IsOpen() ? ReadOutcome{0, kNotTrackFileText} : OutcomeOf(probe);
    }
}

void ReadPlt(const std::string& path, const DatumTable& datums, std::size_t maxBytes,
             TrackPointsRead& out) {
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) {
        out.outcome = OutcomeOf(file);
        return;
    }
    int lineNumber = 0;
    bool sawRecord = false;
    out.cut = ForEachLineWithin(file, maxBytes, [&](const std::string& line) {
        ++lineNumber;
        if (lineNumber == 2) out.datum = FindDatumByName(datums, Trim(line));
        if (lineNumber <= kTrackHeaderLines || IsBlank(line)) return true;
        sawRecord = true;
        const SplitFieldTable f = SplitFields(line);
        const std::optional<double> lat = ParseRealField(f.Get(1, ""));
        const std::optional<double> lon = ParseRealField(f.Get(2, ""));
        if (!lat || !lon || !(std::fabs(*lat) <= 90) || !(std::fabs(*lon) <= 180)) {
            ++out.skippedPoints;
            return true;
        }
        if (out.points.size() >= kMaxMeasuredPoints) {
            out.cut = true;
            return false;
        }
        TrackPoint p;
        p.lat = *lat;
        p.lon = *lon;
        p.newSegment = out.points.empty() || ParseInt(f.Get(3, "0")) == kTrackNewSegment;
        const std::optional<double> feet = ParseRealField(f.Get(4, ""));
        if (feet && std::isfinite(*feet) && *feet != kTrackNoAltitude)
            p.eleMetres = *feet * kMetresPerFoot;
        p.time = PltTime(Trim(f.Get(6, "")), Trim(f.Get(7, "")));
        out.points.push_back(p);
        return true;
    });
    // A file shorter than the header (an empty one, say) is no track file
    // either: only the program's own header stands for an empty track.
    if (out.points.empty() && (sawRecord || lineNumber < kTrackHeaderLines))
        out.outcome = ReadOutcome{0, kNotTrackFileText};
}

}  // namespace

bool IsGpxPath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".gpx";
}

TrackPointsRead ReadTrackPointsFile(const std::string& path, const DatumTable& datums,
                                    std::size_t maxBytes) {
    TrackPointsRead out;
    if (IsGpxPath(path))
        ReadGpx(path, out);
    else
        ReadPlt(path, datums, maxBytes, out);
    return out;
}

}  // namespace mw
