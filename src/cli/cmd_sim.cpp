// mwtool sim: the application core run on a recorded receiver stream with no
// display. The program starts from the home's configuration files (so the
// last map is loaded), the moving map goes on, every fix of the stream goes
// through the position pipeline in order, and the program shuts down as on
// quitting. The track log and the configuration files are left as a drive
// with the real program would leave them.
//
// One line per fix on standard output:
//   time,lat,lon,status,mapFile,pixelX,pixelY
// the fix's time text and position as received, then statusText, the loaded
// map's file and the view centre pixel after the fix.
//
// With --events FILE the speed monitor and the waypoint alarms (waypoints
// from --waypoints) are logged there, one line per event:
//   time,kind,detail
// kind speed-min, speed-set, speed-max (detail: the speed), proximity
// (slot,name), alarm-end (slot) or document (the file that would be
// opened). Nothing is played or opened. The alarm's end follows the clock
// the fixes drive, so it comes at the display time after its alarm.
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <optional>
#include <span>

#include "app/alarm_actions.h"
#include "app/app.h"
#include "app/moving_map.h"
#include "app/waypoint_commands.h"
#include "cli/console.h"
#include "cli/input_stream.h"
#include "cli/mwtool.h"
#include "gps/byte_assembly.h"
#include "gps/garmin_pvt.h"
#include "gps/gps_input.h"
#include "gps/nmea_parser.h"
#include "support/civil_date.h"
#include "support/paths.h"
#include "support/text.h"
#include "waypoint/waypoint_file.h"

namespace {

// The main window's client size the run starts with: the handheld's portrait
// screen.
constexpr int kClientWidth = 480, kClientHeight = 640;

constexpr std::int64_t kMsPerDay = 86400000;

mw::DateTime CivilFromMs(std::int64_t ms) {
    std::int64_t days = ms >= 0 ? ms / kMsPerDay : (ms - kMsPerDay + 1) / kMsPerDay;
    std::int64_t inDay = ms - days * kMsPerDay;
    const mw::CivilDate date = mw::CivilFromDays(days);
    mw::DateTime t;
    t.year = static_cast<int>(date.year);
    t.month = date.month;
    t.day = date.day;
    t.hour = static_cast<int>(inDay / 3600000);
    t.minute = static_cast<int>(inDay / 60000 % 60);
    t.second = static_cast<int>(inDay / 1000 % 60);
    t.millisecond = static_cast<int>(inDay % 1000);
    return t;
}

std::optional<int> Digits(std::string_view text, std::size_t at) {
    if (at + 2 > text.size()) return std::nullopt;
    char a = text[at], b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
    return (a - '0') * 10 + (b - '0');
}

// "ddMMyy" as days since 1970 (years 80..99 are 1980..1999).
std::optional<std::int64_t> ParseFixDate(std::string_view date) {
    auto d = Digits(date, 0), m = Digits(date, 2), y = Digits(date, 4);
    if (date.size() != 6 || !d || !m || !y || *d < 1 || *d > 31 || *m < 1 || *m > 12)
        return std::nullopt;
    return mw::DaysFromCivil(*y < 80 ? 2000 + *y : 1900 + *y, static_cast<unsigned>(*m),
                             static_cast<unsigned>(*d));
}

// "hhmmss[.sss]" as milliseconds since midnight.
std::optional<std::int64_t> ParseFixTime(std::string_view time) {
    auto h = Digits(time, 0), m = Digits(time, 2), s = Digits(time, 4);
    if (time.size() < 6 || !h || !m || !s || *h > 23 || *m > 59 || *s > 60) return std::nullopt;
    std::int64_t ms = ((*h * 60 + *m) * 60 + *s) * 1000;
    if (time.size() > 6) {
        if (time[6] != '.') return std::nullopt;
        std::int64_t scale = 100;
        for (std::size_t i = 7; i < time.size(); ++i) {
            if (time[i] < '0' || time[i] > '9') return std::nullopt;
            ms += (time[i] - '0') * scale;
            scale /= 10;
        }
    }
    return ms;
}

// The device clock of a headless run. It stands at the last fix's UTC time
// (at the system's time until the first fix), and its tick count advances by
// the fix time that passed between fixes, one tick a millisecond, so the
// map-search back-offs run as they would on the road however fast the stream
// is read. Neither goes back: a real device's clock does not follow a fix
// that is older than the one before.
class FixClock : public mw::Clock {
public:
    FixClock() {
        struct timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        utcMs_ = static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }

