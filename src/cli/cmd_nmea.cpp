// mwtool nmea: decodes recorded receiver bytes exactly as the program does.
// mwtool listen: opens a real port as the program would and prints what it
// decodes, a first check that a receiver works.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>

#include "cli/input_stream.h"
#include "cli/mwtool.h"
#include "config/settings.h"
#include "gps/gps_input.h"
#include "gps/gps_session.h"
#include "gps/mailbox.h"
#include "gps/position_csv.h"
#include "platform/gps_port_table.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "support/text.h"

namespace {

// One position line, written at once (listen prints as positions arrive).
void PrintCsv(const mw::PositionReport& p, const mw::GpsFix& f) {
    std::string line;
    mw::AppendPositionCsv(line, p, f);
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// The table of the talker whose set just completed: "set,TALKER,N", then
// "talker,prn,elevation,azimuth,snr" per satellite (angles empty when the
// receiver sent none).
void PrintSatellites(const mw::SatelliteTables& t, std::string& out) {
    if (!t.lastComplete) return;
    const char* talker = mw::TalkerName(*t.lastComplete);
    const auto& table = t.Of(*t.lastComplete);
    out += mw::Format("set,%s,%zu\n", talker, table.size());
    for (const mw::Satellite& s : table)
        out += s.positionKnown
                   ? mw::Format("%s,%d,%d,%d,%d\n", talker, s.prn, s.elevation, s.azimuth, s.snr)
                   : mw::Format("%s,%d,,,%d\n", talker, s.prn, s.snr);
}

// Batch decoding: every position (or, with --satellites, every completed
// satellite set) is printed; nothing waits, so nothing is dropped.
class PrintingSink : public mw::GpsResultSink {
public:
    explicit PrintingSink(bool satellites) : satellites_(satellites) {}
    void OnPosition(const mw::PositionReport& p, const mw::GpsFix& f) override {
        if (!satellites_) mw::AppendPositionCsv(out, p, f);
    }
    void OnSpeed(const mw::GpsFix&) override {}
    void OnStatus(const std::string&) override {}
    void OnSatellites(const mw::GpsFix& f) override {
        if (satellites_) PrintSatellites(f.satellites, out);
    }

    std::string out;  // lines decoded from the current chunk

private:
    bool satellites_;
};

int Nmea(mwtool::Args& args) {
    mw::NmeaConfig config;
    int checksum = 1;
    int rc = 0;
    if (!mwtool::IntOption(args, "--source", 0, 3, config.source, rc) ||
        !mwtool::IntOption(args, "--checksum", 0, 1, checksum, rc) ||
        !mwtool::IntOption(args, "--speed-unit", 0, 2, config.speedUnit, rc))
        return rc;
    config.useChecksum = checksum == 1;
    const bool satellites = args.Flag("--satellites");
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (args.words.size() > 1) return mwtool::UsageError("nmea takes at most one FILE");

    mwtool::InputStream in(args.words.empty() ? "-" : args.words[0]);
    if (!in.IsOpen()) {
        std::cerr << "mwtool: cannot read " << in.Name() << "\n";
        return 1;
    }

    mw::SystemClock clock;
    PrintingSink sink(satellites);
    mw::DispatchEnv env;
    env.config = config;
    env.satellitesViewOpen = satellites;
    env.clock = &clock;
    env.sink = &sink;
    mw::GpsInput input;
    input.state.fix.statusText = mw::kStatusOn;  // as right after the port opened
    if (!satellites) std::printf("%s\n", mw::kPositionCsvHeader);
    // Decoded as the bytes arrive: a device or a pipe has no end to wait
    // for, and what was decoded is out before the next read blocks.
    while (std::optional<std::span<const std::uint8_t>> chunk = in.Next()) {
        mw::HandleGpsBytes(input, *chunk, env);
        std::fwrite(sink.out.data(), 1, sink.out.size(), stdout);
        sink.out.clear();
        std::fflush(stdout);
    }
    if (in.Failed()) {
        std::cerr << "mwtool: cannot read " << in.Name() << "\n";
        return 1;
    }
    return 0;
}

volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void OnInterrupt(int) { gInterrupted = 1; }

int Listen(mwtool::Args& args) {
    mw::DatumTable datums;
    mw::AppSettings settings;
    mw::ReadConfiguration(args.home, datums, settings);
    mw::GpsOpenRequest request = mw::GpsOpenRequestFrom(settings, true);

    int rc = 0;
    int port = request.portIndex + 1;
    int seconds = 0;
    if (!mwtool::IntOption(args, "--port", 1, mw::kGpsPortCount, port, rc) ||
        !mwtool::IntOption(args, "--source", 0, 3, request.config.source, rc) ||
        !mwtool::IntOption(args, "--seconds", 0, 86400, seconds, rc))
        return rc;
    request.portIndex = port - 1;
    if (auto baud = args.Option("--baud")) {
        auto v = mwtool::ParseInteger(*baud);
        auto it =
            v ? std::find(mw::kBaudRates.begin(), mw::kBaudRates.end(), *v) : mw::kBaudRates.end();
        if (it == mw::kBaudRates.end())
            return mwtool::UsageError(
                "--baud must be one of 1200 2400 4800 9600 19200 38400 "
                "57600 115200");
        request.baudIndex = static_cast<int>(it - mw::kBaudRates.begin());
    }
    mw::GpsPortTable table = mw::LoadGpsPortTable(args.home);
    if (auto device = args.Option("--device")) {
        table[static_cast<std::size_t>(request.portIndex)] = mw::GpsPortEntry{*device, "", 0};
    }
    if (auto unknown = args.UnknownOption())
        return mwtool::UsageError("unknown option " + *unknown);
    if (!args.words.empty()) return mwtool::UsageError("listen takes no FILE");

    mw::SystemClock clock;
    mw::SystemSerialPort serial(table);
    mw::GpsMailboxes mailboxes;
    std::mutex mutex;
    std::condition_variable arrived;
    mailboxes.SetArrivalHandler([&] {
        std::lock_guard lock(mutex);
        arrived.notify_one();
    });
    mw::GpsSession session(serial, clock, mailboxes);
    mw::GpsFix fix;
    mw::GpsOpenOutcome outcome = mw::OpenGpsPort(session, request, fix);
    if (outcome != mw::GpsOpenOutcome::Opened) {
        std::cerr << "mwtool: " << mw::GpsPortName(request.portIndex) << " "
                  << mw::GpsOpenFailureMessage(outcome) << "\n";
        return 1;
    }
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::printf("%s\n", mw::kPositionCsvHeader);
    std::fflush(stdout);

    // The GUI thread's part, as the program does it: drain the status first,
    // then the position.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!gInterrupted && (seconds == 0 || std::chrono::steady_clock::now() < end)) {
        {
            std::unique_lock lock(mutex);
            arrived.wait_for(lock, std::chrono::milliseconds(100));
        }
        if (auto status = mailboxes.TakeStatus()) {
            fix.statusText = *status;
            // A checksum failure prints nothing on stdout; say why.
            if (*status == mw::kStatusChecksum) std::cerr << "mwtool: checksum failed (CSM)\n";
            // The receiver falling silent, going away and coming back are
            // said once each, as the program's status line does; the port
            // is tried again meanwhile.
            if (*status == mw::kStatusSilent)
                std::cerr << "mwtool: nothing received for 5 s (---)\n";
            if (*status == mw::kStatusLost)
                std::cerr << "mwtool: the receiver went away (NC ); trying again every 5 s\n";
            if (*status == mw::kStatusOn) std::cerr << "mwtool: the receiver is back (ON )\n";
        }
        if (auto speed = mailboxes.TakeSpeed()) mw::AdoptParserFields(fix, *speed);
        if (auto position = mailboxes.TakePosition()) {
            mw::AdoptParserFields(fix, position->fix);
            PrintCsv(position->position, fix);
            std::fflush(stdout);
        }
    }
    mw::CloseGpsPort(session, fix);
    return 0;
}

}  // namespace

MW_COMMAND("nmea",
           "nmea [--source 0|1|2|3] [--checksum 0|1] [--speed-unit 0|1|2] [--satellites] [FILE|-]",
           Nmea);
MW_COMMAND("listen", "listen [--port N | --device PATH] [--baud B] [--source S] [--seconds T]",
           Listen);
