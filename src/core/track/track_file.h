// Track point files (".plt"): loading one into the track ring, saving the
// ring, and the track log "ceTrack.plt" that every recorded GPS fix is
// appended to.
//
// File layout (8-bit text, CR LF line ends): six header lines, line 2 the
// datum name, then one point a line:
//
//   "%12.7f,%12.7f,%d,%7.0f"                 saved track: lat, lon, flag, altitude
//   "%12.7f,%12.7f,%d,%7.0f, ,ddMMyy,hhmmss"  track log: the same, a blank field,
//                                            the fix's UTC date and time
//
// Degrees, north and east positive; flag 1 starts a new segment, 0 joins the
// point to the one before; altitude in feet, -777 when not known.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "geo/datums.h"
#include "support/durable_file.h"
#include "support/text.h"
#include "track/track_store.h"

namespace mw {

inline constexpr const char* kTrackLogFileName = "ceTrack.plt";
inline constexpr std::array<const char*, 6> kTrackFileHeader = {
    "Mapwanderer CE Track Point File Version 2.0", "WGS 84", "Altitude is in Feet", "Reserved 3",
    "0,2,255,MawCE Track Log file     ,1",         "0",
};
inline constexpr int kTrackHeaderLines = static_cast<int>(kTrackFileHeader.size());
// A track file is read this far at most: 64 MiB hold a million logged
// points, far more than the ring keeps, and an endless source stops here.
inline constexpr std::size_t kMaxTrackFileBytes = std::size_t{64} << 20;
// The altitude a saved track writes (not known).
inline constexpr double kTrackNoAltitude = -777;

// Why a file that opened was refused as a track file.
inline constexpr const char* kNotTrackFileText = "not a track file";

// `dataFolder` (a local folder, see ToLocalPath) + "/ceTrack.plt".
std::string TrackLogPath(std::string_view dataFolder);

// A saved track's point line, without the line end.
std::string FormatTrackPointLine(double lat, double lon, int flag, double altitude);
// A track log's point line, without the line end.
std::string FormatTrackLogLine(double lat, double lon, int flag, double altitude,
                               std::string_view date, std::string_view time);

// Reads the track file `path` into `track`: every point line is added,
// converted from the file's datum (line 2; an unknown name is WGS 84) to
// `mapDatum`, to a cleared ring. A file with more than 999 points keeps its
// last 999 and the outcome's notes say how many were left out. Missing
// fields read as 0; fields 4 onward are not read; blank lines and lines
// whose coordinates are off the globe (latitude outside ±90°, longitude
// outside ±180°, not a number, NUL bytes) are no points. Only the first
// `maxBytes` bytes are read; a longer file says so in the notes. The track
// is left as it was, and the outcome says why (for the command to tell),
// when the file cannot be opened, is a folder, a
// device or a FIFO, or is no track file: shorter than the six header lines,
// a header of binary bytes, or lines after it of which none is a point.
// The header alone empties the track.
ReadOutcome LoadTrackFile(TrackStore& track, const std::string& path, const DatumTable& datums,
                          int mapDatum, std::size_t maxBytes = kMaxTrackFileBytes);

// "<count> track points left out (the last 999 are kept)".
std::string TrackPointsLeftOutText(std::int64_t count);

// Writes the ring's points, oldest first, converted from `mapDatum` to WGS
// 84, with their flags and the altitude -777. The file replaces `path` only
// once it is complete; the outcome names the file and the system's reason
// when it could not be written (an earlier file then stays).
WriteOutcome SaveTrackFile(const TrackStore& track, const std::string& path,
                           const DatumTable& datums, int mapDatum);

// Appends one fix (degrees on WGS 84, altitude in feet) to the track log
// `logPath` with `logNewSegment` as its flag. A missing (or empty) log is
// created with the header first, and the point then starts a segment
// (`logNewSegment` becomes 1). The line goes out in one write and the file
// is synced before it is closed, so a program killed at any moment leaves
// every earlier point in place. A log whose last line lacks its line end
// (written elsewhere, or cut by a power loss) gets one first, so the new
// point is never glued to it. Returns false when the log cannot be opened,
// created or written (`outcome`, when given, says why; a log the call
// created and could not write is removed again); `logNewSegment` is cleared
// only on success.
bool AppendTrackLog(const std::string& logPath, double lat, double lon, std::string_view date,
                    std::string_view time, double altitude, int& logNewSegment,
                    WriteOutcome* outcome = nullptr);

}  // namespace mw
