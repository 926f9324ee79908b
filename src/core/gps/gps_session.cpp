#include "gps/gps_session.h"

#include "config/settings.h"
#include "ports/serial_port.h"
#include "ports/system.h"
#include "support/text.h"

namespace mw {

namespace {
constexpr int kDefaultBaudIndex = 2;  // 4800, the NMEA rate
}

GpsSession::~GpsSession() {
    GpsFix scratch;
    CloseGpsPort(*this, scratch);
}

std::string GpsPortName(int portIndex) {
    if (portIndex >= 0 && portIndex <= 7) return Format("COM%d:", portIndex + 1);
    if (portIndex == 8 || portIndex == 9) return "GPS1:";
    return {};
}

std::string GpsOpenFailureMessage(GpsOpenOutcome outcome, const std::string& detail) {
    switch (outcome) {
        case GpsOpenOutcome::PortBusy:
            return kPortBusyMessage;
        case GpsOpenOutcome::OpenFailed:
            if (detail.empty()) return kPortOpenFailedMessage;
            return std::string(kPortOpenFailedMessage) + " " + detail;
        case GpsOpenOutcome::Opened:
            break;
    }
    return {};
}

GpsOpenRequest GpsOpenRequestFrom(const AppSettings& settings, bool reset) {
    GpsOpenRequest r;
    r.portIndex = settings.comPort;
    r.baudIndex = settings.baudRate;
    r.reset = reset;
    r.config = NmeaConfigFrom(settings);
    r.tripmate = settings.tripmateGps == 1;
    return r;
}

GpsOpenOutcome OpenGpsPort(GpsSession& session, const GpsOpenRequest& request, GpsFix& fix) {
    CloseGpsPort(session, fix);
    if (request.reset) {
        ResetGpsFix(fix);
        ResetGpsFix(session.parser.fix);
        session.parser.pvt.lastCourse = 0;
    }
    // A corrupt "Baud Rate" index falls back to the NMEA rate rather than
    // reading past the table.
    int baudIndex = request.baudIndex;
    if (baudIndex < 0 || baudIndex >= static_cast<int>(kBaudRates.size()))
        baudIndex = kDefaultBaudIndex;
    const int baud = kBaudRates[static_cast<std::size_t>(baudIndex)];
    session.openFailure.clear();
    switch (session.port->Open(request.portIndex, baud)) {
        case SerialOpenResult::Busy:
            return GpsOpenOutcome::PortBusy;
        case SerialOpenResult::Failed:
            session.openFailure = session.port->OpenFailureText();
            return GpsOpenOutcome::OpenFailed;
        case SerialOpenResult::Opened:
            break;
    }

    session.config = request.config;
    session.parser.fix.statusText = kStatusOn;
    fix.statusText = kStatusOn;

    GpsReaderOptions options;
    options.config = request.config;
    options.initialState = session.parser;
    options.tripmate = request.tripmate;
    options.tripmateDelayMs = request.tripmateDelayMs;
    options.sendPvtStart = !request.tripmate && request.config.source == kSourcePvt;
    options.portIndex = request.portIndex;
    options.baud = baud;
    options.silenceMs = request.silenceMs;
    options.reopenMs = request.reopenMs;
    GpsReaderLinks links;
    links.port = session.port;
    links.clock = session.clock;
    links.sink = session.sink;
    links.monitor = &session.monitor;
    links.satellitesViewOpen = &session.satellitesViewOpen;
    links.busy = &session.busy;
    session.reader = std::make_unique<GpsReaderThread>(links);
    session.reader->Start(options);
    session.active = true;
    return GpsOpenOutcome::Opened;
}

int CloseGpsPort(GpsSession& session, GpsFix& fix) {
    if (!session.active) return 1;
    if (session.reader) {
        session.config = session.reader->Config();
        session.parser = session.reader->Stop();
        session.reader.reset();
    }
    if (session.config.source == kSourcePvt) SendPvtStop(session);
    session.port->Close();
    session.active = false;
    fix.statusText = kStatusOff;
    session.parser.fix.statusText = kStatusOff;
    return 1;
}

void SetGpsConfig(GpsSession& session, const NmeaConfig& config) {
    session.config = config;
    if (session.reader) session.reader->SetConfig(config);
}

bool WriteGpsBytes(GpsSession& session, const std::uint8_t* bytes, std::uint16_t count) {
    if (!session.port->IsOpen()) return false;
    return session.port->Write(bytes, count);
}

bool WriteGpsByte(GpsSession& session, std::uint8_t value) {
    return WriteGpsBytes(session, &value, 1);
}

bool SendPvtStart(GpsSession& session) {
    bool ok = WriteGpsBytes(session, kPvtStartCommand.data(), kPvtStartCommand.size());
    WaitMilliseconds(*session.clock, kPvtStartPauseMs);
    return ok;
}

bool SendPvtStop(GpsSession& session) {
    return WriteGpsBytes(session, kPvtStopCommand.data(), kPvtStopCommand.size());
}

}  // namespace mw
