#include "gps/gps_reader.h"

#include <cstring>

#include "gps/garmin_pvt.h"
#include "ports/serial_port.h"
#include "ports/system.h"

namespace mw {

void GpsReaderThread::Start(const GpsReaderOptions& options) {
    Stop();
    stop_ = false;
    portLost_ = false;
    SetConfig(options.config);
    input_ = GpsInput{};
    input_.state = options.initialState;
    thread_ = std::thread([this, options] { Run(options); });
}

GpsParserState GpsReaderThread::Stop() {
    if (thread_.joinable()) {
        stop_ = true;
        // Ends a blocked Read and the pause between re-opens alike.
        links_.port->Wake();
        thread_.join();
    }
    return input_.state;
}

void GpsReaderThread::SetConfig(const NmeaConfig& config) {
    source_ = config.source;
    useChecksum_ = config.useChecksum;
    speedUnit_ = config.speedUnit;
}

NmeaConfig GpsReaderThread::Config() const {
    return NmeaConfig{source_.load(), useChecksum_.load(), speedUnit_.load()};
}

DispatchEnv GpsReaderThread::Env() {
    DispatchEnv env;
    env.config = Config();
    env.busy = links_.busy && links_.busy->load();
    env.satellitesViewOpen = links_.satellitesViewOpen && links_.satellitesViewOpen->load();
    env.clock = links_.clock;
    env.monitor = links_.monitor;
    env.sink = links_.sink;
    return env;
}

void GpsReaderThread::Report(GpsLinkEvent event) {
    if (event == GpsLinkEvent::None) return;
    input_.state.fix.statusText = GpsLinkStatusText(event);
    if (links_.sink) links_.sink->OnStatus(input_.state.fix.statusText);
}

bool GpsReaderThread::StartUp(const GpsReaderOptions& options, std::uint32_t& tripmateAt) {
    SerialPort& port = *links_.port;
    Clock& clock = *links_.clock;
    if (options.sendPvtStart) {
        port.Write(kPvtStartCommand.data(), kPvtStartCommand.size());
        WaitMilliseconds(clock, kPvtStartPauseMs);
    }
    tripmateAt = clock.TickCount() + options.tripmateDelayMs;
    return options.tripmate;
}

void GpsReaderThread::Run(GpsReaderOptions options) {
    SerialPort& port = *links_.port;
    Clock& clock = *links_.clock;
    GpsLinkWatch watch(options.silenceMs, options.reopenMs);

    std::uint32_t tripmateAt = 0;
    bool tripmatePending = StartUp(options, tripmateAt);
    watch.Opened(clock.TickCount());

    std::uint8_t buffer[512];
    while (!stop_) {
        std::uint32_t now = clock.TickCount();
        if (watch.State() == GpsLinkState::Lost) {
            // Nothing to read: wait for the next try (or to be stopped),
            // then see whether the device is back.
            if (const int wait = watch.WaitMs(now); wait > 0) {
                port.Pause(wait);
                continue;
            }
            if (port.Open(options.portIndex, options.baud) != SerialOpenResult::Opened) {
                watch.ReopenFailed(clock.TickCount());
                continue;
            }
            portLost_ = false;
            Report(watch.Opened(clock.TickCount()));
            tripmatePending = StartUp(options, tripmateAt);
            watch.Opened(clock.TickCount());
            continue;
        }

        int timeoutMs = watch.WaitMs(now);
        if (tripmatePending) {
            // Signed difference: due when the tick has reached tripmateAt.
            const auto left = static_cast<std::int32_t>(tripmateAt - now);
            if (left <= 0) {
                port.Write(reinterpret_cast<const std::uint8_t*>(kTripmateStart),
                           std::strlen(kTripmateStart));
                tripmatePending = false;
            } else if (timeoutMs < 0 || left < timeoutMs) {
                timeoutMs = left;
            }
        }

        SerialReadResult r = port.Read(buffer, sizeof buffer, timeoutMs);
        if (r.status == SerialReadStatus::Data) {
            if (r.count == 0) continue;  // only bytes that are not the receiver's
            Report(watch.Received(clock.TickCount()));
            // Settings and window flags are read once per read, not per byte.
            const DispatchEnv env = Env();
            for (std::size_t i = 0; i < r.count; ++i) {
                if (stop_.load(std::memory_order_relaxed)) return;
                HandleGpsByte(input_, buffer[i], false, env);
            }
        } else if (r.status == SerialReadStatus::HangUp || r.status == SerialReadStatus::Error) {
            // The receiver was unplugged or the peer went away: the partial
            // line is dropped, the loss said once, and the port closed until
            // the device can be opened again (never polled while dead).
            input_.assembler.DropPartial();
            port.Close();
            portLost_ = true;
            const bool reopen = options.portIndex >= 0;
            Report(watch.Gone(clock.TickCount()));
            if (!reopen) {
                while (!stop_) port.Pause(-1);
                return;
            }
        } else if (r.status == SerialReadStatus::Timeout) {
            Report(watch.Idle(clock.TickCount()));
        }
        // Woken: look at the stop flag.
    }
}

}  // namespace mw