    std::uint32_t TickCount() override { return tick_; }
    mw::DateTime UtcNow() override { return Utc(); }
    mw::DateTime LocalNow() override {
        std::time_t seconds = static_cast<std::time_t>(utcMs_ / 1000);
        struct tm local {};
        localtime_r(&seconds, &local);
        mw::DateTime t;
        t.year = local.tm_year + 1900;
        t.month = local.tm_mon + 1;
        t.day = local.tm_mday;
        t.hour = local.tm_hour;
        t.minute = local.tm_min;
        t.second = local.tm_sec;
        t.millisecond = static_cast<int>(utcMs_ % 1000);
        return t;
    }

    std::int64_t UtcMs() const { return utcMs_; }
    mw::DateTime Utc() const { return CivilFromMs(utcMs_); }
    bool Started() const { return started_; }

    void MoveTo(std::int64_t utcMs) {
        if (started_ && utcMs <= utcMs_) return;
        if (started_) tick_ += static_cast<std::uint32_t>(utcMs - utcMs_);
        utcMs_ = utcMs;
        started_ = true;
    }

private:
    std::int64_t utcMs_ = 0;
    std::uint32_t tick_ = 0;
    bool started_ = false;  // a fix has set the time
};

// "ddMMyy", as a device writes its own date into a sentence that has none.
std::string DateText(const mw::DateTime& t) {
    return mw::Format("%02d%02d%02d", t.day, t.month, t.year % 100);
}

struct FixTime {
    std::int64_t utcMs = 0;
    bool nextDay = false;  // the date text is a day behind: see FixUtc
};

// The UTC time of a fix from its date and time text. A sentence without a
// date (GGA, GLL) gets the device's, so the first fix after midnight carries
// the day before: a fix dated with the clock's own day whose time lies more
// than 12 hours before the clock's is taken as the next day.
std::optional<FixTime> FixUtc(const mw::PositionReport& p, const FixClock& clock) {
    auto day = ParseFixDate(p.date);
    auto ms = ParseFixTime(p.time);
    if (!day || !ms) return std::nullopt;
    FixTime t{*day * kMsPerDay + *ms, false};
    if (clock.Started() && p.date == DateText(clock.Utc()) &&
        clock.UtcMs() - t.utcMs > kMsPerDay / 2) {
        t.utcMs += kMsPerDay;
        t.nextDay = true;
    }
    return t;
}

// The UTC time a Garmin PVT record carries: GPS time of week (offset 18,
// float64) less the leap seconds (58, int16) after the week's start in days
// since 31 Dec 1989 (60, uint32). The decoder takes the position's time
// from the device clock; here that clock is set from the record first.
std::optional<std::int64_t> PvtUtcMs(std::span<const std::uint8_t> frame) {
    auto record = mw::PvtRecordInFrame(frame);
    if (record.size() < mw::kPvtRecordSize) return std::nullopt;
    auto le = [&](std::size_t offset, int bytes) {
        std::uint64_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | record[offset + static_cast<std::size_t>(i)];
        return v;
    };
    const double tow = std::bit_cast<double>(le(18, 8));
    const auto leap = static_cast<std::int16_t>(le(58, 2));
    const auto weekDays = static_cast<std::uint32_t>(le(60, 4));
    if (!std::isfinite(tow) || tow < 0 || tow > 7 * 86400.0 + 60) return std::nullopt;
    const std::int64_t epoch = mw::DaysFromCivil(1989, 12, 31) * kMsPerDay;
    return epoch + static_cast<std::int64_t>(weekDays) * kMsPerDay + std::llround(tow * 1000) -
           static_cast<std::int64_t>(leap) * 1000;
}

// The GUI thread's side of the receiver in batch mode: each result is taken
// as DrainGpsResults takes it from the mailboxes, at once and in order, so no
// fix is dropped. Every position is printed after the pipeline saw it.
class BatchSink : public mw::GpsResultSink {
public:
    BatchSink(mw::App& app, FixClock& clock) : app_(app), clock_(clock) {}

