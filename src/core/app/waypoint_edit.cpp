#include "app/waypoint_edit.h"

#include <charconv>
#include <cmath>

#include "app/app_state.h"
#include "app/data_folder.h"
#include "app/route_commands.h"
#include "app/waypoint_commands.h"
#include "geo/format_names.h"
#include "proj/position_format.h"
#include "proj/position_parse.h"
#include "support/number_format.h"
#include "support/paths.h"
#include "support/text.h"
#include "waypoint/waypoint_file.h"

namespace mw {

namespace {

template <typename T>
std::optional<T> ParseNumberText(std::string_view text) {
    const std::string t = Trim(text);
    T v{};
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}

bool HoldsLineBreakOrComma(std::string_view text) {
    return text.find_first_of(",\r\n") != std::string_view::npos;
}

int FormatOf(const App& app) {
    const int f = app.settings.positionFormat;
    return f >= 0 && f < kPositionFormatCount ? f : 0;
}

std::string PositionText(const App& app, double lat, double lon) {
    return FormatPosition(lat, lon, FormatOf(app), app.datums, app.map.datumIndex,
                          app.map.projection.params);
}

}  // namespace

WaypointFields FieldsOfWaypoint(const App& app, const Waypoint& w) {
    WaypointFields f;
    f.name = w.name;
    f.comment = w.description;
    f.position = PositionText(app, w.lat, w.lon);
    if (w.altitude != kWaypointNoAltitude) AppendFixed(f.altitude, w.altitude, 0);
    AppendInt(f.symbol, w.symbol);
    AppendInt(f.proximity, w.proximityDistance);
    f.picture = w.proximityImage;
    f.sound = w.proximitySound;
    f.textColour = w.textColour;
    f.backColour = w.backColour;
    return f;
}

WaypointEdit ApplyWaypointFields(const App& app, const Waypoint& original, const WaypointFields& f) {
    WaypointEdit edit{original, {}};
    Waypoint& w = edit.waypoint;
    const auto refuse = [&edit](std::string text) {
        edit.error = std::move(text);
        return edit;
    };
    for (const std::string* t : {&f.name, &f.comment, &f.picture, &f.sound})
        if (HoldsLineBreakOrComma(*t)) return refuse(kEditCommaText);

    // The text shown for the old position reads back to the old position
    // only to the display's rounding: an untouched field keeps it exactly.
    if (Trim(f.position) != Trim(PositionText(app, original.lat, original.lon))) {
        const std::optional<GeoPoint> p = ParsePosition(f.position, FormatOf(app), app.datums,
                                                        app.map.datumIndex, app.map.projection.params);
        if (!p)
            return refuse(std::string("The Position could not be read as ") +
                          std::string(kPositionFormatNames[FormatOf(app)]) +
                          ", for example: " + PositionText(app, original.lat, original.lon));
        if (p->lat == 0 && p->lon == 0)
            return refuse("A Waypoint at 0, 0 is never shown: give another Position");
        w.lat = p->lat;
        w.lon = p->lon;
    }

    if (Trim(f.altitude).empty()) {
        w.altitude = kWaypointNoAltitude;
    } else {
        const std::optional<double> a = ParseNumberText<double>(f.altitude);
        if (!a || !(*a >= kWaypointAltitudeMin && *a <= kWaypointAltitudeMax))
            return refuse(Format("Altitude must be empty or a number of metres from %.0f to %.0f",
                                 kWaypointAltitudeMin, kWaypointAltitudeMax));
        w.altitude = static_cast<float>(*a);
    }
    const std::optional<int> symbol = ParseNumberText<int>(f.symbol);
    if (!symbol || *symbol < 0 || *symbol > kWaypointSymbolMax)
        return refuse(Format("Symbol must be a whole number from 0 to %d", kWaypointSymbolMax));
    const std::optional<int> zone = ParseNumberText<int>(f.proximity);
    if (!zone || *zone < 0 || *zone > kProximityDistanceMax)
        return refuse(Format("Proximity distance must be a whole number of metres from 0 to %d",
                             kProximityDistanceMax));
    if (f.textColour < 0 || f.textColour > kWaypointColourMax || f.backColour < 0 ||
        f.backColour > kWaypointColourMax)
        return refuse(Format("Colours must lie between 0 and %d", kWaypointColourMax));

    w.name = CutWaypointName(f.name);
    w.description = f.comment;
    w.symbol = *symbol;
    w.proximityDistance = *zone;
    w.proximityImage = f.picture;
    w.proximitySound = f.sound;
    w.textColour = f.textColour;
    w.backColour = f.backColour;
    // A zone that moved or changed size is a new zone: its alarm may sound.
    if (w.lat != original.lat || w.lon != original.lon ||
        w.proximityDistance != original.proximityDistance)
        w.proximityState = 0;
    return edit;
}

std::string ConfirmWaypointEdit(App& app, int slot, const WaypointFields& f) {
    const Waypoint* original = app.waypoints.At(slot);
    if (!original) return kEditNoWaypointText;
    WaypointEdit edit = ApplyWaypointFields(app, *original, f);
    if (!edit.error.empty()) return edit.error;
    const Waypoint saved = edit.waypoint;
    app.waypoints.Put(slot, std::move(edit.waypoint));

    // The log keeps every waypoint as it was made or last changed.
    MakeFolders(DataFolder(app));
    const WriteOutcome logged =
        AppendWaypointLog(app.waypoints, slot, WaypointLogFile(app), app.datums, app.map.datumIndex);
    if (!logged && app.ports.ui)
        app.ports.ui->ShowStatusNote(WriteFailureText(kCannotCreateWaypointFileText, logged));

    if (app.navigation.target && app.navigation.target->waypointIndex == slot)
        SetNavigationTarget(app, saved.lat, saved.lon, slot, saved.name);
    if (app.ports.ui) app.ports.ui->Repaint(WindowId::Map);
    return {};
}

}  // namespace mw
