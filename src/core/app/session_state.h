// What the user had open when the program last quit, so that the next start
// comes back to it: the view centre and zoom on the map, the waypoint, route
// and track files loaded, the navigation target and the names file.
//
// It lives in a file of its own in the application home ("Session.txt"),
// apart from the configuration files, whose contents other programs and the
// user may rely on. Positions in it are degrees on WGS 84, so a target or a
// centre survives a map on another datum.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "support/durable_file.h"

namespace mw {

struct App;

inline constexpr const char* kSessionFile = "Session.txt";
inline constexpr const char* kSessionHeader = "Mapwanderer Session 1";
inline constexpr const char* kCannotSaveSessionText = "Cannot Save Session File";
// The status note for files of the last session that are no longer there;
// the paths follow, separated by ", ".
inline constexpr const char* kSessionFilesGoneText = "Not found since the last session: ";

struct SessionTarget {
    double lat = 0, lon = 0;  // degrees, WGS 84
    int waypointIndex = -1;   // the waypoint slot it came from, -1: a place
    std::string name;
    friend bool operator==(const SessionTarget&, const SessionTarget&) = default;
};

struct SessionState {
    // The map the view belongs to; the view is restored only onto it.
    std::string mapPath;
    std::optional<double> centreLat, centreLon;  // degrees, WGS 84
    std::optional<int> zoomIndex;
    std::string waypointFile, routeFile, trackFile, namesFile;
    std::optional<SessionTarget> target;
    friend bool operator==(const SessionState&, const SessionState&) = default;
};

// The file's text: the header, then one "Key,value" line per item that is
// set, CR LF ended. Numbers are written in the C locale.
std::string FormatSession(const SessionState& session);
// Reads what FormatSession wrote. Unknown keys, and lines whose numbers do
// not parse or lie off the globe, are skipped: a damaged line costs only
// its item. A text without the header gives an empty session.
SessionState ParseSession(std::string_view text);

// What `app` has open now (positions converted from the map's datum).
SessionState CaptureSession(const App& app);

// Writes the session of `app` into its home (temporary file, sync, rename).
WriteOutcome SaveSession(const App& app);

// At start, after the last map was loaded: reads the home's session file and
// restores, onto a map image on screen, the files, the view (only onto the
// map it was saved with) and the navigation target. A file that has gone,
// or no longer reads, is said once in the status line, never in a box.
// Nothing happens without a session file or without a map image.
void RestoreSession(App& app);

}  // namespace mw