    void OnPosition(const mw::PositionReport& received, const mw::GpsFix& fix) override {
        mw::PositionReport p = received;
        if (auto t = FixUtc(p, clock_)) {
            clock_.MoveTo(t->utcMs);
            // Past midnight the device's date has moved on too.
            if (t->nextDay) p.date = DateText(CivilFromMs(t->utcMs));
        }
        mw::AdoptParserFields(app_.gps.fix, fix);
        // Timer 4 fires between fixes on this clock.
        mw::AlarmTimerCheck(app_);
        FlushSpeed();
        if (app_.mapView.following) mw::UpdateGpsPosition(app_, p.lat, p.lon, p.date, p.time);
        std::string line = mw::Format("%s,%.9f,%.9f,%s,%s,%d,%d\n", p.time.c_str(), p.lat, p.lon,
                                      app_.gps.fix.statusText.c_str(), app_.map.mapFilePath.c_str(),
                                      app_.mapView.centreX, app_.mapView.centreY);
        std::fwrite(line.data(), 1, line.size(), stdout);
        ++fixes;
    }
    void OnSpeed(const mw::GpsFix& fix) override {
        mw::AdoptParserFields(app_.gps.fix, fix);
        // The speed of a sentence is decoded before its position, which
        // moves the clock: the speed monitor hears it with that position.
        pendingSpeed_ = app_.gps.fix.speed;
    }
    // The speed monitor on the speed waiting for its position.
    void FlushSpeed() {
        if (pendingSpeed_) mw::CheckSpeed(app_, *pendingSpeed_);
        pendingSpeed_.reset();
    }
    void OnStatus(const std::string& statusText) override { app_.gps.fix.statusText = statusText; }
    void OnSatellites(const mw::GpsFix& fix) override { mw::AdoptParserFields(app_.gps.fix, fix); }

