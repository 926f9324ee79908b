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
        links_.port->Wake();
        {
            std::lock_guard lock(idleMutex_);
            idle_.notify_all();
        }
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

void GpsReaderThread::Run(GpsReaderOptions options) {
    SerialPort& port = *links_.port;
    Clock& clock = *links_.clock;

    if (options.sendPvtStart) {
        port.Write(kPvtStartCommand.data(), kPvtStartCommand.size());
        WaitMilliseconds(clock, kPvtStartPauseMs);
    }
    bool tripmatePending = options.tripmate;
    const std::uint32_t openedAt = clock.TickCount();

    std::uint8_t buffer[512];
    while (!stop_) {
        int timeoutMs = -1;
        if (tripmatePending) {
            std::uint32_t elapsed = clock.TickCount() - openedAt;
            if (elapsed >= options.tripmateDelayMs) {
                port.Write(reinterpret_cast<const std::uint8_t*>(kTripmateStart),
                           std::strlen(kTripmateStart));
                tripmatePending = false;
            } else {
                timeoutMs = static_cast<int>(options.tripmateDelayMs - elapsed);
            }
        }

        SerialReadResult r = port.Read(buffer, sizeof buffer, timeoutMs);
        if (r.status == SerialReadStatus::Data) {
            // Settings and window flags are read once per read, not per byte.
            const DispatchEnv env = Env();
            for (std::size_t i = 0; i < r.count; ++i) {
                if (stop_.load(std::memory_order_relaxed)) return;
                HandleGpsByte(input_, buffer[i], false, env);
            }
        } else if (r.status == SerialReadStatus::HangUp || r.status == SerialReadStatus::Error) {
            // The receiver was unplugged or the peer went away: say so once,
            // then wait quietly to be stopped instead of polling a dead port.
            HandleGpsByte(input_, 1, true, Env());
            portLost_ = true;
            std::unique_lock lock(idleMutex_);
            idle_.wait(lock, [this] { return stop_.load(); });
            return;
        }
        // Timeout and Woken: look at the stop flag and the Tripmate clock.
    }
}

}  // namespace mw
