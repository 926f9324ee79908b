// mwtool track stats FILE.plt|FILE.gpx [--json]
// mwtool track profile FILE [--x distance|time] [--y elevation|speed] [--size WxH] -o OUT.png|OUT.csv
//
// The figures of a track (how far, how long, how fast, how high) and its
// profile, as the Track Info window shows them, for a track file or the
// tracks of a GPX document. Figures are metres, seconds and km/h; times UTC.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <iostream>

#include "cli/console.h"
#include "cli/mwtool.h"
#include "geo/datums.h"
#include "gpx/gpx_model.h"
#include "gpx/track_points_file.h"
#include "support/durable_file.h"
#include "support/text.h"
#include "track/track_stats.h"
#include "paint/qt_canvas.h"
#include "view/track_profile.h"

namespace {

constexpr const char* kUsage =
    "track stats FILE.plt|FILE.gpx [--json] | "
    "track profile FILE [--x distance|time] [--y elevation|speed] [--size WxH] -o OUT.png|OUT.csv";

struct LoadedTrack {
    std::vector<mw::TrackPoint> points;
    mw::Ellipsoid ellipsoid;
};

// Reads the track and says on stderr what the reader noted; nullopt (after
// saying why) when it cannot be read.
std::optional<LoadedTrack> Load(const std::string& path, const std::string& home) {
    const mw::DatumTable datums = mwtool::LoadDatums(home);
    mw::TrackPointsRead read = mw::ReadTrackPointsFile(path, datums);
    if (!read.outcome) {
        std::string text = mw::ReadFailureText("Track file could not be read", path, read.outcome);
        if (!read.gpxError.empty()) text += ": " + read.gpxError;
        std::cerr << "mwtool: " << text << "\n";
        return std::nullopt;
    }
    if (read.skippedPoints > 0)
        std::cerr << "mwtool: " << read.skippedPoints
                  << " points skipped: position missing, not a number or out of range\n";
    if (read.cut) std::cerr << "mwtool: the track is cut: only its first part was read\n";
    return LoadedTrack{std::move(read.points), mw::GetDatumEllipsoid(datums, read.datum)};
}

// One figure: its key and value text, or no value (not known).
struct Figure {
    std::string key;
    std::optional<std::string> value;
    bool number = true;  // a JSON number, else a string
};

std::optional<std::string> Num(const std::optional<double>& v, int decimals) {
    if (!v) return std::nullopt;
    std::string text = mw::Format("%.*f", decimals, *v);
    if (text.starts_with("-0") && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::vector<Figure> Figures(const mw::TrackStats& s) {
    auto time = [](const std::optional<std::int64_t>& t) -> std::optional<std::string> {
        if (!t) return std::nullopt;
        return mw::FormatIsoTime(*t);
    };
    return {
        {"points", std::to_string(s.points)},
        {"segments", std::to_string(s.segments)},
        {"timed_points", std::to_string(s.timedPoints)},
        {"height_points", std::to_string(s.heightPoints)},
        {"distance_m", Num(s.distanceMetres, 1)},
        {"start_time", time(s.startTime), false},
        {"end_time", time(s.endTime), false},
        {"elapsed_s", Num(s.elapsedSeconds, 0)},
        {"moving_s", Num(s.movingSeconds, 0)},
        {"average_kmh", Num(s.averageKmh, 2)},
        {"moving_average_kmh", Num(s.movingAverageKmh, 2)},
        {"max_kmh", Num(s.maxKmh, 2)},
        {"ascent_m", Num(s.ascentMetres, 1)},
        {"descent_m", Num(s.descentMetres, 1)},
        {"highest_m", Num(s.highestMetres, 1)},
        {"lowest_m", Num(s.lowestMetres, 1)},
        {"moving_threshold_kmh", Num(mw::kMovingThresholdKmh, 1)},
        {"climb_threshold_m", Num(mw::kClimbThresholdMetres, 1)},
    };
}

int Stats(mwtool::Args& args) {
    const bool json = args.Flag("--json");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1) return mwtool::UsageError("usage: " + std::string(kUsage));
    const auto track = Load(args.words[0], args.home);
    if (!track) return 1;
    const mw::TrackStats s = mw::ComputeTrackStats(track->points, track->ellipsoid);
    const std::vector<Figure> figures = Figures(s);
    if (json) {
        std::cout << "{";
        for (std::size_t i = 0; i < figures.size(); ++i) {
            const Figure& f = figures[i];
            std::cout << (i ? ", " : "") << "\"" << f.key << "\": ";
            if (!f.value) std::cout << "null";
            else if (f.number) std::cout << *f.value;
            else std::cout << "\"" << *f.value << "\"";
        }
        std::cout << "}\n";
    } else {
        // Unknown figures are left out; a track without times or heights
        // says so in a line of its own.
        for (const Figure& f : figures)
            if (f.value) std::cout << f.key << "," << *f.value << "\n";
        if (!s.HasTimes()) std::cout << "times,none\n";
        if (s.heightPoints == 0) std::cout << "heights,none\n";
    }
    if (!s.HasTimes() && s.points > 0)
        std::cerr << "mwtool: the track has no times: distance and heights only\n";
    return 0;
}

int WriteCsv(const mw::TrackProfile& p, const std::string& out) {
    std::string text = p.xAxis == mw::ProfileX::Distance ? "distance_m," : "time_s,";
    text += p.yAxis == mw::ProfileY::Elevation ? "elevation_m,break\n" : "speed_kmh,break\n";
    for (const mw::ProfileSample& s : p.samples)
        text += mw::Format("%.1f,%.*f,%d\n", s.x, p.yAxis == mw::ProfileY::Elevation ? 1 : 2, s.y,
                           s.gapBefore ? 1 : 0);
    if (const mw::WriteOutcome written = mw::WriteFileAtomically(out, text); !written) {
        std::cerr << "mwtool: " << mw::WriteFailureText("an output file could not be written", written)
                  << "\n";
        return 1;
    }
    return 0;
}

int Profile(mwtool::Args& args) {
    const auto xText = args.Option("--x");
    const auto yText = args.Option("--y");
    const auto sizeText = args.Option("--size");
    const auto out = args.Option("-o");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1 || !out) return mwtool::UsageError("usage: " + std::string(kUsage));
    mw::ProfileX x = mw::ProfileX::Distance;
    mw::ProfileY y = mw::ProfileY::Elevation;
    if (xText && *xText == "time") x = mw::ProfileX::Time;
    else if (xText && *xText != "distance") return mwtool::UsageError("--x is distance or time");
    if (yText && *yText == "speed") y = mw::ProfileY::Speed;
    else if (yText && *yText != "elevation") return mwtool::UsageError("--y is elevation or speed");
    int width = 640, height = 400;
    if (sizeText) {
        const std::size_t cross = sizeText->find('x');
        const auto w = cross == std::string::npos ? std::nullopt
                                                  : mwtool::ParseInteger(sizeText->substr(0, cross));
        const auto h = cross == std::string::npos ? std::nullopt
                                                  : mwtool::ParseInteger(sizeText->substr(cross + 1));
        if (!w || !h || *w < 60 || *h < 60 || *w > 10000 || *h > 10000)
            return mwtool::UsageError("--size is WxH, 60 to 10000 pixels each way");
        width = *w;
        height = *h;
    }
    const auto track = Load(args.words[0], args.home);
    if (!track) return 1;
    const mw::TrackProfile profile = mw::BuildTrackProfile(track->points, track->ellipsoid, x, y);
    if (profile.samples.empty())
        std::cerr << "mwtool: " << mw::EmptyProfileText(profile) << "\n";

    const std::string lower = [&] {
        std::string s = *out;
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    if (lower.ends_with(".csv")) return WriteCsv(profile, *out);
    if (!lower.ends_with(".png")) return mwtool::UsageError("-o names a .png or a .csv file");
    const auto app = mwtool::EnsureGuiApplication();
    QImage image(width, height, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        mw::QtCanvas canvas(painter);
        mw::DrawTrackProfile(canvas, mw::Rect{0, 0, width, height}, profile);
    }
    return mwtool::SaveImageFile(image, *out, "PNG") ? 0 : 1;
}

int Track(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("usage: " + std::string(kUsage));
    const std::string sub = args.words[0];
    args.words.erase(args.words.begin());
    if (sub == "stats") return Stats(args);
    if (sub == "profile") return Profile(args);
    return mwtool::UsageError("unknown track command " + sub);
}

}  // namespace

MW_COMMAND("track", kUsage, Track);
