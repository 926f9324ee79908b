// Opening and closing the connection to the GPS receiver, and the few bytes
// the program sends it. What the windows do around it (the wait cursor, the
// menu check mark, the error box, repaints, track replay) is the caller's.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "config/settings.h"
#include "gps/gps_reader.h"
#include "gps/nmea_monitor.h"

namespace mw {

class Clock;
class SerialPort;
struct AppSettings;

inline constexpr int kGpsPortCount = kComPortCount;  // "Com Port" indices 0..9
inline constexpr const char* kPortBusyMessage = "Another Program or Utility is using the Comm port";
inline constexpr const char* kPortOpenFailedMessage = "Unable to open port";
// Caption of both messages.
inline constexpr const char* kPortErrorCaption = "Error";

// "COM1:".."COM8:" for indices 0..7, "GPS1:" for 8 and 9, empty otherwise.
std::string GpsPortName(int portIndex);

enum class GpsOpenOutcome { Opened, PortBusy, OpenFailed };
// The message for a failed open (kPortBusyMessage or kPortOpenFailedMessage),
// empty for Opened. `detail` (the port's OpenFailureText: device and reason)
// follows kPortOpenFailedMessage after a blank when there is one.
std::string GpsOpenFailureMessage(GpsOpenOutcome outcome, const std::string& detail = {});

struct GpsOpenRequest {
    int portIndex = 0;  // "Com Port"
    int baudIndex = 2;  // "Baud Rate", into kBaudRates
    bool reset = true;  // forget altitude, satellites and the last PVT course
    NmeaConfig config;
    bool tripmate = false;  // "Tripmate GPS"
    std::uint32_t tripmateDelayMs = kTripmateDelayMs;
    // A receiver quiet this long is silent; a lost one is tried this often.
    std::uint32_t silenceMs = kGpsSilenceMs;
    std::uint32_t reopenMs = kGpsReopenMs;
};
GpsOpenRequest GpsOpenRequestFrom(const AppSettings& settings, bool reset);

// The one connection to the receiver. The GUI thread owns it; the reader
// thread reads `busy`, `satellitesViewOpen` and `monitor`, and sends its
// results to `sink`.
struct GpsSession {
    GpsSession(SerialPort& port, Clock& clock, GpsResultSink& sink)
        : port(&port), clock(&clock), sink(&sink) {}
    ~GpsSession();
    GpsSession(const GpsSession&) = delete;
    GpsSession& operator=(const GpsSession&) = delete;

    SerialPort* port;
    Clock* clock;
    GpsResultSink* sink;

    // Set by the GUI thread while a map loads (BusyScope): the reader then
    // drops what it receives.
    std::atomic<bool> busy{false};
    // Set while the satellites view is open: GSV sentences are parsed only
    // then.
    std::atomic<bool> satellitesViewOpen{false};
    NmeaMonitor monitor;

    bool active = false;  // the GPS active flag: port open and being read
    // What the last failed open tried and why (SerialPort::OpenFailureText).
    std::string openFailure;
    NmeaConfig config;
    // The parser state between connections (altitude, satellites, the last
    // PVT course), kept unless a reset is asked for.
    GpsParserState parser;
    std::unique_ptr<GpsReaderThread> reader;
};

// Opens the port and starts its reader thread. On success statusText is
// "ON " (in `fix`, the GUI thread's fix). While the port stays open the
// reader reports through the sink's statusText when the receiver falls
// silent ("---") or its device goes away ("NC "), each once; a lost device's
// port is opened again every reopenMs, and "ON " says it is back. With request.reset, `fix` and the
// parser side forget altitude, satellites and the last PVT course.
// A Tripmate receiver gets its start string after its delay, a Garmin in PVT
// mode the PVT start command, both from the reader thread. A port that is
// already open is closed first. The caller clears its mailboxes and, on
// failure, shows GpsOpenFailureMessage with kPortErrorCaption.
GpsOpenOutcome OpenGpsPort(GpsSession& session, const GpsOpenRequest& request, GpsFix& fix);

// Stops the reader thread and waits for it to end before the port is closed
// (so no read can touch a closed or reused descriptor), sends the PVT stop
// command in PVT mode, closes the port, sets statusText "OFF". Returns 1.
int CloseGpsPort(GpsSession& session, GpsFix& fix);

// New settings while the port is open (position source, checksum, speed
// unit). The PVT start command is not sent here.
void SetGpsConfig(GpsSession& session, const NmeaConfig& config);

// Writes to the open port; false when it is closed or refused the bytes.
bool WriteGpsBytes(GpsSession& session, const std::uint8_t* bytes, std::uint16_t count);
bool WriteGpsByte(GpsSession& session, std::uint8_t value);
// The Garmin PVT commands; the start command is followed by a 100 ms pause.
bool SendPvtStart(GpsSession& session);
bool SendPvtStop(GpsSession& session);

}  // namespace mw
