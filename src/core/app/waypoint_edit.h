// Editing one waypoint: the fields the editor shows as text, checked and
// written back into the store and the waypoint log, as a created waypoint
// is.
#pragma once

#include <string>

#include "waypoint/waypoint_store.h"

namespace mw {

struct App;

// Bounds of what the editor takes.
inline constexpr float kWaypointAltitudeMin = -1000.0f;   // metres
inline constexpr float kWaypointAltitudeMax = 100000.0f;  // metres
inline constexpr int kWaypointSymbolMax = 65535;
inline constexpr int kProximityDistanceMax = 100000;  // metres
inline constexpr int kWaypointColourMax = 0xFFFFFF;

inline constexpr const char* kEditNoWaypointText = "The Waypoint is no longer there";
inline constexpr const char* kEditCommaText =
    "Commas and line breaks cannot be kept in a waypoint's name, comment, picture or sound";

// The editor's fields. Numbers are text as the user typed them; an empty
// altitude means none. Colours are packed as files store them (0xBBGGRR).
struct WaypointFields {
    std::string name, comment, position, altitude, symbol, proximity, picture, sound;
    int textColour = 0;
    int backColour = kWaypointWhite;
};

// The fields of `w` as the editor opens them: the position in the user's
// position format, an altitude of none as empty.
WaypointFields FieldsOfWaypoint(const App& app, const Waypoint& w);

// `original` with the fields applied, or the one message that says what is
// wrong (a position the format cannot read, a number out of its range, a
// comma in a text). Every field the editor does not show is kept.
struct WaypointEdit {
    Waypoint waypoint;
    std::string error;  // empty when the fields are good
};
WaypointEdit ApplyWaypointFields(const App& app, const Waypoint& original, const WaypointFields& f);

// OK: the waypoint of `slot` takes the fields, is appended to the log (a
// log that cannot take it is a status note, as for a created waypoint) and
// the map is repainted; a navigation target that is this waypoint follows
// it. Returns the error text, empty when saved; on an error nothing
// changes.
std::string ConfirmWaypointEdit(App& app, int slot, const WaypointFields& f);

}  // namespace mw
