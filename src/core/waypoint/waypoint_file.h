// Waypoint files (".wpt"), creating waypoints, and the waypoint log
// "ceWaypoints.wpt" in the data folder that every created waypoint is
// appended to at once.
//
// File layout (8-bit text, CR LF line ends): four header lines, line 2 the
// datum name of the positions, then one waypoint a line of 24 comma-separated
// fields without quoting:
//
//   -1,name,lat,lon,date,symbol,f7,f8,textColour,backColour,description,f12,
//   f13,proximityDistance,altitude,f16,f17,f18,popupPosition,popupSeconds,
//   f21,attachment,proximityImage,proximitySound
//
// written with "%12.7f" for the position, "%11.5f" for the date, "%8.0f" for
// the altitude, "%10.1f" for the popup seconds and "%d" for the integers.
// Files are always written in WGS 84. A missing or empty field reads as its
// record default except for those listed in ParseWaypointLine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geo/datums.h"
#include "ports/system.h"
#include "support/durable_file.h"
#include "support/text.h"
#include "waypoint/waypoint_store.h"

namespace mw {

inline constexpr const char* kWaypointLogFileName = "ceWaypoints.wpt";
inline constexpr std::array<const char*, 4> kWaypointFileHeader = {
    "Mapwanderer CE Waypoint File Version 1.0", "WGS 84", "Reserved 2", "Reserved 3"};
inline constexpr int kWaypointHeaderLines = static_cast<int>(kWaypointFileHeader.size());

// Why a file that opened was refused as a waypoint file.
inline constexpr const char* kNotWaypointFileText = "not a waypoint file";

// `dataFolder` (a local folder, see ToLocalPath) + "/ceWaypoints.wpt".
std::string WaypointLogPath(std::string_view dataFolder);

// A waypoint line's fields 2 to 24 as a record; the position is left as the
// file gives it. Missing or empty fields, and numeric fields from which no
// finite number can be read, take the fallbacks: date 33605, field 10 white,
// altitude -777, field 16 8, field 18 17, popup seconds 10, field 21 2, and 0
// (or absent) for the rest. The altitude is read as a real, the popup
// position as a real cut to an integer, the popup seconds as an integer.
Waypoint ParseWaypointLine(std::string_view line);

// The line SaveWaypointFile writes for `waypoint` with the position (`lat`,
// `lon`) already on WGS 84, without the line end. A comma or line end inside
// a text would split the field on reading: each becomes a blank.
std::string FormatWaypointLine(const Waypoint& waypoint, double lat, double lon);
// The log's line: fields 1 to 4, 11 and 15 only, a blank after the name.
std::string FormatWaypointLogLine(const Waypoint& waypoint, double lat, double lon);

// "MMM dd yyyy hh:mm:ss" (English month abbreviation, 24-hour clock): the
// description of a created waypoint. Empty for a date without a valid month.
std::string WaypointCreationText(const DateTime& localNow);

// A waypoint file is read this far at most: 64 MiB hold far more lines than
// the store keeps (they are counted for the note), and an endless source
// stops here.
inline constexpr std::size_t kMaxWaypointFileBytes = std::size_t{64} << 20;

// The date a waypoint gets when its file or record gives none (1 January
// 1992 as a day number).
inline constexpr double kWaypointDefaultDate = 33605;

// Replaces the store with the waypoints of `path`, converted from the file's
// datum (line 2; an unknown name is WGS 84) to `mapDatum`. Slots are taken
// in order from 0; the first 1,000 waypoint lines are kept, the rest
// counted and told in the outcome's notes. Every line is read to its end but
// only its first 1,000 bytes are used, so an over-long line never spills
// into the next waypoint. An empty line gives a waypoint at 0, 0 that takes
// a slot but never shows; a line of NUL bytes or other control bytes is no
// waypoint. Only the first `maxBytes` bytes are read (a longer file says so
// in the notes). The store is left as it was, and the outcome says why (for
// the command to tell), when the file cannot be opened, is a folder, a device or a FIFO, or is no waypoint file:
// shorter than the four header lines, a header of binary bytes, or lines
// after it of which none has a position. The header alone empties the
// store.
ReadOutcome ReadWaypointFile(WaypointStore& store, const std::string& path,
                             const DatumTable& datums, int mapDatum,
                             std::size_t maxBytes = kMaxWaypointFileBytes);

// The walk every reader of a waypoint file shares: opened as a data file,
// read within `maxBytes`, the header's datum taken from its second line.
// `line` gets every text line after the header with that datum and returns
// false for a line that is no waypoint line; lines of binary bytes count as
// such without reaching it.
struct WaypointFileWalk {
    bool opened = false;
    ReadOutcome outcome;  // why it did not open, or the cut note
    int fileDatum = kDatumWgs84;
    // A file shorter than the header, a header of binary bytes or a line that
    // is no waypoint line: unless a position was found, no waypoint file.
    bool doubtful = false;
};
WaypointFileWalk WalkWaypointFile(const std::string& path, const DatumTable& datums,
                                  std::size_t maxBytes,
                                  const std::function<bool(const std::string& line, int fileDatum)>& line);

// "<count> waypoints left out (at most 1000 are kept)".
std::string WaypointsLeftOutText(std::int64_t count);

// What a waypoint save came to: the write's outcome (the file and, on
// failure, the system's reason) and how many waypoints it wrote.
struct WaypointSave {
    WriteOutcome write;
    int written = 0;
    bool Ok() const { return write.Ok(); }
    explicit operator bool() const { return Ok(); }
};

// Writes every waypoint not at 0, 0 in slot order, converted from `mapDatum`
// to WGS 84 (the store is not changed). The file replaces `path` only once
// it is complete; on failure any earlier file stays.
WaypointSave SaveWaypointFile(const WaypointStore& store, const std::string& path,
                              const DatumTable& datums, int mapDatum);

// Appends the waypoint of slot `index` to the log `logPath`, creating the log
// with the header when it does not exist. The line goes out in one write and
// is synced before the file is closed. The outcome (nothing is reported
// here) says why the log could not be opened, created or written (EINVAL
// for an empty slot); a log the call created and could not write is removed
// again. A last line without its line end keeps its place and gets one.
WriteOutcome AppendWaypointLog(const WaypointStore& store, int index, const std::string& logPath,
                               const DatumTable& datums, int mapDatum);

// Adds a waypoint at (`lat`, `lon`) (degrees on `mapDatum`) in the first free
// slot, named `name` (cut to 15 bytes) or "WP" + the slot number, described
// by its creation time, and appends it to the log. Returns the slot, or -1
// when every slot is taken (the log is then not touched). A log that cannot
// be written leaves the waypoint in memory only; `logged` (when given) says
// how the append went, for the caller to tell.
int CreateWaypoint(WaypointStore& store, const std::optional<std::string>& name, double lat,
                   double lon, const DateTime& localNow, const std::string& logPath,
                   const DatumTable& datums, int mapDatum, WriteOutcome* logged = nullptr);

}  // namespace mw