    long fixes = 0;

private:
    mw::App& app_;
    FixClock& clock_;
    std::optional<double> pendingSpeed_;
};

// "hhmmss.sss" of the UTC time at which the clock's tick count was `tick`.
std::string EventTime(FixClock& clock, std::uint32_t tick) {
    const auto back = static_cast<std::int32_t>(clock.TickCount() - tick);
    const mw::DateTime t = CivilFromMs(clock.UtcMs() - back);
    return mw::Format("%02d%02d%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
}

std::string EventLine(FixClock& clock, const mw::AlarmEvent& e) {
    std::string line = EventTime(clock, e.tick) + "," + mw::AlarmEventName(e.kind) + ",";
    switch (e.kind) {
        case mw::AlarmEventKind::Proximity: line += std::to_string(e.slot) + "," + e.detail; break;
        case mw::AlarmEventKind::AlarmEnd: line += std::to_string(e.slot); break;
        default: line += e.detail; break;
    }
    return line + "\n";
}

int Sim(mwtool::Args& args) {
    auto feed = args.Option("--feed");
    auto waypointFile = args.Option("--waypoints");
    auto eventFile = args.Option("--events");
    const bool proximity = args.Flag("--proximity");
    int source = -1, speedUnit = -1, rc = 0;
    if (!mwtool::IntOption(args, "--source", 0, 3, source, rc) ||
        !mwtool::IntOption(args, "--speed-unit", 0, 2, speedUnit, rc))
        return rc;
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (!args.words.empty()) return mwtool::UsageError("sim takes no words besides its options");
    if (!feed) return mwtool::UsageError("sim needs --feed FILE");

    mwtool::InputStream in(*feed);
    if (!in.IsOpen()) {
        std::cerr << "mwtool: cannot read " << *feed << "\n";
        return 1;
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> events(nullptr, std::fclose);
    if (eventFile) {
        events.reset(std::fopen(eventFile->c_str(), "wb"));
        if (!events) {
            std::cerr << "mwtool: cannot write " << *eventFile << ": " << std::strerror(errno) << "\n";
            return 1;
        }
    }

    mwtool::ConsoleUi ui;
    FixClock clock;
    mw::App app;
    app.ports.ui = &ui;
    app.ports.clock = &clock;
    mw::StartApplication(app, args.home, args.userHome, kClientWidth,
                         kClientHeight);
    // The overrides hold for this run only: the main configuration file is
    // not written back.
    if (source >= 0) app.settings.nmeaSentence = source;
    if (speedUnit >= 0) app.settings.speedUnit = speedUnit;
    if (proximity) app.settings.wpCheckProximity = true;
    if (waypointFile) {
        // As "Load Wp File": onto the loaded map's datum, so only with a map.
        if (!app.map.mapLoaded) {
            std::cerr << "mwtool: " << mw::kNeedMapText << "\n";
            mw::ShutdownApplication(app);
            return 1;
        }
        const mw::ReadOutcome read =
            mw::ReadWaypointFile(app.waypoints, *waypointFile, app.datums, app.map.datumIndex);
        if (const std::string report =
                mw::ReadReportText(mw::kWaypointFileNotOpenedText, *waypointFile, read);
            !report.empty())
            ui.ShowMessage(report);
    }
    app.checkProximity = [&app](double lat, double lon) { mw::CheckProximity(app, lat, lon); };
    if (events) {
        app.alarms.onEvent = [&](const mw::AlarmEvent& e) {
            const std::string line = EventLine(clock, e);
            std::fwrite(line.data(), 1, line.size(), events.get());
        };
    }

    int exitCode = 0;
    if (!mw::StartMovingMapWithoutPort(app)) {
        exitCode = 1;
    } else {
        mw::ResetSpeedAlarms(app);  // as opening the receiver does
        BatchSink sink(app, clock);
        mw::DispatchEnv env;
        env.config = mw::NmeaConfigFrom(app.settings);
        env.clock = &clock;
        env.sink = &sink;
        mw::GpsInput input;
        input.state.fix.statusText = mw::kStatusOn;  // as right after the port opened
        // A second framer over the same bytes sees each Garmin frame as the
        // reader's does, so the clock is set before the frame is dispatched.
        const bool garmin = env.config.source == mw::kSourcePvt;
        mw::GpsByteAssembler frames;
        // The feed is driven as it arrives: a device or a pipe has no end
        // to wait for.
        while (std::optional<std::span<const std::uint8_t>> chunk = in.Next()) {
            for (const std::uint8_t byte : *chunk) {
                if (garmin && frames.Push(byte, true) == mw::GpsByteEvent::Frame) {
                    if (auto utc = PvtUtcMs(frames.Frame())) clock.MoveTo(*utc);
                }
                mw::HandleGpsByte(input, byte, false, env);
            }
            std::fflush(stdout);
            if (events) std::fflush(events.get());
        }
        sink.FlushSpeed();
        if (in.Failed()) {
            std::cerr << "mwtool: cannot read " << *feed << "\n";
            exitCode = 1;
        }
        if (events) std::fflush(events.get());
        std::cerr << "mwtool: " << sink.fixes << " fixes, " << app.gps.fixesProcessed
                  << " reached the map\n";
    }
    mw::ShutdownApplication(app);
    return exitCode;
}

}  // namespace

MW_COMMAND("sim",
           "sim --feed FILE|- [--source 0|1|2|3] [--speed-unit 0|1|2] [--waypoints FILE.wpt] "
           "[--proximity] [--events FILE]  (prints time,lat,lon,status,mapFile,pixelX,pixelY a "
           "fix; events: time,kind,detail)",
           Sim);
