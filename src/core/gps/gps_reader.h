// The reader thread: one per open port. It blocks in the port's Read, runs
// every byte through framing and dispatch, and sends the start-up bytes some
// receivers need, so that neither the waits nor the reads hold up the GUI.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "gps/dispatch.h"
#include "gps/gps_input.h"
#include "gps/gps_link.h"

namespace mw {

class Clock;
class SerialPort;

// A Tripmate receiver starts talking only after this string, sent this long
// after the port was opened.
inline constexpr const char* kTripmateStart = "ASTRAL\r\n";
inline constexpr std::uint32_t kTripmateDelayMs = 5000;

struct GpsReaderOptions {
    NmeaConfig config;
    GpsParserState initialState;
    // Send kTripmateStart after tripmateDelayMs (reading goes on meanwhile).
    bool tripmate = false;
    std::uint32_t tripmateDelayMs = kTripmateDelayMs;
    // Send the Garmin PVT start command first (source 3, no Tripmate).
    bool sendPvtStart = false;
    // How to open the port again when its device went away ("Com Port"
    // index and bits per second), and how often. Negative: not re-opened.
    int portIndex = -1;
    int baud = 0;
    std::uint32_t reopenMs = kGpsReopenMs;
    // No byte for this long makes the receiver silent.
    std::uint32_t silenceMs = kGpsSilenceMs;
};

// Everything the thread shares with the GUI thread besides the results.
struct GpsReaderLinks {
    SerialPort* port = nullptr;
    Clock* clock = nullptr;
    GpsResultSink* sink = nullptr;
    NmeaMonitor* monitor = nullptr;                         // may be null
    const std::atomic<bool>* satellitesViewOpen = nullptr;  // may be null
    const std::atomic<bool>* busy = nullptr;                // may be null
};

class GpsReaderThread {
public:
    explicit GpsReaderThread(const GpsReaderLinks& links) : links_(links) {}
    ~GpsReaderThread() { Stop(); }
    GpsReaderThread(const GpsReaderThread&) = delete;
    GpsReaderThread& operator=(const GpsReaderThread&) = delete;

    // Starts the thread on an open port.
    void Start(const GpsReaderOptions& options);

    // Sets the stop flag, wakes the port and waits until the thread has
    // ended, so the port can be closed safely afterwards. Returns the parser
    // state as the thread left it. Harmless when not running.
    GpsParserState Stop();

    bool Running() const { return thread_.joinable(); }

    // Settings changed while the port is open; taken at the next read.
    void SetConfig(const NmeaConfig& config);
    NmeaConfig Config() const;

    // True while the device is gone (after a hang-up or a read error, until
    // the port opens again): the thread then only waits, trying the port
    // every reopenMs, until it is stopped.
    bool PortLost() const { return portLost_.load(); }

private:
    void Run(GpsReaderOptions options);
    // The start-up bytes of a freshly opened port; returns when the
    // Tripmate string is due (its tick), if one is.
    bool StartUp(const GpsReaderOptions& options, std::uint32_t& tripmateAt);
    // Announces a change of the link through statusText.
    void Report(GpsLinkEvent event);
    DispatchEnv Env();

    GpsReaderLinks links_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> portLost_{false};
    std::atomic<int> source_{0};
    std::atomic<bool> useChecksum_{true};
    std::atomic<int> speedUnit_{0};
    GpsInput input_;
};

}  // namespace mw
