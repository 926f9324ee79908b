// The data behind the "Display NMEA Input" window: a list of the raw lines
// that restarts after 200 lines. The reader thread feeds it; the window
// shows snapshots of it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace mw {

inline constexpr const char* kNoNmeaInPvtMode = "No NMEA Input in PVT mode";
// Past this many lines the list is emptied before the next line is added.
inline constexpr int kNmeaMonitorMaxLines = 200;

struct NmeaMonitorState {
    bool running = false;  // lines are taken only while running
    int lineCount = 0;
    std::vector<std::string> lines;
    int selection = -1;  // selected list item, -1 none; trails the newest line
                         // by one, which keeps the list scrolled to its end
    bool operator==(const NmeaMonitorState&) const = default;
};

// The window opened: an empty, running list.
void OpenNmeaMonitor(NmeaMonitorState& monitor);

// Adds a received line while the monitor runs. In Garmin PVT mode (source 3)
// only a note that there is no NMEA input is shown, once.
void FeedNmeaMonitor(NmeaMonitorState& monitor, std::string_view line, int source);

// The monitor shared between the reader thread (Feed) and the window (the
// rest). Cheap to feed while the window is closed.
class NmeaMonitor {
public:
    void Open();
    void Close();
    // "Start/Stop": freezes or resumes the list.
    void ToggleRunning();
    void Feed(std::string_view line, int source);
    NmeaMonitorState Snapshot() const;
    // Grows with every change, so the window can tell whether to refresh.
    std::uint64_t Version() const { return version_.load(std::memory_order_acquire); }

private:
    mutable std::mutex mutex_;
    NmeaMonitorState state_;
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> version_{0};
};

}  // namespace mw
