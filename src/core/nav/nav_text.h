// The texts of the navigation panel: the target's shortened name, the
// distance with its unit, the bearing. Pure functions of numbers and names,
// so the panel, the info-panel drawing and mwtool show the same texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geo/geo_point.h"
#include "nav/navigation.h"

namespace mw {

// "Distance Unit" setting values.
enum DistanceUnit : int { kUnitKilometres = 0, kUnitMiles = 1, kUnitNauticalMiles = 2 };

inline constexpr const char* kNotNavigatingText = "Not Navigating";

// A name longer than 7 characters becomes its first 3 characters, "..",
// and its last 3 ("Riverside" -> "Riv..ide"). Characters are bytes, or
// whole UTF-8 characters when the name is valid UTF-8.
std::string ShortTargetName(std::string_view name);

struct DistanceText {
    std::string value;  // "999", "1.00", "150.0", "1500"
    std::string unit;   // "m", "km", "ft", "mi"
    friend bool operator==(const DistanceText&, const DistanceText&) = default;
};

// The distance `metres` as the panel shows it in `distanceUnit`:
// - kilometres: below 1000 m whole metres "m", else kilometres "km";
// - miles: f = feet; below 2640 ft whole feet "ft", else statute miles "mi";
// - nautical miles: below 3038 ft whole feet "ft", else nautical miles,
//   also labelled "mi".
// Kilometres and miles have two decimals, one above 99.9999, none above
// 999.9999. An unknown unit counts as kilometres.
DistanceText FormatNavDistance(double metres, int distanceUnit);

// Degrees true with one decimal ("%.1f").
std::string FormatNavBearing(double degrees);

struct NavigationReadout {
    std::string name;  // shortened
    DistanceText distance;
    std::string bearing;
    friend bool operator==(const NavigationReadout&, const NavigationReadout&) = default;
};

// What the panel shows for navigation from (lat, lon) (degrees, the map
// datum: the view centre, or the GPS position while following) to the
// target: spherical distance and initial bearing. Nullopt while navigation
// is off: the panel then shows "Not Navigating".
std::optional<NavigationReadout> NavigationPanelReadout(const NavigationState& nav, double lat,
                                                        double lon, int distanceUnit);
// The same from a position that may not be known (no fix yet, and no centre
// chosen): then the name alone, with no distance and no bearing, rather
// than a measure from 0°, 0°.
std::optional<NavigationReadout> NavigationPanelReadout(const NavigationState& nav,
                                                        const std::optional<GeoPoint>& from,
                                                        int distanceUnit);

}  // namespace mw
