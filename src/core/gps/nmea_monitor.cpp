#include "gps/nmea_monitor.h"

#include "gps/nmea_parser.h"

namespace mw {

void OpenNmeaMonitor(NmeaMonitorState& monitor) {
    monitor = NmeaMonitorState{};
    monitor.running = true;
}

void FeedNmeaMonitor(NmeaMonitorState& monitor, std::string_view line, int source) {
    if (!monitor.running) return;
    if (source == kSourcePvt) {
        if (monitor.lineCount == 0) monitor.lines.emplace_back(kNoNmeaInPvtMode);
        monitor.lineCount = 1;
        return;
    }
    if (monitor.lineCount > kNmeaMonitorMaxLines) {
        monitor.lines.clear();
        monitor.lineCount = 0;
    }
    monitor.lines.emplace_back(line);
    monitor.selection = monitor.lineCount - 1;
    ++monitor.lineCount;
}

void NmeaMonitor::Open() {
    std::lock_guard lock(mutex_);
    OpenNmeaMonitor(state_);
    running_ = true;
    ++version_;
}

void NmeaMonitor::Close() {
    std::lock_guard lock(mutex_);
    state_.running = false;
    running_ = false;
    ++version_;
}

void NmeaMonitor::ToggleRunning() {
    std::lock_guard lock(mutex_);
    state_.running = !state_.running;
    running_ = state_.running;
    ++version_;
}

void NmeaMonitor::Feed(std::string_view line, int source) {
    if (!running_.load(std::memory_order_relaxed)) return;
    std::lock_guard lock(mutex_);
    FeedNmeaMonitor(state_, line, source);
    ++version_;
}

NmeaMonitorState NmeaMonitor::Snapshot() const {
    std::lock_guard lock(mutex_);
    return state_;
}

}  // namespace mw
