// The sentence dispatcher: picks from each received line the sentences the
// configured position source needs, runs their parsers and hands the results
// on. It runs in the reader thread (and, for track replay, in the GUI
// thread); results leave it only through a GpsResultSink.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "gps/garmin_pvt.h"
#include "gps/gps_fix.h"
#include "gps/nmea_parser.h"

namespace mw {

class Clock;
class NmeaMonitor;

// Where parser results go. The dispatcher calls these in the order the
// effects happen; each call receives the parser-side fix as it stands, and a
// receiver that keeps a result copies it.
class GpsResultSink {
public:
    virtual ~GpsResultSink() = default;
    // A position for the position pipeline, with the fix after the speed
    // and quality fields of the same sentence were taken.
    virtual void OnPosition(const PositionReport& position, const GpsFix& fix) = 0;
    // New speed and courses (fix.speed is in the "Speed Unit"): the speed
    // monitor's input.
    virtual void OnSpeed(const GpsFix& fix) = 0;
    // The reader side changed statusText: "ERR" (communication error), "CSM"
    // (checksum failure) or "ON " (first position after an error). The main
    // window repaints.
    virtual void OnStatus(const std::string& statusText) = 0;
    // The last message of a satellites-in-view set arrived: the satellites
    // view redraws from fix.satellites.
    virtual void OnSatellites(const GpsFix& fix) = 0;
};

// The parser side's state: the fix the parsers write and the latest PVT
// values. Owned by whoever runs the dispatcher (one per reader thread).
struct GpsParserState {
    GpsFix fix;
    PvtValues pvt;
};

// What the dispatcher reads besides the line. `clock` is required; the
// monitor and the sink may be null.
struct DispatchEnv {
    NmeaConfig config;
    bool replay = false;              // track replay: the two fixed sentences below
    bool busy = false;                // a map is loading or the view rendering: input is dropped
    bool satellitesViewOpen = false;  // GSV sentences are parsed only then
    Clock* clock = nullptr;           // the device clock, for a missing date or time
    NmeaMonitor* monitor = nullptr;
    GpsResultSink* sink = nullptr;
};

// Characters of the received line a sentence may reach; the rest is cut off.
inline constexpr std::size_t kSentenceCut = 150;

// Replay supplies time, speed, course and quality from these fixed sentences;
// the position pipeline replaces their position by the replayed point.
inline constexpr const char* kReplayRmc =
    "$GPRMC,055251,V,2648.5175,S,15224.5394,E,0.0,0.0,300699,11.3,E*7F";
inline constexpr const char* kReplayGga =
    "$GPGGA,224547,2718.8160,S,15302.7270,E,1,8,0.4,999,M,34,M,0,123";

// Index of the first "$ttXXX" in `line` where tt is one of the talkers GP,
// GN, GL, GA, GB, BD and XXX is `type` ("RMC"), or npos.
std::size_t FindSentence(std::string_view line, std::string_view type);

// The sentence at `start` as the parsers see it: from there up to the
// 150th character of the line. A sentence whose tag is cut is not there.
std::string_view CutSentence(std::string_view line, std::size_t start);

// Handles one received line (in Garmin PVT mode: after a PVT record was
// decoded into state.pvt; the line is then not looked at). Returns 0.
//
//   source 0: RMC -> speed and position; GGA -> quality
//   source 1: GGA -> position and quality; VTG -> speed
//   source 2: GLL -> position; VTG -> speed; GGA -> quality
//   source 3: the PVT values -> speed and position
//   sources 0-2 with the satellites view open: GSV -> satellites
int DispatchSentence(std::string_view receivedLine, GpsParserState& state, const DispatchEnv& env);

}  // namespace mw
